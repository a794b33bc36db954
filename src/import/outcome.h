// What the importer's entry and its stages share without reaching up to the entry: the
// direction a name is set in, the fidelity floor, the exit statuses and the summary of a written
// logo.
#pragma once

// The direction of the name's lines (--direction); fromText: each line's first strong
// character's, left to right when it has none.
enum class TextDirection { fromText, leftToRight, rightToLeft };

// Below this share of the drawing (the exact area of overlap over the area of union, per
// part) a written logo is refused unless the caller lowers it.
constexpr double defaultMinFidelity = 0.97;

// Exit statuses of import.
constexpr int importWritten = 0;
constexpr int importNothing = 1;  // nothing visible, or it cannot be fitted into the tables
constexpr int importBadInput = 2; // malformed XML or SVG, a missing font or glyph, bad options

// What a written logo used, for callers that report imports in a line of their own.
struct ImportSummary {
    int pPoints = 0;
    int tpPoints = 0;
    double fidelity = -1; // below zero: not measured
};
