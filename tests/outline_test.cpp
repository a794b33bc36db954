// The reader of logo.txt: line rules, sections, number syntax, capacity and read errors.
#include "outline.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// A point line with the fields at their columns; the fields are given as text.
std::string pointLine(const std::string& x, const std::string& y) {
    std::string line(24, ' ');
    line += x;
    line.resize(37, ' ');
    line += y;
    return line + "\n";
}

struct Point {
    int id;
    double x, y;
};

std::vector<Point> tableRun(const OutlinePoint* table) {
    std::vector<Point> points;
    for (int slot = 1; slot < outlineSlots && table[slot].polygonId != 0; ++slot) {
        points.push_back({table[slot].polygonId, table[slot].x, table[slot].y});
    }
    return points;
}

void expectPoints(const OutlinePoint* table, const std::vector<Point>& expected) {
    std::vector<Point> actual = tableRun(table);
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i].id, expected[i].id) << "slot " << i + 1;
        EXPECT_EQ(actual[i].x, expected[i].x) << "slot " << i + 1;
        EXPECT_EQ(actual[i].y, expected[i].y) << "slot " << i + 1;
    }
}

// Keeps the bytes alive for the stream; fmemopen reads them in place.
std::string contents;

void openText(const std::string& text) {
    if (outlineFile) {
        std::fclose(outlineFile);
    }
    contents = text;
    outlineFile = fmemopen(contents.data(), contents.size(), "r");
    ASSERT_NE(outlineFile, nullptr);
}

// Loads text as the program's first load of a file; later loads read it again.
void loadFresh(const std::string& text) {
    openText(text);
    loadOutlineFrom(outlineFile);
}

} // namespace

TEST(Reader, SectionsHeadersAndIds) {
    std::string tenPoints = "P\n";
    for (int i = 1; i <= 10; ++i) {
        tenPoints += pointLine("  " + std::to_string(i), "-2.25");
    }
    loadFresh(tenPoints);
    EXPECT_EQ(tableRun(pTable).size(), 10u);
    EXPECT_EQ(pTable[10].x, 10.0);
    EXPECT_EQ(pTable[11].polygonId, 0);

    // An empty first section still uses id 1; header text after column 1 is ignored.
    loadFresh("P\nP whatever follows\n" + pointLine("1.5", "-2.25") + "TP\n" + pointLine("3", "4") +
              "TP\n" + pointLine("5", "6"));
    expectPoints(pTable, {{2, 1.5, -2.25}});
    expectPoints(tpTable, {{1, 3, 4}, {2, 5, 6}});

    // A TL stretch hides a P header and its points; the next P section takes the next id.
    loadFresh("P\n" + pointLine("1", "1") + "TL\nP\n" + pointLine("9", "9") + "TP\n" +
              pointLine("2", "2") + "P\n" + pointLine("3", "3"));
    expectPoints(pTable, {{1, 1, 1}, {2, 3, 3}});
    expectPoints(tpTable, {{1, 2, 2}});

    // A TL stretch ends at any line with 'P' in column 1; one that is no header is skipped.
    loadFresh("TL\n" + pointLine("9", "9") + "xP\n" + pointLine("8", "8") + "TP\n" +
              pointLine("2", "2"));
    EXPECT_TRUE(tableRun(pTable).empty());
    expectPoints(tpTable, {{1, 2, 2}});

    // Stray lines outside sections, 'T' with anything but 'P' or 'L', are read past.
    loadFresh(pointLine("9", "9") + "TX\n" + "T\n" + "P\n" + pointLine("1", "2"));
    expectPoints(pTable, {{1, 1, 2}});
    EXPECT_TRUE(tableRun(tpTable).empty());

    // 'T' in column 0 ends a P section whatever follows it.
    loadFresh("P\n" + pointLine("1", "1") + "TQ\n" + pointLine("9", "9") + "P\n" +
              pointLine("2", "2"));
    expectPoints(pTable, {{1, 1, 1}, {2, 2, 2}});
}

TEST(Reader, CarriageReturnsAndCtrlZ) {
    std::string lf = "P\n" + pointLine("1.25", "-3") + pointLine("4", "5");
    std::string crlf;
    for (char c : lf) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    loadFresh(crlf);
    expectPoints(pTable, {{1, 1.25, -3}, {1, 4, 5}});

    // A lone carriage return inside a line is removed and the columns close up behind it.
    loadFresh("P\n\r" + pointLine("7", "8") + "\rTP\n" + pointLine("1", "2"));
    expectPoints(pTable, {{1, 7, 8}});
    expectPoints(tpTable, {{1, 1, 2}});

    // Ctrl-Z ends the data of a load; the next load reads the file again from its start.
    std::string withCtrlZ = "P\n" + pointLine("1", "1") + "\x1a" + pointLine("2", "2");
    loadFresh(withCtrlZ);
    expectPoints(pTable, {{1, 1, 1}});
    pTable[1].x = 42;
    loadOutline();
    expectPoints(pTable, {{1, 1, 1}});

    // A Ctrl-Z inside a line ends it there; the part before it is still a line.
    loadFresh("P\n" + pointLine("1", "2").substr(0, 33) + "\x1a" + "9\n");
    EXPECT_EQ(pTable[1].x, 1.0);
    EXPECT_EQ(pTable[1].y, 0.0);
}

TEST(Reader, LineLengthsAndTheReusedBuffer) {
    std::string long44 = pointLine("1", "2"); // 44 characters and the line feed
    // 40 characters: y from columns 37 to 39 of its own characters.
    std::string forty = std::string(24, ' ') + "3" + std::string(12, ' ') + "456" + "\n";
    ASSERT_EQ(forty.size(), 41u);
    // 36 characters: the y field starts at the line feed's column and reads as 0.
    std::string thirtySix = std::string(24, ' ') + "5" + std::string(11, ' ') + "\n";
    // 30 characters: the y field lies past the terminating zero, in bytes of an earlier line.
    std::string thirty = std::string(24, ' ') + "6" + std::string(5, ' ') + "\n";
    loadFresh("P\n" + long44 + forty + thirty + thirtySix);
    expectPoints(pTable, {{1, 1, 2}, {1, 3, 456}, {1, 6, 456}, {1, 5, 0}});

    // A blank line right after a point line repeats that point.
    loadFresh("P\n" + pointLine("1.5", "-2.25") + "\n" + "P\n");
    expectPoints(pTable, {{1, 1.5, -2.25}, {1, 1.5, -2.25}});

    // 79 characters are one read; an 80th starts a second read, its own line.
    std::string line79 = pointLine("1", "2");
    line79.pop_back();
    line79.resize(79, ' ');
    std::string line80 = line79 + "7";
    loadFresh("P\n" + line79 + "\n" + line80 + "\n" + "TP\n");
    // The 79-character line leaves its line feed to a read of its own: a blank line that
    // repeats the point. The 80-character one gives its point and then "7\n", whose fields
    // come from the buffer's earlier bytes.
    expectPoints(pTable, {{1, 1, 2}, {1, 1, 2}, {1, 1, 2}, {1, 1, 2}});

    // A physical line of 200 characters is read as three lines; a 'P' at column 79 of it
    // starts a section.
    std::string overlong = pointLine("1", "2");
    overlong.pop_back();
    overlong.resize(79, ' ');
    overlong += "P" + std::string(120, 'x') + "\n";
    loadFresh("TP\n" + overlong + pointLine("3", "4"));
    expectPoints(tpTable, {{1, 1, 2}});
    expectPoints(pTable, {{1, 0, 0}, {1, 3, 4}});
}

TEST(Reader, LastLineWithoutLineFeed) {
    // The last line is used like any other, with or without its line feed.
    std::string body = "P\n" + pointLine("1", "2") + pointLine("3", "4");
    body.pop_back();
    loadFresh(body);
    expectPoints(pTable, {{1, 1, 2}, {1, 3, 4}});

    // A header as the last line opens its section, so the next id is used after it.
    loadFresh("P\n" + pointLine("1", "2") + "TP");
    expectPoints(pTable, {{1, 1, 2}});
    loadFresh("P\nP\n" + pointLine("1", "2"));
    expectPoints(pTable, {{2, 1, 2}});

    // An empty file loads nothing.
    loadFresh("");
    EXPECT_TRUE(tableRun(pTable).empty());
    EXPECT_TRUE(tableRun(tpTable).empty());
}

TEST(Reader, TablesNeverOverflow) {
    std::string text = "TP\n" + pointLine("7", "7") + "P\n";
    for (int i = 1; i <= 900; ++i) {
        text += pointLine(std::to_string(i), "1");
    }
    text += "P\n" + pointLine("-1", "-1");
    loadFresh(text);
    std::vector<Point> points = tableRun(pTable);
    ASSERT_EQ(points.size(), 839u);
    EXPECT_EQ(points.back().x, 839.0);
    EXPECT_EQ(points.back().id, 1);
    expectPoints(tpTable, {{1, 7, 7}});

    // Once full, the next load with a shorter file rewrites only its own slots.
    openText("P\n" + pointLine("5", "5") + "P\n" + pointLine("6", "6"));
    loadOutline();
    EXPECT_EQ(pTable[1].polygonId, 1);
    EXPECT_EQ(pTable[2].polygonId, 2);
    EXPECT_EQ(pTable[3].polygonId, 1); // left from the longer load
    EXPECT_EQ(pTable[3].x, 3.0);
}

TEST(Reader, ShortLinesTakeBytesOfThePreviousLoad) {
    // The line buffer outlives a load: the first load of this file reads the blank line's
    // fields from zeros, the next ones from the long line that ended the previous load.
    std::string text = "P\n\n" + pointLine("8", "9");
    loadFresh(text);
    expectPoints(pTable, {{1, 0, 0}, {1, 8, 9}});
    loadOutline();
    expectPoints(pTable, {{1, 8, 9}, {1, 8, 9}});
    loadOutline();
    expectPoints(pTable, {{1, 8, 9}, {1, 8, 9}});
}

namespace {

// A stream whose reads fail once, at a chosen offset, and would succeed afterwards.
struct FailingSource {
    std::string bytes;
    size_t position;
    size_t failAt;
    bool failed;
    int readsAfterFailure;
};

ssize_t failingRead(void* cookie, char* buffer, size_t size) {
    auto* source = static_cast<FailingSource*>(cookie);
    if (source->failed) {
        ++source->readsAfterFailure;
    }
    if (!source->failed && source->position >= source->failAt) {
        source->failed = true;
        errno = EIO;
        return -1;
    }
    size_t limit = source->failed ? source->bytes.size() : source->failAt;
    size_t count = std::min(size, limit - std::min(limit, source->position));
    std::memcpy(buffer, source->bytes.data() + source->position, count);
    source->position += count;
    return static_cast<ssize_t>(count);
}

int failingSeek(void* cookie, off64_t* offset, int whence) {
    auto* source = static_cast<FailingSource*>(cookie);
    if (whence != SEEK_SET) {
        return -1;
    }
    source->position = static_cast<size_t>(*offset);
    return 0;
}

} // namespace

// A watcher's own count, reached through the user pointer.
void countRead(const OutlineEvent&, void* user) {
    ++*static_cast<int*>(user);
}

TEST(Reader, LoadsTextWithAWatcherOfItsOwn) {
    // The program's stream holds one point; a load of text leaves it in place.
    loadFresh("P\n" + pointLine("5", "5"));
    FILE* programStream = outlineFile;
    // A long line leaves the line buffer full; the text's blank line must not see it.
    std::string text = "P\n\n" + pointLine("1", "2") + std::string(70, '9') + "\n";
    int reads = 0;
    EXPECT_TRUE(loadOutlineText(text.data(), text.size(), countRead, &reads));
    EXPECT_EQ(reads, 4);
    expectPoints(pTable, {{1, 0, 0}, {1, 1, 2}, {1, 9999999, 9999999}});
    ASSERT_EQ(outlineFile, programStream);
    // A first frame again: the blank line still reads zeros, not the 9s left in the buffer.
    EXPECT_TRUE(loadOutlineText(text.data(), text.size(), countRead, &reads));
    EXPECT_EQ(reads, 8);
    expectPoints(pTable, {{1, 0, 0}, {1, 1, 2}, {1, 9999999, 9999999}});
    // The program's next load reads its own stream, and the watcher is gone.
    loadOutline();
    EXPECT_EQ(reads, 8);
    expectPoints(pTable, {{1, 5, 5}, {1, 1, 2}, {1, 9999999, 9999999}});
    EXPECT_TRUE(loadOutlineText("", 0));
    expectPoints(pTable, {});
}

TEST(Reader, AReadErrorStaysForEveryLaterLoad) {
    std::string text = "P\n" + pointLine("1", "1") + pointLine("2", "2") + pointLine("3", "3");
    FailingSource source{text, 0, 2 + 45 + 10, false, 0};
    cookie_io_functions_t functions{failingRead, nullptr, failingSeek, nullptr};
    FILE* stream = fopencookie(&source, "r", functions);
    ASSERT_NE(stream, nullptr);
    // An unbuffered stream makes every read reach the source, so the failure lands mid-line.
    setvbuf(stream, nullptr, _IONBF, 0);
    outlineFile = stream;
    EXPECT_FALSE(loadOutlineFrom(stream));
    // The line the failing read was in is not stored.
    expectPoints(pTable, {{1, 1, 1}});

    // The source would now deliver the whole file; the reader must not even ask.
    loadOutline();
    loadOutline();
    expectPoints(pTable, {{1, 1, 1}});
    EXPECT_EQ(source.readsAfterFailure, 0);
    std::fclose(stream);
    outlineFile = nullptr;

    // A directory opens for reading on Linux, and then every read fails.
    loadFresh("P\n" + pointLine("4", "4"));
    std::fclose(outlineFile);
    outlineFile = std::fopen(TEST_DATA_DIR, "r");
    ASSERT_NE(outlineFile, nullptr);
    loadOutline();
    loadOutline();
    expectPoints(pTable, {{1, 4, 4}});
    std::fclose(outlineFile);
    outlineFile = nullptr;
}

TEST(Reader, NumberSyntax) {
    struct Case {
        const char* text;
        double value;
        int used;
    };
    const Case cases[] = {
        {"    1.5", 1.5, 7},
        {"  -2.25", -2.25, 7},
        {"       ", 0, 0},
        {"+INF", HUGE_VAL, 4},
        {" -INFxx", -HUGE_VAL, 5},
        {"INF", 0, 0},
        {"+inf", 0, 0},
        {"+nan", 0, 0},
        {"0x10", 0, 1},
        {"1e999", HUGE_VAL, 5},
        {"-1e999", -HUGE_VAL, 6},
        {"1e-400", 0, 6},
        {"1e", 1, 1},
        {"1e+", 1, 1},
        {"2.5E+2x", 250, 6},
        {".5", 0.5, 2},
        {"5.", 5, 2},
        {".", 0, 0},
        {"1,5", 1, 1},
        {"- 1", 0, 0},
        {"\t\v\f\r1", 1, 5},
        {"1.2.3", 1.2, 3},
        {"1234567", 1234567, 7},
        {"-0.0001", -0.0001, 7},
    };
    for (const Case& c : cases) {
        int used = -1;
        double value = convertField(c.text, &used);
        EXPECT_EQ(value, c.value) << '"' << c.text << '"';
        EXPECT_EQ(used, c.used) << '"' << c.text << '"';
    }
    double nan = convertField("-NAN");
    EXPECT_TRUE(std::isnan(nan));
    EXPECT_TRUE(std::signbit(nan));
    EXPECT_TRUE(std::signbit(convertField("-0")));

    // Denormals keep their value; the smallest one is still representable.
    EXPECT_EQ(convertField("1e-310"), std::strtod("1e-310", nullptr));
    EXPECT_EQ(convertField("5e-324"), std::nextafter(0.0, 1.0));

    // Only the first seven characters count, as the field is cut from the line.
    EXPECT_EQ(convertField("123456789"), 1234567);

    // Every field of the decimal alphabet converts exactly as the C library does.
    std::mt19937 random(12345);
    const char alphabet[] = "0123456789.eE+- 9";
    for (int i = 0; i < 200000; ++i) {
        char field[8] = {};
        for (int k = 0; k < 7; ++k) {
            field[k] = alphabet[random() % (sizeof alphabet - 1)];
        }
        char* end = nullptr;
        double expected = std::strtod(field, &end);
        int used = -1;
        double value = convertField(field, &used);
        ASSERT_EQ(used, end - field) << '"' << field << '"';
        ASSERT_EQ(std::memcmp(&value, &expected, sizeof value), 0) << '"' << field << '"';
    }
}

namespace {

// What one read left behind: its count, its carriage returns and the whole line buffer.
struct ReadResult {
    int length;
    int carriageReturns;
    std::string buffer;
};

// The watcher: user is the list of the load's reads.
void recordRead(const OutlineEvent& event, void* user) {
    if (event.kind != outlineCtrlZ && event.kind != outlineReadFailed) {
        static_cast<std::vector<ReadResult>*>(user)->push_back(
            {event.length, event.carriageReturns, std::string(event.line, outlineLineBuffer)});
    }
}

// The reads of one load by the line rules alone, one byte at a time: carriage returns
// dropped, at most 79 characters up to and including a line feed, a Ctrl-Z ending the data.
// buffer holds the line buffer as the load finds it and is left as the load leaves it.
std::vector<ReadResult> expectedReads(const std::string& bytes, std::string& buffer) {
    std::vector<ReadResult> reads;
    size_t at = 0;
    bool ended = false;
    while (!ended) {
        int length = 0;
        int carriageReturns = 0;
        while (length < outlineLineBuffer - 1) {
            if (at == bytes.size() || bytes[at] == '\x1a') {
                ended = true;
                break;
            }
            char c = bytes[at++];
            if (c == '\r') {
                ++carriageReturns;
                continue;
            }
            buffer[length++] = c;
            if (c == '\n') {
                break;
            }
        }
        if (length == 0) {
            break;
        }
        buffer[length] = '\0';
        reads.push_back({length, carriageReturns, buffer});
    }
    return reads;
}

// Loads text twice from the stream and checks every read of both loads against the rules.
void expectReadsFollowTheRules(const std::string& text, FILE* stream, const std::string& what) {
    std::vector<ReadResult> loads[2];
    loadOutlineFrom(stream, recordRead, &loads[0], firstFrame);
    loadOutlineFrom(stream, recordRead, &loads[1], laterFrame);
    std::string buffer(outlineLineBuffer, '\0');
    for (int load = 0; load < 2; ++load) {
        const std::vector<ReadResult>& got = loads[load];
        std::vector<ReadResult> expected = expectedReads(text, buffer);
        ASSERT_EQ(got.size(), expected.size()) << what << ", load " << load + 1;
        for (size_t i = 0; i < expected.size(); ++i) {
            ASSERT_TRUE(got[i].length == expected[i].length &&
                        got[i].carriageReturns == expected[i].carriageReturns &&
                        got[i].buffer == expected[i].buffer)
                << what << ", load " << load + 1 << ", read " << i << ": took " << got[i].length
                << " with " << got[i].carriageReturns << " carriage returns, expected "
                << expected[i].length << " with " << expected[i].carriageReturns;
        }
    }
}

// A stream on a real file, so that reads go through the system as the program's do.
FILE* fileWith(const std::string& text) {
    FILE* file = std::tmpfile();
    if (file) {
        std::fwrite(text.data(), 1, text.size(), file);
        std::fflush(file);
    }
    return file;
}

} // namespace

TEST(Reader, LinesAcrossTheChunkBoundary) {
    // The reader takes the file in 128 KiB chunks. A first line of `shift` characters moves
    // the boundary through every column of the point lines that follow, ended by a line
    // feed or by a carriage return and line feed (which the boundary may part).
    for (const char* ending : {"\n", "\r\n"}) {
        for (int shift = 0; shift <= 46; ++shift) {
            std::string text = "P" + std::string(shift, ' ') + ending;
            for (int i = 0; text.size() < 140000; ++i) {
                std::string line = pointLine(std::to_string(i % 9973), "-" + std::to_string(i));
                line.pop_back();
                text += line + ending;
            }
            FILE* file = fileWith(text);
            ASSERT_NE(file, nullptr);
            expectReadsFollowTheRules(text, file, "shift " + std::to_string(shift));
            std::fclose(file);
            outlineFile = nullptr;
            if (HasFatalFailure()) {
                return;
            }
        }
    }
}

TEST(Reader, EveryReadFollowsTheLineRules) {
    // Carriage returns and Ctrl-Z where a line is copied whole, and around it.
    const std::string pointText = pointLine("1.5", "-2");
    const std::string cases[] = {
        "P\r\n" + pointText.substr(0, 44) + "\r\n",          // ending in CR LF
        "P\n12\r34\r\n" + pointText,                         // a lone CR before a CR LF
        "P\n1234\r\r\n" + pointText,                         // two CRs before the line feed
        "P\n\r\n\r\r\n\n" + pointText,                       // blank lines with CRs
        "P\n" + pointText + "\x1a" + pointText,              // Ctrl-Z after a line feed
        "P\n" + pointText.substr(0, 30) + "\x1a\n",          // Ctrl-Z before the line feed
        "P\n" + std::string(78, '7') + "\r\n" + pointText,   // 78 characters and CR LF
        "P\n" + std::string(79, '7') + "\r\n" + pointText,   // 79: the CR LF is its own read
        "P\n" + std::string(77, '7') + "\r\r\n" + pointText, // 77, two CRs: one read
        "P\n" + std::string(200, '7') + "\n" + pointText,    // one line, three reads
        "P\n" + pointText + "\r",                            // a CR as the last byte
        "\r\r\r",                                            // nothing but CRs
    };
    int index = 0;
    for (const std::string& text : cases) {
        openText(text);
        expectReadsFollowTheRules(text, outlineFile, "case " + std::to_string(index++));
        if (HasFatalFailure()) {
            return;
        }
    }

    // Random lines of every length around the limits, with CRs inside and at their ends,
    // sometimes a Ctrl-Z, in files up to three chunks long.
    std::mt19937 random(2024);
    const int lengths[] = {0, 1, 2, 30, 36, 43, 44, 45, 77, 78, 79, 80, 81, 120, 200};
    const char alphabet[] = "    0123456789.-eEPTL";
    for (int n = 0; n < 200; ++n) {
        size_t size = n % 10 == 0 ? 280000 : random() % 3000;
        std::string text;
        while (text.size() < size) {
            int length = lengths[random() % (sizeof lengths / sizeof lengths[0])];
            for (int i = 0; i < length; ++i) {
                text += random() % 64 == 0 ? '\r' : alphabet[random() % (sizeof alphabet - 1)];
            }
            int ending = random() % 8;
            text += ending == 0 ? "\r\n" : ending == 1 ? "\r\r\n" : "\n";
        }
        if (!text.empty() && random() % 4 == 0) {
            text[random() % text.size()] = '\x1a';
        }
        openText(text);
        expectReadsFollowTheRules(text, outlineFile, "random file " + std::to_string(n));
        if (HasFatalFailure()) {
            return;
        }
    }
}

TEST(Reader, EveryLeadingByteConvertsAsTheCLibraryDoes) {
    // Only the six white-space characters are skipped before a number; any other byte in
    // front of it leaves no number, and one in front of a word leaves the word unread.
    for (int c = 1; c < 256; ++c) {
        for (const char* rest : {"1", "+INF"}) {
            std::string field = std::string(1, static_cast<char>(c)) + rest;
            char* end = nullptr;
            double expected = std::strtod(field.c_str(), &end);
            int used = -1;
            double value = convertField(field.c_str(), &used);
            ASSERT_EQ(used, end - field.c_str()) << "byte " << c << " before " << rest;
            ASSERT_EQ(value, expected) << "byte " << c << " before " << rest;
        }
        // A word needs all three of its letters, in upper case.
        for (const char* stem : {"+IN", "-NA"}) {
            std::string field = stem + std::string(1, static_cast<char>(c));
            char* end = nullptr;
            double expected = c == 'f' || c == 'n' ? 0 : std::strtod(field.c_str(), &end);
            int expectedUsed = c == 'f' || c == 'n' ? 0 : static_cast<int>(end - field.c_str());
            int used = -1;
            double value = convertField(field.c_str(), &used);
            ASSERT_EQ(used, expectedUsed) << field;
            ASSERT_EQ(std::memcmp(&value, &expected, sizeof value), 0) << field;
        }
    }
}
