// The importer's driver: from the parts (shapes and paint) and their ink rules to the record
// of a logo, naming each stage in its order. It writes nothing but progress.
#pragma once

#include "outcome.h"
#include "stages.h"

#include <chrono>
#include <iosfwd>
#include <vector>

struct BuildOptions {
    double minFidelity = defaultMinFidelity;
};

// Where the search tells its tries: on out (when given), each once the search has taken more
// than a second since started.
struct SearchProgress {
    std::ostream* out = nullptr;
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
};

// One try of the stages after the fit, in their order: painted regions (the curves flattened
// as flattening says and cut to the view), seams, convex pieces and the tables.
Attempt tryStages(const std::vector<Part>& parts, const InkRules& ink, const Placement& placement,
                  const Flattening& flattening);

// The whole chain: the fit, the capacity search over tryStages (the finest flattening that
// fits the tables), the fidelity against the drawing at the finest flattening, and the floor.
LogoBuild buildLogo(const std::vector<Part>& parts, const InkRules& ink,
                    const BuildOptions& options = {}, const SearchProgress& progress = {});
