// Stroke outlines built piece by piece: a rectangle per segment, a triangle (bevel) or
// quadrilateral (miter) on the outer side of each join, and the caps, as SVG draws them.
#include "stroke.h"

#include "geometry.h"

#include <algorithm>
#include <cmath>
#include <vector>

using namespace ClipperLib;

namespace {

Point sub(Point p, Point q) {
    return {p.x - q.x, p.y - q.y};
}

Point unit(Point v) {
    double length = std::hypot(v.x, v.y);
    return {v.x / length, v.y / length};
}

// The left normal of a unit direction.
Point normal(Point u) {
    return {-u.y, u.x};
}

Point along(Point p, Point v, double distance) {
    return {p.x + v.x * distance, p.y + v.y * distance};
}

std::vector<Point> pointsOf(const Path& line, bool closed) {
    std::vector<Point> points;
    for (const IntPoint& q : line) {
        Point p{double(q.X), double(q.Y)};
        if (points.empty() || p.x != points.back().x || p.y != points.back().y) {
            points.push_back(p);
        }
    }
    while (closed && points.size() > 1 && points.back().x == points.front().x &&
           points.back().y == points.front().y) {
        points.pop_back();
    }
    return points;
}

// The miter's length over the stroke's width where directions u1 then u2 meet.
double miterRatio(Point u1, Point u2) {
    double dot = u1.x * u2.x + u1.y * u2.y;
    return dot <= -1 ? HUGE_VAL : 1 / std::sqrt((1 + dot) / 2);
}

void addPolygon(std::initializer_list<Point> corners, Paths* out) {
    Path path;
    for (Point p : corners) {
        path.push_back({std::llround(p.x), std::llround(p.y)});
    }
    if (std::fabs(Area(path)) <= 0) {
        return;
    }
    if (!Orientation(path)) {
        ReversePath(path);
    }
    out->push_back(std::move(path));
}

void addCircle(Point centre, const StrokeStyle& style, Paths* out) {
    // As many corners as keep every edge within tolerance of the circle.
    double step = 2 * std::acos(std::max(-1.0, 1 - style.tolerance / style.halfWidth));
    int corners = std::clamp(static_cast<int>(std::ceil(2 * M_PI / step)), 8, 1000);
    Path path;
    for (int i = 0; i < corners; ++i) {
        double angle = 2 * M_PI * i / corners;
        path.push_back({std::llround(centre.x + style.halfWidth * std::cos(angle)),
                        std::llround(centre.y + style.halfWidth * std::sin(angle))});
    }
    out->push_back(std::move(path));
}

// A square cap, or a dot's square, reaching reach beyond end along unit direction u.
void addSquare(Point end, Point u, double back, const StrokeStyle& style, Paths* out) {
    Point n = normal(u);
    double d = style.halfWidth;
    Point far = along(end, u, d), near = along(end, u, -back);
    addPolygon({along(near, n, d), along(far, n, d), along(far, n, -d), along(near, n, -d)}, out);
}

void addJoin(Point v, Point u1, Point u2, const StrokeStyle& style, Paths* out) {
    double turn = cross(u1, u2), dot = u1.x * u2.x + u1.y * u2.y;
    if (std::fabs(turn) < 1e-12 && dot > 0) {
        return;
    }
    if (style.join == LineJoin::round) {
        addCircle(v, style, out);
        return;
    }
    // The outer side is the right one on a left turn.
    double side = turn > 0 ? -1 : 1, d = style.halfWidth;
    Point a = along(v, normal(u1), side * d), b = along(v, normal(u2), side * d);
    double ratio = miterRatio(u1, u2);
    if (style.join == LineJoin::miter && ratio <= style.miterLimit) {
        Point bisector = unit({normal(u1).x + normal(u2).x, normal(u1).y + normal(u2).y});
        addPolygon({v, a, along(v, bisector, side * d * ratio), b}, out);
    } else {
        addPolygon({v, a, b}, out);
    }
}

} // namespace

bool needsOwnOutline(const Path& line, bool closed, const StrokeStyle& style) {
    std::vector<Point> points = pointsOf(line, closed);
    if (points.size() == 1) {
        return style.cap == LineCap::square;
    }
    if (style.join == LineJoin::round || points.size() < 2) {
        return false;
    }
    size_t n = points.size();
    for (size_t k = closed ? 0 : 1; k < (closed ? n : n - 1); ++k) {
        Point u1 = unit(sub(points[k], points[(k + n - 1) % n]));
        Point u2 = unit(sub(points[(k + 1) % n], points[k]));
        double ratio = miterRatio(u1, u2);
        if (style.join == LineJoin::bevel ? ratio > 1 + 1e-12 : ratio > style.miterLimit) {
            return true;
        }
    }
    return false;
}

void addOwnOutline(const Path& line, bool closed, const StrokeStyle& style, Point direction,
                   Paths* out) {
    std::vector<Point> points = pointsOf(line, closed);
    size_t n = points.size();
    if (n == 0) {
        return;
    }
    if (n == 1) {
        if (style.cap == LineCap::round) {
            addCircle(points[0], style, out);
        } else if (style.cap == LineCap::square) {
            addSquare(points[0], unit(direction), style.halfWidth, style, out);
        }
        return;
    }
    size_t segments = closed ? n : n - 1;
    double d = style.halfWidth;
    for (size_t i = 0; i < segments; ++i) {
        Point p = points[i], q = points[(i + 1) % n];
        Point side = normal(unit(sub(q, p)));
        addPolygon({along(p, side, d), along(q, side, d), along(q, side, -d), along(p, side, -d)},
                   out);
    }
    for (size_t k = closed ? 0 : 1; k < (closed ? n : n - 1); ++k) {
        addJoin(points[k], unit(sub(points[k], points[(k + n - 1) % n])),
                unit(sub(points[(k + 1) % n], points[k])), style, out);
    }
    if (closed || style.cap == LineCap::butt) {
        return;
    }
    for (int end = 0; end < 2; ++end) {
        Point tip = end ? points[n - 1] : points[0];
        Point inward = end ? points[n - 2] : points[1];
        if (style.cap == LineCap::round) {
            addCircle(tip, style, out);
        } else {
            addSquare(tip, unit(sub(tip, inward)), 0, style, out);
        }
    }
}
