// Convex pieces: the GLU tessellator cuts each region into triangles (holes and all), then
// Hertel-Mehlhorn merging drops inner edges, longest first, wherever the two polygons on
// either side make a convex one. Every vertex stays on the grid, so convexity is exact.
#include "pieces.h"

#include "geometry.h"
#include "polygons.h"

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

// Convex at b, or straight on through it.
bool convexAt(IntPoint a, IntPoint b, IntPoint c) {
    long long t = cross(a, b, c);
    return t > 0 || (t == 0 && (b.X - a.X) * (c.X - b.X) + (b.Y - a.Y) * (c.Y - b.Y) > 0);
}

size_t positionOf(const std::vector<int>& polygon, int vertex) {
    return std::find(polygon.begin(), polygon.end(), vertex) - polygon.begin();
}

// Twice the area of a polygon of the tessellation's vertices.
double twiceAreaOf(const Tessellation& tess, const std::vector<int>& polygon) {
    double sum = 0;
    for (size_t i = 0; i < polygon.size(); ++i) {
        const IntPoint &p = tess.vertices[polygon[i]],
                       &q = tess.vertices[polygon[(i + 1) % polygon.size()]];
        sum += double(p.X) * double(q.Y) - double(q.X) * double(p.Y);
    }
    return sum;
}

// A region's triangles, counter-clockwise, as polygons being merged: which polygon owns each
// directed edge, the inner edges, and which polygon each merged one went into.
struct Merging {
    const Tessellation& tess;
    std::vector<std::vector<int>> polygons;
    std::map<std::pair<int, int>, int> edgeOwner;
    std::vector<std::pair<int, int>> diagonals;
    std::vector<int> parent;

    explicit Merging(const Tessellation& t) : tess(t) {
        for (const auto& tri : tess.triangles) {
            const IntPoint &a = tess.vertices[tri[0]], &b = tess.vertices[tri[1]],
                           &c = tess.vertices[tri[2]];
            std::vector<int> polygon(tri.begin(), tri.end());
            if ((b.X - a.X) * (c.Y - a.Y) - (b.Y - a.Y) * (c.X - a.X) < 0) {
                std::reverse(polygon.begin(), polygon.end());
            }
            for (int i = 0; i < 3; ++i) {
                edgeOwner[{polygon[i], polygon[(i + 1) % 3]}] = static_cast<int>(polygons.size());
            }
            polygons.push_back(std::move(polygon));
        }
        for (const auto& edge : edgeOwner) {
            if (edge.first.first < edge.first.second &&
                edgeOwner.count({edge.first.second, edge.first.first})) {
                diagonals.push_back(edge.first);
            }
        }
        parent.resize(polygons.size());
        std::iota(parent.begin(), parent.end(), 0);
    }

    int root(int i) {
        while (parent[i] != i) {
            i = parent[i] = parent[parent[i]];
        }
        return i;
    }

    // The convex polygon the two sides of diagonal d make, or nothing when they are one
    // polygon already or their union is not convex.
    std::vector<int> mergedAt(const std::pair<int, int>& d) {
        int u = d.first, v = d.second;
        int a = root(edgeOwner[{u, v}]), b = root(edgeOwner[{v, u}]);
        if (a == b) {
            return {};
        }
        const std::vector<int>&pa = polygons[a], &pb = polygons[b];
        size_t n = pa.size(), m = pb.size();
        size_t iu = positionOf(pa, u), jv = positionOf(pb, v);
        // pa runs ... u, v ...; pb runs ... v, u ...
        if (iu == n || pa[(iu + 1) % n] != v || jv == m || pb[(jv + 1) % m] != u) {
            return {};
        }
        auto at = [&](const std::vector<int>& p, size_t i) {
            return tess.vertices[p[i % p.size()]];
        };
        size_t iv = (iu + 1) % n, ju = (jv + 1) % m;
        if (!convexAt(at(pa, iu + n - 1), tess.vertices[u], at(pb, ju + 1)) ||
            !convexAt(at(pb, jv + m - 1), tess.vertices[v], at(pa, iv + 1))) {
            return {};
        }
        std::vector<int> merged;
        for (size_t k = 0; k < n; ++k) {
            merged.push_back(pa[(iv + k) % n]); // v ... u
        }
        for (size_t k = 1; k + 1 < m; ++k) {
            merged.push_back(pb[(ju + k) % m]); // after u, up to before v
        }
        return merged;
    }

    void apply(const std::pair<int, int>& d, std::vector<int> merged) {
        int a = root(edgeOwner[{d.first, d.second}]), b = root(edgeOwner[{d.second, d.first}]);
        polygons[a] = std::move(merged);
        polygons[b].clear();
        parent[b] = a;
    }

    std::vector<std::vector<int>> result() {
        std::vector<std::vector<int>> kept;
        for (size_t i = 0; i < polygons.size(); ++i) {
            if (root(static_cast<int>(i)) == static_cast<int>(i)) {
                kept.push_back(std::move(polygons[i]));
            }
        }
        return kept;
    }
};

// Hertel-Mehlhorn on one region's triangles.
std::vector<std::vector<int>> mergeTriangles(const Tessellation& tess) {
    Merging merging(tess);
    auto length = [&](const std::pair<int, int>& e) {
        const IntPoint &p = tess.vertices[e.first], &q = tess.vertices[e.second];
        return double(p.X - q.X) * double(p.X - q.X) + double(p.Y - q.Y) * double(p.Y - q.Y);
    };
    std::stable_sort(merging.diagonals.begin(), merging.diagonals.end(),
                     [&](const auto& a, const auto& b) { return length(a) > length(b); });
    for (const auto& d : merging.diagonals) {
        std::vector<int> merged = merging.mergedAt(d);
        if (!merged.empty()) {
            merging.apply(d, std::move(merged));
        }
    }
    return merging.result();
}

// Past this many triangles a red region is merged longest edge first alone.
constexpr size_t mostGrowingTriangles = 400;

// The same triangles merged where the merge makes the largest polygon, again and again: fewer
// and smaller leftovers, so that the few pieces that can be red cover more of a red region.
std::vector<std::vector<int>> growLargest(const Tessellation& tess) {
    Merging merging(tess);
    for (;;) {
        double best = 0;
        size_t chosen = 0;
        std::vector<int> bestMerged;
        for (size_t i = 0; i < merging.diagonals.size(); ++i) {
            std::vector<int> merged = merging.mergedAt(merging.diagonals[i]);
            double area = merged.empty() ? 0 : twiceAreaOf(tess, merged);
            if (area > best) {
                best = area, chosen = i, bestMerged = std::move(merged);
            }
        }
        if (bestMerged.empty()) {
            return merging.result();
        }
        merging.apply(merging.diagonals[chosen], std::move(bestMerged));
    }
}

// Drops vertices that every piece holding them goes straight through: no neighbour needs them.
void dropStraightVertices(std::vector<Piece>* pieces) {
    std::map<std::pair<cInt, cInt>, bool> needed;
    for (const Piece& piece : *pieces) {
        size_t n = piece.points.size();
        for (size_t i = 0; i < n; ++i) {
            const IntPoint &a = piece.points[(i + n - 1) % n], &b = piece.points[i],
                           &c = piece.points[(i + 1) % n];
            needed[{b.X, b.Y}] |= cross(a, b, c) != 0;
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
        if (std::all_of(b.begin(), b.end(),
                        [&](const IntPoint& v) { return cross(p, q, v) <= 0; })) {
            return true;
        }
    }
    return false;
}

bool within(const Path& convex, IntPoint v) {
    for (size_t i = 0; i < convex.size(); ++i) {
        if (cross(convex[i], convex[(i + 1) % convex.size()], v) < 0) {
            return false;
        }
    }
    return true;
}

// The convex hull, counter-clockwise, keeping points that lie straight on its edges (a
// neighbour may hold them as corners). Empty when it has no area.
Path hull(Path points) {
    std::sort(points.begin(), points.end(), [](const IntPoint& a, const IntPoint& b) {
        return a.X < b.X || (a.X == b.X && a.Y < b.Y);
    });
    points.erase(std::unique(points.begin(), points.end()), points.end());
    if (points.size() < 3) {
        return {};
    }
    size_t n = points.size(), k = 0;
    Path corners(2 * n + 1);
    for (size_t i = 0; i < n; ++i) {
        while (k >= 2 && cross(corners[k - 2], corners[k - 1], points[i]) <= 0) {
            --k;
        }
        corners[k++] = points[i];
    }
    for (size_t i = n - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && cross(corners[k - 2], corners[k - 1], points[i]) <= 0) {
            --k;
        }
        corners[k++] = points[i];
    }
    corners.resize(k > 0 ? k - 1 : 0);
    if (corners.size() < 3) {
        return {};
    }
    Path result;
    for (size_t i = 0; i < corners.size(); ++i) {
        const IntPoint &p = corners[i], &q = corners[(i + 1) % corners.size()];
        std::vector<EdgePoint> on;
        for (const IntPoint& v : points) {
            long long distance = along(p, q, v);
            if (cross(p, q, v) == 0 && distance > 0 && !(v == q)) {
                on.push_back({distance, v});
            }
        }
        result.push_back(p);
        appendAlongEdge(std::move(on), &result);
    }
    return result;
}

// The part of a convex piece on the outer side of the line pq, or on it, with its corners
// on the grid: where an edge crosses the line, the nearest grid point off the line's inner
// side and within the piece stands in for the crossing.
Path cutOff(const Path& piece, IntPoint p, IntPoint q) {
    Path kept;
    for (size_t i = 0; i < piece.size(); ++i) {
        const IntPoint &a = piece[i], &b = piece[(i + 1) % piece.size()];
        long long sa = cross(p, q, a), sb = cross(p, q, b);
        if (sa <= 0) {
            kept.push_back(a);
        }
        if ((sa < 0 && sb > 0) || (sa > 0 && sb < 0)) {
            double t = double(sa) / double(sa - sb);
            double x = a.X + t * (b.X - a.X), y = a.Y + t * (b.Y - a.Y);
            IntPoint best;
            double nearest = HUGE_VAL;
            // Off the line means strictly outside, so no corner lands inside the other's edge.
            for (cInt dx = -2; dx <= 2; ++dx) {
                for (cInt dy = -2; dy <= 2; ++dy) {
                    IntPoint c(std::llround(x) + dx, std::llround(y) + dy);
                    double d = std::hypot(c.X - x, c.Y - y);
                    if (d < nearest && cross(p, q, c) < 0 && within(piece, c)) {
                        best = c;
                        nearest = d;
                    }
                }
            }
            if (nearest < HUGE_VAL) {
                kept.push_back(best);
            }
        }
    }
    return hull(kept);
}

// Where Clipper rounded one edge two ways in two regions, the edges can cross by a unit and
// leave two pieces lying on each other by a sliver. Of the two, the one that loses least is
// cut back to the outer side of one of the other's edges: the pair is then apart exactly.
void separate(Piece* a, Piece* b) {
    Path best;
    Piece* cut = nullptr;
    double lost = HUGE_VAL;
    for (int turnRound = 0; turnRound < 2; ++turnRound) {
        const Path& edges = turnRound == 0 ? a->points : b->points;
        Piece* other = turnRound == 0 ? b : a;
        for (size_t i = 0; i < edges.size(); ++i) {
            Path rest = cutOff(other->points, edges[i], edges[(i + 1) % edges.size()]);
            double loss = other->area - (rest.empty() ? 0 : twiceArea(rest) / 2);
            if (loss < lost) {
                lost = loss;
                best = std::move(rest);
                cut = other;
            }
        }
    }
    cut->points = std::move(best);
    cut->area = cut->points.empty() ? 0 : twiceArea(cut->points) / 2;
}

// Takes into a's edges the corners of b that lie inside them, straight through, so that a
// piece cut back still meets its neighbours corner to corner.
void takeCorners(Path* a, const Path& b) {
    Path result;
    for (size_t i = 0; i < a->size(); ++i) {
        const IntPoint &p = (*a)[i], &q = (*a)[(i + 1) % a->size()];
        long long length = along(p, q, q);
        std::vector<EdgePoint> on;
        for (const IntPoint& v : b) {
            long long distance = along(p, q, v);
            if (cross(p, q, v) == 0 && distance > 0 && distance < length) {
                on.push_back({distance, v});
            }
        }
        result.push_back(p);
        appendAlongEdge(std::move(on), &result);
    }
    a->swap(result);
}

// Checks every pair whose boxes meet, swept from the left; cutting only shrinks pieces, so
// a pair apart once stays apart. Then both pieces of each such pair and their neighbours
// take each other's corners where they lie on an edge: the sliver that overlapped may have
// hidden a corner lying on a neighbour's edge.
void separateOverlaps(std::vector<Piece>* pieces) {
    std::vector<IntRect> boxes;
    for (const Piece& piece : *pieces) {
        boxes.push_back(boundsOf(piece.points));
    }
    std::vector<size_t> order(pieces->size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&](size_t i, size_t j) { return boxes[i].left < boxes[j].left; });
    std::vector<size_t> touched;
    for (size_t k = 0; k < order.size(); ++k) {
        size_t i = order[k];
        for (size_t l = k + 1; l < order.size() && boxes[order[l]].left < boxes[i].right; ++l) {
            Piece &p = (*pieces)[i], &q = (*pieces)[order[l]];
            const IntRect& b = boxes[order[l]];
            if (p.points.empty() || q.points.empty() || !boxesOverlap(boxes[i], b)) {
                continue;
            }
            if (!apart(p.points, q.points) && !apart(q.points, p.points)) {
                separate(&p, &q);
                touched.push_back(i);
                touched.push_back(order[l]);
            }
        }
    }
    for (size_t c : touched) {
        const IntRect& a = boxes[c];
        for (size_t o = 0; o < pieces->size(); ++o) {
            const IntRect& b = boxes[o];
            Piece &piece = (*pieces)[c], &other = (*pieces)[o];
            if (o == c || piece.points.empty() || other.points.empty() || !boxesTouch(a, b)) {
                continue;
            }
            takeCorners(&piece.points, other.points);
            takeCorners(&other.points, piece.points);
        }
    }
    std::vector<Piece> kept;
    for (Piece& piece : *pieces) {
        if (piece.points.size() >= 3 && piece.area > 0) {
            kept.push_back(std::move(piece));
        }
    }
    pieces->swap(kept);
}

} // namespace

namespace {

// The largest redSections areas of the polygons, largest first, zeros past the last.
std::array<double, 3> largestAreas(const Tessellation& tess,
                                   const std::vector<std::vector<int>>& polygons) {
    std::vector<double> areas;
    for (const std::vector<int>& polygon : polygons) {
        areas.push_back(twiceAreaOf(tess, polygon));
    }
    std::sort(areas.begin(), areas.end(), std::greater<double>());
    areas.resize(std::max<size_t>(areas.size(), 3));
    return {areas[0], areas[1], areas[2]};
}

size_t cornersOf(const std::vector<std::vector<int>>& polygons) {
    size_t count = 0;
    for (const std::vector<int>& polygon : polygons) {
        count += polygon.size();
    }
    return count;
}

// A region merged longest edge first; a red one merged largest first instead when that makes
// each of its three largest pieces at least as large, one larger, with no more corners: only
// three pieces can be red, so these decide how much of the red stays red.
std::vector<std::vector<int>> mergeRegion(const Tessellation& tess, Ink ink) {
    std::vector<std::vector<int>> merged = mergeTriangles(tess);
    if (ink != Ink::red || merged.size() <= 1 || tess.triangles.size() > mostGrowingTriangles) {
        return merged;
    }
    std::vector<std::vector<int>> grown = growLargest(tess);
    std::array<double, 3> before = largestAreas(tess, merged), after = largestAreas(tess, grown);
    bool noSmaller = true, larger = false;
    for (size_t i = 0; i < before.size(); ++i) {
        noSmaller = noSmaller && after[i] >= before[i];
        larger = larger || after[i] > before[i];
    }
    return noSmaller && larger && cornersOf(grown) <= cornersOf(merged) ? grown : merged;
}

} // namespace

ConvexPieces convexPieces(const std::vector<Region>& regions) {
    ConvexPieces made;
    for (const Region& region : regions) {
        Tessellation tess;
        if (!tessellate(region.paths, &tess)) {
            made.failed = true;
            continue;
        }
        made.triangles += static_cast<int>(tess.triangles.size());
        for (const std::vector<int>& polygon : mergeRegion(tess, region.ink)) {
            Piece piece{region.part, region.ink, {}, 0};
            for (int index : polygon) {
                piece.points.push_back(tess.vertices[index]);
            }
            made.pieces.push_back(std::move(piece));
        }
    }
    dropStraightVertices(&made.pieces);
    // Slivers of no area (three vertices in a row, left unmerged) draw nothing.
    std::vector<Piece> kept;
    for (Piece& piece : made.pieces) {
        piece.area = twiceArea(piece.points) / 2;
        if (piece.points.size() >= 3 && piece.area > 0) {
            kept.push_back(std::move(piece));
        }
    }
    made.pieces.swap(kept);
    separateOverlaps(&made.pieces);
    return made;
}
