// The shape check of check: whether one GL_POLYGON fills an outline as it is drawn, and
// where a flat, folded, crossing or concave one goes wrong.
#include "shape.h"

#include <algorithm>
#include <cmath>

namespace {

double cross(double ax, double ay, double bx, double by) {
    return ax * by - ay * bx;
}

// Whether segments pq and rs meet, touching included.
bool segmentsMeet(const Vertex& p, const Vertex& q, const Vertex& r, const Vertex& s) {
    auto side = [](const Vertex& a, const Vertex& b, const Vertex& c) {
        double value = cross(b.x - a.x, b.y - a.y, c.x - a.x, c.y - a.y);
        return (value > 0) - (value < 0);
    };
    int d1 = side(p, q, r), d2 = side(p, q, s), d3 = side(r, s, p), d4 = side(r, s, q);
    if (d1 * d2 > 0 || d3 * d4 > 0) {
        return false;
    }
    if (d1 == 0 && d2 == 0) {
        // Collinear: they meet when their extents overlap.
        return std::max(std::min(p.x, q.x), std::min(r.x, s.x)) <=
                   std::min(std::max(p.x, q.x), std::max(r.x, s.x)) &&
               std::max(std::min(p.y, q.y), std::min(r.y, s.y)) <=
                   std::min(std::max(p.y, q.y), std::max(r.y, s.y));
    }
    return true;
}

// The polygon's corners without repeats, the closing point included. False when a point is
// not finite (already warned about at its field).
bool distinctCorners(const std::vector<Vertex>& points, std::vector<Vertex>* corners) {
    std::vector<Vertex>& v = *corners;
    for (const Vertex& point : points) {
        if (!std::isfinite(point.x) || !std::isfinite(point.y)) {
            return false;
        }
        if (v.empty() || point.x != v.back().x || point.y != v.back().y) {
            v.push_back(point);
        }
    }
    while (v.size() > 1 && v.back().x == v.front().x && v.back().y == v.front().y) {
        v.pop_back();
    }
    return true;
}

} // namespace

// One GL_POLYGON fills a convex outline correctly; anything else is a problem.
bool shapeProblem(const std::vector<Vertex>& points, const std::string& name, int* line,
                  std::string* text) {
    // Tells the first problem found.
    auto problem = [&](int at, const std::string& what) {
        *line = at;
        *text = what;
        return true;
    };
    std::vector<Vertex> v;
    if (!distinctCorners(points, &v)) {
        return false;
    }
    int n = static_cast<int>(v.size());
    // Flat when every point lies on the line from the first to the one farthest from it.
    int far = 0;
    for (int i = 1; i < n; ++i) {
        if (std::hypot(v[i].x - v[0].x, v[i].y - v[0].y) >
            std::hypot(v[far].x - v[0].x, v[far].y - v[0].y)) {
            far = i;
        }
    }
    double fx = v[far].x - v[0].x, fy = v[far].y - v[0].y;
    bool flat = std::all_of(v.begin(), v.end(), [&](const Vertex& p) {
        return std::fabs(cross(fx, fy, p.x - v[0].x, p.y - v[0].y)) <= 1e-9 * (fx * fx + fy * fy);
    });
    if (n < 3 || flat) {
        return problem(points.front().line, name + " has no area: its points lie on one line");
    }
    double area = 0;
    for (int i = 0; i < n; ++i) {
        area += cross(v[i].x, v[i].y, v[(i + 1) % n].x, v[(i + 1) % n].y);
    }
    double orientation = area > 0 ? 1 : -1;
    int reflexLine = 0, foldLine = 0;
    double turning = 0;
    for (int i = 0; i < n; ++i) {
        const Vertex& a = v[(i + n - 1) % n];
        const Vertex& b = v[i];
        const Vertex& c = v[(i + 1) % n];
        double ex = b.x - a.x, ey = b.y - a.y, fx = c.x - b.x, fy = c.y - b.y;
        double turn = cross(ex, ey, fx, fy);
        double along = ex * fx + ey * fy;
        double tolerance = 1e-9 * std::hypot(ex, ey) * std::hypot(fx, fy);
        if (turn * orientation < -tolerance && reflexLine == 0) {
            reflexLine = b.line;
        }
        if (std::fabs(turn) <= tolerance && along < 0 && foldLine == 0) {
            foldLine = b.line;
        }
        turning += std::atan2(turn, along);
    }
    const char* wrongly = ": one GL_POLYGON draws it wrongly";
    if (foldLine != 0) {
        return problem(foldLine, name + " turns straight back on itself" + wrongly);
    }
    int windings = static_cast<int>(std::lround(std::fabs(turning) / (2 * M_PI)));
    if (reflexLine == 0 && windings == 1) {
        return false;
    }
    for (int i = 0; i < n; ++i) {
        for (int j = i + 2; j < n; ++j) {
            if (i == 0 && j == n - 1) {
                continue; // neighbours through the closing edge
            }
            if (segmentsMeet(v[i], v[(i + 1) % n], v[j], v[(j + 1) % n])) {
                return problem(v[i].line, name + " crosses itself (its edges from lines " +
                                              std::to_string(v[i].line) + " and " +
                                              std::to_string(v[j].line) + " meet)" + wrongly);
            }
        }
    }
    return problem(reflexLine,
                   name + " is concave (it turns the other way at this point)" + wrongly);
}
