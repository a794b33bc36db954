// Curves to polylines: affine maps, cubic flattening that keeps the curve's area, thinning of
// straight runs (with the geometry library's Douglas-Peucker), and cutting to the working
// window.
#include "flatten.h"

#include <boost/geometry/algorithms/simplify.hpp>
#include <boost/geometry/geometries/register/linestring.hpp>
#include <boost/geometry/geometries/register/point.hpp>
#include <boost/geometry/strategies/strategies.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

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

using Cubic = std::array<Point, 4>;

Point at(const Cubic& c, double t) {
    Point a = lerp(c[0], c[1], t), b = lerp(c[1], c[2], t), d = lerp(c[2], c[3], t);
    return lerp(lerp(a, b, t), lerp(b, d, t), t);
}

Point tangent(const Cubic& c, double t) {
    double u = 1 - t;
    auto mix = [&](double Point::*axis) {
        return 3 * (u * u * (c[1].*axis - c[0].*axis) + 2 * u * t * (c[2].*axis - c[1].*axis) +
                    t * t * (c[3].*axis - c[2].*axis));
    };
    return {mix(&Point::x), mix(&Point::y)};
}

// How many lines the cubic is cut into: a uniform step 1/n keeps within |B''|/(8 n^2) of the
// curve, and |B''| is at most six times the larger second difference of the control points.
// However coarse the tolerance, a curve that turns is cut at least every 45 degrees, so a
// small round shape keeps its shape rather than its corners alone.
int cutsFor(const Cubic& c, double tolerance) {
    double bend = std::max(std::hypot(c[0].x - 2 * c[1].x + c[2].x, c[0].y - 2 * c[1].y + c[2].y),
                           std::hypot(c[1].x - 2 * c[2].x + c[3].x, c[1].y - 2 * c[2].y + c[3].y));
    double cuts = std::ceil(std::sqrt(0.75 * bend / tolerance));
    Point in = tangent(c, 0), out = tangent(c, 1);
    double turn = std::atan2(std::fabs(cross(in, out)), in.x * out.x + in.y * out.y);
    if (std::isfinite(turn) && bend > 0) {
        cuts = std::max(cuts, std::ceil(turn / (M_PI / 4) - 1e-9));
    }
    return cuts >= 1 && cuts <= mostCuts ? static_cast<int>(cuts)
                                         : (cuts > mostCuts ? mostCuts : 1);
}

// The area between the cubic from t0 to t1 and its chord, signed as the loop along the
// curve and back along the chord winds; three-point Gauss is exact for the quintic.
double areaOffChord(const Cubic& c, double t0, double t1) {
    static const double nodes[3] = {-0.7745966692414834, 0, 0.7745966692414834};
    static const double weights[3] = {5.0 / 9, 8.0 / 9, 5.0 / 9};
    Point origin = at(c, t0);
    double sum = 0;
    for (int i = 0; i < 3; ++i) {
        double t = (t0 + t1) / 2 + (t1 - t0) / 2 * nodes[i];
        Point q = at(c, t), d = tangent(c, t);
        sum += weights[i] * cross({q.x - origin.x, q.y - origin.y}, d);
    }
    return sum * (t1 - t0) / 4;
}

// The cubic's inner points at steps 1/n, moved off the curve along its normal so that the
// lines enclose the same area as the curve: each by the mean offset of the lines beside it,
// all scaled so the areas the lines cut off and add cancel exactly.
void flattenCubic(const Cubic& c, int n, Polyline* out) {
    if (n < 2) {
        return;
    }
    std::vector<Point> points(n + 1), normals(n + 1);
    std::vector<double> offsets(n + 1, 0);
    double missing = 0;
    for (int i = 0; i <= n; ++i) {
        double t = static_cast<double>(i) / n;
        points[i] = i == 0 ? c[0] : i == n ? c[3] : at(c, t);
        Point d = tangent(c, t);
        double length = std::hypot(d.x, d.y);
        // the right normal: where an arc that adds area to the loop bulges
        normals[i] = length > 0 ? Point{d.y / length, -d.x / length} : Point{0, 0};
    }
    for (int i = 0; i < n; ++i) {
        double area = areaOffChord(c, static_cast<double>(i) / n, static_cast<double>(i + 1) / n);
        double chord = std::hypot(points[i + 1].x - points[i].x, points[i + 1].y - points[i].y);
        missing += area;
        if (chord > 0) {
            offsets[i] += area / chord;
            offsets[i + 1] += area / chord;
        }
    }
    // Moving inner point k by v adds cross(v, next - previous) / 2 to the area enclosed.
    double gained = 0;
    for (int k = 1; k < n; ++k) {
        Point v{normals[k].x * offsets[k], normals[k].y * offsets[k]};
        gained +=
            cross(v, {points[k + 1].x - points[k - 1].x, points[k + 1].y - points[k - 1].y}) / 2;
    }
    double scale = gained != 0 ? missing / gained : 0;
    // A curve that doubles back on itself gives no sound scale: its points stay on it.
    if (!std::isfinite(scale) || scale < 0 || scale > 2) {
        scale = 0;
    }
    for (int k = 1; k < n; ++k) {
        out->push_back({points[k].x + normals[k].x * offsets[k] * scale,
                        points[k].y + normals[k].y * offsets[k] * scale});
    }
}

// A ring thinned to some of its points (both closed by their first point again) gets back
// the area that the dropped points held, as far as a quarter of the tolerance allows: each kept
// point moves out along its corner's normal by the mean area per length that the lines beside it
// cut off, all scaled so that the total comes out even.
void keepArea(const Polyline& ring, double tolerance, Polyline* thinned) {
    size_t n = thinned->size();
    if (n < 4 || ring.size() <= n) {
        return;
    }
    Polyline& kept = *thinned;
    std::vector<double> offsets(n, 0);
    double missing = 0;
    size_t at = 0;
    for (size_t i = 0; i + 1 < n; ++i) {
        // The dropped run from kept[i] to kept[i + 1] and the line back: its area is cut off.
        double area = 0;
        size_t from = at;
        while (at + 1 < ring.size() &&
               !(ring[at].x == kept[i + 1].x && ring[at].y == kept[i + 1].y && at > from)) {
            ++at;
            area += cross({ring[at - 1].x - kept[i].x, ring[at - 1].y - kept[i].y},
                          {ring[at].x - kept[i].x, ring[at].y - kept[i].y});
        }
        area /= 2;
        double chord = std::hypot(kept[i + 1].x - kept[i].x, kept[i + 1].y - kept[i].y);
        missing += area;
        if (chord > 0) {
            offsets[i] += area / chord;
            offsets[i + 1] += area / chord;
        }
    }
    offsets[0] += offsets[n - 1];
    std::vector<Point> moves(n - 1);
    double gained = 0;
    for (size_t k = 0; k + 1 < n; ++k) {
        Point previous = kept[(k + n - 2) % (n - 1)], next = kept[k + 1];
        Point span{next.x - previous.x, next.y - previous.y};
        double length = std::hypot(span.x, span.y);
        if (length > 0) {
            moves[k] = {span.y / length * offsets[k], -span.x / length * offsets[k]};
            gained += cross(moves[k], span) / 2;
        }
    }
    double scale = gained != 0 ? missing / gained : 0;
    if (!std::isfinite(scale) || scale < 0 || scale > 2) {
        return;
    }
    for (size_t k = 0; k + 1 < n; ++k) {
        // Within a quarter of the tolerance: a thinned small shape must not reach into its
        // neighbours.
        double move = std::hypot(moves[k].x, moves[k].y) * scale;
        double step = move > tolerance / 4 ? scale * tolerance / 4 / move : scale;
        kept[k] = {kept[k].x + moves[k].x * step, kept[k].y + moves[k].y * step};
    }
    kept[n - 1] = kept[0];
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
            flattenCubic({p, c1, c2, end}, cutsFor({p, c1, c2, end}, tolerance), out);
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
    if (closed) {
        keepArea(*line, tolerance, &thinned);
    }
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
