// The two jobs of logotipo-outline: explaining a logo.txt and writing one from free form.
#pragma once

#include "exit_status.h"

#include <iosfwd>

// Loads path once, as the program's first frame does, and writes the polygons the program
// will draw and every warning to out. Returns exitDone, exitRefused, or exitBadInput
// (with a message on err) when the file cannot be opened or read.
int checkOutline(const char* path, std::ostream& out, std::ostream& err);

// Reads free-form outline text and writes the fixed-column file to out. Refusals go to err,
// each with its line number, and then nothing is written and the result is exitRefused.
int formatOutline(std::istream& in, std::ostream& out, std::ostream& err);

// Formatting refuses a number whose nearest field text reads back farther off than this.
constexpr double formatTolerance = 0.0005;
