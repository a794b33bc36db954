// The SVG reader's style: the attributes its traversal leaves out and paint resolution.
#include "svg_style.h"

#include "svg_effects.h"
#include "xml_tree.h"

#include <algorithm>
#include <cmath>

double clampUnit(double value) {
    return std::isfinite(value) ? std::min(1.0, std::max(0.0, value)) : 1.0;
}

void readStyleAttributes(xmlNode* node, Style* style) {
    if (xmlHasProp(node, BAD_CAST "stroke-dasharray")) {
        style->dashArray = attribute(node, "stroke-dasharray");
    }
    if (xmlHasProp(node, BAD_CAST "stroke-dashoffset")) {
        style->dashOffset = attribute(node, "stroke-dashoffset");
    }
    std::string all = attribute(node, "marker");
    const char* names[3] = {"marker-start", "marker-mid", "marker-end"};
    for (int i = 0; i < 3; ++i) {
        std::string value = attribute(node, names[i]);
        value = value.empty() ? all : value;
        if (!value.empty()) {
            style->markers[i] = referenceId(value);
        }
    }
}

Paint resolvePaint(const PaintValue& value, double ownOpacity, const Look& look,
                   const std::vector<Subpath>& subpaths, bool clipping) {
    Paint paint;
    paint.opacity = value.opacity * ownOpacity * look.opacity;
    paint.set = value.kind != PaintKind::none && paint.opacity > 0;
    paint.colour = value.kind == PaintKind::currentColour ? look.style.color : value.colour;
    if (paint.set && value.gradient != nullptr && !clipping) {
        paint.gradient =
            placeGradient(*value.gradient, ownOpacity * look.opacity, look.viewportSize, subpaths);
        paint.set = paint.gradient != nullptr;
    }
    return paint;
}
