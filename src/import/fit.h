// The fit. Takes the parts and their ink rules; gives where the drawing lands so that what is
// visible is scaled and centred in the view, and the disc every point must stay in.
#pragma once

#include "stages.h"

#include <polyclipping/clipper.hpp>

#include <vector>

// Every point lands within this of the view's centre, a margin inside the view's reach.
constexpr double fitRadius = 0.47;

// The disc every point must stay in, on the grid, a little inside the view's reach.
const ClipperLib::Path& viewDisc();

// Scales and centres the visible drawing to lie within radius of the view's centre. False
// when nothing is visible; broken counts the shapes left out for coordinates out of range.
bool fitView(const std::vector<Part>& parts, const InkRules& ink, double radius,
             Placement* placement, int* broken);
