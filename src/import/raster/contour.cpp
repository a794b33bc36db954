// Outlines of a field of shares: marching squares at one half with sub-pixel crossing points,
// speckles dropped, then each ring cut at its corners and fitted with lines and cubic curves
// (least squares on chord-length parameters, split where the error is largest).
#include "trace.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

using Ring = std::vector<Point>;

Point operator-(Point a, Point b) {
    return {a.x - b.x, a.y - b.y};
}
Point operator+(Point a, Point b) {
    return {a.x + b.x, a.y + b.y};
}
Point operator*(Point a, double s) {
    return {a.x * s, a.y * s};
}
double dot(Point a, Point b) {
    return a.x * b.x + a.y * b.y;
}
double length(Point a) {
    return std::sqrt(a.x * a.x + a.y * a.y);
}
Point unit(Point a) {
    double l = length(a);
    return l > 0 ? a * (1 / l) : Point{1, 0};
}

// How fast the field changes at a sample, per pixel.
float slope(const Field& field, int x, int y) {
    float gx = field.at(x + 1, y) - field.at(x - 1, y),
          gy = field.at(x, y + 1) - field.at(x, y - 1);
    return std::sqrt(gx * gx + gy * gy) / 2;
}

// Where the field crosses one half between samples p and q = p + (dx, dy). On a clean edge
// (the sample before p full, the one after q empty) the shares add up to the edge's place,
// exactly for a box-filtered straight edge; elsewhere the values are interpolated.
Point crossing(const Field& field, int px, int py, int dx, int dy, bool* shallow) {
    float vp = field.at(px, py), vq = field.at(px + dx, py + dy);
    // Anti-aliasing ramps over a pixel or two, shading over many.
    *shallow = std::max(slope(field, px, py), slope(field, px + dx, py + dy)) < 0.2f;
    bool pInside = vp >= 0.5f;
    // Measured from the inside sample towards the outside one.
    int ix = pInside ? px : px + dx, iy = pInside ? py : py + dy;
    int sx = pInside ? dx : -dx, sy = pInside ? dy : -dy;
    float inside = pInside ? vp : vq, outside = pInside ? vq : vp;
    double t = (inside - 0.5) / std::max(1e-6f, inside - outside);
    if (field.at(ix - sx, iy - sy) >= 0.97f && field.at(ix + 2 * sx, iy + 2 * sy) <= 0.03f) {
        t = std::clamp(inside + outside - 0.5, 0.0, 1.0);
    }
    return {ix + 0.5 + t * sx, iy + 0.5 + t * sy};
}

// The field's row y with a zero on either side (and all zeros above and below the field).
void paddedRow(const Field& field, int y, std::vector<float>* row) {
    std::fill(row->begin(), row->end(), 0.0f);
    if (y >= 0 && y < field.height) {
        std::copy_n(&field.values[static_cast<size_t>(y) * field.width], field.width,
                    row->begin() + 1);
    }
}

// Whether each sample of a padded row is inside (at least one half), with eight spare zeros
// at the end for the skip below.
void insideRow(const std::vector<float>& row, std::vector<uint8_t>* inside) {
    inside->assign(row.size() + 8, 0);
    for (size_t i = 0; i < row.size(); ++i) {
        (*inside)[i] = row[i] >= 0.5f;
    }
}

// Whether the cells from x on to x + 6 all lie inside or all outside: the eight samples above
// and below them agree.
bool uniformCells(const uint8_t* upper, const uint8_t* lower) {
    uint64_t a, b;
    std::memcpy(&a, upper, 8);
    std::memcpy(&b, lower, 8);
    return a == b && (a == 0 || a == 0x0101010101010101ull);
}

// The closed rings of the half-share line, each with the inside on the same side. Cells are
// visited a row at a time; each crossing is numbered when first met, its number kept for the
// cell that shares its edge (the next one along, or the one below).
std::vector<Ring> march(const Field& field, long* crossings, long* shallow) {
    const int w = field.width;
    std::vector<Point> where;
    std::vector<int> next;
    std::vector<int> above(w + 2, -1), below(w + 2, -1);
    std::vector<float> upper(w + 2), lower(w + 2);
    std::vector<uint8_t> upperIn, lowerIn;
    paddedRow(field, -1, &lower);
    insideRow(lower, &lowerIn);
    for (int y = -1; y < field.height; ++y) {
        upper.swap(lower);
        upperIn.swap(lowerIn);
        paddedRow(field, y + 1, &lower);
        insideRow(lower, &lowerIn);
        above.swap(below);
        std::fill(below.begin(), below.end(), -1);
        int leftEdge = -1;
        for (int x = -1; x < w; ++x) {
            if (uniformCells(&upperIn[x + 1], &lowerIn[x + 1])) {
                x += 6;
                leftEdge = -1;
                continue;
            }
            // Corners clockwise from the top left; edge k runs from corner k to corner k + 1.
            float v[4] = {upper[x + 1], upper[x + 2], lower[x + 2], lower[x + 1]};
            int in =
                upperIn[x + 1] | upperIn[x + 2] << 1 | lowerIn[x + 2] << 2 | lowerIn[x + 1] << 3;
            if (in == 0 || in == 15) {
                leftEdge = -1;
                continue;
            }
            int* ids[4] = {&above[x + 1], nullptr, &below[x + 1], &leftEdge};
            int rightEdge = -1;
            ids[1] = &rightEdge;
            const int sx[4] = {x, x + 1, x, x}, sy[4] = {y, y, y + 1, y};
            const int dx[4] = {1, 0, 1, 0}, dy[4] = {0, 1, 0, 1};
            int leaving[2], entering[2], nl = 0, ne = 0;
            for (int k = 0; k < 4; ++k) {
                bool from = in >> k & 1, to = in >> ((k + 1) % 4) & 1;
                if (from == to) {
                    continue;
                }
                (from ? leaving[nl++] : entering[ne++]) = k;
                if (*ids[k] < 0) {
                    bool slow;
                    *ids[k] = static_cast<int>(where.size());
                    where.push_back(crossing(field, sx[k], sy[k], dx[k], dy[k], &slow));
                    next.push_back(-1);
                    ++*crossings;
                    *shallow += slow;
                }
            }
            if (nl == 1) {
                next[*ids[leaving[0]]] = *ids[entering[0]];
            } else {
                // A saddle: the inside corners joined through the middle when it is inside.
                bool joined = (v[0] + v[1] + v[2] + v[3]) / 4 >= 0.5f;
                for (int k : leaving) {
                    next[*ids[k]] = *ids[joined ? (k + 1) % 4 : (k + 3) % 4];
                }
            }
            leftEdge = rightEdge;
        }
    }
    std::vector<Ring> rings;
    for (size_t start = 0; start < next.size(); ++start) {
        if (next[start] < 0) {
            continue;
        }
        Ring ring;
        // Each crossing is taken once; a broken chain (impossible on a closed field) ends it.
        for (int at = static_cast<int>(start); at >= 0 && next[at] >= 0;) {
            ring.push_back(where[at]);
            int step = next[at];
            next[at] = -1;
            at = step;
        }
        rings.push_back(std::move(ring));
    }
    return rings;
}

double ringArea(const Ring& ring) {
    double twice = 0;
    for (size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        twice += ring[j].x * ring[i].y - ring[i].x * ring[j].y;
    }
    return twice / 2;
}

// ---- fitting --------------------------------------------------------------------------------

Point bezier(const Point c[4], double t) {
    double s = 1 - t;
    return c[0] * (s * s * s) + c[1] * (3 * s * s * t) + c[2] * (3 * s * t * t) +
           c[3] * (t * t * t);
}

// The cubic from first to last with the given end tangents nearest the points in least squares.
void fitControls(const Ring& p, size_t first, size_t last, const std::vector<double>& u, Point t1,
                 Point t2, Point c[4]) {
    double m[2][2] = {{0, 0}, {0, 0}}, r[2] = {0, 0};
    c[0] = p[first];
    c[3] = p[last];
    for (size_t i = first; i <= last; ++i) {
        double t = u[i - first], s = 1 - t;
        Point a1 = t1 * (3 * s * s * t), a2 = t2 * (3 * s * t * t);
        m[0][0] += dot(a1, a1);
        m[0][1] += dot(a1, a2);
        m[1][1] += dot(a2, a2);
        Point rest =
            p[i] - (c[0] * (s * s * s + 3 * s * s * t) + c[3] * (3 * s * t * t + t * t * t));
        r[0] += dot(a1, rest);
        r[1] += dot(a2, rest);
    }
    double det = m[0][0] * m[1][1] - m[0][1] * m[0][1];
    double chord = length(c[3] - c[0]);
    double alpha1 = chord / 3, alpha2 = chord / 3;
    if (std::fabs(det) > 1e-12) {
        double a1 = (r[0] * m[1][1] - r[1] * m[0][1]) / det;
        double a2 = (m[0][0] * r[1] - m[0][1] * r[0]) / det;
        if (a1 > 1e-3 * chord && a2 > 1e-3 * chord && a1 < 2 * chord && a2 < 2 * chord) {
            alpha1 = a1;
            alpha2 = a2;
        }
    }
    c[1] = c[0] + t1 * alpha1;
    c[2] = c[3] + t2 * alpha2;
}

// The largest squared distance of the points from the curve at their parameters, and where.
double worstError(const Ring& p, size_t first, size_t last, const std::vector<double>& u,
                  const Point c[4], size_t* at) {
    double worst = 0;
    *at = (first + last) / 2;
    for (size_t i = first + 1; i < last; ++i) {
        Point d = bezier(c, u[i - first]) - p[i];
        if (dot(d, d) > worst) {
            worst = dot(d, d);
            *at = i;
        }
    }
    return worst;
}

// One Newton step for each parameter toward the nearest point of the curve.
void reparameterize(const Ring& p, size_t first, const Point c[4], std::vector<double>* u) {
    Point d1[3] = {(c[1] - c[0]) * 3, (c[2] - c[1]) * 3, (c[3] - c[2]) * 3};
    Point d2[2] = {(d1[1] - d1[0]) * 2, (d1[2] - d1[1]) * 2};
    for (size_t i = 0; i < u->size(); ++i) {
        double t = (*u)[i], s = 1 - t;
        Point q = bezier(c, t) - p[first + i];
        Point q1 = d1[0] * (s * s) + d1[1] * (2 * s * t) + d1[2] * (t * t);
        Point q2 = d2[0] * s + d2[1] * t;
        double denominator = dot(q1, q1) + dot(q, q2);
        if (std::fabs(denominator) > 1e-12) {
            (*u)[i] = std::clamp(t - dot(q, q1) / denominator, 0.0, 1.0);
        }
    }
}

void fitRun(const Ring& p, size_t first, size_t last, Point t1, Point t2, double tolerance,
            int depth, Subpath* out) {
    Point c[4];
    std::vector<double> u(last - first + 1, 0);
    for (size_t i = first + 1; i <= last; ++i) {
        u[i - first] = u[i - first - 1] + length(p[i] - p[i - 1]);
    }
    for (double& t : u) {
        t /= std::max(u.back(), 1e-12);
    }
    size_t at = first;
    double limit = tolerance * tolerance, worst = 0;
    for (int pass = 0; pass < 4; ++pass) {
        fitControls(p, first, last, u, t1, t2, c);
        worst = worstError(p, first, last, u, c, &at);
        if (worst <= limit || worst > 16 * limit) {
            break;
        }
        reparameterize(p, first, c, &u);
    }
    if (worst <= limit || last - first < 3 || depth > 24) {
        out->segments.push_back({true, c[1], c[2], c[3]});
        return;
    }
    Point middle = unit(p[at + 1] - p[at - 1]);
    fitRun(p, first, at, t1, middle * -1, tolerance, depth + 1, out);
    fitRun(p, at, last, middle, t2, tolerance, depth + 1, out);
}

// A straight run when every point lies within tolerance of the chord (not only of its line:
// a run out and back along one line is no chord), else curves.
void fitPiece(const Ring& p, size_t first, size_t last, Point t1, Point t2, double tolerance,
              Subpath* out) {
    double span = length(p[last] - p[first]);
    Point chord = unit(p[last] - p[first]);
    bool straight = true;
    for (size_t i = first + 1; i < last && straight; ++i) {
        Point d = p[i] - p[first];
        double along = dot(d, chord);
        straight = std::fabs(d.x * chord.y - d.y * chord.x) <= tolerance && along >= -tolerance &&
                   along <= span + tolerance;
    }
    if (straight) {
        out->segments.push_back({false, p[first], p[last], p[last]});
    } else {
        fitRun(p, first, last, t1, t2, tolerance, 0, out);
    }
}

// The point a given arc length before (step < 0) or after i along the ring.
size_t along(const Ring& ring, size_t i, double distance, int step) {
    size_t n = ring.size(), j = i;
    double travelled = 0;
    for (size_t k = 0; k + 1 < n && travelled < distance; ++k) {
        size_t previous = j;
        j = (j + n + step) % n;
        travelled += length(ring[j] - ring[previous]);
    }
    return j;
}

// Corners: where the outline turns by more than about 55 degrees over two pixels either way,
// the sharpest of each bend.
std::vector<size_t> corners(const Ring& ring) {
    size_t n = ring.size();
    std::vector<double> turn(n, 0);
    for (size_t i = 0; i < n; ++i) {
        Point in = unit(ring[i] - ring[along(ring, i, 2, -1)]);
        Point out = unit(ring[along(ring, i, 2, 1)] - ring[i]);
        turn[i] = std::acos(std::clamp(dot(in, out), -1.0, 1.0));
    }
    std::vector<size_t> found;
    const double sharp = 0.95;
    for (size_t i = 0; i < n; ++i) {
        double here = turn[i];
        if (here >= sharp && here >= turn[(i + n - 1) % n] && here > turn[(i + 1) % n]) {
            found.push_back(i);
        }
    }
    return found;
}

double cross(Point a, Point b) {
    return a.x * b.y - a.y * b.x;
}

// Where the sides into and out of corner i meet, from the ring one and two pixels before and
// after it; false when they run almost parallel or meet further than reach from it.
bool cornerPoint(const Ring& ring, size_t i, double reach, Point* meet) {
    Point a1 = ring[along(ring, i, 1, -1)], a2 = ring[along(ring, i, 2, -1)];
    Point b1 = ring[along(ring, i, 1, 1)], b2 = ring[along(ring, i, 2, 1)];
    Point in = a1 - a2, out = b2 - b1;
    double turn = cross(in, out);
    if (std::fabs(turn) < 0.1 * length(in) * length(out)) {
        return false;
    }
    double s = cross(b1 - a1, out) / turn, t = cross(b1 - a1, in) / turn;
    *meet = a1 + in * s;
    // Beyond the rounded corner, as seen from the chord across it.
    Point chord = b1 - a1;
    double here = cross(chord, ring[i] - a1), there = cross(chord, *meet - a1);
    return s >= 0 && t <= 0 && here * there > 0 && std::fabs(there) >= std::fabs(here) &&
           length(*meet - ring[i]) <= reach;
}

// The half-share line cuts every corner short, a tip most (its pixels are never half
// covered): each corner moves out to where its two sides meet, the points rounding it within
// a pixel either way left out, never past the picture's sides. The cuts are renumbered.
Ring sharpen(const Ring& ring, Point size, std::vector<size_t>* cuts) {
    size_t n = ring.size();
    std::vector<uint8_t> drop(n, 0), isCut(n, 0);
    for (size_t c : *cuts) {
        isCut[c] = 1;
    }
    Ring out = ring;
    // A dot's outline is all corners: it stays round.
    double perimeter = 0;
    for (size_t i = 0; i < n; ++i) {
        perimeter += length(ring[(i + 1) % n] - ring[i]);
    }
    for (size_t c : *cuts) {
        if (perimeter < 16) {
            break;
        }
        size_t before = along(ring, c, 1, -1), after = along(ring, c, 1, 1);
        bool alone = true;
        for (size_t j = (before + 1) % n; j != after && alone; j = (j + 1) % n) {
            alone = j == c || !isCut[j];
        }
        Point meet;
        if (!alone || before == after || !cornerPoint(ring, c, 1.0, &meet)) {
            continue;
        }
        out[c] = {std::clamp(meet.x, 0.0, size.x), std::clamp(meet.y, 0.0, size.y)};
        for (size_t j = (before + 1) % n; j != after; j = (j + 1) % n) {
            drop[j] |= j != c;
        }
    }
    Ring kept;
    std::vector<size_t> renumbered;
    for (size_t i = 0; i < n; ++i) {
        if (isCut[i]) {
            renumbered.push_back(kept.size());
        }
        if (!drop[i]) {
            kept.push_back(out[i]);
        }
    }
    *cuts = renumbered;
    return kept;
}

Subpath fitRing(const Ring& traced, Point size, double tolerance) {
    std::vector<size_t> cuts = corners(traced);
    Ring ring = sharpen(traced, size, &cuts);
    bool smooth = cuts.empty();
    if (smooth) {
        cuts.push_back(0);
    }
    // The ring rotated to start at the first cut and closed by it again.
    Ring p(ring.begin() + cuts[0], ring.end());
    p.insert(p.end(), ring.begin(), ring.begin() + cuts[0] + 1);
    size_t n = ring.size();
    Subpath out{p[0], {}, true};
    for (size_t k = 0; k < cuts.size(); ++k) {
        size_t first = (cuts[k] + n - cuts[0]) % n;
        size_t last = k + 1 < cuts.size() ? cuts[k + 1] - cuts[0] : n;
        if (last <= first) {
            continue;
        }
        auto tangent = [&](size_t i, int direction) {
            size_t j = along(p, i % n, 2, direction);
            if (smooth) {
                return unit(p[along(p, i % n, 2, 1)] - p[along(p, i % n, 2, -1)]) *
                       static_cast<double>(direction);
            }
            return unit(p[j] - p[i % n]);
        };
        fitPiece(p, first, last, tangent(first, 1), tangent(last, -1), tolerance, &out);
    }
    return out;
}

} // namespace

Outlines traceField(const Field& field, double speckle, double tolerance) {
    Outlines outlines;
    for (const Ring& ring : march(field, &outlines.crossings, &outlines.shallow)) {
        if (ring.size() < 3 || std::fabs(ringArea(ring)) < speckle) {
            continue;
        }
        outlines.subpaths.push_back(
            fitRing(ring, {double(field.width), double(field.height)}, tolerance));
    }
    return outlines;
}
