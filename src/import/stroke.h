// Stroke outlines the offset library cannot draw as SVG does, for the painted regions. Takes
// a centre line and its stroke style; gives polygons for bevel joins, miters past their
// limit, and square caps on a dot, one per segment, join and cap.
#pragma once

#include "drawing.h"

#include <polyclipping/clipper.hpp>

struct StrokeStyle {
    LineJoin join;
    LineCap cap;
    double halfWidth;  // in the centre line's units
    double miterLimit; // the miter's length over the stroke's width, at least 1
    double tolerance;  // how far a round cap may lie inside its circle
};

// Whether the centre line needs an outline of its own: it has a bevel join, a miter join
// past the limit, or it is a dot with square caps.
bool needsOwnOutline(const ClipperLib::Path& line, bool closed, const StrokeStyle& style);

// Adds the outline's polygons, each counter-clockwise, to out: their nonzero union is the
// stroke. direction is the way a square cap on a dot faces.
void addOwnOutline(const ClipperLib::Path& line, bool closed, const StrokeStyle& style,
                   Point direction, ClipperLib::Paths* out);
