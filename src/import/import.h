// What logotipo-outline uses of the importer: one call from options to a written logo.txt.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// The direction of the name's lines (--direction); fromText: each line's first strong
// character's, left to right when it has none.
enum class TextDirection { fromText, leftToRight, rightToLeft };

struct ImportOptions {
    std::string svgPath;                   // empty: no mark
    std::vector<std::string> text;         // lines of the name; empty: no name
    std::string font = "DejaVu Sans:bold"; // a fontconfig pattern or a font file's path
    std::vector<std::string> red;          // fill colours forced into the red class (--red)
    std::vector<std::string> dark;         // fill colours forced into the dark class (--dark)

    TextDirection direction = TextDirection::fromText;
};

// Exit statuses of import.
constexpr int importWritten = 0;
constexpr int importNothing = 1;  // nothing visible, or it cannot be fitted into the tables
constexpr int importBadInput = 2; // malformed XML or SVG, a missing font or glyph, bad options

// Writes logo.txt on out and the report (tolerance, points, pieces, areas, what was left out)
// on err. Returns one of the statuses above.
int importLogo(const ImportOptions& options, std::ostream& out, std::ostream& err);
