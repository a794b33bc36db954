// From shapes and paint to logo.txt: painted regions, convex pieces, the fit into the view
// and the capacity search.
#pragma once

#include "stages.h"

#include <iosfwd>
#include <vector>

struct ImportSummary;

// Below this share of the drawing (the exact area of overlap over the area of union, per
// part) a written logo is refused unless the caller lowers it.
constexpr double defaultMinFidelity = 0.97;

struct BuildOptions {
    double minFidelity = defaultMinFidelity;
};

// Writes logo.txt on out and the report on err. Returns importWritten, or importNothing with
// a message when nothing is visible, it cannot fit the tables, or it would fall below the
// fidelity floor. summary (when given) gets what was written.
int buildLogo(const std::vector<Part>& parts, const InkRules& ink, std::ostream& out,
              std::ostream& err, const BuildOptions& options = {},
              ImportSummary* summary = nullptr);
