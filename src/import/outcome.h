// What the importer's entry, its readers and its stages share without reaching up to the
// entry: the direction a name is set in, the fidelity floor, and how an import fails.
#pragma once

#include "exit_status.h"

#include <string>

// The direction of the name's lines (--direction); fromText: each line's first strong
// character's, left to right when it has none.
enum class TextDirection { fromText, leftToRight, rightToLeft };

// Below this share of the drawing (the exact area of overlap over the area of union, per
// part) a written logo is refused unless the caller lowers it.
constexpr double defaultMinFidelity = 0.97;

// Why an import wrote nothing: what is wrong, where (a file and its line; no file: the input
// as a whole, an option or the font) and the exit status it ends with.
struct ImportFailure {
    std::string what;
    std::string file;
    int line = 0;
    int status = exitBadInput;
};
