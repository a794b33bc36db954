// `check`: loads a logo.txt once through the program's reader, watching every read, and
// explains what the program will draw and what in the file it will read differently from
// what its author likely meant.
#include "outline.h"
#include "outlinetool.h"
#include "shape.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace {

// One read as the watcher saw it, with its own copy of the line buffer.
struct Read {
    OutlineEventKind kind;
    int lineNumber;
    int length;
    int carriageReturns;
    char line[outlineLineBuffer];
    int polygonId;
    double x, y;
};

// The watcher of check's load: user is the list of reads.
void keepRead(const OutlineEvent& event, void* user) {
    Read read{event.kind, event.lineNumber, event.length, event.carriageReturns,
              {},         event.polygonId,  event.x,      event.y};
    std::memcpy(read.line, event.line, outlineLineBuffer);
    static_cast<std::vector<Read>*>(user)->push_back(read);
}

struct Warning {
    int line;
    std::string text;
};

// What the reads are analysed into: the warnings, and what each byte of the line buffer
// last held.
struct Findings {
    std::vector<Warning> warnings;
    // The line that last wrote each byte of the line buffer; 0 for bytes still zero-filled.
    int writer[outlineLineBuffer] = {};
    // Lines read as points with fields of their own.
    std::set<int> pointLines;
};

struct Polygon {
    bool tp;
    int id;
    int headerLine;
    bool reserved; // an empty section meant to keep its id free
    std::vector<Vertex> points;
    int dropped; // points past the last slot of the table
};

std::string number(double value) {
    char text[64];
    std::snprintf(text, sizeof text, std::fabs(value) < 1e6 ? "%.4f" : "%g", value);
    return text;
}

// The view centre as written in the program's help: -2.57 and 0.01.
std::string shortNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string tableName(bool tp) {
    return tp ? "TP" : "P";
}

std::string polygonName(const Polygon& polygon) {
    return tableName(polygon.tp) + " polygon " + std::to_string(polygon.id);
}

std::string colourClass(const Polygon& polygon) {
    if (polygon.tp) {
        return "TP face";
    }
    return polygon.id < firstDarkId ? "red" : "dark";
}

std::string quoted(const char* text, int count) {
    std::string shown = "'";
    for (int i = 0; i < count; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= ' ' && c < 127) {
            shown += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            shown += escaped;
        }
    }
    return shown + "'";
}

void warn(Findings& found, int line, const std::string& text) {
    found.warnings.push_back({line, text});
}

// One field of a point line: where its text came from and what the reader made of it.
void checkField(Findings& found, const Read& read, const char* name, int column) {
    const char* line = read.line;
    int length = read.length;
    bool hasLineFeed = line[length - 1] == '\n';
    int end = hasLineFeed ? length - 1 : length; // the line's own characters
    std::string field = std::string(name) + " field (columns " + std::to_string(column) + "-" +
                        std::to_string(column + outlineFieldChars - 1) + ")";
    int used = 0;
    double value = convertField(line + column, &used);
    if (column > length) {
        // Past the terminating zero: bytes that earlier, longer reads left in the buffer.
        int source = found.writer[column];
        std::string from = source == 0 ? "bytes no line has written (zero on the first frame)"
                                       : "bytes of line " + std::to_string(source);
        bool blank = std::all_of(line, line + end, [](char c) { return c == ' ' || c == '\t'; });
        if (!blank) {
            warn(found, read.lineNumber,
                 "short line (" + std::to_string(end) + " characters): its " + field + " takes " +
                     from + ", read as " + number(value));
        }
        return;
    }
    if (column >= end) {
        warn(found, read.lineNumber,
             "the line ends before its " + field + ": no number, read as 0");
        return;
    }
    int own = std::min(end - column, outlineFieldChars);
    std::string text = quoted(line + column, own);
    if (used == 0) {
        warn(found, read.lineNumber, field + " " + text + " holds no number: read as 0");
    } else if (std::isnan(value)) {
        warn(found, read.lineNumber, field + " " + text + " is NaN");
    } else if (std::isinf(value)) {
        warn(found, read.lineNumber, field + " " + text + " is an infinity");
    } else if (used < own && !std::all_of(line + column + used, line + column + own,
                                          [](char c) { return c == ' ' || c == '\t'; })) {
        warn(found, read.lineNumber,
             field + " " + text + ": only " + quoted(line + column, used) + " is read, as " +
                 number(value));
    }
}

// Text a point line holds outside its two fields is ignored; it is most often a number
// that stands in the wrong columns.
void checkOutsideFields(Findings& found, const Read& read) {
    const char* line = read.line;
    int end = line[read.length - 1] == '\n' ? read.length - 1 : read.length;
    const int gaps[3][2] = {{0, outlineXColumn},
                            {outlineXColumn + outlineFieldChars, outlineYColumn},
                            {outlineYColumn + outlineFieldChars, outlineLineBuffer}};
    for (const auto& gap : gaps) {
        int first = -1, last = -1;
        for (int column = gap[0]; column < std::min(gap[1], end); ++column) {
            if (line[column] != ' ' && line[column] != '\t') {
                first = first < 0 ? column : first;
                last = column;
            }
        }
        if (first >= 0) {
            warn(found, read.lineNumber,
                 "text in columns " + std::to_string(first) + "-" + std::to_string(last) + " " +
                     quoted(line + first, last - first + 1) +
                     " lies outside the x and y fields and is ignored");
        }
    }
    const char* tab = static_cast<const char*>(std::memchr(line, '\t', end));
    if (tab != nullptr && tab - line < outlineYColumn + outlineFieldChars) {
        warn(found, read.lineNumber,
             "tab in column " + std::to_string(tab - line) +
                 ": the program counts it as one column");
    }
}

void checkPointLine(Findings& found, const Read& read) {
    const char* line = read.line;
    int end = line[read.length - 1] == '\n' ? read.length - 1 : read.length;
    bool blank = std::all_of(line, line + end, [](char c) { return c == ' ' || c == '\t'; });
    if (blank && end < outlineXColumn) {
        int source = found.writer[outlineXColumn];
        std::string point = "(" + number(read.x) + ", " + number(read.y) + ")";
        if (source != 0 && source == found.writer[outlineYColumn] &&
            found.pointLines.count(source)) {
            warn(found, read.lineNumber,
                 "blank line in a section repeats the point " + point + " of line " +
                     std::to_string(source));
        } else {
            std::string from = source == 0 ? "bytes no line has written"
                                           : "bytes of line " + std::to_string(source);
            warn(found, read.lineNumber,
                 "blank line in a section stores a point " + point + " from " + from);
        }
        return;
    }
    checkField(found, read, "x", outlineXColumn);
    checkField(found, read, "y", outlineYColumn);
    checkOutsideFields(found, read);
}

// What a read became, for the rest of a long line.
std::string readKind(const Read& read) {
    switch (read.kind) {
    case outlinePHeader:
        return "a P header";
    case outlineTpHeader:
        return "a TP header";
    case outlineTlHeader:
        return "a TL header";
    case outlineHidden:
        return "hidden in a TL stretch";
    case outlineStray:
        return "skipped";
    default:
        return "a point (" + number(read.x) + ", " + number(read.y) + ")";
    }
}

void checkPolygon(Findings& found, const Polygon& polygon) {
    std::string name = polygonName(polygon);
    size_t count = polygon.points.size();
    if (count == 0) {
        if (polygon.dropped > 0) {
            return; // the warning about the full table covers it
        }
        if (polygon.reserved && polygon.id < firstDarkId) {
            return;
        }
        warn(found, polygon.headerLine,
             tableName(polygon.tp) +
                 " section holds no points: it draws "
                 "nothing but uses polygon id " +
                 std::to_string(polygon.id));
        return;
    }
    if (count < 3) {
        warn(found, polygon.headerLine,
             name + " has only " + std::to_string(count) + " point" + (count == 1 ? "" : "s") +
                 ": fewer than three draw no face");
    } else {
        int line = 0;
        std::string problem;
        if (shapeProblem(polygon.points, name, &line, &problem)) {
            warn(found, line, problem);
        }
    }
    int outside = 0, firstLine = 0;
    double farthest = 0;
    for (const Vertex& point : polygon.points) {
        double distance = std::hypot(point.x - viewCentreX, point.y - viewCentreY);
        if (std::isfinite(distance) && distance > viewReach) {
            if (outside++ == 0) {
                firstLine = point.line;
            }
            farthest = std::max(farthest, distance);
        }
    }
    if (outside > 0) {
        warn(found, firstLine,
             name + " leaves the view at scale 2: " + std::to_string(outside) + " point" +
                 (outside == 1 ? " lies" : "s lie") + " farther than " + number(viewReach) +
                 " from (" + shortNumber(viewCentreX) + ", " + shortNumber(viewCentreY) +
                 "), up to " + number(farthest));
    }
}

void listTable(bool tp, const std::vector<Polygon>& polygons, std::ostream& out) {
    out << tableName(tp) << " table\n";
    int drawn = 0, points = 0;
    for (const Polygon& polygon : polygons) {
        if (polygon.tp != tp || polygon.points.empty()) {
            continue;
        }
        double x0 = HUGE_VAL, x1 = -HUGE_VAL, y0 = HUGE_VAL, y1 = -HUGE_VAL;
        for (const Vertex& point : polygon.points) {
            x0 = std::fmin(x0, point.x);
            x1 = std::fmax(x1, point.x);
            y0 = std::fmin(y0, point.y);
            y1 = std::fmax(y1, point.y);
        }
        out << "  polygon " << polygon.id << ": " << polygon.points.size() << " points, "
            << colourClass(polygon) << ", x " << number(x0) << " to " << number(x1) << ", y "
            << number(y0) << " to " << number(y1) << " (lines " << polygon.points.front().line
            << "-" << polygon.points.back().line << ")\n";
        ++drawn;
        points += static_cast<int>(polygon.points.size());
    }
    out << "  total: " << drawn << (drawn == 1 ? " polygon, " : " polygons, ") << points
        << (points == 1 ? " point\n" : " points\n");
}

// The state of the walk over the reads: the sections met, the TL stretch and the run of
// carriage returns still open, and the points each table dropped.
struct Walk {
    std::vector<Polygon> polygons;
    Polygon* section = nullptr;
    int tlLine = 0, tlFirst = 0, tlLast = 0, tlReads = 0, tlHeaders = 0;
    int dropped[2] = {}, droppedFirst[2] = {}, droppedLast[2] = {};
    int crFirst = 0, crLast = 0, crLines = 0;
    int previousLine = 0, longWarned = 0;
    Findings found;
};

void endTl(Walk& walk) {
    if (walk.tlLine == 0) {
        return;
    }
    if (walk.tlReads == 0) {
        warn(walk.found, walk.tlLine, "TL stretch hides no line");
    } else {
        warn(walk.found, walk.tlLine,
             "TL stretch: lines " + std::to_string(walk.tlFirst) + "-" +
                 std::to_string(walk.tlLast) + " are ignored (" + std::to_string(walk.tlHeaders) +
                 (walk.tlHeaders == 1 ? " P header" : " P headers") + " among " +
                 std::to_string(walk.tlReads) + " lines)");
    }
    walk.tlLine = 0;
}

void endCarriageReturns(Walk& walk) {
    if (walk.crLines > 0) {
        warn(walk.found, walk.crFirst,
             walk.crLines == 1 ? std::string("carriage return removed")
                               : "carriage returns removed on " + std::to_string(walk.crLines) +
                                     " lines, up to line " + std::to_string(walk.crLast));
    }
    walk.crLines = 0;
}

// A P header that keeps ids 1-3 free for a red mark still to come, as import writes it.
bool isReservedHeader(const Read& read) {
    size_t length = std::strlen(reservedHeader);
    return read.kind == outlinePHeader && std::strncmp(read.line, reservedHeader, length) == 0 &&
           (read.line[length] == '\n' || read.line[length] == '\0');
}

// The warnings about a read's line as a whole: the rest of a long line, carriage returns.
// Returns whether the read is the rest of a long line.
bool walkLine(Walk& walk, const Read& read) {
    // A read that begins in the line the previous one began in is the rest of a long line.
    bool rest = read.lineNumber == walk.previousLine;
    if (rest && walk.longWarned != read.lineNumber) {
        warn(walk.found, read.lineNumber,
             "longer than " + std::to_string(outlineLongestLine) +
                 " characters: the program reads the rest (from column " +
                 std::to_string(outlineLineBuffer - 1) + ") as a line of its own, " +
                 readKind(read));
        walk.longWarned = read.lineNumber;
    }
    walk.previousLine = read.lineNumber;
    if (read.carriageReturns > 0) {
        if (walk.crLines > 0 && read.lineNumber > walk.crLast + 1) {
            endCarriageReturns(walk);
        }
        if (walk.crLines++ == 0) {
            walk.crFirst = read.lineNumber;
        }
        walk.crLast = read.lineNumber;
    }
    return rest;
}

// What one read adds to the sections and to the warnings about lines.
void walkRead(Walk& walk, const Read& read) {
    bool rest = walkLine(walk, read);
    if (read.kind != outlineHidden) {
        endTl(walk);
    }
    switch (read.kind) {
    case outlinePHeader:
    case outlineTpHeader:
        walk.polygons.push_back({read.kind == outlineTpHeader,
                                 read.polygonId,
                                 read.lineNumber,
                                 isReservedHeader(read),
                                 {},
                                 0});
        walk.section = &walk.polygons.back();
        break;
    case outlineTlHeader:
        walk.section = nullptr;
        walk.tlLine = read.lineNumber;
        walk.tlReads = walk.tlHeaders = 0;
        break;
    case outlineHidden:
        if (walk.tlReads++ == 0) {
            walk.tlFirst = read.lineNumber;
        }
        walk.tlLast = read.lineNumber;
        walk.tlHeaders += read.line[0] == 'P';
        break;
    case outlineStray:
        walk.section = nullptr;
        warn(walk.found, read.lineNumber,
             "skipped: neither a header (P, TP, TL) nor inside a section");
        break;
    case outlinePoint:
    case outlineDropped:
        if (!rest) {
            checkPointLine(walk.found, read);
        }
        if (read.kind == outlinePoint) {
            walk.section->points.push_back({read.x, read.y, read.lineNumber});
        } else {
            ++walk.section->dropped;
            int table = walk.section->tp ? 1 : 0;
            if (walk.dropped[table]++ == 0) {
                walk.droppedFirst[table] = read.lineNumber;
            }
            walk.droppedLast[table] = read.lineNumber;
        }
        if (!rest && read.length > outlineXColumn) {
            walk.found.pointLines.insert(read.lineNumber);
        }
        break;
    default:
        break;
    }
    for (int column = 0; column <= read.length && column < outlineLineBuffer; ++column) {
        walk.found.writer[column] = read.lineNumber;
    }
}

// Stage 1: one load of path, as the program's first frame, every read kept. False, with a
// message on err, when the file cannot be opened.
bool loadWatched(const char* path, std::vector<Read>* reads, int* readError, std::ostream& err) {
    FILE* stream = std::fopen(path, "r");
    if (stream == nullptr) {
        err << "logotipo-outline: cannot open " << path << ": " << std::strerror(errno) << "\n";
        return false;
    }
    loadOutlineFrom(stream, keepRead, reads);
    *readError = ferror(stream) ? errno : 0;
    std::fclose(stream);
    return true;
}

// What is still open when the reads end: a TL stretch, a run of carriage returns, and the
// points each table dropped.
void endWalk(Walk& walk) {
    endTl(walk);
    endCarriageReturns(walk);
    for (int table = 0; table < 2; ++table) {
        if (walk.dropped[table] > 0) {
            warn(walk.found, walk.droppedFirst[table],
                 "dropped: the " + tableName(table == 1) + " table is full (" +
                     std::to_string(outlineCapacity) + " points); " +
                     std::to_string(walk.dropped[table]) + " points up to line " +
                     std::to_string(walk.droppedLast[table]) + " are not stored");
        }
    }
}

// Stage 2: the sections the reads make and every warning about them. False, with a message
// on err, when a read failed.
bool analyse(const char* path, const std::vector<Read>& reads, int readError,
             std::vector<Polygon>* polygons, std::vector<Warning>* warnings, std::ostream& err) {
    Walk walk;
    for (const Read& read : reads) {
        if (read.kind == outlineReadFailed) {
            err << "logotipo-outline: cannot read " << path << ": read failed at line "
                << read.lineNumber << " (" << std::strerror(readError ? readError : EIO) << ")\n";
            return false;
        }
        if (read.kind == outlineCtrlZ) {
            warn(walk.found, read.lineNumber,
                 "Ctrl-Z (byte 26) ends the data: nothing after it is read");
            continue;
        }
        walkRead(walk, read);
    }
    endWalk(walk);
    for (const Polygon& polygon : walk.polygons) {
        checkPolygon(walk.found, polygon);
    }
    bool nothing = std::none_of(walk.polygons.begin(), walk.polygons.end(),
                                [](const Polygon& p) { return !p.points.empty(); });
    if (nothing) {
        warn(walk.found, 1, "no points: the program draws nothing");
    }
    *polygons = std::move(walk.polygons);
    *warnings = std::move(walk.found.warnings);
    return true;
}

// Stage 3: the tables as the program will draw them, then the warnings in line order.
int report(const char* path, const std::vector<Polygon>& polygons, std::vector<Warning> warnings,
           std::ostream& out) {
    out << path << ", as the program's first frame reads it:\n";
    listTable(false, polygons, out);
    listTable(true, polygons, out);
    std::stable_sort(warnings.begin(), warnings.end(),
                     [](const Warning& a, const Warning& b) { return a.line < b.line; });
    for (const Warning& warning : warnings) {
        out << "line " << warning.line << ": " << warning.text << "\n";
    }
    if (warnings.empty()) {
        out << "no warnings\n";
        return exitDone;
    }
    out << warnings.size() << (warnings.size() == 1 ? " warning\n" : " warnings\n");
    return exitRefused;
}

} // namespace

int checkOutline(const char* path, std::ostream& out, std::ostream& err) {
    std::vector<Read> reads;
    int readError = 0;
    std::vector<Polygon> polygons;
    std::vector<Warning> warnings;
    if (!loadWatched(path, &reads, &readError, err) ||
        !analyse(path, reads, readError, &polygons, &warnings, err)) {
        return exitBadInput;
    }
    return report(path, polygons, std::move(warnings), out);
}
