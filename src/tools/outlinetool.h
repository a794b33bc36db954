// The two jobs of logotipo-outline: explaining a logo.txt and writing one from free form.
#pragma once

#include <iosfwd>

// Exit statuses of both commands.
constexpr int toolClean = 0;      // check: no warning; format: file written
constexpr int toolWarned = 1;     // check: warnings; format: input refused, nothing written
constexpr int toolUnreadable = 2; // usage errors, files that cannot be opened or read

// Loads path once, as the program's first frame does, and writes the polygons the program
// will draw and every warning to out. Returns toolClean, toolWarned, or toolUnreadable
// (with a message on err) when the file cannot be opened or read.
int checkOutline(const char* path, std::ostream& out, std::ostream& err);

// Reads free-form outline text and writes the fixed-column file to out. Refusals go to err,
// each with its line number, and then nothing is written and the result is toolWarned.
int formatOutline(std::istream& in, std::ostream& out, std::ostream& err);

// Formatting refuses a number whose nearest field text reads back farther off than this.
constexpr double formatTolerance = 0.0005;
