// The two jobs of logotipo-outline: explaining a logo.txt and writing one from free form.
#pragma once

#include <iosfwd>
#include <string>

// Exit statuses of both commands.
constexpr int toolClean = 0;      // check: no warning; format: file written
constexpr int toolWarned = 1;     // check: warnings; format: input refused, nothing written
constexpr int toolUnreadable = 2; // usage errors, files that cannot be opened or read

// At scale 2 the view reaches 1 unit from the centre in every direction; a point of a back
// face lies 0.1 deep, so it stays in view in every rotation iff it lies within
// sqrt(0.5^2 - 0.1^2) of the outline centre in x-y.
constexpr double centreX = -2.57, centreY = 0.01;
constexpr double viewReach = 0.4898979485566356;

// The header of an empty P section that keeps a red id free (a logo with fewer than three red
// pieces whose dark pieces overflow the TP table); check accepts it for ids 1-3 only.
constexpr const char* reservedHeader = "P reserved for the red mark";

// Loads path once, as the program's first frame does, and writes the polygons the program
// will draw and every warning to out. Returns toolClean, toolWarned, or toolUnreadable
// (with a message on err) when the file cannot be opened or read.
int checkOutline(const char* path, std::ostream& out, std::ostream& err);

// Reads free-form outline text and writes the fixed-column file to out. Refusals go to err,
// each with its line number, and then nothing is written and the result is toolWarned.
int formatOutline(std::istream& in, std::ostream& out, std::ostream& err);

// Formatting refuses a number whose nearest field text reads back farther off than this.
constexpr double formatTolerance = 0.0005;

// The text of at most 7 characters that the reader converts nearest to value; among texts
// as near, plain decimals before exponent forms, then the shortest. *error is how far off
// it reads.
std::string fieldText(double value, double* error);
