// How the importer's cost grows with the drawing: random overlapping circles and polygons of
// random colours (1,000 to 20,000 of them), and 20,000 of two colours, each imported once
// through the whole chain after the reader (fit, capacity search, file or refusal). Prints
// the CPU time of each, what the import answered, and the ratio of 20,000 shapes to 2,000
// (10 when the cost grows linearly). scale_bench [COUNT...] imports those counts instead.
#include "pipeline.h"
#include "random_drawing.h"
#include "writer.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A turned circle of four cubics or a polygon of 3 to 8 random corners around (cx, cy).
Subpath randomOutline(std::mt19937& random, double cx, double cy, double r) {
    std::uniform_real_distribution<double> unit(0, 1);
    if (random() % 2 == 0) {
        return turnedCircle(cx, cy, r, 2 * M_PI * unit(random));
    }
    return randomPolygon(random, cx, cy, r);
}

// count shapes piled on a field of 100 by 100, one in eight stroked; twoColours: red and
// near black only, else any colour (mostly dark, some red, a few white).
std::vector<Part> randomShapes(int count, bool twoColours, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0, 1);
    Drawing drawing;
    for (int i = 0; i < count; ++i) {
        Shape shape;
        shape.subpaths = {
            randomOutline(random, 100 * unit(random), 100 * unit(random), 1 + 5 * unit(random))};
        Colour colour{static_cast<int>(random() % 256), static_cast<int>(random() % 256),
                      static_cast<int>(random() % 256)};
        if (twoColours) {
            colour = random() % 2 ? Colour{210, 20, 30} : Colour{25, 25, 35};
        }
        if (random() % 8 == 0) {
            shape.stroke = {true, colour, 1, {}};
            shape.strokeWidth = 0.2 + 1.5 * unit(random);
            shape.lineJoin = static_cast<LineJoin>(random() % 3);
        } else {
            shape.fill = {true, colour, 1, {}};
        }
        drawing.shapes.push_back(std::move(shape));
    }
    return {{"mark", drawing}};
}

bool verbose = false; // -v: the import's report and progress on standard error too

// Imports count shapes once; returns the CPU seconds it took.
double measure(int count, bool twoColours) {
    std::vector<Part> parts = randomShapes(count, twoColours, 1000u + count);
    std::ostringstream err;
    std::clock_t start = std::clock();
    LogoBuild build = buildLogo(parts, {}, {}, SearchProgress{&err});
    std::string said = "written";
    if (build.refusal != Refusal::none) {
        said = "refused: " + failureLine(refusalOf(parts, build)).substr(0, 110);
    } else {
        std::ostringstream out;
        writeLogo(build.chosen.layout, out);
        writeReport(parts, build, err);
    }
    double seconds = double(std::clock() - start) / CLOCKS_PER_SEC;
    std::printf("%6d shapes, %-13s %8.2f s CPU  %s\n", count,
                twoColours ? "two colours," : "any colours,", seconds, said.c_str());
    std::fflush(stdout);
    if (verbose) {
        std::fprintf(stderr, "%s", err.str().c_str());
    }
    return seconds;
}

} // namespace

int main(int argc, char** argv) {
    std::printf("random overlapping shapes, one import each (goal: 20000 under 5 s, 20000 / "
                "2000 under 15)\n");
    verbose = argc > 1 && std::string(argv[1]) == "-v";
    if (argc > 1 + verbose) {
        for (int i = 1 + verbose; i < argc; ++i) {
            measure(std::atoi(argv[i]), false);
        }
        return 0;
    }
    measure(1000, false);
    double two = measure(2000, false);
    measure(5000, false);
    double twenty = measure(20000, false);
    measure(20000, true);
    std::printf("ratio 20000 / 2000: %.1f (10 when linear)\n", twenty / two);
    return 0;
}
