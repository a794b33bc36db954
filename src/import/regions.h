// Painted regions, the first stage of a run. Takes the parts, their ink rules, where the
// drawing lands and how finely to flatten; gives, for each part and colour class (red or
// dark), the area that shows on the integer output grid, fills and strokes in painter's
// order.
#pragma once

#include "ink.h"
#include "stages.h"

#include <polyclipping/clipper.hpp>

#include <string>
#include <vector>

// Where the drawing lands: drawing space (y down) to grid units (y up),
// (x, y) -> (scale x + x0, -scale y + y0).
struct Placement {
    double scale = 1, x0 = 0, y0 = 0;
};

// What shows of one part in one class (red or dark), outlines positive and holes negative.
struct Region {
    int part;
    Ink ink;
    ClipperLib::Paths paths;
};

// The box of a path on the grid, as Clipper keeps one: top is the least y, bottom the most.
ClipperLib::IntRect boundsOf(const ClipperLib::Path& path);

struct RegionRun {
    std::vector<Region> regions;
    bool overflow = false;          // the curves needed more points than a run may hold: no regions
    std::vector<std::string> notes; // what was left out and why
};

// How a run paints: curves are flattened within tolerance grid units; simplify also thins
// straight runs to it. What lies outside bound (when given) is cut off. Without join, a
// region's paths are the shown areas of its layers, overlapping and not strictly simple:
// enough for their extent, and far quicker on many layers.
struct RegionOptions {
    double tolerance;
    bool simplify = false;
    const ClipperLib::Path* bound = nullptr;
    bool join = true;
};

RegionRun paintRegions(const std::vector<Part>& parts, const InkRules& ink,
                       const Placement& placement, const RegionOptions& options);

// The drawing-space box of every painted shape, strokes widened; false when nothing is.
// broken counts the painted shapes left out for coordinates out of range.
bool paintedBounds(const std::vector<Part>& parts, const InkRules& ink, Box* box, int* broken);

// Clipper's operations, retried on cleaned geometry when degenerate input makes them throw.
// strict: outlines that do not even touch themselves (slower).
ClipperLib::Paths combine(ClipperLib::ClipType type, const ClipperLib::Paths& subject,
                          const ClipperLib::Paths& clip,
                          ClipperLib::PolyFillType fill = ClipperLib::pftNonZero,
                          bool strict = false);

double pathsArea(const ClipperLib::Paths& paths);
