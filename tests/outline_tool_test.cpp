// logotipo-outline: check's warnings and totals against the reader's own tables, format's
// round trip through the reader and its refusals.
#include "outline.h"
#include "outlinetool.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string fixture(const std::string& name) {
    return std::string(TEST_DATA_DIR) + "/checker/" + name;
}

struct CheckResult {
    int status;
    std::string out, err;
};

CheckResult check(const std::string& path) {
    std::ostringstream out, err;
    int status = checkOutline(path.c_str(), out, err);
    return {status, out.str(), err.str()};
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> warningsOf(const std::string& report) {
    std::vector<std::string> warnings;
    for (const std::string& line : linesOf(report)) {
        if (line.rfind("line ", 0) == 0) {
            warnings.push_back(line);
        }
    }
    return warnings;
}

struct Expected {
    int line;
    const char* says;
};

// Every warning of the report, in order, is the expected one on the expected line.
void expectWarnings(const std::string& name, const std::vector<Expected>& expected) {
    CheckResult result = check(fixture(name));
    std::vector<std::string> warnings = warningsOf(result.out);
    EXPECT_EQ(result.status, exitRefused) << name;
    ASSERT_EQ(warnings.size(), expected.size()) << name << ":\n" << result.out;
    for (size_t i = 0; i < expected.size(); ++i) {
        std::string prefix = "line " + std::to_string(expected[i].line) + ": ";
        EXPECT_EQ(warnings[i].rfind(prefix, 0), 0u) << name << ": " << warnings[i];
        EXPECT_NE(warnings[i].find(expected[i].says), std::string::npos)
            << name << ": " << warnings[i] << "\n  should say: " << expected[i].says;
    }
    EXPECT_NE(result.out.find(std::to_string(expected.size()) + " warning"), std::string::npos);
}

} // namespace

TEST(Check, WarnsAboutSkippedLines) {
    expectWarnings("skipped.txt", {
                                      {1, "skipped: neither a header"},
                                      {6, "TL stretch: lines 7-9 are ignored (1 P header"},
                                      {14, "skipped"},
                                      {15, "skipped"},
                                      {16, "TL stretch hides no line"},
                                      {25, "TL stretch: lines 26-27 are ignored"},
                                  });
}

TEST(Check, WarnsAboutFieldsThatDoNotReadAsWritten) {
    expectWarnings(
        "fields.txt",
        {
            {8, "y field (columns 37-43) '    abc' holds no number: read as 0"},
            {12, "y field (columns 37-43) '   +INF' is an infinity"},
            {16, "x field (columns 24-30) '   -NAN' is NaN"},
            {20, "only ' -2.5' is read, as -2.5000"},
            {24, "text in columns 44-44 '5' lies outside the x and y fields"},
            {28, "tab in column 0"},
            {32, "the line ends before its y field (columns 37-43): no number, read as 0"},
            {36, "short line (30 characters): its y field (columns 37-43) takes bytes of line "
                 "35, read as -0.1000"},
            {39, "blank line in a section repeats the point (-2.6000, 0.1000) of line 38"},
            {45, "longer than 78 characters: the program reads the rest (from column 79) as a "
                 "line of its own, a point (-2.5000, 0.0000)"},
        });
}

TEST(Check, WarnsAboutCarriageReturnsAndCtrlZ) {
    expectWarnings("bytes.txt", {
                                    {1, "carriage returns removed on 4 lines, up to line 4"},
                                    {12, "carriage return removed"},
                                    // The Ctrl-Z cuts the last triangle short.
                                    {17, "P polygon 5 has only 2 points"},
                                    {20, "Ctrl-Z (byte 26) ends the data"},
                                });
}

TEST(Check, WarnsAboutShapesAndTheView) {
    expectWarnings("shapes.txt",
                   {
                       {13, "P polygon 2 is concave"},
                       {15, "P polygon 3 crosses itself (its edges from lines 15 and 17 meet)"},
                       {20, "P polygon 4 crosses itself"},
                       {27, "P polygon 5 turns straight back on itself"},
                       {31, "P polygon 6 has no area"},
                       {34, "P polygon 7 has only 2 points"},
                       {37, "P section holds no points: it draws nothing but uses polygon id 8"},
                       {45, "TP polygon 1 leaves the view at scale 2: 1 point lies farther than "
                            "0.4899 from (-2.57, 0.01), up to 0.4905"},
                   });
}

TEST(Check, AcceptsEmptySectionsOnlyWhereTheyKeepARedId) {
    expectWarnings("reserved.txt",
                   {
                       {3, "P section holds no points: it draws nothing but uses polygon id 3"},
                       {8, "P section holds no points: it draws nothing but uses polygon id 5"},
                   });
}

TEST(Check, WarnsAboutAFullTable) {
    expectWarnings("full.txt",
                   {
                       {1117, "P polygon 280 has only 2 points"},
                       {1120, "dropped: the P table is full (839 points); 61 points up to line "
                              "1200 are not stored"},
                   });
}

namespace {

struct Run {
    int id, points;
};

std::vector<Run> runsOf(const OutlinePoint* table) {
    std::vector<Run> runs;
    for (int slot = 1; slot < outlineSlots && table[slot].polygonId != 0; ++slot) {
        if (runs.empty() || runs.back().id != table[slot].polygonId) {
            runs.push_back({table[slot].polygonId, 0});
        }
        ++runs.back().points;
    }
    return runs;
}

// The polygons check lists under "P table" or "TP table", and its total line.
std::vector<Run> listedRuns(const std::string& report, const std::string& table, int& total) {
    std::vector<Run> runs;
    bool inside = false;
    total = -1;
    for (const std::string& line : linesOf(report)) {
        if (line == table + " table") {
            inside = true;
        } else if (inside && line.rfind("  polygon ", 0) == 0) {
            Run run{};
            EXPECT_EQ(std::sscanf(line.c_str(), "  polygon %d: %d points", &run.id, &run.points), 2)
                << line;
            runs.push_back(run);
        } else if (inside && line.rfind("  total: ", 0) == 0) {
            int polygons = 0;
            EXPECT_EQ(std::sscanf(line.c_str(), "  total: %d polygon%*s %d", &polygons, &total), 2)
                << line;
            EXPECT_EQ(polygons, static_cast<int>(runs.size())) << line;
            inside = false;
        }
    }
    return runs;
}

void expectListingMatchesTables(const std::string& path) {
    CheckResult result = check(path);
    ASSERT_NE(result.status, exitBadInput) << result.err;
    // The program's first frame, read on its own.
    FILE* stream = std::fopen(path.c_str(), "r");
    ASSERT_NE(stream, nullptr);
    loadOutlineFrom(stream);
    std::fclose(stream);
    for (const char* table : {"P", "TP"}) {
        std::vector<Run> expected = runsOf(std::string(table) == "P" ? pTable : tpTable);
        int total = 0;
        std::vector<Run> listed = listedRuns(result.out, table, total);
        int points = 0;
        ASSERT_EQ(listed.size(), expected.size()) << path << " " << table;
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(listed[i].id, expected[i].id) << path << " " << table;
            EXPECT_EQ(listed[i].points, expected[i].points) << path << " " << table;
            points += expected[i].points;
        }
        EXPECT_EQ(total, points) << path << " " << table;
    }
}

} // namespace

TEST(Check, ListsWhatTheReaderStores) {
    for (const char* name : {"fields.txt", "skipped.txt", "bytes.txt", "shapes.txt", "full.txt"}) {
        expectListingMatchesTables(fixture(name));
    }
    expectListingMatchesTables(SAMPLE_LOGO);

    // The sample logo is clean: convex pieces, all in view.
    CheckResult sample = check(SAMPLE_LOGO);
    EXPECT_EQ(sample.status, exitDone) << sample.out;
    EXPECT_NE(sample.out.find("  polygon 1: 4 points, red,"), std::string::npos);
    EXPECT_NE(sample.out.find("  polygon 4: 4 points, dark,"), std::string::npos);
    EXPECT_NE(sample.out.find("  polygon 1: 4 points, TP face,"), std::string::npos);
}

TEST(Check, FilesThatCannotBeRead) {
    CheckResult missing = check(fixture("no such file.txt"));
    EXPECT_EQ(missing.status, exitBadInput);
    EXPECT_NE(missing.err.find("cannot open"), std::string::npos) << missing.err;
    EXPECT_TRUE(missing.out.empty());

    // A directory opens on Linux, and then its first read fails.
    CheckResult directory = check(TEST_DATA_DIR);
    EXPECT_EQ(directory.status, exitBadInput);
    EXPECT_NE(directory.err.find("read failed at line 1"), std::string::npos) << directory.err;

    // An empty file reads fine and draws nothing.
    std::string empty = testing::TempDir() + "empty-logo.txt";
    std::fclose(std::fopen(empty.c_str(), "w"));
    CheckResult nothing = check(empty);
    EXPECT_EQ(nothing.status, exitRefused);
    EXPECT_EQ(warningsOf(nothing.out),
              std::vector<std::string>{"line 1: no points: the program draws nothing"});
    std::remove(empty.c_str());
}

namespace {

struct FormatResult {
    int status;
    std::string out, err;
};

FormatResult format(const std::string& text) {
    std::istringstream in(text);
    std::ostringstream out, err;
    int status = formatOutline(in, out, err);
    return {status, out.str(), err.str()};
}

// Writes text to a temporary file and loads it as the program's first frame.
std::string loadWritten(const std::string& text) {
    std::string path = testing::TempDir() + "formatted-logo.txt";
    FILE* file = std::fopen(path.c_str(), "w");
    std::fputs(text.c_str(), file);
    std::fclose(file);
    FILE* stream = std::fopen(path.c_str(), "r");
    loadOutlineFrom(stream);
    std::fclose(stream);
    return path;
}

} // namespace

TEST(Format, WritesWhatTheReaderReadsBack) {
    std::string input = "# a comment line\n"
                        "P   # the mark\n"
                        "-2.6 0\n"
                        "  -2.5,0      # comma, no blank\n"
                        "\n"
                        "-2.5 , 0.1\r\n"
                        "TP\n"
                        "-2.6\t-0.1\n"
                        "-2.5 -0.1\n"
                        "-2.5e0 -2e-1\n"
                        "P\n"
                        "-2.6 0.2\n"
                        "-2.5 0.2\n"
                        "-2.55 0.3\n";
    FormatResult result = format(input);
    ASSERT_EQ(result.status, exitDone) << result.err;
    EXPECT_TRUE(result.err.empty());
    std::vector<std::string> lines = linesOf(result.out);
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[0], "P");
    EXPECT_EQ(lines[1], "                           -2.6            0");
    EXPECT_EQ(lines[4], "TP");
    EXPECT_EQ(lines[7], "                           -2.5         -0.2");

    std::string path = loadWritten(result.out);
    ASSERT_EQ(pTable[6].polygonId, 2);
    EXPECT_EQ(pTable[3].x, -2.5);
    EXPECT_EQ(pTable[3].y, 0.1);
    EXPECT_EQ(pTable[6].y, 0.3);
    EXPECT_EQ(pTable[7].polygonId, 0);
    EXPECT_EQ(tpTable[3].y, -0.2);
    // Well-formed input gives a file that check passes.
    CheckResult checked = check(path);
    EXPECT_EQ(checked.status, exitDone) << checked.out;
    std::remove(path.c_str());

    // Random numbers of every size that fits: each comes back to within half a unit of the
    // last digit written, and so within the tolerance.
    std::mt19937 random(2024);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<int> power(-9, 2);
    std::uniform_int_distribution<int> whole(-999999, 9999999);
    std::string many = "P\n";
    std::vector<double> values;
    while (values.size() < 1600) {
        // Below 100 every number fits with three decimals; whole numbers fit up to 7 digits.
        double value = values.size() % 5 == 4
                           ? whole(random)
                           : mantissa(random) * std::pow(10.0, power(random) - 1);
        char text[64];
        std::snprintf(text, sizeof text, "%.17g", value);
        values.push_back(std::strtod(text, nullptr));
        many += std::string(text) + (values.size() % 2 ? " " : "\n");
    }
    result = format(many);
    ASSERT_EQ(result.status, exitDone) << result.err;
    lines = linesOf(result.out);
    ASSERT_EQ(lines.size(), 801u);
    path = loadWritten(result.out);
    for (size_t i = 0; i < values.size(); ++i) {
        const OutlinePoint& stored = pTable[1 + i / 2];
        double read = i % 2 ? stored.y : stored.x;
        std::string field = lines[1 + i / 2].substr(i % 2 ? 37 : 24, 7);
        ASSERT_EQ(convertField(field.c_str()), read);
        // Half a unit of the last digit written, for fixed and exponent forms alike.
        size_t point = field.find('.');
        size_t e = field.find('e');
        int exponent = e == std::string::npos ? 0 : std::atoi(field.c_str() + e + 1);
        size_t end = e == std::string::npos ? field.size() : e;
        int decimals = point == std::string::npos ? 0 : static_cast<int>(end - point - 1);
        double halfUnit = 0.5 * std::pow(10.0, exponent - decimals);
        EXPECT_LE(std::fabs(read - values[i]), halfUnit * (1 + 1e-9) + 1e-300)
            << values[i] << " written as '" << field << "'";
        EXPECT_LE(std::fabs(read - values[i]), formatTolerance) << values[i];
    }
    std::remove(path.c_str());
}

namespace {

// The field text of value as a string, with how far off it reads.
std::string fieldText(double value, double* error) {
    char text[outlineFieldBuffer];
    *error = ::fieldText(value, text);
    return text;
}

} // namespace

TEST(Format, PicksTheNearestShortestText) {
    double error = -1;
    EXPECT_EQ(fieldText(-2.57, &error), "-2.57");
    EXPECT_EQ(error, 0);
    EXPECT_EQ(fieldText(0, &error), "0");
    EXPECT_EQ(fieldText(1234567, &error), "1234567");
    EXPECT_EQ(fieldText(-0.123456, &error), "-0.1235");
    EXPECT_EQ(fieldText(0.000012345, &error), "1.23e-5");
    EXPECT_EQ(fieldText(-999.9996, &error), "-1000");
    EXPECT_NEAR(error, 0.0004, 1e-9);
    EXPECT_EQ(fieldText(1e300, &error), "1e300");
}

TEST(Format, RefusesWhatCannotBeWrittenFaithfully) {
    struct Case {
        std::string input;
        std::string message;
    };
    std::string p840 = "P\n";
    for (int i = 0; i < 840; ++i) {
        p840 += "-2.6 0\n";
    }
    const Case cases[] = {
        {"-2.6 0\nP\n", "line 1: point outside a section: no P or TP header before it"},
        {"P\n123456.7 0\n", "line 2: 123456.7 does not fit 7 characters (the nearest, 123457, "
                            "is off by 0.3)"},
        {"P\n0 -999.9994\n", "line 2: -999.9994 does not fit 7 characters"},
        {"P\n0 1e400\n", "line 2: 1e400 does not fit 7 characters"},
        {"P\n1.5 abc\n", "line 2: 'abc' is not a decimal number"},
        {"P\n0x10 1\n", "line 2: '0x10' is not a decimal number"},
        {"P\n1 inf\n", "line 2: 'inf' is not a decimal number"},
        {"P\n1 2 3\n", "line 2: neither a header (P, TP, TL) nor a point of two numbers"},
        {"P\n1\n", "line 2: neither a header"},
        {"Point\n", "line 1: neither a header"},
        {"P " + std::string(77, 'x') + "\n", "line 1: header line longer than 78 characters"},
        {"P \x1a\n", "line 1: header line holds a control character"},
        {p840 + "TP\n0 0\n", "line 841: more than 839 points for the P table"},
    };
    for (const Case& c : cases) {
        FormatResult result = format(c.input);
        EXPECT_EQ(result.status, exitRefused) << c.message;
        EXPECT_TRUE(result.out.empty()) << c.message;
        EXPECT_EQ(result.err.rfind(c.message, 0), 0u) << result.err;
        EXPECT_NE(result.err.find("nothing written: 1 refusal"), std::string::npos) << result.err;
    }

    // Numbers just inside the rule are written; a TL stretch's points count for no table.
    std::string hidden = "TL\n";
    for (int i = 0; i < 900; ++i) {
        hidden += "0 0\n";
    }
    FormatResult kept = format("P\n-999.9996 -0.00049\n" + hidden + "TP\n0 0\n");
    EXPECT_EQ(kept.status, exitDone) << kept.err;
    EXPECT_EQ(linesOf(kept.out)[1], "                          -1000      -4.9e-4");
}
