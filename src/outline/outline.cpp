// The reader of logo.txt: its line rules, its number syntax and the two tables it fills.
#include "outline.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

OutlinePoint pTable[outlineSlots];
OutlinePoint tpTable[outlineSlots];
FILE* outlineFile = nullptr;

namespace {

constexpr int maxLineChars = outlineLineBuffer - 1; // what one read takes at most, as fgets
constexpr int pKind = 1;
constexpr int tpKind = 3;
constexpr unsigned char ctrlZ = 26;
// Room for a file that fills both tables with plain point lines (about 77 KB), so that
// such a file is taken in one read and the read that finds its end.
constexpr size_t chunkBytes = 128 * 1024;

// Reader state, living for the whole run. The line buffer is never cleared: a short line
// leaves the tail of an earlier, longer one in place, and the fields are cut from it.
char lineBuffer[outlineLineBuffer];
char xText[outlineFieldChars + 1];
char yText[outlineFieldChars + 1];
int nextSlotP, nextSlotTP;
int polygonIdP, polygonIdTP;

// The load under way: its stream and its watcher, null for the program's loads.
FILE* source;
OutlineWatcher watcher;
void* watcherUser;

// The stream is read in chunks; each load starts a fresh pass after its seek.
unsigned char chunk[chunkBytes];
size_t chunkPos, chunkEnd;
bool streamDrained; // the last fread came back short: end of file or an error follows
bool readFailed;    // a read of this stream has failed; sticky until another stream is taken
bool dataEnded;     // end of file or a Ctrl-Z reached in this load
int lineNumber;     // physical line the next read starts in
int carriageReturns;
// Where the chunk's first Ctrl-Z stands, and its first carriage return at or after
// chunkPos (updated when chunkPos passes it); chunkEnd for none. A line that ends before
// both is copied in one go.
size_t ctrlZPos, crPos;

void report(OutlineEventKind kind, int length, int polygonId = 0, int slot = 0, double x = 0,
            double y = 0) {
    OutlineEvent event{kind, lineNumber, length, carriageReturns, lineBuffer, polygonId,
                       slot, x,          y};
    watcher(event, watcherUser);
}

// The index of the first byte at or after from in the chunk, or chunkEnd for none.
size_t findInChunk(unsigned char byte, size_t from) {
    const void* found = std::memchr(chunk + from, byte, chunkEnd - from);
    return found ? static_cast<size_t>(static_cast<const unsigned char*>(found) - chunk) : chunkEnd;
}

// Refills the chunk; false when nothing more comes in this load.
bool refill() {
    if (streamDrained) {
        dataEnded = true;
        if (ferror(source)) {
            readFailed = true;
        }
        return false;
    }
    chunkPos = 0;
    chunkEnd = fread(chunk, 1, chunkBytes, source);
    if (chunkEnd < chunkBytes) {
        streamDrained = true;
    }
    if (chunkEnd == 0) {
        return refill();
    }
    ctrlZPos = findInChunk(ctrlZ, 0);
    crPos = findInChunk('\r', 0);
    return true;
}

// The common read: a line feed within the next 79 bytes of the chunk and no Ctrl-Z before
// it, nor any carriage return but one right before the line feed. Copies the line and
// returns its count of characters, or 0 to leave the read to readLine's byte loop.
int readWholeLine() {
    size_t span = chunkEnd - chunkPos;
    if (span > static_cast<size_t>(maxLineChars)) {
        span = maxLineChars;
    }
    const void* found = std::memchr(chunk + chunkPos, '\n', span);
    if (found == nullptr) {
        return 0;
    }
    size_t lineFeed = static_cast<size_t>(static_cast<const unsigned char*>(found) - chunk);
    if (ctrlZPos < lineFeed) {
        return 0;
    }
    if (crPos < chunkPos) {
        crPos = findInChunk('\r', chunkPos);
    }
    size_t spanned = lineFeed + 1 - chunkPos;
    size_t taken = spanned;
    carriageReturns = 0;
    if (crPos + 1 == lineFeed) {
        // A line ending in carriage return and line feed: the line feed closes up.
        taken = spanned - 1;
        carriageReturns = 1;
        std::memcpy(lineBuffer, chunk + chunkPos, taken - 1);
        lineBuffer[taken - 1] = '\n';
    } else if (crPos < lineFeed) {
        return 0;
    } else {
        std::memcpy(lineBuffer, chunk + chunkPos, taken);
    }
    lineBuffer[taken] = '\0';
    chunkPos = lineFeed + 1;
    return static_cast<int>(taken);
}

// One read as fgets does it into the 80-byte buffer, with carriage returns removed first
// and a Ctrl-Z ending the data. Returns the count of characters taken, 0 for no line.
int readLine() {
    if (dataEnded || readFailed) {
        return 0;
    }
    int taken = readWholeLine();
    if (taken > 0) {
        return taken;
    }
    carriageReturns = 0;
    while (taken < maxLineChars) {
        if (chunkPos == chunkEnd && !refill()) {
            if (readFailed) {
                if (watcher) {
                    report(outlineReadFailed, 0);
                }
                return 0;
            }
            break;
        }
        unsigned char c = chunk[chunkPos++];
        if (c == '\r') {
            ++carriageReturns;
            continue;
        }
        if (c == ctrlZ) {
            dataEnded = true;
            if (watcher) {
                report(outlineCtrlZ, 0);
            }
            break;
        }
        lineBuffer[taken++] = static_cast<char>(c);
        if (c == '\n') {
            break;
        }
    }
    if (taken > 0) {
        lineBuffer[taken] = '\0';
    }
    return taken;
}

// Line numbers follow the line feeds that the reads consume.
void endLine(int taken) {
    if (lineBuffer[taken - 1] == '\n') {
        ++lineNumber;
    }
}

double powerOfTen(int exponent) {
    static const double exact[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    return exact[exponent];
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Converts a field of at most seven characters; longer digit runs would overflow.
double convertShortField(const char* text, int* used) {
    const char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r') {
        ++p;
    }
    bool negative = *p == '-';
    if (negative || *p == '+') {
        ++p;
        // Only an explicit sign admits the words, and only in upper case.
        if (std::strncmp(p, "INF", 3) == 0 || std::strncmp(p, "NAN", 3) == 0) {
            if (used) {
                *used = static_cast<int>(p + 3 - text);
            }
            double value = p[0] == 'I' ? HUGE_VAL : std::numeric_limits<double>::quiet_NaN();
            return negative ? -value : value;
        }
    }
    // A field holds at most seven characters, so the digits always fit a long exactly.
    long mantissa = 0;
    int digits = 0;
    int fractionDigits = 0;
    while (isDigit(*p)) {
        mantissa = mantissa * 10 + (*p++ - '0');
        ++digits;
    }
    if (*p == '.') {
        ++p;
        while (isDigit(*p)) {
            mantissa = mantissa * 10 + (*p++ - '0');
            ++digits;
            ++fractionDigits;
        }
    }
    if (digits == 0) {
        if (used) {
            *used = 0;
        }
        return 0.0;
    }
    long exponent = 0;
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        bool negativeExponent = *q == '-';
        if (*q == '-' || *q == '+') {
            ++q;
        }
        if (isDigit(*q)) {
            while (isDigit(*q)) {
                exponent = exponent * 10 + (*q++ - '0');
            }
            if (negativeExponent) {
                exponent = -exponent;
            }
            p = q;
        }
    }
    if (used) {
        *used = static_cast<int>(p - text);
    }
    long scale = exponent - fractionDigits;
    double value;
    if (mantissa == 0) {
        value = 0.0;
    } else if (scale >= 0 && scale <= 22) {
        // Both operands exact, so one rounding: the correctly rounded result.
        value = static_cast<double>(mantissa) * powerOfTen(static_cast<int>(scale));
    } else if (scale < 0 && scale >= -22) {
        value = static_cast<double>(mantissa) / powerOfTen(static_cast<int>(-scale));
    } else {
        // Far exponents: strtod rounds them correctly. Digits and exponent only, so the
        // locale's decimal point never matters.
        char canonical[40];
        std::snprintf(canonical, sizeof canonical, "%lde%ld", mantissa, scale);
        value = std::strtod(canonical, nullptr);
    }
    return negative ? -value : value;
}

void storePoint(int kind, int taken) {
    OutlinePoint* table = kind == pKind ? pTable : tpTable;
    int& nextSlot = kind == pKind ? nextSlotP : nextSlotTP;
    int polygonId = kind == pKind ? polygonIdP : polygonIdTP;
    // Points past the last slot are dropped; only a watcher still wants their values.
    bool fits = nextSlot < outlineSlots;
    if (!fits && !watcher) {
        return;
    }
    std::memcpy(xText, lineBuffer + outlineXColumn, outlineFieldChars);
    std::memcpy(yText, lineBuffer + outlineYColumn, outlineFieldChars);
    xText[outlineFieldChars] = '\0';
    yText[outlineFieldChars] = '\0';
    double x = convertShortField(xText, nullptr);
    double y = convertShortField(yText, nullptr);
    if (fits) {
        table[nextSlot] = OutlinePoint{polygonId, x, y};
    }
    if (watcher) {
        report(fits ? outlinePoint : outlineDropped, taken, polygonId, nextSlot, x, y);
    }
    if (fits) {
        ++nextSlot;
    }
}

bool isHeaderStart(char c) {
    return c == 'P' || c == 'T';
}

// Reads the section whose header is the current line; returns the count taken by the read
// that ended it (a line starting with 'P' or 'T'), or 0 at the end of the data.
int readSection(int kind) {
    int taken = readLine();
    while (taken > 0 && !isHeaderStart(lineBuffer[0])) {
        storePoint(kind, taken);
        endLine(taken);
        taken = readLine();
    }
    ++(kind == pKind ? polygonIdP : polygonIdTP);
    return taken;
}

// Skips from a TL header to the next line with 'P' in column 1, which is returned unread.
int skipTlStretch(int headerTaken) {
    if (watcher) {
        report(outlineTlHeader, headerTaken);
    }
    endLine(headerTaken);
    int taken = readLine();
    while (taken > 0 && lineBuffer[1] != 'P') {
        if (watcher) {
            report(outlineHidden, taken);
        }
        endLine(taken);
        taken = readLine();
    }
    return taken;
}

// One load of source from its start.
void loadFromStart() {
    nextSlotP = nextSlotTP = 1;
    polygonIdP = polygonIdTP = 1;
    lineNumber = 1;
    chunkPos = chunkEnd = 0;
    streamDrained = false;
    dataEnded = false;
    // fseek clears only the end-of-file indicator; a read error stays with the stream.
    std::fseek(source, 0, SEEK_SET);
    if (ferror(source)) {
        readFailed = true;
    }

    int taken = readLine();
    while (taken > 0) {
        if (lineBuffer[0] == 'P') {
            if (watcher) {
                report(outlinePHeader, taken, polygonIdP);
            }
            endLine(taken);
            taken = readSection(pKind);
        } else if (lineBuffer[0] == 'T' && lineBuffer[1] == 'P') {
            if (watcher) {
                report(outlineTpHeader, taken, polygonIdTP);
            }
            endLine(taken);
            taken = readSection(tpKind);
        } else if (lineBuffer[0] == 'T' && lineBuffer[1] == 'L') {
            taken = skipTlStretch(taken);
        } else {
            // No header where one must stand: nothing is stored, the next line is read.
            if (watcher) {
                report(outlineStray, taken);
            }
            endLine(taken);
            taken = readLine();
        }
    }
}

} // namespace

double convertField(const char* text, int* used) {
    char field[outlineFieldChars + 1] = {};
    std::strncpy(field, text, outlineFieldChars);
    return convertShortField(field, used);
}

void useOutlineStream(FILE* stream) {
    outlineFile = stream;
    readFailed = false;
}

void loadOutline() {
    source = outlineFile;
    loadFromStart();
}

bool loadOutlineFrom(FILE* stream, OutlineWatcher watch, void* user, OutlineFrame frame) {
    if (frame == firstFrame) {
        resetOutline();
    }
    source = stream;
    watcher = watch;
    watcherUser = user;
    loadFromStart();
    watcher = nullptr;
    watcherUser = nullptr;
    return !readFailed;
}

bool loadOutlineText(const char* text, size_t size, OutlineWatcher watch, void* user) {
    // fmemopen only reads the bytes; its interface asks for a writable buffer.
    FILE* stream = fmemopen(const_cast<char*>(text), size, "r");
    if (stream == nullptr) {
        return false;
    }
    bool read = loadOutlineFrom(stream, watch, user);
    std::fclose(stream);
    return read;
}

void resetOutline() {
    std::memset(pTable, 0, sizeof pTable);
    std::memset(tpTable, 0, sizeof tpTable);
    std::memset(lineBuffer, 0, sizeof lineBuffer);
    nextSlotP = nextSlotTP = 0;
    polygonIdP = polygonIdTP = 0;
    readFailed = false;
}
