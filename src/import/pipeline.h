// From shapes and paint to logo.txt: painted regions, convex pieces, the fit into the view
// and the capacity search.
#pragma once

#include "drawing.h"

#include <iosfwd>
#include <string>
#include <vector>

// Fill colours forced into a class, ahead of the hue rule.
struct InkRules {
    std::vector<Colour> red, dark;
};

// One part of the logo (the mark, the name), reported on its own; all parts share one space,
// later parts painted over earlier ones.
struct Part {
    std::string name;
    Drawing drawing;
};

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
