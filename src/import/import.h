// What logotipo-outline uses of the importer: the readers that turn the options' files and
// text into parts, and the whole import from options to a written logo.txt and its report.
#pragma once

#include "outcome.h"
#include "pipeline.h"
#include "stages.h"

#include <iosfwd>
#include <string>
#include <vector>

struct ImportOptions {
    std::string svgPath;                   // empty: no mark
    std::vector<std::string> text;         // lines of the name; empty: no name
    std::string font = "DejaVu Sans:bold"; // a fontconfig pattern or a font file's path
    std::vector<std::string> red;          // fill colours forced into the red class (--red)
    std::vector<std::string> dark;         // fill colours forced into the dark class (--dark)

    TextDirection direction = TextDirection::fromText;
    double minFidelity = defaultMinFidelity; // --min-fidelity: a part below it is refused
};

// The parts as the readers give them, with the ink rules of the options; or, when failed,
// why they cannot be had.
struct ImportInput {
    InkRules ink;
    std::vector<Part> parts;
    bool failed = false;
    ImportFailure failure;
};

// The readers: the mark from its file, the name set in its font under it.
ImportInput readInput(const ImportOptions& options);

// The chain on parts already read (progress on err), then logo.txt on out and the report on
// err, or the failure's one line on err. Returns the exit status; record (when given) gets
// the chain's record.
int importParts(const std::vector<Part>& parts, const InkRules& ink, const BuildOptions& options,
                std::ostream& out, std::ostream& err, LogoBuild* record = nullptr);

// The whole import: the readers, the chain (progress on err), then logo.txt on out and the
// report on err, or the failure's one line on err. Returns the exit status.
int importLogo(const ImportOptions& options, std::ostream& out, std::ostream& err);
