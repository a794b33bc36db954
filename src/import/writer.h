// The writer. Takes the parts and the record of the chain; writes logo.txt from the chosen
// tables, and the report: what was left out, the tolerance, points, pieces, areas and
// fidelity of what was written; or the failure, one line.
#pragma once

#include "outcome.h"
#include "stages.h"

#include <iosfwd>
#include <string>
#include <vector>

// logo.txt: the red pieces, the empty sections that keep the red ids, the dark P pieces and
// the TP pieces, every coordinate written exactly.
void writeLogo(const Layout& layout, std::ostream& out);

// The report of a written logo: the notes (each once), then a line per part, the tables, the
// red share, the areas and the fidelity, then a line for each set name too small to read.
void writeReport(const std::vector<Part>& parts, const LogoBuild& build, std::ostream& err);

// Why a refused build wrote nothing, as a failure (exit status exitRefused).
ImportFailure refusalOf(const std::vector<Part>& parts, const LogoBuild& build);

// The failure's one line: "FILE:LINE: what", or the command's name before it when it belongs
// to no file.
std::string failureLine(const ImportFailure& failure);
// A failure of the command itself, no file's.
std::string failureLine(const std::string& what);
