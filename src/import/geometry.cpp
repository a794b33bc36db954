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
