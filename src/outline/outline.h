// The outline tables and the reader that refills them from logo.txt.
#pragma once

#include <cstdio>

// One slot of an outline table; polygon id 0 marks an empty slot.
struct OutlinePoint {
    int polygonId;
    double x;
    double y;
};

// Slot 0 is never written, so a table holds at most outlineSlots - 1 points.
constexpr int outlineSlots = 840;

// The P table (red mark and dark letters) and the TP table (dark elements).
extern OutlinePoint pTable[outlineSlots];
extern OutlinePoint tpTable[outlineSlots];

// The stream on logo.txt; opened by the program's entry, read by loadOutline.
extern FILE* outlineFile;

// Makes stream the one loadOutline reads, with no read error met on it yet: the error that
// stops every later load belongs to the stream it happened on.
void useOutlineStream(FILE* stream);

// Seeks outlineFile to its start and parses the whole file into the tables from slot 1.
void loadOutline();

// Converts the first seven characters of text (a field of a point line) by the file's
// number syntax. Returns 0 for a field without a number; *used (when given) is the count
// of characters that made the number.
double convertField(const char* text, int* used = nullptr);

// Puts tables, counters and line buffer back to their start-of-run state, so that tools
// and tests can read several files in one process as the program reads its first.
void resetOutline();

// What the reader did with one read, for tools that explain a file. The program installs
// no watcher; the reader then only tests a null pointer per line.
enum OutlineEventKind {
    outlinePHeader,    // opened a P section
    outlineTpHeader,   // opened a TP section
    outlineTlHeader,   // opened a TL stretch
    outlineHidden,     // a line inside a TL stretch, ignored
    outlineStray,      // a line outside any section that is no header, ignored
    outlinePoint,      // a point line, stored in its table
    outlineDropped,    // a point line past the last slot of its table, not stored
    outlineCtrlZ,      // a byte 26 ended the data of this load
    outlineReadFailed, // the stream failed; this and every later load end here
};

struct OutlineEvent {
    OutlineEventKind kind;
    int lineNumber;      // physical line of the file, from 1, where this read began
    int length;          // characters this read took, line feed included, carriage returns not
    int carriageReturns; // carriage returns removed from this read
    const char* line;    // the whole line buffer as the fields were cut from it
    int polygonId;       // for headers and points: the id the section's points get
    int slot;            // for points: the table slot written (or that would have been)
    double x, y;         // for points
};

extern void (*outlineWatcher)(const OutlineEvent& event);

// Sizes of the line buffer and the field columns, for tools that explain a file.
constexpr int outlineLineBuffer = 80;
constexpr int outlineFieldChars = 7;
constexpr int outlineXColumn = 24;
constexpr int outlineYColumn = 37;
