// Convex pieces: the GLU tessellator cuts each region into triangles (holes and all), then
// Hertel-Mehlhorn merging drops inner edges, longest first, wherever the two polygons on
// either side make a convex one. Every vertex stays on the grid, so convexity is exact.
#include "pieces.h"

#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <numeric>

using namespace ClipperLib;

namespace {

// What the tessellator's callbacks fill in for one region.
struct Tessellation {
    std::vector<IntPoint> vertices;
    std::map<std::pair<cInt, cInt>, int> index;
    std::vector<std::array<int, 3>> triangles;
    std::vector<int> pending;
    bool failed = false;

    int vertexAt(IntPoint p) {
        auto found = index.emplace(std::make_pair(p.X, p.Y), static_cast<int>(vertices.size()));
        if (found.second) {
            vertices.push_back(p);
        }
        return found.first->second;
    }
};

void* asData(int index) {
    return reinterpret_cast<void*>(static_cast<intptr_t>(index) + 1);
}

int fromData(void* data) {
    return static_cast<int>(reinterpret_cast<intptr_t>(data) - 1);
}

void GLAPIENTRY onBegin(GLenum, void*) {}

void GLAPIENTRY onEdgeFlag(GLboolean, void*) {}

void GLAPIENTRY onVertex(void* vertex, void* data) {
    auto* tess = static_cast<Tessellation*>(data);
    tess->pending.push_back(fromData(vertex));
    if (tess->pending.size() == 3) {
        tess->triangles.push_back({tess->pending[0], tess->pending[1], tess->pending[2]});
        tess->pending.clear();
    }
}

// Where outlines cross (they should not, but a seam may make them touch) the new vertex goes
// to the nearest grid point.
void GLAPIENTRY onCombine(GLdouble coords[3], void* [4], GLfloat[4], void** out, void* data) {
    auto* tess = static_cast<Tessellation*>(data);
    *out = asData(tess->vertexAt(IntPoint(std::llround(coords[0]), std::llround(coords[1]))));
}

void GLAPIENTRY onError(GLenum, void* data) {
    static_cast<Tessellation*>(data)->failed = true;
}

bool tessellate(const Paths& paths, Tessellation* tess) {
    GLUtesselator* glu = gluNewTess();
    if (glu == nullptr) {
        return false;
    }
    using Callback = void(GLAPIENTRY*)();
    gluTessCallback(glu, GLU_TESS_BEGIN_DATA, reinterpret_cast<Callback>(onBegin));
    gluTessCallback(glu, GLU_TESS_EDGE_FLAG_DATA, reinterpret_cast<Callback>(onEdgeFlag));
    gluTessCallback(glu, GLU_TESS_VERTEX_DATA, reinterpret_cast<Callback>(onVertex));
    gluTessCallback(glu, GLU_TESS_COMBINE_DATA, reinterpret_cast<Callback>(onCombine));
    gluTessCallback(glu, GLU_TESS_ERROR_DATA, reinterpret_cast<Callback>(onError));
    gluTessProperty(glu, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);
    gluTessNormal(glu, 0, 0, 1);
    // The tessellator keeps pointers to the coordinates until the polygon ends.
    std::vector<std::array<GLdouble, 3>> coords;
    size_t total = 0;
    for (const Path& path : paths) {
        total += path.size();
    }
    coords.reserve(total);
    gluTessBeginPolygon(glu, tess);
    for (const Path& path : paths) {
        gluTessBeginContour(glu);
        for (const IntPoint& p : path) {
            coords.push_back({double(p.X), double(p.Y), 0});
            gluTessVertex(glu, coords.back().data(), asData(tess->vertexAt(p)));
        }
        gluTessEndContour(glu);
    }
    gluTessEndPolygon(glu);
    gluDeleteTess(glu);
    return !tess->failed;
}

long long turn(IntPoint a, IntPoint b, IntPoint c) {
    return (b.X - a.X) * (c.Y - b.Y) - (b.Y - a.Y) * (c.X - b.X);
}

// Convex at b, or straight on through it.
bool convexAt(IntPoint a, IntPoint b, IntPoint c) {
    long long t = turn(a, b, c);
    return t > 0 || (t == 0 && (b.X - a.X) * (c.X - b.X) + (b.Y - a.Y) * (c.Y - b.Y) > 0);
}

size_t positionOf(const std::vector<int>& polygon, int vertex) {
    return std::find(polygon.begin(), polygon.end(), vertex) - polygon.begin();
}

// Hertel-Mehlhorn on one region's triangles.
std::vector<std::vector<int>> mergeTriangles(const Tessellation& tess) {
    std::vector<std::vector<int>> polygons;
    std::map<std::pair<int, int>, int> edgeOwner; // directed edge -> triangle
    for (const auto& t : tess.triangles) {
        const IntPoint &a = tess.vertices[t[0]], &b = tess.vertices[t[1]], &c = tess.vertices[t[2]];
        std::vector<int> polygon(t.begin(), t.end());
        if ((b.X - a.X) * (c.Y - a.Y) - (b.Y - a.Y) * (c.X - a.X) < 0) {
            std::reverse(polygon.begin(), polygon.end());
        }
        for (int i = 0; i < 3; ++i) {
            edgeOwner[{polygon[i], polygon[(i + 1) % 3]}] = static_cast<int>(polygons.size());
        }
        polygons.push_back(std::move(polygon));
    }
    std::vector<std::pair<int, int>> diagonals;
    for (const auto& edge : edgeOwner) {
        if (edge.first.first < edge.first.second &&
            edgeOwner.count({edge.first.second, edge.first.first})) {
            diagonals.push_back(edge.first);
        }
    }
    auto length = [&](const std::pair<int, int>& e) {
        const IntPoint &p = tess.vertices[e.first], &q = tess.vertices[e.second];
        return double(p.X - q.X) * double(p.X - q.X) + double(p.Y - q.Y) * double(p.Y - q.Y);
    };
    std::stable_sort(diagonals.begin(), diagonals.end(),
                     [&](const auto& a, const auto& b) { return length(a) > length(b); });
    std::vector<int> parent(polygons.size());
    std::iota(parent.begin(), parent.end(), 0);
    auto root = [&](int i) {
        while (parent[i] != i) {
            i = parent[i] = parent[parent[i]];
        }
        return i;
    };
    for (const auto& d : diagonals) {
        int u = d.first, v = d.second;
        int a = root(edgeOwner[{u, v}]), b = root(edgeOwner[{v, u}]);
        if (a == b) {
            continue;
        }
        std::vector<int>&pa = polygons[a], &pb = polygons[b];
        size_t n = pa.size(), m = pb.size();
        size_t iu = positionOf(pa, u), jv = positionOf(pb, v);
        // pa runs ... u, v ...; pb runs ... v, u ...
        if (iu == n || pa[(iu + 1) % n] != v || jv == m || pb[(jv + 1) % m] != u) {
            continue;
        }
        auto at = [&](const std::vector<int>& p, size_t i) {
            return tess.vertices[p[i % p.size()]];
        };
        size_t iv = (iu + 1) % n, ju = (jv + 1) % m;
        if (!convexAt(at(pa, iu + n - 1), tess.vertices[u], at(pb, ju + 1)) ||
            !convexAt(at(pb, jv + m - 1), tess.vertices[v], at(pa, iv + 1))) {
            continue;
        }
        std::vector<int> merged;
        for (size_t k = 0; k < n; ++k) {
            merged.push_back(pa[(iv + k) % n]); // v ... u
        }
        for (size_t k = 1; k + 1 < m; ++k) {
            merged.push_back(pb[(ju + k) % m]); // after u, up to before v
        }
        pa = std::move(merged);
        pb.clear();
        parent[b] = a;
    }
    std::vector<std::vector<int>> result;
    for (size_t i = 0; i < polygons.size(); ++i) {
        if (root(static_cast<int>(i)) == static_cast<int>(i)) {
            result.push_back(std::move(polygons[i]));
        }
    }
    return result;
}

double area2(const Path& path) {
    double sum = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        const IntPoint &p = path[i], &q = path[(i + 1) % path.size()];
        sum += double(p.X) * double(q.Y) - double(q.X) * double(p.Y);
    }
    return sum;
}

// Drops vertices that every piece holding them goes straight through: no neighbour needs them.
void dropStraightVertices(std::vector<Piece>* pieces) {
    std::map<std::pair<cInt, cInt>, bool> needed;
    for (const Piece& piece : *pieces) {
        size_t n = piece.points.size();
        for (size_t i = 0; i < n; ++i) {
            const IntPoint &a = piece.points[(i + n - 1) % n], &b = piece.points[i],
                           &c = piece.points[(i + 1) % n];
            needed[{b.X, b.Y}] |= turn(a, b, c) != 0;
        }
    }
    for (Piece& piece : *pieces) {
        Path kept;
        for (const IntPoint& p : piece.points) {
            if (needed[{p.X, p.Y}]) {
                kept.push_back(p);
            }
        }
        piece.points.swap(kept);
    }
}

// Whether a side of convex a has all of b on its outer side or on it.
bool apart(const Path& a, const Path& b) {
    for (size_t i = 0; i < a.size(); ++i) {
        const IntPoint &p = a[i], &q = a[(i + 1) % a.size()];
        if (std::all_of(b.begin(), b.end(), [&](const IntPoint& v) {
                return (q.X - p.X) * (v.Y - p.Y) - (q.Y - p.Y) * (v.X - p.X) <= 0;
            })) {
            return true;
        }
    }
    return false;
}

// Where Clipper rounded one edge two ways in two regions, the edges can cross by a unit and
// leave two slivers lying on each other. The smaller of two overlapping pieces goes when it
// is such a sliver: a gap a ten-thousandth wide shows nowhere, an overlap would flicker.
void dropOverlappingSlivers(std::vector<Piece>* pieces) {
    constexpr double sliverArea = 1000; // grid units: a unit wide and up to a tenth long
    std::vector<IntRect> boxes;
    for (const Piece& piece : *pieces) {
        IntRect box{piece.points[0].X, piece.points[0].Y, piece.points[0].X, piece.points[0].Y};
        for (const IntPoint& p : piece.points) {
            box = {std::min(box.left, p.X), std::max(box.top, p.Y), std::max(box.right, p.X),
                   std::min(box.bottom, p.Y)};
        }
        boxes.push_back(box);
    }
    std::vector<bool> dropped(pieces->size(), false);
    for (size_t i = 0; i < pieces->size(); ++i) {
        for (size_t j = 0; j < i && !dropped[i]; ++j) {
            const IntRect &a = boxes[i], &b = boxes[j];
            if (dropped[j] || a.right <= b.left || b.right <= a.left || a.top <= b.bottom ||
                b.top <= a.bottom) {
                continue;
            }
            const Piece &p = (*pieces)[i], &q = (*pieces)[j];
            if (apart(p.points, q.points) || apart(q.points, p.points)) {
                continue;
            }
            size_t smaller = p.area < q.area ? i : j;
            if ((*pieces)[smaller].area < sliverArea) {
                dropped[smaller] = true;
            }
        }
    }
    std::vector<Piece> kept;
    for (size_t i = 0; i < pieces->size(); ++i) {
        if (!dropped[i]) {
            kept.push_back(std::move((*pieces)[i]));
        }
    }
    pieces->swap(kept);
}

} // namespace

PieceRun convexPieces(const std::vector<Region>& regions) {
    PieceRun run;
    for (const Region& region : regions) {
        Tessellation tess;
        if (!tessellate(region.paths, &tess)) {
            run.failed = true;
            continue;
        }
        run.triangles += static_cast<int>(tess.triangles.size());
        for (const std::vector<int>& polygon : mergeTriangles(tess)) {
            Piece piece{region.part, region.ink, {}, 0};
            for (int index : polygon) {
                piece.points.push_back(tess.vertices[index]);
            }
            run.pieces.push_back(std::move(piece));
        }
    }
    dropStraightVertices(&run.pieces);
    // Slivers of no area (three vertices in a row, left unmerged) draw nothing.
    std::vector<Piece> kept;
    for (Piece& piece : run.pieces) {
        piece.area = area2(piece.points) / 2;
        if (piece.points.size() >= 3 && piece.area > 0) {
            kept.push_back(std::move(piece));
        }
    }
    run.pieces.swap(kept);
    dropOverlappingSlivers(&run.pieces);
    return run;
}
