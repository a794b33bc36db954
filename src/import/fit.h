// The fit into the view and the search for the finest flattening that fits the tables.
#pragma once

#include "layout.h"
#include "regions.h"

#include <chrono>
#include <iosfwd>
#include <string>
#include <vector>

// Output grid units are this many logo units: four decimals, written exactly.
constexpr double gridUnit = 1 / gridSteps;
// Every point lands within this of the view's centre, a margin inside the view's reach.
constexpr double fitRadius = 0.47;

// One run of every stage at one tolerance.
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

Attempt attempt(const std::vector<Part>& parts, const InkRules& ink, const Placement& placement,
                double tolerance, bool thinned);

// Scales and centres the visible drawing to lie within radius of the view's centre. False
// when nothing is visible; broken counts the shapes left out for coordinates out of range.
bool fitView(const std::vector<Part>& parts, const InkRules& ink, double radius,
             Placement* placement, int* broken);

// The finest tolerance that fits, from the finest one worth writing to a coarse one, then
// with straight runs thinned. fits is false in the result when nothing fits. drawing gets
// the regions at the finest tolerance, what the written logo is measured against (coarser
// when the finest needs too many points). When the search has taken more than a second
// since started, each try is told on progress (when given).
Attempt
fittingAttempt(const std::vector<Part>& parts, const InkRules& ink, const Placement& placement,
               std::vector<Region>* drawing, std::ostream* progress = nullptr,
               std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now());
