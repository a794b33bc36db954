// What logotipo-outline uses of the importer: one call from options to a written logo.txt.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

struct ImportOptions {
    std::string svgPath;                   // empty: no mark
    std::vector<std::string> text;         // lines of the name; empty: no name
    std::string font = "DejaVu Sans:bold"; // a fontconfig pattern or a font file's path
    std::vector<std::string> red;          // fill colours forced into the red class (--red)
    std::vector<std::string> dark;         // fill colours forced into the dark class (--dark)
    double minFidelity = 0.97;             // written logos nearer the drawing than this only
};

// Exit statuses of import.
constexpr int importWritten = 0;
constexpr int importNothing = 1;  // nothing visible, or it cannot be fitted into the tables
constexpr int importBadInput = 2; // malformed XML or SVG, a missing font or glyph, bad options

// Writes logo.txt on out and the report (tolerance, points, pieces, areas, what was left out)
// on err. Returns one of the statuses above.
int importLogo(const ImportOptions& options, std::ostream& out, std::ostream& err);
