// Convex pieces. Takes the regions with their seams; gives convex polygons: each region cut
// into triangles and the triangles merged back into as few convex polygons as the merge finds.
#pragma once

#include "regions.h"

#include <vector>

// A convex polygon on the grid, counter-clockwise with y up; it may hold straight-through
// vertices where a neighbour's corner lies on its edge.
struct Piece {
    int part;
    Ink ink;
    ClipperLib::Path points;
    double area;
};

struct PieceRun {
    std::vector<Piece> pieces;
    int triangles = 0;
    bool failed = false; // the tessellator refused a region
};

PieceRun convexPieces(const std::vector<Region>& regions);
