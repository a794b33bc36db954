// Shape areas: a fill by its fill rule, or a stroke offset by Clipper (with the joins and caps
// the offset cannot draw built apart), flattened onto the integer grid; and the drawing-space
// box of everything painted, for the fit.
#include "shape_area.h"

#include "geometry.h"
#include "ink.h"
#include "polygons.h"
#include "stroke.h"

#include <algorithm>
#include <cmath>

using namespace ClipperLib;

namespace {

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

Paths fillArea(const Shape& shape, const Matrix& m, Tracing& tracing) {
    double tolerance = tracing.flattening.tolerance;
    std::vector<std::string>* notes = tracing.notes;
    Paths rings;
    for (const Subpath& subpath : shape.subpaths) {
        Polyline ring;
        if (!flattenSubpath(subpath, m, tolerance, &tracing.window, &ring)) {
            notes->push_back(shapeName(shape) + " has coordinates out of range: left out");
            return {};
        }
        tracing.flattened += ring.size();
        if (tracing.flattened > mostPoints) {
            return {};
        }
        if (tracing.flattening.thinned) {
            thinPolyline(&ring, tolerance, true);
        }
        if (!withinWindow(ring, tracing.window)) {
            clipRingToWindow(&ring, tracing.window);
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

// A stroke's centre lines, each subpath flattened (through m, or in the shape's own space
// when m is not uniform) with whether it is closed, and their box. False when a coordinate is
// out of range (with a note) or the points overflow.
struct CentreLines {
    std::vector<Polyline> lines;
    std::vector<bool> closed;
    Point low{HUGE_VAL, HUGE_VAL}, high{-HUGE_VAL, -HUGE_VAL};
};

bool flattenCentreLines(const Shape& shape, const Matrix& own, double ownTolerance, const Box* cull,
                        Tracing& tracing, CentreLines* out) {
    for (const Subpath& subpath : shape.subpaths) {
        Polyline line;
        if (!flattenSubpath(subpath, own, ownTolerance, cull, &line)) {
            tracing.notes->push_back(shapeName(shape) + " has coordinates out of range: left out");
            return false;
        }
        tracing.flattened += line.size();
        if (tracing.flattened > mostPoints) {
            return false;
        }
        if (tracing.flattening.thinned) {
            thinPolyline(&line, ownTolerance, subpath.closed);
        }
        for (Point p : line) {
            out->low = {std::min(out->low.x, p.x), std::min(out->low.y, p.y)};
            out->high = {std::max(out->high.x, p.x), std::max(out->high.y, p.y)};
        }
        out->lines.push_back(std::move(line));
        out->closed.push_back(subpath.closed);
    }
    return true;
}

Paths strokeArea(const Shape& shape, const Matrix& m, Tracing& tracing) {
    double tolerance = tracing.flattening.tolerance;
    std::vector<std::string>* notes = tracing.notes;
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
        notes->push_back(shapeName(shape) + " has a stroke far wider than the view: left out");
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
    // Joins and caps reach at most this far from the centre line.
    double reach = delta * std::max(miterLimitOf(shape), 1.5);
    Box cull{tracing.window.x0 - reach, tracing.window.y0 - reach, tracing.window.x1 + reach,
             tracing.window.y1 + reach};
    CentreLines centre;
    if (!flattenCentreLines(shape, own, ownTolerance, uniform ? &cull : nullptr, tracing,
                            &centre)) {
        return {};
    }
    std::vector<Polyline>& lines = centre.lines;
    Point middle =
        uniform ? Point{0, 0}
                : Point{(centre.low.x + centre.high.x) / 2, (centre.low.y + centre.high.y) / 2};
    for (size_t i = 0; i < lines.size(); ++i) {
        for (Point& p : lines[i]) {
            p = {(p.x - middle.x) * scale, (p.y - middle.y) * scale};
        }
        if (withinWindow(lines[i], uniform ? tracing.window : fullWindow)) {
            addCentreLine(widening, rounded(lines[i]), shape, centre.closed[i]);
        } else if (uniform) {
            if (centre.closed[i]) {
                lines[i].push_back(lines[i].front());
            }
            for (const Polyline& piece : clipLineToWindow(lines[i], tracing.window, reach)) {
                addCentreLine(widening, rounded(piece), shape, false);
            }
        } else {
            notes->push_back(shapeName(shape) +
                             " has a stroke reaching far beyond the view: left out");
            return {};
        }
    }
    Paths area;
    try {
        offset.Execute(area, delta);
    } catch (const clipperException&) {
        notes->push_back(shapeName(shape) + " has a stroke that cannot be widened: left out");
        return {};
    }
    if (!ownOutlines.empty()) {
        area.insert(area.end(), ownOutlines.begin(), ownOutlines.end());
        area = combine(ctUnion, area, {}, pftNonZero);
    }
    return uniform ? area : mapOwnSpace(area, m, scale, middle, tracing.window);
}

} // namespace

std::string shapeName(const Shape& shape) {
    return shape.line > 0 ? "the shape at line " + std::to_string(shape.line) : "a shape";
}

Paths shapeArea(const Shape& shape, bool stroke, const Matrix& toGrid, Tracing& tracing) {
    return stroke ? strokeArea(shape, toGrid, tracing) : fillArea(shape, toGrid, tracing);
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
