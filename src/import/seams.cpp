// Seams between regions. Clipper rounds each intersection to the grid on its own, so where
// two regions meet, one may hold a vertex that lies half a unit off the other's edge; taking
// that vertex into the edge makes both outlines the same line, without overlap or crack.
#include "seams.h"

#include <algorithm>
#include <cmath>
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
};

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
            for (const IntPoint& point : path) {
                grid.cells[cellKey(cellOf(point.X), cellOf(point.Y))].push_back(
                    static_cast<int>(grid.corners.size()));
                grid.corners.push_back({point, static_cast<int>(r)});
            }
        }
    }
    for (size_t r = 0; r < regions->size(); ++r) {
        for (Path& path : (*regions)[r].paths) {
            Path result;
            for (size_t i = 0; i < path.size(); ++i) {
                IntPoint p = path[i], q = path[(i + 1) % path.size()];
                result.push_back(p);
                long long ex = q.X - p.X, ey = q.Y - p.Y, length2 = ex * ex + ey * ey;
                std::vector<std::pair<long long, IntPoint>> inserted;
                for (int index : nearEdge(grid, p, q)) {
                    const Corner& corner = grid.corners[index];
                    IntPoint v = corner.point;
                    long long vx = v.X - p.X, vy = v.Y - p.Y;
                    long long along = vx * ex + vy * ey, cross = ex * vy - ey * vx;
                    if (along <= 0 || along >= length2 || v == p || v == q) {
                        continue;
                    }
                    bool near = corner.region == static_cast<int>(r)
                                    ? cross == 0
                                    : double(cross) * double(cross) <=
                                          snapReach * snapReach * double(length2);
                    if (near) {
                        inserted.push_back({along, v});
                    }
                }
                std::sort(inserted.begin(), inserted.end(),
                          [](const auto& a, const auto& b) { return a.first < b.first; });
                for (const auto& entry : inserted) {
                    if (!(entry.second == result.back())) {
                        result.push_back(entry.second);
                    }
                }
            }
            path.swap(result);
        }
    }
}
