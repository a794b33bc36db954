// Small geometry the stages and the readers share: cross products and areas on the output
// grid and in drawing space, box overlap, points taken into an edge in order, a cubic's
// extremes, affine maps.
#pragma once

#include "drawing.h"

#include <polyclipping/clipper.hpp>

#include <vector>

// The cross product of u and v.
double cross(Point u, Point v);

// The cross product of q - p and v - p: positive when v lies left of the line from p to q,
// zero on it. Exact for grid coordinates within the working window.
long long cross(ClipperLib::IntPoint p, ClipperLib::IntPoint q, ClipperLib::IntPoint v);

// How far v lies along the edge from p to q, as the dot product of v - p with q - p.
long long along(ClipperLib::IntPoint p, ClipperLib::IntPoint q, ClipperLib::IntPoint v);

// Twice the signed area of the closed path, positive counter-clockwise with y up.
double twiceArea(const ClipperLib::Path& path);

// Whether two boxes share some area (strictly), or meet at all (touching counts).
bool boxesOverlap(const ClipperLib::IntRect& a, const ClipperLib::IntRect& b);
bool boxesTouch(const ClipperLib::IntRect& a, const ClipperLib::IntRect& b);

// A point to take into an edge, with how far along the edge it lies.
struct EdgePoint {
    long long along;
    ClipperLib::IntPoint point;
};

// Appends the points to out in their order along the edge, each unless it repeats the last
// point of out.
void appendAlongEdge(std::vector<EdgePoint> points, ClipperLib::Path* out);

// The points of the cubic from p[0] to p[3] (controls p[1], p[2]) strictly inside it where
// it turns in x or in y, x turns first: with its ends, they bound the curve.
std::vector<Point> cubicExtremes(const Point p[4]);

// The affine map that applies inner, then outer.
Matrix composeMatrix(const Matrix& outer, const Matrix& inner);
Point applyMatrix(const Matrix& m, Point p);
// False when m cannot be inverted (or is not finite).
bool invertMatrix(const Matrix& m, Matrix* inverse);
