// Shape areas, for painter's order and the clip paths. Takes a shape, the map to the grid and
// how finely to flatten; gives its fill or its stroke as an area on the integer grid. Also
// the drawing-space box of everything painted, for the fit.
#pragma once

#include "flatten.h"
#include "stages.h"

#include <polyclipping/clipper.hpp>

#include <string>
#include <vector>

// Flattened points one painting may make (a few hundred megabytes with Clipper's copies);
// past it the tolerance is too fine for the drawing anyway.
constexpr size_t mostPoints = 4000000;

// What areas are made with and what they tell: the flattening, the window outside which
// everything is cut off early, the notes on what was left out, the points flattened so far.
struct Tracing {
    Flattening flattening;
    Box window;
    std::vector<std::string>* notes;
    size_t flattened;
};

// The area of the shape's fill (stroke false) or stroke, toGrid taking its user space to the
// grid. Empty, with a note, when it cannot be made; tracing.flattened past mostPoints when the
// points overflowed.
ClipperLib::Paths shapeArea(const Shape& shape, bool stroke, const Matrix& toGrid,
                            Tracing& tracing);

// How notes name a shape: by its line in the source, when it has one.
std::string shapeName(const Shape& shape);

// The drawing-space box of every painted shape, strokes widened; false when nothing is.
// broken counts the painted shapes left out for coordinates out of range.
bool paintedBounds(const std::vector<Part>& parts, const InkRules& ink, Box* box, int* broken);
