// Painter's order, the first stage of a try. Takes the parts, their ink rules, where the
// drawing lands and how finely to flatten; gives, for each part and colour class (red or
// dark), the area that shows on the integer output grid, later shapes covering earlier ones.
#pragma once

#include "stages.h"

#include <polyclipping/clipper.hpp>

#include <string>
#include <vector>

struct PaintedRegions {
    std::vector<Region> regions;
    bool overflow = false;          // the curves needed more points than one painting may hold
    std::vector<std::string> notes; // what was left out and why
};

// How to paint: curves flattened as flattening says. What lies outside bound (when given) is
// cut off. Without join, a region's paths are the shown areas of its layers, overlapping and
// not strictly simple: enough for their extent, and far quicker on many layers.
struct RegionOptions {
    Flattening flattening;
    const ClipperLib::Path* bound = nullptr;
    bool join = true;
};

PaintedRegions paintRegions(const std::vector<Part>& parts, const InkRules& ink,
                            const Placement& placement, const RegionOptions& options);
