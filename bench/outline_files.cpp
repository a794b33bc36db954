// Builds outline files in the program's format, one quad per section.
#include "outline_files.h"

#include "outline.h"

#include <cstdio>
#include <unistd.h>

const BenchFile benchFiles[5] = {{"full", outlineCapacity, outlineCapacity},
                                 {"points:10", 5, 5},
                                 {"points:100", 50, 50},
                                 {"points:1000", 500, 500},
                                 {"points:100000", 50000, 50000}};

namespace {

constexpr int columns = 15;
constexpr int cellsPerTable = (outlineCapacity + 3) / 4;
constexpr double leftEdge = -2.97, cellWidth = 0.8 / columns, cellHeight = 0.028;
constexpr double gap = 0.25; // share of a cell left empty on each side of its quad

// One section of at most four points: the corners of a cell, counter-clockwise.
void addQuad(std::string& text, const char* header, double top, int cell, int count) {
    cell %= cellsPerTable;
    double x0 = leftEdge + (cell % columns + gap) * cellWidth;
    double x1 = x0 + (1 - 2 * gap) * cellWidth;
    double y0 = top - (cell / columns + 1 - gap) * cellHeight;
    double y1 = y0 + (1 - 2 * gap) * cellHeight;
    const double corners[4][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
    text += header;
    text += '\n';
    for (int i = 0; i < count; ++i) {
        char line[outlineLineBuffer];
        std::snprintf(line, sizeof line, "%24s%7.3f%6s%7.3f\n", "", corners[i][0], "",
                      corners[i][1]);
        text += line;
    }
}

void addTable(std::string& text, const char* header, double top, int points) {
    for (int cell = 0, remaining = points; remaining > 0; ++cell, remaining -= 4) {
        addQuad(text, header, top, cell, remaining < 4 ? remaining : 4);
    }
}

} // namespace

std::string outlineText(int pPoints, int tpPoints) {
    std::string text;
    addTable(text, "P", 0.42, pPoints);
    addTable(text, "TP", 0.0, tpPoints);
    return text;
}

std::string writeTemporaryFile(const std::string& text) {
    char path[] = "/tmp/logotipo-bench-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0) {
        return "";
    }
    bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    close(fd);
    if (!written) {
        unlink(path);
        return "";
    }
    return path;
}
