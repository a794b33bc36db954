// The fit and the capacity search. Takes the parts and their ink rules; fitView gives where
// the drawing lands in the view, and fittingAttempt, running the later stages at flattenings
// from fine to coarse, gives the finest run that fits the tables.
#pragma once

#include "layout.h"
#include "regions.h"

#include <chrono>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

// Output grid units are this many logo units: four decimals, written exactly.
constexpr double gridUnit = 1 / gridSteps;
// Every point lands within this of the view's centre, a margin inside the view's reach.
constexpr double fitRadius = 0.47;

// How finely a run flattens: curves within tolerance grid units; thinned: straight runs
// thinned to it too.
struct Flattening {
    double tolerance = 0;
    bool thinned = false;
};

// One run of every stage after the fit at one flattening.
struct Attempt {
    bool fits = false;
    double tolerance = 0; // grid units
    bool thinned = false; // straight runs thinned to the tolerance too
    double regionArea = 0;
    std::vector<Region> regions; // as painted, before the pieces share their vertices
    int points = 0; // of the pieces, or of the region outlines when they are too many already
    Layout layout;
    PieceRun pieces;
    std::vector<std::string> notes;
};

// Runs the stages after the fit (painted regions, seams, pieces, tables) at one flattening.
using RunStages = std::function<Attempt(const Flattening&)>;

// The disc every point must stay in, on the grid, a little inside the view's reach.
const ClipperLib::Path& viewDisc();

// Scales and centres the visible drawing to lie within radius of the view's centre. False
// when nothing is visible; broken counts the shapes left out for coordinates out of range.
bool fitView(const std::vector<Part>& parts, const InkRules& ink, double radius,
             Placement* placement, int* broken);

// Where the search tells its tries: on out (when given), each once the search has taken more
// than a second since started.
struct SearchProgress {
    std::ostream* out = nullptr;
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
};

// The finest tolerance that fits, from the finest one worth writing to a coarse one, then
// with straight runs thinned, each try a run of the stages. fits is false in the result when
// nothing fits. drawing gets the regions at the finest tolerance, what the written logo is
// measured against (coarser when the finest needs too many points).
Attempt fittingAttempt(const std::vector<Part>& parts, const InkRules& ink,
                       const Placement& placement, const RunStages& run,
                       std::vector<Region>* drawing, const SearchProgress& progress = {});
