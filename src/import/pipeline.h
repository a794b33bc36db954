// The importer's driver: from the parts (shapes and paint) and ink rules to logo.txt and the
// report, calling each stage in its order.
#pragma once

#include "fit.h"
#include "outcome.h"
#include "stages.h"

#include <iosfwd>
#include <vector>

struct BuildOptions {
    double minFidelity = defaultMinFidelity;
};

// One run of the stages after the fit, in their order: painted regions (the curves flattened
// within the flattening's tolerance and cut to the view), seams, convex pieces and the
// tables. What the capacity search tries at each flattening.
Attempt runStages(const std::vector<Part>& parts, const InkRules& ink, const Placement& placement,
                  const Flattening& flattening);

// The whole chain: the fit, the capacity search over runStages, the fidelity floor, the file
// and the report. Writes logo.txt on out and the report on err. Returns importWritten, or
// importNothing with a message when nothing is visible, it cannot fit the tables, or it would fall
// below the fidelity floor. summary (when given) gets what was written.
int buildLogo(const std::vector<Part>& parts, const InkRules& ink, std::ostream& out,
              std::ostream& err, const BuildOptions& options = {},
              ImportSummary* summary = nullptr);
