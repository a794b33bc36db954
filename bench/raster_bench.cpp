// The raster reader's cost: a logo picture (a red disc, a dark ring and bar, anti-aliased)
// drawn at 512, 2048 and 4096 pixels, encoded as PNG, then decoded and traced, and imported
// whole into a logo.txt. Prints the best of a few runs of each.
#include "import.h"
#include "png_picture.h"
#include "raster.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Coverage of a pixel by a disc, from its centre's distance to the rim.
double disc(double x, double y, double cx, double cy, double r) {
    return std::clamp(r - std::hypot(x - cx, y - cy) + 0.5, 0.0, 1.0);
}

std::string drawLogo(int size) {
    std::vector<uint8_t> rgb(static_cast<size_t>(size) * size * 3);
    double s = size;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            double px = x + 0.5, py = y + 0.5;
            double red = disc(px, py, 0.35 * s, 0.4 * s, 0.22 * s);
            double ring = std::min(disc(px, py, 0.65 * s, 0.55 * s, 0.25 * s),
                                   1 - disc(px, py, 0.65 * s, 0.55 * s, 0.17 * s));
            double bar = std::clamp(std::min(px - 0.1 * s, 0.9 * s - px) + 0.5, 0.0, 1.0) *
                         std::clamp(std::min(py - 0.84 * s, 0.92 * s - py) + 0.5, 0.0, 1.0);
            double dark = std::max(ring, bar) * (1 - red);
            uint8_t* p = &rgb[3 * (static_cast<size_t>(y) * size + x)];
            double white = 1 - red - dark;
            p[0] = static_cast<uint8_t>(std::lround(255 * white + 200 * red + 30 * dark));
            p[1] = static_cast<uint8_t>(std::lround(255 * white + 16 * red + 30 * dark));
            p[2] = static_cast<uint8_t>(std::lround(255 * white + 46 * red + 40 * dark));
        }
    }
    return encodePng(rgb, size, size);
}

template <typename F> double bestSeconds(int runs, F work) {
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

} // namespace

// With sizes as arguments, only those, once each (for a profiler).
int main(int argc, char** argv) {
    std::vector<int> sizes{512, 2048, 4096};
    int runs = 3;
    if (argc > 1) {
        sizes.clear();
        runs = 1;
        for (int i = 1; i < argc; ++i) {
            sizes.push_back(std::atoi(argv[i]));
        }
    }
    std::printf("%-6s %10s %14s %14s %10s\n", "pixels", "PNG bytes", "decode+trace s",
                "whole import s", "shapes");
    for (int size : sizes) {
        std::string png = drawLogo(size);
        size_t shapes = 0;
        double trace = bestSeconds(runs, [&] { shapes = readPicture(png, {}, {}).shapes.size(); });
        std::string path = "/tmp/raster_bench_" + std::to_string(size) + ".png";
        if (FILE* file = std::fopen(path.c_str(), "wb")) {
            std::fwrite(png.data(), 1, png.size(), file);
            std::fclose(file);
        }
        ImportOptions options;
        options.svgPath = path;
        double whole = bestSeconds(runs, [&] {
            std::ostringstream out, err;
            importLogo(options, out, err);
        });
        std::remove(path.c_str());
        std::printf("%-6d %10zu %14.3f %14.3f %10zu\n", size, png.size(), trace, whole, shapes);
    }
    return 0;
}
