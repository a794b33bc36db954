// Small geometry the stages share.
#include "geometry.h"

#include <algorithm>
#include <cmath>

using ClipperLib::IntPoint;

double cross(Point u, Point v) {
    return u.x * v.y - u.y * v.x;
}

long long cross(IntPoint p, IntPoint q, IntPoint v) {
    return (q.X - p.X) * (v.Y - p.Y) - (q.Y - p.Y) * (v.X - p.X);
}

long long along(IntPoint p, IntPoint q, IntPoint v) {
    return (v.X - p.X) * (q.X - p.X) + (v.Y - p.Y) * (q.Y - p.Y);
}

double twiceArea(const ClipperLib::Path& path) {
    double sum = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        const IntPoint &p = path[i], &q = path[(i + 1) % path.size()];
        sum += double(p.X) * double(q.Y) - double(q.X) * double(p.Y);
    }
    return sum;
}

bool boxesOverlap(const ClipperLib::IntRect& a, const ClipperLib::IntRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool boxesTouch(const ClipperLib::IntRect& a, const ClipperLib::IntRect& b) {
    return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

void appendAlongEdge(std::vector<EdgePoint> points, ClipperLib::Path* out) {
    std::sort(points.begin(), points.end(),
              [](const EdgePoint& a, const EdgePoint& b) { return a.along < b.along; });
    for (const EdgePoint& entry : points) {
        if (out->empty() || !(entry.point == out->back())) {
            out->push_back(entry.point);
        }
    }
}

std::vector<Point> cubicExtremes(const Point p[4]) {
    std::vector<Point> extremes;
    for (int axis = 0; axis < 2; ++axis) {
        auto at = [&](int k) { return axis == 0 ? p[k].x : p[k].y; };
        // The derivative, a t^2 + b t + c on this axis, vanishes there; the roots in the
        // stable form of the quadratic's.
        double a = -at(0) + 3 * at(1) - 3 * at(2) + at(3);
        double b = 2 * (at(0) - 2 * at(1) + at(2)), c = at(1) - at(0);
        double discriminant = b * b - 4 * a * c;
        if (discriminant < 0) {
            continue;
        }
        double q = -0.5 * (b + std::copysign(std::sqrt(discriminant), b));
        for (double t : {a != 0 ? q / a : -1, q != 0 ? c / q : -1}) {
            if (t > 0 && t < 1) {
                double u = 1 - t;
                extremes.push_back({u * u * u * p[0].x + 3 * u * u * t * p[1].x +
                                        3 * u * t * t * p[2].x + t * t * t * p[3].x,
                                    u * u * u * p[0].y + 3 * u * u * t * p[1].y +
                                        3 * u * t * t * p[2].y + t * t * t * p[3].y});
            }
        }
    }
    return extremes;
}

Matrix composeMatrix(const Matrix& o, const Matrix& i) {
    return {o.a * i.a + o.c * i.b, o.b * i.a + o.d * i.b,       o.a * i.c + o.c * i.d,
            o.b * i.c + o.d * i.d, o.a * i.e + o.c * i.f + o.e, o.b * i.e + o.d * i.f + o.f};
}

Point applyMatrix(const Matrix& m, Point p) {
    return {m.a * p.x + m.c * p.y + m.e, m.b * p.x + m.d * p.y + m.f};
}

bool invertMatrix(const Matrix& m, Matrix* inverse) {
    double det = m.a * m.d - m.b * m.c;
    if (!std::isfinite(det) || std::fabs(det) < 1e-300) {
        return false;
    }
    *inverse = {m.d / det,
                -m.b / det,
                -m.c / det,
                m.a / det,
                (m.c * m.f - m.d * m.e) / det,
                (m.b * m.e - m.a * m.f) / det};
    return true;
}
