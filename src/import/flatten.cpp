// Curves to polylines: affine maps, cubic flattening, thinning of straight runs (with the
// geometry library's Douglas-Peucker), and cutting to the working window.
#include "flatten.h"

#include <boost/geometry/algorithms/simplify.hpp>
#include <boost/geometry/geometries/register/linestring.hpp>
#include <boost/geometry/geometries/register/point.hpp>
#include <boost/geometry/strategies/strategies.hpp>

#include <algorithm>
#include <cmath>

BOOST_GEOMETRY_REGISTER_POINT_2D(Point, double, boost::geometry::cs::cartesian, x, y)
BOOST_GEOMETRY_REGISTER_LINESTRING(Polyline)

namespace {

// A curve however long is cut into at most this many lines; finer than any view shows.
constexpr int mostCuts = 1000;

Point lerp(Point p, Point q, double t) {
    return {p.x + (q.x - p.x) * t, p.y + (q.y - p.y) * t};
}

// Whether the convex hull of points misses box.
bool outside(std::initializer_list<Point> points, const Box& box) {
    auto all = [&](auto test) { return std::all_of(points.begin(), points.end(), test); };
    return all([&](Point q) { return q.x < box.x0; }) ||
           all([&](Point q) { return q.x > box.x1; }) ||
           all([&](Point q) { return q.y < box.y0; }) || all([&](Point q) { return q.y > box.y1; });
}

} // namespace

bool shapeInRange(const Shape& shape) {
    auto fine = [&](Point p) {
        Point q = applyMatrix(shape.transform, p);
        return std::fabs(q.x) <= drawingReach && std::fabs(q.y) <= drawingReach;
    };
    for (const Subpath& subpath : shape.subpaths) {
        if (!fine(subpath.start)) {
            return false;
        }
        for (const Segment& segment : subpath.segments) {
            if (!fine(segment.end) ||
                (segment.cubic && (!fine(segment.control1) || !fine(segment.control2)))) {
                return false;
            }
        }
    }
    return true;
}

bool strokeInRange(const Shape& shape) {
    double largest, smallest;
    stretches(shape.transform, &largest, &smallest);
    return shape.strokeWidth / 2 * largest <= drawingReach;
}

Point applyMatrix(const Matrix& m, Point p) {
    return {m.a * p.x + m.c * p.y + m.e, m.b * p.x + m.d * p.y + m.f};
}

Matrix composeMatrix(const Matrix& o, const Matrix& i) {
    return {o.a * i.a + o.c * i.b, o.b * i.a + o.d * i.b,       o.a * i.c + o.c * i.d,
            o.b * i.c + o.d * i.d, o.a * i.e + o.c * i.f + o.e, o.b * i.e + o.d * i.f + o.f};
}

void stretches(const Matrix& m, double* largest, double* smallest) {
    // Singular values of the linear part.
    double s = m.a * m.a + m.b * m.b + m.c * m.c + m.d * m.d;
    double det = std::fabs(m.a * m.d - m.b * m.c);
    double root = std::sqrt(std::max(0.0, s * s / 4 - det * det));
    *largest = std::sqrt(s / 2 + root);
    *smallest = *largest > 0 ? det / *largest : 0;
}

bool flattenSubpath(const Subpath& subpath, const Matrix& m, double tolerance, const Box* cull,
                    Polyline* out) {
    Point p = applyMatrix(m, subpath.start);
    out->push_back(p);
    for (const Segment& segment : subpath.segments) {
        Point end = applyMatrix(m, segment.end);
        Point c1 = applyMatrix(m, segment.control1), c2 = applyMatrix(m, segment.control2);
        if (segment.cubic && !(cull != nullptr && outside({p, c1, c2, end}, *cull))) {
            // A uniform step 1/n keeps within |B''|/(8 n^2) of the curve, and |B''| is at most
            // six times the larger second difference of the control points.
            double bend = std::max(std::hypot(p.x - 2 * c1.x + c2.x, p.y - 2 * c1.y + c2.y),
                                   std::hypot(c1.x - 2 * c2.x + end.x, c1.y - 2 * c2.y + end.y));
            double cuts = std::ceil(std::sqrt(0.75 * bend / tolerance));
            int n = cuts >= 1 && cuts <= mostCuts ? static_cast<int>(cuts)
                                                  : (cuts > mostCuts ? mostCuts : 1);
            for (int i = 1; i < n; ++i) {
                double t = static_cast<double>(i) / n;
                Point a = lerp(p, c1, t), b = lerp(c1, c2, t), c = lerp(c2, end, t);
                Point d = lerp(a, b, t), e = lerp(b, c, t);
                out->push_back(lerp(d, e, t));
            }
        }
        out->push_back(end);
        p = end;
    }
    return std::all_of(out->begin(), out->end(),
                       [](Point q) { return std::isfinite(q.x) && std::isfinite(q.y); });
}

void thinPolyline(Polyline* line, double tolerance, bool closed) {
    if (line->size() < 3) {
        return;
    }
    if (closed) {
        line->push_back(line->front());
    }
    Polyline thinned;
    boost::geometry::simplify(*line, thinned, tolerance);
    if (closed && thinned.size() > 1) {
        thinned.pop_back();
    }
    line->swap(thinned);
}

bool withinWindow(const Polyline& line, const Box& window) {
    return std::all_of(line.begin(), line.end(), [&](Point p) {
        return p.x >= window.x0 && p.x <= window.x1 && p.y >= window.y0 && p.y <= window.y1;
    });
}

void clipRingToWindow(Polyline* ring, const Box& window) {
    // Sutherland-Hodgman against each side: winding numbers inside the window stay as they
    // were, so both fill rules give the same fill there.
    for (int side = 0; side < 4; ++side) {
        double limit = side == 0   ? window.x0
                       : side == 1 ? window.x1
                       : side == 2 ? window.y0
                                   : window.y1;
        auto inside = [side, limit](Point p) {
            double v = side < 2 ? p.x : p.y;
            return side % 2 == 0 ? v >= limit : v <= limit;
        };
        auto cut = [side, limit](Point p, Point q) {
            double t = side < 2 ? (limit - p.x) / (q.x - p.x) : (limit - p.y) / (q.y - p.y);
            Point r = lerp(p, q, t);
            (side < 2 ? r.x : r.y) = limit;
            return r;
        };
        Polyline kept;
        for (size_t i = 0; i < ring->size(); ++i) {
            Point p = (*ring)[i], q = (*ring)[(i + 1) % ring->size()];
            if (inside(p)) {
                kept.push_back(p);
            }
            if (inside(p) != inside(q)) {
                kept.push_back(cut(p, q));
            }
        }
        ring->swap(kept);
    }
}

std::vector<Polyline> clipLineToWindow(const Polyline& line, const Box& window, double margin) {
    // Liang-Barsky on each segment; a segment cut short ends its run.
    double low[2] = {window.x0 - margin, window.y0 - margin};
    double high[2] = {window.x1 + margin, window.y1 + margin};
    std::vector<Polyline> runs(1);
    for (size_t i = 0; i + 1 < line.size(); ++i) {
        Point p = line[i], q = line[i + 1];
        double t0 = 0, t1 = 1, d[2] = {q.x - p.x, q.y - p.y}, s[2] = {p.x, p.y};
        bool visible = true;
        for (int axis = 0; axis < 2 && visible; ++axis) {
            for (double sign : {-1.0, 1.0}) {
                // sign * (s + t d) <= the side's limit
                double num = (sign > 0 ? high[axis] : -low[axis]) - sign * s[axis];
                double den = sign * d[axis];
                if (den == 0) {
                    visible = visible && num >= 0;
                } else if (den > 0) {
                    t1 = std::min(t1, num / den);
                } else {
                    t0 = std::max(t0, num / den);
                }
            }
            visible = visible && t0 <= t1;
        }
        if (!visible) {
            if (!runs.back().empty()) {
                runs.emplace_back();
            }
            continue;
        }
        if (t0 > 0 && !runs.back().empty()) {
            runs.emplace_back();
        }
        if (runs.back().empty()) {
            runs.back().push_back(lerp(p, q, t0));
        }
        runs.back().push_back(lerp(p, q, t1));
        if (t1 < 1) {
            runs.emplace_back();
        }
    }
    runs.erase(std::remove_if(runs.begin(), runs.end(),
                              [](const Polyline& run) { return run.size() < 2; }),
               runs.end());
    return runs;
}
