// The importer's geometry: time to import a detailed logo (about 5000 path segments: small
// curvy shapes around a gear), a simple one and a fan of overlapping translucent rays, and
// how few convex pieces the merge makes against the triangles it starts from and the lower
// bound ceil(r/2)+1 per region outline. import_bench FOLDER also writes the logos there.
#include "import.h"
#include "layout.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

Segment line(double x, double y) {
    return {false, {}, {}, {x, y}};
}

Shape filled(std::vector<Subpath> subpaths, Colour colour) {
    Shape shape;
    shape.subpaths = std::move(subpaths);
    shape.fill = {true, colour, 1, {}};
    return shape;
}

// A closed wavy loop of n cubics around (cx, cy).
Subpath blob(double cx, double cy, double r, int n, double wave) {
    auto at = [&](double a) {
        double rr = r * (1 + wave * std::sin(3 * a));
        return Point{cx + rr * std::cos(a), cy + rr * std::sin(a)};
    };
    Subpath s{at(0), {}, true};
    double step = 2 * M_PI / n, k = 4.0 / 3 * std::tan(step / 4);
    for (int i = 0; i < n; ++i) {
        double a0 = i * step, a1 = a0 + step;
        Point p0 = at(a0), p1 = at(a1);
        Point t0{-(p0.y - cy) * k, (p0.x - cx) * k}, t1{-(p1.y - cy) * k, (p1.x - cx) * k};
        s.segments.push_back({true, {p0.x + t0.x, p0.y + t0.y}, {p1.x - t1.x, p1.y - t1.y}, p1});
    }
    return s;
}

Subpath gear(double cx, double cy, double r, int teeth) {
    Subpath s{{cx + r, cy}, {}, true};
    for (int i = 0; i < teeth; ++i) {
        double a = 2 * M_PI * i / teeth, w = M_PI / teeth;
        auto polar = [&](double rr, double aa) {
            return Point{cx + rr * std::cos(aa), cy + rr * std::sin(aa)};
        };
        Point a1 = polar(r * 1.12, a + 0.3 * w), a2 = polar(r * 1.12, a + 0.7 * w);
        Point b1 = polar(r, a + w), b2 = polar(r, a + 2 * w);
        s.segments.push_back(line(a1.x, a1.y));
        s.segments.push_back(line(a2.x, a2.y));
        s.segments.push_back(line(b1.x, b1.y));
        Point mid = polar(r * 0.98, a + 1.5 * w);
        s.segments.push_back({true, mid, mid, b2});
    }
    return s;
}

std::vector<Part> detailedLogo() {
    Drawing drawing;
    Shape wheel = filled({gear(50, 50, 30, 60), blob(50, 50, 12, 8, 0)}, {30, 30, 30});
    wheel.fillRule = FillRule::evenOdd;
    drawing.shapes.push_back(wheel);
    drawing.shapes.push_back(filled({blob(50, 50, 8, 16, 0.1)}, {210, 20, 20}));
    for (int i = 0; i < 238; ++i) {
        double a = 2 * M_PI * i / 238, rr = 40 + 6 * (i % 3);
        drawing.shapes.push_back(filled(
            {blob(50 + rr * std::cos(a), 50 + rr * std::sin(a), 1.2, 20, 0.2)}, {20, 20, 60}));
    }
    return {{"mark", drawing}};
}

std::vector<Part> simpleLogo() {
    Drawing drawing;
    drawing.shapes.push_back(
        filled({{{0, 0}, {line(100, 0), line(100, 40), line(0, 40)}, true}}, {20, 20, 20}));
    drawing.shapes.push_back(filled({blob(30, 20, 15, 4, 0)}, {220, 0, 0}));
    drawing.shapes.push_back(
        filled({{{55, 15}, {line(95, 15), line(95, 25), line(55, 25)}, true}}, {255, 255, 255}));
    return {{"mark", drawing}};
}

// A sunburst as flags draw one: 45 translucent stroked rays round a shared point, each
// overlapping the others near it and tipped with white, over a disc on a white field; every
// ray is mixed over what lies beneath it.
std::vector<Part> translucentFan() {
    Drawing drawing;
    drawing.shapes.push_back(filled({blob(50, 50, 30, 12, 0)}, {40, 90, 160}));
    for (int i = 0; i < 45; ++i) {
        double a = 2 * M_PI * i / 45, w = 0.06;
        auto at = [&](double r, double da) {
            return line(50 + r * std::cos(a + da), 50 + r * std::sin(a + da));
        };
        Shape ray = filled({{{50, 50}, {at(40, -w), at(40, w)}, true}}, {23, 192, 235});
        ray.fill.opacity = 0.62;
        ray.stroke = ray.fill;
        ray.strokeWidth = 0.2;
        drawing.shapes.push_back(ray);
        Point tip{50 + 3 * std::cos(a), 50 + 3 * std::sin(a)};
        drawing.shapes.push_back(filled({blob(tip.x, tip.y, 0.5, 4, 0)}, {255, 255, 255}));
    }
    return {{"mark", drawing}};
}

// With a folder, each logo's file and report are written there too, to look at.
void measure(const char* name, const std::vector<Part>& parts, const char* folder) {
    int segments = 0;
    for (const Part& part : parts) {
        for (const Shape& shape : part.drawing.shapes) {
            for (const Subpath& subpath : shape.subpaths) {
                segments += static_cast<int>(subpath.segments.size());
            }
        }
    }
    std::vector<double> seconds;
    int status = 0;
    // Measured whatever its fidelity, which is printed.
    BuildOptions anyFidelity;
    anyFidelity.minFidelity = 0;
    LogoBuild build;
    for (int run = 0; run < 5; ++run) {
        std::ostringstream out, err;
        auto start = std::chrono::steady_clock::now();
        status = importParts(parts, {}, anyFidelity, out, err, &build);
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    if (folder != nullptr) {
        std::ofstream file(std::string(folder) + "/" + name + ".txt");
        std::ostringstream report;
        importParts(parts, {}, anyFidelity, file, report);
        std::printf("%s", report.str().c_str());
    }
    // The chosen try's regions, before their seams, against its pieces.
    const Attempt& chosen = build.chosen;
    int reflex = 0, outlines = 0;
    for (const Region& region : chosen.regions) {
        for (const ClipperLib::Path& path : region.paths) {
            outlines += ClipperLib::Orientation(path);
            size_t n = path.size();
            for (size_t i = 0; i < n; ++i) {
                const auto &a = path[(i + n - 1) % n], &b = path[i], &c = path[(i + 1) % n];
                reflex += (b.X - a.X) * (c.Y - b.Y) - (b.Y - a.Y) * (c.X - b.X) < 0;
            }
        }
    }
    const Layout& layout = chosen.layout;
    std::printf("%-9s %6d segments  status %d  median %7.1f ms (min %7.1f, max %7.1f)\n", name,
                segments, status, 1e3 * seconds[2], 1e3 * seconds[0], 1e3 * seconds[4]);
    std::printf("          tolerance %.5f%s; P %d, TP %d points; fidelity %.4f\n",
                chosen.flattening.tolerance * gridUnit,
                chosen.flattening.thinned ? " (thinned)" : "", pTablePoints(layout),
                tpTablePoints(layout), build.fidelity.overall);
    std::printf("          %zu pieces from %d triangles; lower bound %d (%d reflex corners, %d "
                "outlines)\n",
                chosen.pieces.pieces.size(), chosen.pieces.triangles, (reflex + 1) / 2 + outlines,
                reflex, outlines);
}

// The whole command as a user runs it, reading the SVG file and setting the name included.
void measureImport(const char* name, const ImportOptions& options) {
    std::vector<double> seconds;
    int status = 0;
    for (int run = 0; run < 5; ++run) {
        std::ostringstream out, err;
        auto start = std::chrono::steady_clock::now();
        status = importLogo(options, out, err);
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("%-9s import  status %d  median %7.1f ms (min %7.1f, max %7.1f)\n", name, status,
                1e3 * seconds[2], 1e3 * seconds[0], 1e3 * seconds[4]);
}

} // namespace

int main(int argc, char** argv) {
    const char* folder = argc > 1 ? argv[1] : nullptr;
    std::printf("import pipeline: five runs each (goal for the detailed logo: under 1000 ms)\n");
    measure("detailed", detailedLogo(), folder);
    measure("simple", simpleLogo(), folder);
    measure("fan", translucentFan(), folder);

    std::printf("whole imports (file read, name set), five runs each\n");
    const std::string examples = EXAMPLES_DIR;
    ImportOptions emblem;
    emblem.svgPath = examples + "/emblem.svg";
    measureImport("emblem", emblem);
    ImportOptions name;
    name.text = {"Universidade Federal"}; // 20 characters
    measureImport("name", name);
    ImportOptions both;
    both.svgPath = examples + "/mark.svg";
    both.text = {"VESTRAL"};
    measureImport("mark+name", both);
    return 0;
}
