// Seams between regions. Takes the painted regions; gives them back with every outline
// passing through the vertices of the others that lie on it, so pieces of different regions
// meet edge to edge.
#pragma once

#include "stages.h"

#include <vector>

// Inserts into each edge the vertices of other regions lying on it or within the rounding
// of an intersection from it (and of the same region lying exactly on it).
void shareVertices(std::vector<Region>* regions);
