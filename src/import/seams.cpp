// Seams between regions. Clipper rounds each intersection to the grid on its own, so where
// two regions meet, one may hold a vertex that lies half a unit off the other's edge; taking
// that vertex into the edge makes both outlines the same line, without overlap or crack.
#include "seams.h"

#include "geometry.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <unordered_map>

using namespace ClipperLib;

namespace {

constexpr cInt cellSize = 64;
// A rounded intersection lies within half a unit on each axis of the true one.
constexpr double snapReach = 0.75;

struct Corner {
    IntPoint point;
    int region;
};

long long cellKey(cInt cx, cInt cy) {
    return cx * 1000003LL + cy;
}

cInt cellOf(cInt v) {
    return v >= 0 ? v / cellSize : -((-v + cellSize - 1) / cellSize);
}

struct Grid {
    std::vector<Corner> corners;
    std::unordered_map<long long, std::vector<int>> cells;
    std::set<std::array<cInt, 3>> regionCorners; // region, x, y
    std::set<std::array<cInt, 5>> regionEdges;   // region and the two ends, either way round
};

std::array<cInt, 5> edgeKey(int region, IntPoint p, IntPoint q) {
    if (q.X < p.X || (q.X == p.X && q.Y < p.Y)) {
        std::swap(p, q);
    }
    return {region, p.X, p.Y, q.X, q.Y};
}

// Whether a corner near, not on, an edge of region r is a rounded intersection to take in.
// Not when r holds that corner already (it would fold back on itself), nor when the
// corner's own region holds the same edge (the seam is already exact; the corner belongs
// to a sliver beside it).
bool snapsTo(const Grid& grid, const Corner& corner, int r, IntPoint p, IntPoint q) {
    return !grid.regionCorners.count({r, corner.point.X, corner.point.Y}) &&
           !grid.regionEdges.count(edgeKey(corner.region, p, q));
}

// The corners that may lie near edge pq: the cells around points along it.
std::vector<int> nearEdge(const Grid& grid, IntPoint p, IntPoint q) {
    std::vector<long long> keys;
    double length = std::hypot(double(q.X - p.X), double(q.Y - p.Y));
    int steps = static_cast<int>(length / (cellSize / 2)) + 1;
    for (int i = 0; i <= steps; ++i) {
        double t = static_cast<double>(i) / steps;
        cInt cx = cellOf(std::llround(p.X + (q.X - p.X) * t));
        cInt cy = cellOf(std::llround(p.Y + (q.Y - p.Y) * t));
        for (cInt dx = -1; dx <= 1; ++dx) {
            for (cInt dy = -1; dy <= 1; ++dy) {
                keys.push_back(cellKey(cx + dx, cy + dy));
            }
        }
    }
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    std::vector<int> found;
    for (long long key : keys) {
        auto cell = grid.cells.find(key);
        if (cell != grid.cells.end()) {
            found.insert(found.end(), cell->second.begin(), cell->second.end());
        }
    }
    return found;
}

} // namespace

void shareVertices(std::vector<Region>* regions) {
    Grid grid;
    for (size_t r = 0; r < regions->size(); ++r) {
        for (const Path& path : (*regions)[r].paths) {
            for (size_t i = 0; i < path.size(); ++i) {
                const IntPoint& point = path[i];
                grid.cells[cellKey(cellOf(point.X), cellOf(point.Y))].push_back(
                    static_cast<int>(grid.corners.size()));
                grid.corners.push_back({point, static_cast<int>(r)});
                grid.regionCorners.insert({static_cast<cInt>(r), point.X, point.Y});
                grid.regionEdges.insert(
                    edgeKey(static_cast<int>(r), point, path[(i + 1) % path.size()]));
            }
        }
    }
    for (size_t r = 0; r < regions->size(); ++r) {
        for (Path& path : (*regions)[r].paths) {
            Path result;
            for (size_t i = 0; i < path.size(); ++i) {
                IntPoint p = path[i], q = path[(i + 1) % path.size()];
                result.push_back(p);
                long long length2 = along(p, q, q);
                std::vector<EdgePoint> inserted;
                for (int index : nearEdge(grid, p, q)) {
                    const Corner& corner = grid.corners[index];
                    IntPoint v = corner.point;
                    long long distance = along(p, q, v), off = cross(p, q, v);
                    if (distance <= 0 || distance >= length2 || v == p || v == q) {
                        continue;
                    }
                    bool near =
                        corner.region == static_cast<int>(r)
                            ? off == 0
                            : off == 0 || (double(off) * double(off) <=
                                               snapReach * snapReach * double(length2) &&
                                           snapsTo(grid, corner, static_cast<int>(r), p, q));
                    if (near) {
                        inserted.push_back({distance, v});
                    }
                }
                appendAlongEdge(std::move(inserted), &result);
            }
            path.swap(result);
        }
    }
}
