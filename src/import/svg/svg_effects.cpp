// Clips from clip paths, masks and viewports; the placement of marker content.
#include "svg_effects.h"

#include "clip.h"
#include "geometry.h"
#include "xml_tree.h"

#include <cmath>
#include <cstdlib>

namespace {

// The finite number that value starts with, and what follows it; false when there is none.
bool leadingNumber(const std::string& value, double* number, std::string* rest) {
    char* end = nullptr;
    *number = std::strtod(value.c_str(), &end);
    *rest = end;
    return end != value.c_str() && std::isfinite(*number);
}

double number(xmlNode* node, const char* name, double otherwise) {
    double result;
    std::string rest;
    return leadingNumber(attribute(node, name), &result, &rest) ? result : otherwise;
}

// A mask's x, y, width or height: a number, or a percentage of whole; otherwise given.
double maskLength(xmlNode* node, const char* name, double whole, double given) {
    double result;
    std::string rest;
    if (!leadingNumber(trim(attribute(node, name)), &result, &rest)) {
        return given;
    }
    return trim(rest) == "%" ? result / 100 * whole : result;
}

Matrix translation(double x, double y) {
    return {1, 0, 0, 1, x, y};
}

} // namespace

std::string referenceId(const std::string& value) {
    size_t hash = value.find('#');
    if (hash == std::string::npos) {
        return "";
    }
    size_t end = value.find_first_of(")'\" \t\r\n", hash);
    return value.substr(hash + 1, end == std::string::npos ? end : end - hash - 1);
}

bool overflowVisible(xmlNode* node) {
    std::string overflow = lower(trim(attribute(node, "overflow")));
    return overflow == "visible" || overflow == "auto";
}

std::shared_ptr<const Clip> rectangleClip(const Box& box, const Matrix& m) {
    auto line = [](double x, double y) { return Segment{false, {}, {}, {x, y}}; };
    Shape rectangle;
    rectangle.subpaths = {{{box.x0, box.y0},
                           {line(box.x1, box.y0), line(box.x1, box.y1), line(box.x0, box.y1)},
                           true}};
    rectangle.transform = m;
    rectangle.fill.set = true;
    auto clip = std::make_shared<Clip>();
    clip->parts.push_back({std::move(rectangle), false, false});
    return clip;
}

std::shared_ptr<const Clip> clipPathClip(std::vector<Shape> shapes) {
    auto clip = std::make_shared<Clip>();
    for (Shape& shape : shapes) {
        clip->parts.push_back({std::move(shape), false, false});
    }
    return clip;
}

std::shared_ptr<const Clip> maskClip(std::vector<Shape> shapes) {
    auto clip = std::make_shared<Clip>();
    for (const Shape& shape : shapes) {
        for (bool stroke : {false, true}) {
            const Paint& paint = stroke ? shape.stroke : shape.fill;
            MaskEffect effect = maskEffect(paint);
            if (paint.set && paint.gradient) {
                clip->parts.push_back({shape, stroke, false, true});
            } else if (effect != MaskEffect::none) {
                clip->parts.push_back({shape, stroke, effect == MaskEffect::takes, false});
            }
        }
    }
    return clip;
}

bool maskRectangle(xmlNode* mask, const std::vector<Shape>& shapes, size_t first,
                   const Matrix& user, Point viewport, Box* box, Matrix* m) {
    *m = user;
    Point whole = viewport;
    bool bounding = trim(attribute(mask, "maskUnits")) != "userSpaceOnUse";
    if (bounding) {
        Matrix inverse;
        Box bounds;
        if (!invertMatrix(user, &inverse) || !outlineBounds(shapes, first, inverse, &bounds) ||
            !(bounds.x1 > bounds.x0) || !(bounds.y1 > bounds.y0)) {
            return false;
        }
        *m = composeMatrix(
            user, {bounds.x1 - bounds.x0, 0, 0, bounds.y1 - bounds.y0, bounds.x0, bounds.y0});
        whole = {1, 1};
    }
    double x = maskLength(mask, "x", whole.x, -0.1 * whole.x);
    double y = maskLength(mask, "y", whole.y, -0.1 * whole.y);
    double width = maskLength(mask, "width", whole.x, 1.2 * whole.x);
    double height = maskLength(mask, "height", whole.y, 1.2 * whole.y);
    *box = {x, y, x + width, y + height};
    return width > 0 && height > 0;
}

bool contentMatrix(xmlNode* source, const char* units, const std::vector<Shape>& shapes,
                   size_t first, const Matrix& user, Matrix* content) {
    *content = user;
    if (trim(attribute(source, units)) != "objectBoundingBox") {
        return true;
    }
    Matrix inverse;
    Box box;
    if (!invertMatrix(user, &inverse) || !outlineBounds(shapes, first, inverse, &box) ||
        !(box.x1 > box.x0) || !(box.y1 > box.y0)) {
        return false;
    }
    *content = composeMatrix(user, {box.x1 - box.x0, 0, 0, box.y1 - box.y0, box.x0, box.y0});
    return true;
}

MarkerLayout markerLayout(xmlNode* marker, const MarkerPlace& place, const Matrix& user,
                          double strokeWidth) {
    double width = number(marker, "markerWidth", 3), height = number(marker, "markerHeight", 3);
    std::string orient = trim(attribute(marker, "orient"));
    double angle = number(marker, "orient", 0) * std::acos(-1.0) / 180;
    if (orient == "auto" || orient == "auto-start-reverse") {
        angle = place.angle;
        if (orient == "auto-start-reverse" && place.kind == MarkerKind::start) {
            angle += std::acos(-1.0);
        }
    }
    double scale = trim(attribute(marker, "markerUnits")) == "userSpaceOnUse" ? 1 : strokeWidth;
    Matrix box = viewBoxMatrix(attribute(marker, "viewBox"),
                               attribute(marker, "preserveAspectRatio"), width, height);
    Point reference = applyMatrix(box, {number(marker, "refX", 0), number(marker, "refY", 0)});
    Matrix m = composeMatrix(user, translation(place.at.x, place.at.y));
    m = composeMatrix(m,
                      {std::cos(angle), std::sin(angle), -std::sin(angle), std::cos(angle), 0, 0});
    m = composeMatrix(m, {scale, 0, 0, scale, -scale * reference.x, -scale * reference.y});
    MarkerLayout layout;
    layout.viewport = m;
    layout.content = composeMatrix(m, box);
    layout.box = {0, 0, width, height};
    layout.clipped = !overflowVisible(marker);
    return layout;
}
