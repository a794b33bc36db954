// Clip areas: the parts of a clip in order, each added to the area or (a dark part of a
// mask) taken from it, then intersected with what a shape paints.
#include "clip.h"

#include "geometry.h"
#include "polygons.h"

using namespace ClipperLib;

const Paths& ClipAreas::areaOfClip(const Clip& clip) {
    auto found = made.find(&clip);
    if (found != made.end()) {
        return found->second;
    }
    Paths area;
    for (const ClipPart& part : clip.parts) {
        Matrix m = composeMatrix(grid, part.shape.transform);
        Paths piece = cut(shapeArea(part.shape, part.stroke, m, tracing), part.shape);
        if (part.subtract) {
            area = combine(ctDifference, area, piece);
        } else if (!piece.empty()) {
            area = combine(ctUnion, area, piece);
        }
    }
    return made.emplace(&clip, std::move(area)).first->second;
}

Paths ClipAreas::cut(Paths area, const Shape& shape) {
    for (const auto& clip : shape.clips) {
        if (area.empty()) {
            break;
        }
        area = combine(ctIntersection, area, areaOfClip(*clip));
    }
    return area;
}
