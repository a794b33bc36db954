// Painted regions: each shape's fill (by its fill rule) and stroke (offset by Clipper) on the
// integer grid, clipped to its part's box, then painter's order: what a later shape covers
// of an earlier one does not show.
#include "regions.h"

#include "clip.h"
#include "cover.h"
#include "flatten.h"
#include "geometry.h"
#include "gradient.h"
#include "stroke.h"

#include <algorithm>
#include <cmath>

using namespace ClipperLib;

namespace {

// Flattened points one run may make (a few hundred megabytes with Clipper's copies); past it
// the tolerance is too fine for the drawing anyway.
constexpr size_t mostPoints = 4000000;

Matrix gridMatrix(const Placement& placement) {
    return {placement.scale, 0, 0, -placement.scale, placement.x0, placement.y0};
}

Path rounded(const Polyline& line) {
    Path path;
    for (Point p : line) {
        IntPoint q(std::llround(p.x), std::llround(p.y));
        if (path.empty() || !(q == path.back())) {
            path.push_back(q);
        }
    }
    return path;
}

std::string at(const Shape& shape) {
    return shape.line > 0 ? "the shape at line " + std::to_string(shape.line) : "a shape";
}

// What a fill or a stroke is made with.
struct Stage {
    double tolerance;
    bool simplify;
    Box window; // what lies outside it is cut off early
    std::vector<std::string>* notes;
    size_t flattened; // points so far
};

Paths fillArea(const Shape& shape, const Matrix& m, Stage& stage) {
    double tolerance = stage.tolerance;
    std::vector<std::string>* notes = stage.notes;
    Paths rings;
    for (const Subpath& subpath : shape.subpaths) {
        Polyline ring;
        if (!flattenSubpath(subpath, m, tolerance, &stage.window, &ring)) {
            notes->push_back(at(shape) + " has coordinates out of range: left out");
            return {};
        }
        stage.flattened += ring.size();
        if (stage.flattened > mostPoints) {
            return {};
        }
        if (stage.simplify) {
            thinPolyline(&ring, tolerance, true);
        }
        if (!withinWindow(ring, stage.window)) {
            clipRingToWindow(&ring, stage.window);
        }
        Path path = rounded(ring);
        while (path.size() > 1 && path.back() == path.front()) {
            path.pop_back();
        }
        if (path.size() >= 3) {
            rings.push_back(std::move(path));
        }
    }
    PolyFillType rule = shape.fillRule == FillRule::evenOdd ? pftEvenOdd : pftNonZero;
    return combine(ctUnion, rings, {}, rule);
}

JoinType joinType(LineJoin join) {
    // Bevels and miters past their limit never reach the offset: they are built apart.
    return join == LineJoin::round ? jtRound : join == LineJoin::miter ? jtMiter : jtSquare;
}

// Where a subpath's centre lines go: the offset, or the polygons of outlines of their own.
struct Widening {
    ClipperOffset* offset;
    Paths* own;
    StrokeStyle style;
    Point direction; // a dot's square cap faces this way
};

// Adds the subpath's centre line to the offset; open subpaths of one point are dots.
void addCentreLine(Widening& widening, Path line, const Shape& shape, bool closed) {
    while (closed && line.size() > 1 && line.back() == line.front()) {
        line.pop_back();
    }
    if (line.empty()) {
        return;
    }
    if (needsOwnOutline(line, closed, widening.style)) {
        addOwnOutline(line, closed, widening.style, widening.direction, widening.own);
        return;
    }
    ClipperOffset* offset = widening.offset;
    JoinType join = joinType(shape.lineJoin);
    if (closed && line.size() > 1) {
        offset->AddPath(line, join, etClosedLine);
    } else if (line.size() == 1) {
        if (shape.lineCap != LineCap::butt) {
            offset->AddPath(line, shape.lineCap == LineCap::round ? jtRound : jtSquare, etOpenButt);
        }
    } else {
        EndType end = shape.lineCap == LineCap::round    ? etOpenRound
                      : shape.lineCap == LineCap::square ? etOpenSquare
                                                         : etOpenButt;
        offset->AddPath(line, join, end);
    }
}

// A stroke widened in its shape's own space (scaled by scale about centre) mapped to the
// grid by m.
Paths mapOwnSpace(Paths area, const Matrix& m, double scale, Point centre, const Box& window) {
    for (Path& path : area) {
        Polyline mapped;
        for (const IntPoint& q : path) {
            mapped.push_back(applyMatrix(m, {q.X / scale + centre.x, q.Y / scale + centre.y}));
        }
        if (!withinWindow(mapped, window)) {
            clipRingToWindow(&mapped, window);
        }
        path = rounded(mapped);
    }
    // The map may turn outlines over or make them cross: the nonzero union sorts that out.
    return combine(ctUnion, area, {}, pftNonZero);
}

// Past this a miter's spike is too long to mean anything; such limits are taken as this.
double miterLimitOf(const Shape& shape) {
    return std::isnan(shape.miterLimit) ? 4 : std::clamp(shape.miterLimit, 1.0, 100.0);
}

Paths strokeArea(const Shape& shape, const Matrix& m, Stage& stage) {
    double tolerance = stage.tolerance;
    std::vector<std::string>* notes = stage.notes;
    double largest, smallest;
    stretches(m, &largest, &smallest);
    if (!(largest > 0) || !(shape.strokeWidth > 0) || !std::isfinite(shape.strokeWidth)) {
        return {};
    }
    // A uniform map is offset on the grid itself; any other in the shape's own space, scaled
    // by the largest stretch, and mapped afterwards so the width follows the map.
    bool uniform = largest - smallest <= 1e-9 * largest;
    Matrix own = uniform ? m : Matrix{};
    double scale = uniform ? 1 : largest;
    double ownTolerance = uniform ? tolerance : tolerance / largest;
    double delta = shape.strokeWidth / 2 * largest;
    if (!strokeInRange(shape) || delta > windowReach) {
        notes->push_back(at(shape) + " has a stroke far wider than the view: left out");
        return {};
    }
    ClipperOffset offset(miterLimitOf(shape), std::max(tolerance, 0.25));
    Paths ownOutlines;
    // A dot's square faces the user space's x axis.
    Point xAxis = uniform ? Point{m.a, m.b} : Point{1, 0};
    Widening widening{&offset, &ownOutlines,
                      StrokeStyle{shape.lineJoin, shape.lineCap, delta, miterLimitOf(shape),
                                  std::max(tolerance, 0.25)},
                      xAxis};
    std::vector<Polyline> lines;
    std::vector<bool> closed;
    Point low{HUGE_VAL, HUGE_VAL}, high{-HUGE_VAL, -HUGE_VAL};
    // Joins and caps reach at most this far from the centre line.
    double reach = delta * std::max(miterLimitOf(shape), 1.5);
    Box cull{stage.window.x0 - reach, stage.window.y0 - reach, stage.window.x1 + reach,
             stage.window.y1 + reach};
    for (const Subpath& subpath : shape.subpaths) {
        Polyline line;
        if (!flattenSubpath(subpath, own, ownTolerance, uniform ? &cull : nullptr, &line)) {
            notes->push_back(at(shape) + " has coordinates out of range: left out");
            return {};
        }
        stage.flattened += line.size();
        if (stage.flattened > mostPoints) {
            return {};
        }
        if (stage.simplify) {
            thinPolyline(&line, ownTolerance, subpath.closed);
        }
        for (Point p : line) {
            low = {std::min(low.x, p.x), std::min(low.y, p.y)};
            high = {std::max(high.x, p.x), std::max(high.y, p.y)};
        }
        lines.push_back(std::move(line));
        closed.push_back(subpath.closed);
    }
    Point centre = uniform ? Point{0, 0} : Point{(low.x + high.x) / 2, (low.y + high.y) / 2};
    for (size_t i = 0; i < lines.size(); ++i) {
        for (Point& p : lines[i]) {
            p = {(p.x - centre.x) * scale, (p.y - centre.y) * scale};
        }
        if (withinWindow(lines[i], uniform ? stage.window : fullWindow)) {
            addCentreLine(widening, rounded(lines[i]), shape, closed[i]);
        } else if (uniform) {
            if (closed[i]) {
                lines[i].push_back(lines[i].front());
            }
            for (const Polyline& run : clipLineToWindow(lines[i], stage.window, reach)) {
                addCentreLine(widening, rounded(run), shape, false);
            }
        } else {
            notes->push_back(at(shape) + " has a stroke reaching far beyond the view: left out");
            return {};
        }
    }
    Paths area;
    try {
        offset.Execute(area, delta);
    } catch (const clipperException&) {
        notes->push_back(at(shape) + " has a stroke that cannot be widened: left out");
        return {};
    }
    if (!ownOutlines.empty()) {
        area.insert(area.end(), ownOutlines.begin(), ownOutlines.end());
        area = combine(ctUnion, area, {}, pftNonZero);
    }
    return uniform ? area : mapOwnSpace(area, m, scale, centre, stage.window);
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

IntRect joinBoxes(const IntRect& a, const IntRect& b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

IntRect boxOf(const Paths& paths) {
    IntRect box = boundsOf(paths[0]);
    for (const Path& path : paths) {
        box = joinBoxes(box, boundsOf(path));
    }
    return box;
}

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

// Paints a fill or a stroke: a gradient band by band, each band a solid paint. What lies
// under the area is found once for all its translucent bands.
void paintArea(Painting& painting, int part, const Shape& shape, const Paint& paint, Paths area,
               const Matrix& m, Stage& stage) {
    if (!paint.gradient) {
        paintSolid(painting, part, paint, std::move(area));
        return;
    }
    bool repeated = true;
    std::vector<GradientBand> bands = gradientBands(paint, m, boxOf(area), stage.tolerance,
                                                    painting.ink, painting.mixing, &repeated);
    if (!repeated) {
        stage.notes->push_back(at(shape) + " has a gradient repeating into more than " +
                               std::to_string(mostGradientBands) + " bands: painted as padded");
    }
    std::vector<Beneath> under;
    bool found = false;
    for (GradientBand& band : bands) {
        if (band.area.empty()) { // a ring too thin for the grid
            continue;
        }
        if (!translucent(band.paint)) {
            paintSolid(painting, part, band.paint, combine(ctIntersection, area, band.area));
        } else if (inkOf(band.paint, painting.ink) != Ink::none) {
            if (!found) {
                under = beneath(painting.painted, area);
                found = true;
            }
            addLayers(painting, mixedOver(painting.painted, under, part, band.paint, painting.ink,
                                          &band.area));
        }
    }
}

// Every fill and stroke as a layer, in painter's order. False when the curves need more
// points than a run may hold.
bool paintLayers(const std::vector<Part>& parts, const InkRules& ink, const Placement& placement,
                 Stage& stage, std::vector<Layer>* layers) {
    Matrix grid = gridMatrix(placement);
    ClipAreas clips([&](const Shape& shape, bool stroke) {
        Matrix m = composeMatrix(grid, shape.transform);
        return stroke ? strokeArea(shape, m, stage) : fillArea(shape, m, stage);
    });
    // Translucent paint is mixed with the layers as painted, each with its own tint; the
    // layers to show join by class.
    Painting painting{ink, anyTranslucent(parts), {}, layers};
    for (size_t part = 0; part < parts.size(); ++part) {
        const Drawing& drawing = parts[part].drawing;
        Paths clip;
        if (drawing.clipped) {
            clip.push_back(boxPath(drawing.clip, placement));
        }
        for (const Shape& shape : drawing.shapes) {
            if (!shapeInRange(shape)) {
                if (inkOf(shape.fill, ink) != Ink::none || inkOf(shape.stroke, ink) != Ink::none) {
                    stage.notes->push_back(at(shape) + " has coordinates out of range: left out");
                }
                continue;
            }
            Matrix m = composeMatrix(grid, shape.transform);
            for (int stroke = 0; stroke < 2; ++stroke) {
                const Paint& paint = stroke ? shape.stroke : shape.fill;
                if (inkOf(paint, ink) == Ink::none) {
                    continue;
                }
                Paths area = stroke ? strokeArea(shape, m, stage) : fillArea(shape, m, stage);
                if (stage.flattened > mostPoints) {
                    return false;
                }
                if (drawing.clipped) {
                    area = combine(ctIntersection, area, clip);
                }
                area = clips.cut(std::move(area), shape);
                if (!area.empty()) {
                    paintArea(painting, static_cast<int>(part), shape, paint, std::move(area), m,
                              stage);
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

} // namespace

namespace {

Paths execute(ClipType type, const Paths& subject, const Paths& clip, PolyFillType fill,
              bool strict) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            Clipper clipper;
            clipper.StrictlySimple(strict);
            Paths a = subject, b = clip;
            if (attempt > 0) {
                CleanPolygons(a);
                CleanPolygons(b);
            }
            clipper.AddPaths(a, ptSubject, true);
            clipper.AddPaths(b, ptClip, true);
            Paths result;
            clipper.Execute(type, result, fill, pftNonZero);
            return result;
        } catch (const clipperException&) {
        }
    }
    return {};
}

} // namespace

Paths combine(ClipType type, const Paths& subject, const Paths& clip, PolyFillType fill,
              bool strict) {
    if (!strict) {
        return execute(type, subject, clip, fill, false);
    }
    // Clipper's strict mode is many times slower than the loose one on stacked outlines: the
    // loose result, which no longer overlaps itself, is made strictly simple on its own.
    return execute(ctUnion, execute(type, subject, clip, fill, false), {}, pftNonZero, true);
}

double pathsArea(const Paths& paths) {
    double sum = 0;
    for (const Path& path : paths) {
        sum += Area(path);
    }
    return sum;
}

RegionRun paintRegions(const std::vector<Part>& parts, const InkRules& ink,
                       const Placement& placement, const RegionOptions& options) {
    RegionRun run;
    const Path* bound = options.bound;
    Stage stage{options.tolerance, options.simplify, fullWindow, &run.notes, 0};
    if (bound != nullptr && !bound->empty()) {
        // A margin keeps the window's own edges off the bound.
        stage.window = {HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
        for (const IntPoint& p : *bound) {
            stage.window = {
                std::min(stage.window.x0, p.X - 16.0), std::min(stage.window.y0, p.Y - 16.0),
                std::max(stage.window.x1, p.X + 16.0), std::max(stage.window.y1, p.Y + 16.0)};
        }
    }
    std::vector<Layer> layers;
    if (!paintLayers(parts, ink, placement, stage, &layers)) {
        run.overflow = true;
        return run;
    }
    std::vector<Region> shown = showLayers(layers);
    size_t pts = 0, npaths = 0;
    for (auto& l : layers) {
        npaths += l.area.size();
        for (auto& p : l.area)
            pts += p.size();
    }
    for (size_t part = 0; part < parts.size(); ++part) {
        for (Ink kind : {Ink::red, Ink::dark}) {
            Paths all;
            for (const Region& region : shown) {
                if (region.part == static_cast<int>(part) && region.ink == kind) {
                    all.insert(all.end(), region.paths.begin(), region.paths.end());
                }
            }
            Paths joined = !options.join ? std::move(all)
                           : bound != nullptr
                               ? combine(ctIntersection, all, {*bound}, pftNonZero, true)
                               : combine(ctUnion, all, {}, pftNonZero, true);
            if (!joined.empty()) {
                run.regions.push_back({static_cast<int>(part), kind, std::move(joined)});
            }
        }
    }
    return run;
}

bool paintedBounds(const std::vector<Part>& parts, const InkRules& ink, Box* box, int* broken) {
    *broken = 0;
    Point low{HUGE_VAL, HUGE_VAL}, high{-HUGE_VAL, -HUGE_VAL};
    for (const Part& part : parts) {
        for (const Shape& shape : part.drawing.shapes) {
            Ink fill = inkOf(shape.fill, ink), stroke = inkOf(shape.stroke, ink);
            if (!strokeInRange(shape)) {
                stroke = Ink::none; // left out, with a note, when painted
            }
            if (fill == Ink::none && stroke == Ink::none) {
                continue;
            }
            if (!shapeInRange(shape)) {
                ++*broken;
                continue;
            }
            double largest, smallest;
            stretches(shape.transform, &largest, &smallest);
            // A miter reaches out at most its limit times the half width; caps and bevels less.
            bool widened = stroke != Ink::none && shape.strokeWidth > 0;
            double reach =
                widened ? shape.strokeWidth / 2 * largest * std::max(miterLimitOf(shape), 1.5) : 0;
            for (const Subpath& subpath : shape.subpaths) {
                std::vector<Point> points{subpath.start};
                for (const Segment& segment : subpath.segments) {
                    points.insert(points.end(), {segment.control1, segment.control2, segment.end});
                    if (!segment.cubic) {
                        points.erase(points.end() - 3, points.end() - 1);
                    }
                }
                for (Point p : points) {
                    Point q = applyMatrix(shape.transform, p);
                    if (!std::isfinite(reach)) {
                        reach = 0;
                    }
                    low = {std::min(low.x, q.x - reach), std::min(low.y, q.y - reach)};
                    high = {std::max(high.x, q.x + reach), std::max(high.y, q.y + reach)};
                }
            }
        }
    }
    *box = {low.x, low.y, high.x, high.y};
    return low.x <= high.x && low.y <= high.y;
}

IntRect boundsOf(const Path& path) {
    IntRect box{path[0].X, path[0].Y, path[0].X, path[0].Y};
    for (const IntPoint& p : path) {
        box = {std::min(box.left, p.X), std::min(box.top, p.Y), std::max(box.right, p.X),
               std::max(box.bottom, p.Y)};
    }
    return box;
}
