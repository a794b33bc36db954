// What every logo.txt that import writes must be, checked on the written text: the reader's
// tables and check's verdict, convex sections that neither overlap nor crack, all in view.
#pragma once

#include "import.h"

#include <polyclipping/clipper.hpp>

#include <string>
#include <vector>

struct Section {
    bool tp;
    int id;
    std::vector<ClipperLib::IntPoint> points; // in units of 1e-4
};

struct Logo {
    int status;
    std::string text, report;
    std::vector<Section> sections;
    double redArea = 0, darkArea = 0; // square units
};

// Reads logo.text back and checks every property with GoogleTest expectations; fills in the
// sections and the areas of the two colours.
void examineLogo(Logo& logo);

double areaOf(const std::vector<ClipperLib::IntPoint>& points);

// The area of Clipper's operation on two sets of paths (non-zero fill), in their own units:
// with ctIntersection and ctUnion, the two halves of an IoU.
double areaOf(const ClipperLib::Paths& a, const ClipperLib::Paths& b, ClipperLib::ClipType type);

// The area by which what shown covers within where differs from expected, in their units.
double areaApartWithin(const ClipperLib::Paths& shown, const ClipperLib::Path& where,
                       const ClipperLib::Paths& expected);

// Imports with options into a logo with its status and report, and examines it when written.
Logo importAndExamine(const ImportOptions& options);
