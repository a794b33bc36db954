// What logotipo-outline uses of the importer: one call from options to a written logo.txt.
#pragma once

#include "outcome.h"

#include <iosfwd>
#include <string>
#include <vector>

struct ImportOptions {
    std::string svgPath;                   // an SVG file or a picture; empty: no mark
    std::vector<std::string> text;         // lines of the name; empty: no name
    std::string font = "DejaVu Sans:bold"; // a fontconfig pattern or a font file's path
    std::vector<std::string> red;          // fill colours forced into the red class (--red)
    std::vector<std::string> dark;         // fill colours forced into the dark class (--dark)

    TextDirection direction = TextDirection::fromText;
    double minFidelity = defaultMinFidelity; // --min-fidelity: a part below it is refused
    double darkness = -1; // --darkness: a picture traced by this darkness threshold (0 to 1)
    bool force = false;   // --force: a picture traced even when it looks like no logo
};

// Writes logo.txt on out and the report (tolerance, points, pieces, areas, what was left out)
// on err, and fills *summary (when given) for a written logo. Returns one of the statuses
// in outcome.h.
int importLogo(const ImportOptions& options, std::ostream& out, std::ostream& err,
               ImportSummary* summary = nullptr);
