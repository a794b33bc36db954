// What an SVG element paints with: the inherited style, the paint values its fill and stroke
// name, and the paint they resolve to on a shape.
#pragma once

#include "drawing.h"
#include "svg_gradient.h"

#include <libxml/tree.h>

#include <string>
#include <vector>

enum class PaintKind { none, colour, currentColour };

struct PaintValue {
    PaintKind kind = PaintKind::none;
    Colour colour{0, 0, 0};
    double opacity = 1;                      // a gradient's mean opacity
    const GradientPaint* gradient = nullptr; // a gradient's stops and geometry
};

inline Colour fromInteger(int rgb) {
    return {(rgb >> 16) & 255, (rgb >> 8) & 255, rgb & 255};
}

// The inherited properties.
struct Style {
    PaintValue fill{PaintKind::colour, {0, 0, 0}, 1};
    PaintValue stroke;
    Colour color{0, 0, 0};
    double fillOpacity = 1, strokeOpacity = 1, strokeWidth = 1, miterLimit = 4;
    FillRule fillRule = FillRule::nonZero, clipRule = FillRule::nonZero;
    std::string markers[3]; // ids at the start, the middle vertices and the end
    LineJoin lineJoin = LineJoin::miter;
    LineCap lineCap = LineCap::butt;
    std::string dashArray, dashOffset; // as written: lengths resolve in the shape's viewport
};

// What paints a run of geometry: the style, group opacity, transform and viewport size of
// the element it comes from.
struct Look {
    Style style;
    double opacity;
    Matrix matrix;
    Point viewportSize;
    int line;
};

// An opacity within 0 to 1; one not a number counts as 1.
double clampUnit(double value);

// The properties of node the traversal does not report: stroke-dasharray and
// stroke-dashoffset as written, and the ids of the markers.
void readStyleAttributes(xmlNode* node, Style* style);

// The paint of value with the element's own opacity (fill-opacity or stroke-opacity) under
// look, a gradient placed on subpaths; inside a clip path gradients are left out.
Paint resolvePaint(const PaintValue& value, double ownOpacity, const Look& look,
                   const std::vector<Subpath>& subpaths, bool clipping);
