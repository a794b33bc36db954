// Painter's order: each shape's fill and stroke area, clipped to its part's box and its clip
// paths, painted as layers in order (gradients band by band, translucent paint mixed with
// what lies under it); then what a later layer covers of an earlier one does not show.
#include "regions.h"

#include "clip.h"
#include "cover.h"
#include "geometry.h"
#include "gradient.h"
#include "polygons.h"
#include "shape_area.h"

#include <algorithm>
#include <array>
#include <cmath>

using namespace ClipperLib;

namespace {

Matrix gridMatrix(const Placement& placement) {
    return {placement.scale, 0, 0, -placement.scale, placement.x0, placement.y0};
}

Path boxPath(const Box& clip, const Placement& placement) {
    auto gx = [&](double x) {
        return std::clamp(placement.scale * x + placement.x0, -2 * windowReach, 2 * windowReach);
    };
    auto gy = [&](double y) {
        return std::clamp(-placement.scale * y + placement.y0, -2 * windowReach, 2 * windowReach);
    };
    cInt x0 = std::llround(std::min(gx(clip.x0), gx(clip.x1)));
    cInt x1 = std::llround(std::max(gx(clip.x0), gx(clip.x1)));
    cInt y0 = std::llround(std::min(gy(clip.y0), gy(clip.y1)));
    cInt y1 = std::llround(std::max(gy(clip.y0), gy(clip.y1)));
    return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

// One painting step: an area and what it does to what lies under it.
struct Layer {
    int part;
    Ink ink;
    Paths area;
    Tint tint;         // what it shows, for translucent paint over it
    bool shows = true; // false: it leaves the class under it as it was
};

// Paint this close to opaque changes no channel of what it covers by more than two levels
// of 255, so it cannot change a class but by a hair: painted as opaque, since mixing with
// every layer beneath costs far more (exports write 0.996 for opaque).
constexpr double nearlyOpaque = 1 - 2.0 / 255;

bool translucent(const Paint& paint) {
    if (paint.set && paint.gradient) {
        const std::vector<GradientStop>& stops = paint.gradient->stops;
        return std::any_of(stops.begin(), stops.end(),
                           [](const GradientStop& stop) { return stop.opacity < nearlyOpaque; });
    }
    return paint.set && paint.opacity < nearlyOpaque;
}

bool anyTranslucent(const std::vector<Part>& parts) {
    for (const Part& part : parts) {
        for (const Shape& shape : part.drawing.shapes) {
            if (translucent(shape.fill) || translucent(shape.stroke)) {
                return true;
            }
        }
    }
    return false;
}

// What lies under an area: its pieces, each over the topmost layer there (an index into the
// layers) or, at -1, over the white background.
struct Beneath {
    Paths piece;
    long below;
};

std::vector<Beneath> beneath(const std::vector<Layer>& layers, Paths area) {
    std::vector<Beneath> pieces;
    area = combine(ctUnion, area, {});
    IntRect box = area.empty() ? IntRect{} : boxOf(area);
    for (size_t j = layers.size(); j-- > 0 && !area.empty();) {
        // Only the outlines that reach the area's box take part; the holes of an outer one
        // left out lie away from it too.
        Paths near;
        for (const Path& path : layers[j].area) {
            if (boxesTouch(box, boundsOf(path))) {
                near.push_back(path);
            }
        }
        if (near.empty()) {
            continue;
        }
        Paths piece = combine(ctIntersection, area, near);
        if (!piece.empty()) {
            pieces.push_back({std::move(piece), static_cast<long>(j)});
            area = combine(ctDifference, area, near);
            box = area.empty() ? box : boxOf(area);
        }
    }
    if (!area.empty()) {
        pieces.push_back({std::move(area), -1});
    }
    return pieces;
}

bool sameLevels(const Tint& a, const Tint& b) {
    return std::lround(a.r) == std::lround(b.r) && std::lround(a.g) == std::lround(b.g) &&
           std::lround(a.b) == std::lround(b.b);
}

// A translucent paint over what lies beneath it (within band, when given), each piece mixed
// with the tint of the layer under it or of the white background. A piece that leaves the
// class under it as it was changes nothing that shows: it is kept for its tint alone, since
// many such pieces cost far more to join than they show. The pieces are disjoint, so those
// that look alike (the same 8-bit levels, as a viewer stores them) are one layer: otherwise
// overlapping translucent shapes multiply the layers each later one is mixed over.
std::vector<Layer> mixedOver(const std::vector<Layer>& layers, const std::vector<Beneath>& under,
                             int part, const Paint& paint, const InkRules& ink, const Paths* band) {
    std::vector<Layer> pieces;
    IntRect bandBox = band != nullptr ? boxOf(*band) : IntRect{};
    for (const Beneath& entry : under) {
        const Layer* below = entry.below >= 0 ? &layers[entry.below] : nullptr;
        Tint seen = seenOver(paint, below != nullptr ? below->tint : whiteTint);
        Ink kind = inkOfSeen(paint, seen, ink);
        if (kind == Ink::none || (band != nullptr && !boxesTouch(bandBox, boxOf(entry.piece)))) {
            continue;
        }
        Paths piece = band != nullptr ? combine(ctIntersection, entry.piece, *band) : entry.piece;
        if (piece.empty()) {
            continue;
        }
        bool shows = below == nullptr || kind != below->ink || below->part != part;
        auto same = std::find_if(pieces.begin(), pieces.end(), [&](const Layer& other) {
            return other.ink == kind && other.shows == shows && sameLevels(other.tint, seen);
        });
        if (same != pieces.end()) {
            same->area.insert(same->area.end(), piece.begin(), piece.end());
        } else {
            pieces.push_back({part, kind, std::move(piece), seen, shows});
        }
    }
    return pieces;
}

// The layers painted so far: all of them, each with its tint, while translucent paint is
// to be mixed; those to show, neighbours of one class and part joined.
struct Painting {
    const InkRules& ink;
    bool mixing;
    std::vector<Layer> painted;
    std::vector<Layer>* layers;
};

// Appends layer to list, or joins it to the last one there when joins(last, layer).
template <class Joins> void appendLayer(std::vector<Layer>* list, Layer layer, Joins joins) {
    if (!list->empty() && joins(list->back(), layer)) {
        list->back().area.insert(list->back().area.end(), layer.area.begin(), layer.area.end());
    } else {
        list->push_back(std::move(layer));
    }
}

// Adds layers to those painted so far and, the ones that show, to those to show. A layer that
// looks like the last one painted (a run of shapes of one colour) joins it: the two lie next
// to each other in painter's order, so whatever is mixed over them later sees the same tint
// through either. Among those to show, neighbours of one class and part join: their order
// among themselves shows nowhere.
void addLayers(Painting& painting, std::vector<Layer> mixed) {
    for (Layer& layer : mixed) {
        if (painting.mixing) {
            appendLayer(&painting.painted, layer, [](const Layer& last, const Layer& next) {
                return last.part == next.part && last.ink == next.ink && last.shows == next.shows &&
                       sameLevels(last.tint, next.tint);
            });
        }
        if (layer.shows) {
            appendLayer(painting.layers, std::move(layer),
                        [](const Layer& last, const Layer& next) {
                            return last.ink == next.ink && last.part == next.part;
                        });
        }
    }
}

// Paints one solid paint over area: opaque as one layer, translucent mixed with what lies
// under it.
void paintSolid(Painting& painting, int part, const Paint& paint, Paths area) {
    Ink kind = inkOf(paint, painting.ink);
    if (kind == Ink::none || area.empty()) {
        return;
    }
    if (translucent(paint)) {
        std::vector<Beneath> under = beneath(painting.painted, std::move(area));
        addLayers(painting, mixedOver(painting.painted, under, part, paint, painting.ink, nullptr));
    } else {
        addLayers(painting, {{part, kind, std::move(area), seenOver(paint, whiteTint)}});
    }
}

// The tints of the layers under an area, each once, for a translucent gradient to be cut where
// it turns red or not over one of them.
std::vector<Tint> groundsOf(const std::vector<Layer>& layers, const std::vector<Beneath>& under) {
    std::vector<Tint> grounds;
    for (const Beneath& entry : under) {
        if (entry.below < 0) {
            continue;
        }
        const Tint& tint = layers[entry.below].tint;
        if (std::none_of(grounds.begin(), grounds.end(),
                         [&](const Tint& t) { return sameLevels(t, tint); })) {
            grounds.push_back(tint);
        }
    }
    return grounds;
}

// Paints a fill or a stroke: a gradient band by band, each band a solid paint. What lies
// under the area is found once for all its translucent bands, again only when an opaque band
// was painted before the first of them.
void paintArea(Painting& painting, int part, const Shape& shape, const Paint& paint, Paths area,
               const Matrix& m, Tracing& tracing) {
    if (!paint.gradient) {
        paintSolid(painting, part, paint, std::move(area));
        return;
    }
    std::vector<Beneath> under;
    bool found = painting.mixing && translucent(paint), used = false;
    if (found) {
        under = beneath(painting.painted, area);
    }
    bool repeated = true;
    std::vector<GradientBand> bands =
        gradientBands(paint, m, boxOf(area), tracing.flattening.tolerance, painting.ink,
                      painting.mixing, groundsOf(painting.painted, under), &repeated);
    if (!repeated) {
        tracing.notes->push_back(shapeName(shape) + " has a gradient repeating into more than " +
                                 std::to_string(mostGradientBands) + " bands: painted as padded");
    }
    for (GradientBand& band : bands) {
        if (band.area.empty()) { // a ring too thin for the grid
            continue;
        }
        if (!translucent(band.paint)) {
            paintSolid(painting, part, band.paint, combine(ctIntersection, area, band.area));
            found = found && (used || inkOf(band.paint, painting.ink) == Ink::none);
        } else if (inkOf(band.paint, painting.ink) != Ink::none) {
            if (!found) {
                under = beneath(painting.painted, area);
                found = true;
            }
            used = true;
            addLayers(painting, mixedOver(painting.painted, under, part, band.paint, painting.ink,
                                          &band.area));
        }
    }
}

// Where a drawing's shapes paint on the grid: each fill's or stroke's area, cut to the
// part's box and to the shape's clips.
struct Areas {
    Matrix grid;
    ClipAreas clips;
    const Paths* box; // null: the part is not clipped
    Tracing& tracing;

    Paths of(const Shape& shape, bool stroke) {
        Paths area = shapeArea(shape, stroke, composeMatrix(grid, shape.transform), tracing);
        if (tracing.flattened > mostPoints) {
            return area; // the caller stops
        }
        if (box != nullptr) {
            area = combine(ctIntersection, area, *box);
        }
        return clips.cut(std::move(area), shape);
    }
};

bool opaqueInGroup(const Paint& paint, double groupOpacity) {
    double least = nearlyOpaque * std::clamp(groupOpacity, 0.0, 1.0);
    if (paint.set && paint.gradient) {
        const std::vector<GradientStop>& stops = paint.gradient->stops;
        return std::all_of(stops.begin(), stops.end(),
                           [&](const GradientStop& stop) { return stop.opacity >= least; });
    }
    return paint.set && paint.opacity >= least;
}

// The shapes of one element that shows as a whole, [first, end): what each paints and what
// the later ones (and its own stroke, over its fill) cover of it opaquely within the group.
struct GroupRun {
    size_t first = 0, end = 0;
    std::vector<std::array<Paths, 2>> areas, covers;

    // What of the shape's fill or stroke shows through the group.
    Paths shown(size_t shape, bool stroke) const {
        const Paths& area = areas[shape - first][stroke];
        const Paths& cover = covers[shape - first][stroke];
        if (area.empty() || cover.empty() || combine(ctIntersection, area, cover).empty()) {
            return area; // nothing of it hidden: as painted alone
        }
        return combine(ctDifference, area, cover);
    }
};

// The run of shapes of shapes[first]'s group. False when the curves overflow.
bool groupRun(const std::vector<Shape>& shapes, size_t first, const InkRules& ink, Areas& areas,
              GroupRun* run) {
    size_t end = first;
    while (end < shapes.size() && shapes[end].group == shapes[first].group) {
        ++end;
    }
    *run = {first, end, std::vector<std::array<Paths, 2>>(end - first),
            std::vector<std::array<Paths, 2>>(end - first)};
    Paths above; // each area winds once round what it covers, so they join by nonzero
    for (size_t i = end; i-- > first;) {
        const Shape& shape = shapes[i];
        std::array<Paths, 2>& area = run->areas[i - first];
        for (int stroke = 0; stroke < 2 && shapeInRange(shape); ++stroke) {
            if (inkOf(stroke ? shape.stroke : shape.fill, ink) != Ink::none) {
                area[stroke] = areas.of(shape, stroke);
            }
        }
        if (areas.tracing.flattened > mostPoints) {
            return false;
        }
        run->covers[i - first] = {above, above};
        if (opaqueInGroup(shape.stroke, shape.groupOpacity)) {
            Paths& fillCover = run->covers[i - first][0];
            fillCover.insert(fillCover.end(), area[1].begin(), area[1].end());
        }
        for (int stroke = 0; stroke < 2; ++stroke) {
            if (opaqueInGroup(stroke ? shape.stroke : shape.fill, shape.groupOpacity)) {
                above.insert(above.end(), area[stroke].begin(), area[stroke].end());
            }
        }
    }
    return true;
}

// Every fill and stroke as a layer, in painter's order; the shapes of an element that shows
// as a whole each where the later ones leave it. False when the curves need more points
// than one painting may hold.
bool paintLayers(const std::vector<Part>& parts, const InkRules& ink, const Placement& placement,
                 Tracing& tracing, std::vector<Layer>* layers) {
    Matrix grid = gridMatrix(placement);
    Areas areas{grid, ClipAreas(grid, tracing), nullptr, tracing};
    // Translucent paint is mixed with the layers as painted, each with its own tint; the
    // layers to show join by class.
    Painting painting{ink, anyTranslucent(parts), {}, layers};
    for (size_t part = 0; part < parts.size(); ++part) {
        const Drawing& drawing = parts[part].drawing;
        Paths clip;
        if (drawing.clipped) {
            clip.push_back(boxPath(drawing.clip, placement));
        }
        areas.box = drawing.clipped ? &clip : nullptr;
        GroupRun run;
        for (size_t i = 0; i < drawing.shapes.size(); ++i) {
            const Shape& shape = drawing.shapes[i];
            if (!shapeInRange(shape)) {
                if (inkOf(shape.fill, ink) != Ink::none || inkOf(shape.stroke, ink) != Ink::none) {
                    tracing.notes->push_back(shapeName(shape) +
                                             " has coordinates out of range: left out");
                }
                continue;
            }
            if (shape.group != 0 && i >= run.end &&
                !groupRun(drawing.shapes, i, ink, areas, &run)) {
                return false;
            }
            for (int stroke = 0; stroke < 2; ++stroke) {
                const Paint& paint = stroke ? shape.stroke : shape.fill;
                if (inkOf(paint, ink) == Ink::none) {
                    continue;
                }
                Paths area = shape.group != 0 ? run.shown(i, stroke) : areas.of(shape, stroke);
                if (tracing.flattened > mostPoints) {
                    return false;
                }
                if (!area.empty()) {
                    paintArea(painting, static_cast<int>(part), shape, paint, std::move(area),
                              composeMatrix(grid, shape.transform), tracing);
                }
            }
        }
    }
    return true;
}

// Past this many outlines painter's order goes by a tiled cover of what lies above instead:
// that grows about linearly with the outlines, but rounds the cut edges differently.
constexpr size_t manyOutlines = 600;

// From the top layer down, each cut by the cover of the layers above it near its outlines;
// outlines under tiles covered whole are dropped without a cut.
std::vector<Region> showManyLayers(const std::vector<Layer>& layers) {
    std::vector<Paths> areas(layers.size());
    std::vector<std::vector<IntRect>> boxes(layers.size());
    std::vector<IntRect> all;
    for (size_t i = 0; i < layers.size(); ++i) {
        areas[i] = combine(ctUnion, layers[i].area, {});
        for (const Path& path : areas[i]) {
            boxes[i].push_back(boundsOf(path));
        }
        all.insert(all.end(), boxes[i].begin(), boxes[i].end());
    }
    std::vector<Region> shown;
    if (all.empty()) {
        return shown;
    }
    IntRect extent = all[0];
    for (const IntRect& box : all) {
        extent = joinBoxes(extent, box);
    }
    Cover cover(extent, coverTileSide(all, extent));
    for (size_t i = layers.size(); i-- > 0;) {
        Paths above = cover.over(&areas[i], &boxes[i]);
        if (areas[i].empty()) {
            continue;
        }
        if (layers[i].ink != Ink::white) {
            Paths visible = above.empty() ? areas[i] : combine(ctDifference, areas[i], above);
            if (!visible.empty()) {
                shown.push_back({layers[i].part, layers[i].ink, std::move(visible)});
            }
        }
        cover.add(areas[i], boxes[i]);
    }
    return shown;
}

// From the top layer down: each shows what the layers above leave uncovered; white shows
// as nothing. Each is cut by the outlines above whose boxes meet its own, all at once: a
// union of everything above, grown layer by layer, made this quadratic in the layers. An
// outline left out lies away from the layer, and so do the holes of an outer one left out.
std::vector<Region> showLayers(const std::vector<Layer>& layers) {
    size_t outlines = 0;
    for (const Layer& layer : layers) {
        outlines += layer.area.size();
    }
    if (outlines > manyOutlines) {
        return showManyLayers(layers);
    }
    std::vector<Paths> areas(layers.size());
    std::vector<std::vector<IntRect>> boxes(layers.size());
    std::vector<IntRect> layerBoxes(layers.size());
    std::vector<Region> shown;
    for (size_t i = layers.size(); i-- > 0;) {
        areas[i] = combine(ctUnion, layers[i].area, {});
        if (areas[i].empty()) {
            continue;
        }
        for (const Path& path : areas[i]) {
            boxes[i].push_back(boundsOf(path));
        }
        layerBoxes[i] = boxes[i][0];
        for (const IntRect& box : boxes[i]) {
            layerBoxes[i] = joinBoxes(layerBoxes[i], box);
        }
        if (layers[i].ink == Ink::white) {
            continue;
        }
        // Each area above winds once round what it covers, so the nonzero rule joins them.
        Paths above;
        for (size_t j = i + 1; j < layers.size(); ++j) {
            if (areas[j].empty() || !boxesTouch(layerBoxes[i], layerBoxes[j])) {
                continue;
            }
            for (size_t k = 0; k < areas[j].size(); ++k) {
                if (boxesTouch(layerBoxes[i], boxes[j][k])) {
                    above.push_back(areas[j][k]);
                }
            }
        }
        Paths visible = above.empty() ? areas[i] : combine(ctDifference, areas[i], above);
        if (!visible.empty()) {
            shown.push_back({layers[i].part, layers[i].ink, std::move(visible)});
        }
    }
    return shown;
}

// The shown regions of each part joined class by class (red, then dark), cut to bound when
// given; unjoined, only gathered.
std::vector<Region> joinByClass(size_t partCount, const std::vector<Region>& shown,
                                const RegionOptions& options) {
    std::vector<Region> regions;
    for (size_t part = 0; part < partCount; ++part) {
        for (Ink kind : {Ink::red, Ink::dark}) {
            Paths all;
            for (const Region& region : shown) {
                if (region.part == static_cast<int>(part) && region.ink == kind) {
                    all.insert(all.end(), region.paths.begin(), region.paths.end());
                }
            }
            Paths joined = !options.join ? std::move(all)
                           : options.bound != nullptr
                               ? combine(ctIntersection, all, {*options.bound}, pftNonZero, true)
                               : combine(ctUnion, all, {}, pftNonZero, true);
            if (!joined.empty()) {
                regions.push_back({static_cast<int>(part), kind, std::move(joined)});
            }
        }
    }
    return regions;
}

} // namespace

PaintedRegions paintRegions(const std::vector<Part>& parts, const InkRules& ink,
                            const Placement& placement, const RegionOptions& options) {
    PaintedRegions painted;
    const Path* bound = options.bound;
    Tracing tracing{options.flattening, fullWindow, &painted.notes, 0};
    if (bound != nullptr && !bound->empty()) {
        // A margin keeps the window's own edges off the bound.
        tracing.window = {HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
        for (const IntPoint& p : *bound) {
            tracing.window = {
                std::min(tracing.window.x0, p.X - 16.0), std::min(tracing.window.y0, p.Y - 16.0),
                std::max(tracing.window.x1, p.X + 16.0), std::max(tracing.window.y1, p.Y + 16.0)};
        }
    }
    std::vector<Layer> layers;
    if (!paintLayers(parts, ink, placement, tracing, &layers)) {
        painted.overflow = true;
        return painted;
    }
    painted.regions = joinByClass(parts.size(), showLayers(layers), options);
    return painted;
}
