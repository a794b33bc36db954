// Generated outline files for the benchmarks: the full one that fills both tables, and
// files of other sizes to see how the costs grow.
#pragma once

#include <string>

struct BenchFile {
    const char* name;
    int pPoints;  // point lines in P sections
    int tpPoints; // point lines in TP sections
};

// The full file (839 P and 839 TP points) first, then 10, 100, 1000 and 100000 points.
extern const BenchFile benchFiles[5];

// Sections of four points (the last one shorter), small quads in rows across the view,
// P above the centre and TP below; past a table's 839 slots the rows start over.
std::string outlineText(int pPoints, int tpPoints);

// Writes text to a new temporary file and returns its path ("" on failure).
std::string writeTemporaryFile(const std::string& text);
