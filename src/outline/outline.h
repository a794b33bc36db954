// The file format of logo.txt (its columns, capacity, red ids, the view it is drawn in),
// the tables and the reader that refills them, and the writer of point lines.
#pragma once

#include <cstddef>
#include <cstdio>

// One slot of an outline table; polygon id 0 marks an empty slot.
struct OutlinePoint {
    int polygonId;
    double x;
    double y;
};

// The line buffer of the reader (a longer line is read as several) and the columns of the
// two fields of a point line, from 0.
constexpr int outlineLineBuffer = 80;
constexpr int outlineLongestLine = outlineLineBuffer - 2; // characters before the line feed
constexpr int outlineFieldChars = 7;
constexpr int outlineXColumn = 24;
constexpr int outlineYColumn = 37;

// Slot 0 is never written, so a table holds at most outlineSlots - 1 points.
constexpr int outlineSlots = 840;
constexpr int outlineCapacity = outlineSlots - 1;

// P polygons below this id form the red mark; the rest are the dark letters.
constexpr int firstDarkId = 4;

// The header of an empty P section that keeps a red id free (a logo with fewer than three red
// pieces whose dark pieces overflow the TP table); check accepts it for ids 1-3 only.
constexpr const char* reservedHeader = "P reserved for the red mark";

// The frame draws the outline about this point. At scale 2 the view reaches 1 unit from the
// centre in every direction; a point of a back face lies 0.1 deep, so it stays in view in
// every rotation iff it lies within sqrt(0.5^2 - 0.1^2) of the centre in x-y.
constexpr double viewCentreX = -2.57, viewCentreY = 0.01;
constexpr double viewReach = 0.4898979485566356;

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

// Puts tables, counters and line buffer back to their start-of-run state, so that tests
// of the program's own frames can start each as a new run.
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

// Called for every read of a watched load, with the user pointer given to the load.
using OutlineWatcher = void (*)(const OutlineEvent& event, void* user);

// Which frame of a run a load stands for: the first starts from zeroed tables, line buffer
// and read-error state; a later one finds them as the load before left them.
enum OutlineFrame { firstFrame, laterFrame };

// One load of stream from its start, as loadOutline does, for tools, tests and benchmarks:
// outlineFile is left alone, and watcher (when given) sees every read. The tables, the line
// buffer and the read-error state are the reader's one set, shared with loadOutline. False
// when a read failed.
bool loadOutlineFrom(FILE* stream, OutlineWatcher watcher = nullptr, void* user = nullptr,
                     OutlineFrame frame = firstFrame);

// The same on the size bytes of text, as a first frame. False when a read failed.
bool loadOutlineText(const char* text, size_t size, OutlineWatcher watcher = nullptr,
                     void* user = nullptr);

// Room for a field's text and its terminating zero.
constexpr int outlineFieldBuffer = outlineFieldChars + 1;
// Room for a written point line: both fields, the line feed and the terminating zero.
constexpr int outlinePointLineBuffer = outlineYColumn + outlineFieldChars + 2;

// Writes to text the text of at most 7 characters that the reader converts nearest to value;
// among texts as near, plain decimals before exponent forms, then the shortest. Returns how
// far off it reads (infinite, with an empty text, when no text reads back finitely near).
double fieldText(double value, char (&text)[outlineFieldBuffer]);

// Writes the point line of two field texts, each right-aligned in its columns, with its line
// feed.
void writePointLine(const char* x, const char* y, char (&line)[outlinePointLineBuffer]);
