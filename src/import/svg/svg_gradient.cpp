// Gradients: their attributes and stops read along href chains in the first pass, and
// placed on the shape they paint when it is drawn.
#include "svg_gradient.h"

#include "colour.h"
#include "geometry.h"
#include "svg_geometry.h"
#include "xml_tree.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

double Gradient::*const gradientCoordinates[9] = {&Gradient::x1, &Gradient::y1, &Gradient::x2,
                                                  &Gradient::y2, &Gradient::cx, &Gradient::cy,
                                                  &Gradient::r,  &Gradient::fx, &Gradient::fy};


namespace {

double unitInterval(const std::string& value, double otherwise) {
    char* end = nullptr;
    double number = std::strtod(value.c_str(), &end);
    if (end == value.c_str() || !std::isfinite(number)) {
        return otherwise;
    }
    if (*end == '%') {
        number /= 100;
    }
    return std::min(1.0, std::max(0.0, number));
}

// The gradient and those its href chain names, in order, as far as the chain goes.
std::vector<xmlNode*> hrefChain(xmlNode* gradient, const std::map<std::string, xmlNode*>& ids) {
    std::vector<xmlNode*> chain;
    for (int hop = 0; gradient != nullptr && hop < 32; ++hop) {
        chain.push_back(gradient);
        auto next = ids.find(fragmentOf(hrefOf(gradient)));
        gradient = next != ids.end() && isGradient(next->second) ? next->second : nullptr;
    }
    return chain;
}

// The first value of name along the chain: attributes not set come from the gradient named.
std::string inherited(const std::vector<xmlNode*>& chain, const char* name) {
    for (xmlNode* gradient : chain) {
        std::string value = trim(attribute(gradient, name));
        if (!value.empty()) {
            return value;
        }
    }
    return "";
}

// The stops of the first gradient along the chain that has any, their offsets made
// non-decreasing.
std::vector<GradientStop> stopsOf(const std::vector<xmlNode*>& chain) {
    std::vector<GradientStop> stops;
    for (size_t i = 0; i < chain.size() && stops.empty(); ++i) {
        for (xmlNode* child = chain[i]->children; child != nullptr; child = child->next) {
            if (!isElement(child, "stop")) {
                continue;
            }
            GradientStop stop{unitInterval(attribute(child, "offset"), 0),
                              {0, 0, 0},
                              unitInterval(attribute(child, "stop-opacity"), 1)};
            parseColour(attribute(child, "stop-color"), &stop.colour);
            stop.offset = stops.empty() ? stop.offset : std::max(stop.offset, stops.back().offset);
            stops.push_back(stop);
        }
    }
    return stops;
}

// The mean of the stops, weighted by their opacity (a clear stop adds no colour).
void setMean(GradientPaint* paint) {
    const std::vector<GradientStop>& stops = paint->gradient.stops;
    double sum[3] = {0, 0, 0}, weight = 0;
    for (const GradientStop& stop : stops) {
        sum[0] += stop.colour.r * stop.opacity;
        sum[1] += stop.colour.g * stop.opacity;
        sum[2] += stop.colour.b * stop.opacity;
        weight += stop.opacity;
    }
    if (weight <= 0) {
        return;
    }
    auto channel = [&](double s) { return static_cast<int>(std::lround(s / weight)); };
    paint->colour = {channel(sum[0]), channel(sum[1]), channel(sum[2])};
    paint->opacity = weight / stops.size();
}

} // namespace

GradientPaint readGradient(xmlNode* node, const std::map<std::string, xmlNode*>& ids) {
    std::vector<xmlNode*> chain = hrefChain(node, ids);
    GradientPaint paint;
    Gradient& gradient = paint.gradient;
    gradient.radial = isElement(node, "radialGradient");
    gradient.stops = stopsOf(chain);
    setMean(&paint);
    paint.userSpace = inherited(chain, "gradientUnits") == "userSpaceOnUse";
    paint.transform = inherited(chain, "gradientTransform");
    std::string spread = inherited(chain, "spreadMethod");
    gradient.spread = spread == "reflect"  ? Spread::reflect
                      : spread == "repeat" ? Spread::repeat
                                           : Spread::pad;
    const char* names[9] = {"x1", "y1", "x2", "y2", "cx", "cy", "r", "fx", "fy"};
    for (int i = 0; i < 9; ++i) {
        std::string value = inherited(chain, names[i]);
        if (value.empty() && i >= 7) { // the focus defaults to the centre
            value = inherited(chain, names[i - 3]);
        }
        char* end = nullptr;
        double number = std::strtod(value.c_str(), &end);
        if (value.empty() || end == value.c_str() || !std::isfinite(number)) {
            if (i >= 4 || i == 2) { // the defaults: 50% but x2, 100%
                paint.percent |= 1u << i;
            }
            continue;
        }
        bool percent = *end == '%';
        gradient.*gradientCoordinates[i] = percent ? number / 100 : number;
        paint.percent |= percent ? 1u << i : 0;
    }
    return paint;
}


std::shared_ptr<const Gradient> placeGradient(const GradientPaint& source, double opacity,
                                              Point viewportSize,
                                              const std::vector<Subpath>& subpaths) {
    auto gradient = std::make_shared<Gradient>(source.gradient);
    for (GradientStop& stop : gradient->stops) {
        stop.opacity *= opacity;
    }
    if (source.userSpace) {
        double diagonal = std::hypot(viewportSize.x, viewportSize.y) / std::sqrt(2.0);
        double sizes[9] = {viewportSize.x, viewportSize.y, viewportSize.x,
                           viewportSize.y, viewportSize.x, viewportSize.y,
                           diagonal,       viewportSize.x, viewportSize.y};
        for (int i = 0; i < 9; ++i) {
            if (source.percent & (1u << i)) {
                gradient.get()->*gradientCoordinates[i] *= sizes[i];
            }
        }
        return gradient;
    }
    Box box;
    if (!subpathBounds(subpaths, &box) || !(box.x1 > box.x0) || !(box.y1 > box.y0)) {
        return nullptr;
    }
    gradient->transform = composeMatrix({box.x1 - box.x0, 0, 0, box.y1 - box.y0, box.x0, box.y0},
                                        source.gradient.transform);
    return gradient;
}
