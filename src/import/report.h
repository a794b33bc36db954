// The report of an import. Takes the parts, the chosen run of the stages and the drawing it
// is measured against; gives the fidelity and the lines on the report stream: the notes, the
// tolerance, points, pieces, areas and fidelity of what was written, and the refusals.
#pragma once

#include "fit.h"
#include "stages.h"

#include <iosfwd>
#include <string>
#include <vector>

// How near the written sections are to the drawing: the exact area of their overlap over the
// area of their union, for each part and for all of them.
struct Fidelity {
    std::vector<double> parts;
    double overall = 1;
    int worst = 0; // the part furthest from its drawing
};

Fidelity fidelityOf(size_t partCount, const std::vector<Region>& drawing, const Layout& layout);

// What was left out of the drawing, each note once.
void tellNotes(const std::vector<std::string>& notes, std::ostream& err);

// The tolerance, points, pieces, tables, red share, areas and fidelity of what was written.
void report(const std::vector<Part>& parts, const Attempt& chosen,
            const std::vector<Region>& drawing, const Fidelity& fidelity, std::ostream& err);

// A line for each set name whose capitals stay too small to read, however near it comes.
void tellSmallLetters(const std::vector<Part>& parts, const Placement& placement,
                      std::ostream& err);

// The refusals: a part below the fidelity floor, nothing visible (broken: shapes left out
// for coordinates out of range), no flattening that fits the tables, a logo past the view.
void refuseFidelity(const std::vector<Part>& parts, const Fidelity& fidelity, double floor,
                    std::ostream& err);
void tellNothingVisible(int broken, std::ostream& err);
void tellNoFit(const Attempt& chosen, std::ostream& err);
void tellOutsideView(std::ostream& err);
