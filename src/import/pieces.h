// Convex pieces. Takes the regions with their seams; gives convex polygons: each region cut
// into triangles and the triangles merged back into as few convex polygons as the merge finds.
#pragma once

#include "stages.h"

#include <vector>

ConvexPieces convexPieces(const std::vector<Region>& regions);
