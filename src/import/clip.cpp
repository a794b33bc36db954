// Clip areas: the parts of a clip in order, each added to the area or (a dark part of a
// mask) taken from it, a mask's gradient band by band, then intersected with what a shape
// paints.
#include "clip.h"

#include "geometry.h"
#include "gradient.h"
#include "polygons.h"

using namespace ClipperLib;

MaskEffect maskEffect(const Paint& paint) {
    if (!paint.set) {
        return MaskEffect::none;
    }
    const Colour& c = paint.colour;
    double luminance = (0.2125 * c.r + 0.7154 * c.g + 0.0721 * c.b) / 255;
    if (luminance * paint.opacity >= maskThreshold) {
        return MaskEffect::adds;
    }
    return paint.opacity * (1 - luminance) > 1 - maskThreshold ? MaskEffect::takes
                                                               : MaskEffect::none;
}

namespace {

// piece added to or taken from area as its paint's effect says.
void applyEffect(Paths* area, MaskEffect effect, const Paths& piece) {
    if (effect == MaskEffect::takes) {
        *area = combine(ctDifference, *area, piece);
    } else if (effect == MaskEffect::adds && !piece.empty()) {
        *area = combine(ctUnion, *area, piece);
    }
}

} // namespace

const Paths& ClipAreas::areaOfClip(const Clip& clip) {
    auto found = made.find(&clip);
    if (found != made.end()) {
        return found->second;
    }
    Paths area;
    for (const ClipPart& part : clip.parts) {
        Matrix m = composeMatrix(grid, part.shape.transform);
        Paths piece = cut(shapeArea(part.shape, part.stroke, m, tracing), part.shape);
        const Paint& paint = part.stroke ? part.shape.stroke : part.shape.fill;
        if (!part.graded || !paint.gradient) {
            applyEffect(&area, part.subtract ? MaskEffect::takes : MaskEffect::adds, piece);
            continue;
        }
        if (piece.empty()) {
            continue;
        }
        bool repeated = true;
        for (const GradientBand& band :
             maskBands(paint, m, boxOf(piece), tracing.flattening.tolerance, &repeated)) {
            applyEffect(&area, maskEffect(band.paint), combine(ctIntersection, piece, band.area));
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
