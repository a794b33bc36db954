// The importer's geometry: drawings built here go through buildLogo, and the written file is
// read back by the program's reader and by check. One helper holds every property a written
// logo must have; each case adds what its drawing should look like.
#include "fit.h"
#include "geometry.h"
#include "import.h"
#include "logo_properties.h"
#include "outline.h"
#include "outlinetool.h"
#include "pipeline.h"
#include "random_drawing.h"
#include "regions.h"
#include "svg.h"

#include <gtest/gtest.h>
#include <polyclipping/clipper.hpp>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr double kappa = 0.5522847498307936; // cubic control distance of a quarter circle

Subpath rect(double x, double y, double w, double h) {
    auto line = [](double px, double py) { return Segment{false, {}, {}, {px, py}}; };
    return {{x, y}, {line(x + w, y), line(x + w, y + h), line(x, y + h)}, true};
}

Subpath circle(double cx, double cy, double r) {
    Subpath s{{cx + r, cy}, {}, true};
    double k = kappa * r;
    s.segments = {{true, {cx + r, cy + k}, {cx + k, cy + r}, {cx, cy + r}},
                  {true, {cx - k, cy + r}, {cx - r, cy + k}, {cx - r, cy}},
                  {true, {cx - r, cy - k}, {cx - k, cy - r}, {cx, cy - r}},
                  {true, {cx + k, cy - r}, {cx + r, cy - k}, {cx + r, cy}}};
    return s;
}

Shape filled(std::vector<Subpath> subpaths, Colour colour) {
    Shape shape;
    shape.subpaths = std::move(subpaths);
    shape.fill = {true, colour, 1, {}};
    return shape;
}

Shape stroked(Subpath subpath, double width, LineCap cap) {
    Shape shape;
    shape.subpaths = {std::move(subpath)};
    shape.stroke = {true, {0, 0, 0}, 1, {}};
    shape.strokeWidth = width;
    shape.lineCap = cap;
    return shape;
}

const Colour red{220, 20, 30}, black{20, 20, 20}, white{255, 255, 255};

// Runs the import and checks what every written logo must be: check finds nothing to warn
// about (but the reserved empty red sections), both tables within their slots, every
// section convex with area, no two overlapping, no corner on another's edge, every point
// in view.
Logo importLogo(const std::vector<Drawing>& drawings, InkRules ink = {},
                const BuildOptions& options = {}, LogoBuild* record = nullptr) {
    std::vector<Part> parts;
    for (const Drawing& drawing : drawings) {
        parts.push_back({parts.empty() ? "mark" : "name", drawing});
    }
    std::ostringstream out, err;
    Logo logo;
    logo.status = importParts(parts, ink, options, out, err, record);
    logo.text = out.str();
    logo.report = err.str();
    if (logo.status != exitDone) {
        return logo;
    }
    examineLogo(logo);
    return logo;
}

Drawing drawingOf(std::vector<Shape> shapes) {
    Drawing drawing;
    drawing.shapes = std::move(shapes);
    return drawing;
}

// The written logo's scale: the side, in square units, of what was a unit in the drawing.
double unitArea(const Logo& logo, double drawingWidth) {
    long long x0 = LLONG_MAX, x1 = LLONG_MIN;
    for (const Section& s : logo.sections) {
        for (const auto& p : s.points) {
            x0 = std::min(x0, p.X);
            x1 = std::max(x1, p.X);
        }
    }
    double unit = (x1 - x0) * 1e-4 / drawingWidth;
    return unit * unit;
}

TEST(ImportPipeline, FillRulesDecideWhetherAnInnerOutlineIsAHole) {
    // Both outlines run the same way: even-odd makes a hole, nonzero fills it.
    for (FillRule rule : {FillRule::evenOdd, FillRule::nonZero}) {
        Shape square = filled({rect(0, 0, 4, 4), rect(1, 1, 2, 2)}, black);
        square.fillRule = rule;
        Logo logo = importLogo({drawingOf({square})});
        ASSERT_EQ(logo.status, exitDone) << logo.report;
        double expected = rule == FillRule::evenOdd ? 12 : 16;
        EXPECT_NEAR(logo.darkArea, expected * unitArea(logo, 4), 0.01 * logo.darkArea);
        EXPECT_EQ(logo.redArea, 0);
    }
}

TEST(ImportPipeline, RedDiscOverDarkSquareKeepsBothColours) {
    Logo logo = importLogo(
        {drawingOf({filled({rect(0, 0, 4, 4)}, black), filled({circle(2, 2, 1.2)}, red)})});
    ASSERT_EQ(logo.status, exitDone) << logo.report;
    double unit = unitArea(logo, 4), disc = M_PI * 1.2 * 1.2;
    EXPECT_NEAR(logo.redArea, disc * unit, 0.01 * disc * unit);
    EXPECT_NEAR(logo.darkArea, (16 - disc) * unit, 0.01 * (16 - disc) * unit);
    // The disc is convex: one red piece, and no dark piece takes a red id.
    int redSections = 0;
    for (const Section& s : logo.sections) {
        redSections += !s.tp && s.id <= 3;
    }
    EXPECT_EQ(redSections, 1);
    EXPECT_NE(logo.report.find("100.0% of the red area stays red"), std::string::npos)
        << logo.report;
}

TEST(ImportPipeline, WhiteCutsAndTransparentCoversNothing) {
    Shape clear = filled({rect(0, 0, 2, 2)}, red);
    clear.fill.opacity = 0;
    Logo logo = importLogo(
        {drawingOf({filled({rect(0, 0, 4, 4)}, black), filled({rect(1, 1, 2, 2)}, white), clear})});
    ASSERT_EQ(logo.status, exitDone) << logo.report;
    EXPECT_NEAR(logo.darkArea, 12 * unitArea(logo, 4), 0.01 * logo.darkArea);
    EXPECT_EQ(logo.redArea, 0);

    Logo nothing = importLogo({drawingOf({filled({rect(0, 0, 4, 4)}, white), clear})});
    EXPECT_EQ(nothing.status, exitRefused);
    EXPECT_NE(nothing.report.find("nothing visible"), std::string::npos);
}

TEST(ImportPipeline, TransformsScaleFillsAndStrokes) {
    // A unit square through rotate(30) then scale(2, 1) covers 2; the red one beside it, 1.
    double c = std::cos(M_PI / 6), s = std::sin(M_PI / 6);
    Shape turned = filled({rect(0, 0, 1, 1)}, black);
    turned.transform = {2 * c, s, -2 * s, c, 5, 0};
    Logo logo = importLogo({drawingOf({filled({rect(0, 0, 1, 1)}, red), turned})});
    ASSERT_EQ(logo.status, exitDone) << logo.report;
    EXPECT_NEAR(logo.darkArea / logo.redArea, 2, 0.02);

    // Strokes against the same red unit: butt 10 x 1, square caps 11 x 1, round caps add a
    // disc, a closed square 11^2 - 9^2, a stroke under scale(1, 3) three times as wide.
    Subpath line{{0, 0}, {{false, {}, {}, {10, 0}}}, false};
    Subpath closed = rect(0, 0, 10, 10);
    Shape widened = stroked(line, 1, LineCap::butt);
    widened.transform = {1, 0, 0, 3, 0, 0};
    struct Case {
        Shape shape;
        double area;
    } cases[] = {{stroked(line, 1, LineCap::butt), 10},
                 {stroked(line, 1, LineCap::square), 11},
                 {stroked(line, 1, LineCap::round), 10 + M_PI / 4},
                 {stroked(closed, 1, LineCap::butt), 121 - 81},
                 {widened, 30}};
    for (Case& one : cases) {
        for (Subpath& sub : one.shape.subpaths) {
            for (Segment& seg : sub.segments) {
                seg.end.y += 20;
            }
            sub.start.y += 20;
        }
        Logo stroke = importLogo({drawingOf({filled({rect(0, 0, 1, 1)}, red), one.shape})});
        ASSERT_EQ(stroke.status, exitDone) << stroke.report;
        EXPECT_NEAR(stroke.darkArea / stroke.redArea, one.area, 0.01 * one.area);
    }
}

// Joins as SVG draws them, measured against a red 10 x 10 square: two strokes of width 10
// meeting at an apex whose miter is 2.24 widths long. A miter within its limit adds the inner
// overlap d^2 cot(a/2) back, a bevel only the triangle d^2 sin(a) / 2, a miter past its limit
// too. Dots: round caps a disc, square caps a square turned with the user space, butt none.
TEST(ImportPipeline, JoinsAndDotsAreDrawnAsSvgDrawsThem) {
    Subpath apex{{-40, 180}, {{false, {}, {}, {0, 100}}, {false, {}, {}, {40, 180}}}, false};
    double d = 5, strips = 2 * std::hypot(40, 80) * 2 * d, half = std::atan2(40, 80);
    double overlap = d * d / std::tan(half), bevel = d * d * std::sin(2 * half) / 2;
    struct Case {
        LineJoin join;
        double limit, area;
    } cases[] = {{LineJoin::miter, 4, strips},
                 {LineJoin::miter, 2, strips - overlap + bevel},
                 {LineJoin::bevel, 4, strips - overlap + bevel},
                 {LineJoin::round, 4, strips - overlap + d * d * (M_PI - 2 * half) / 2}};
    for (const Case& one : cases) {
        Shape stroke = stroked(apex, 2 * d, LineCap::butt);
        stroke.lineJoin = one.join;
        stroke.miterLimit = one.limit;
        Logo logo = importLogo({drawingOf({filled({rect(-80, 0, 10, 10)}, red), stroke})});
        ASSERT_EQ(logo.status, exitDone) << logo.report;
        EXPECT_NEAR(logo.darkArea / logo.redArea, one.area / 100, 0.003 * one.area / 100)
            << int(one.join) << " " << one.limit;
    }

    for (LineCap cap : {LineCap::round, LineCap::square, LineCap::butt}) {
        Shape dot = stroked({{3, 3}, {}, true}, 2, cap);
        dot.transform = {std::cos(0.5), std::sin(0.5), -std::sin(0.5), std::cos(0.5), 10, 0};
        Logo logo = importLogo({drawingOf({filled({rect(0, 0, 1, 1)}, red), dot})});
        ASSERT_EQ(logo.status, exitDone) << logo.report;
        double expected = cap == LineCap::round ? M_PI : cap == LineCap::square ? 4 : 0;
        EXPECT_NEAR(logo.darkArea / logo.redArea, expected, 0.01 * expected + 1e-9) << int(cap);
        if (cap == LineCap::square) {
            // Turned by 0.5 rad: its corners reach (cos 0.5 + sin 0.5) half-sides out.
            long long x0 = LLONG_MAX, x1 = LLONG_MIN;
            for (const Section& s : logo.sections) {
                bool dark = s.tp || s.id > 3;
                for (const auto& p : s.points) {
                    x0 = dark ? std::min(x0, p.X) : x0;
                    x1 = dark ? std::max(x1, p.X) : x1;
                }
            }
            double side = std::sqrt(logo.redArea) * 2; // the red unit square's side, doubled
            EXPECT_NEAR((x1 - x0) * 1e-4, side * (std::cos(0.5) + std::sin(0.5)), 0.01 * side);
        }
    }
}

TEST(ImportPipeline, HalfDiscArcKeepsItsArea) {
    Subpath half{{2, 0}, {}, true};
    double k = kappa * 2;
    half.segments = {{true, {2, -k}, {k, -2}, {0, -2}},
                     {true, {-k, -2}, {-2, -k}, {-2, 0}},
                     {false, {}, {}, {2, 0}}};
    Logo logo = importLogo({drawingOf({filled({half}, black)})});
    ASSERT_EQ(logo.status, exitDone) << logo.report;
    EXPECT_NEAR(logo.darkArea, 2 * M_PI * unitArea(logo, 4), 0.01 * logo.darkArea);
}

TEST(ImportPipeline, OnlyTheThreeLargestRedPiecesStayRed) {
    std::vector<Shape> shapes;
    double sides[] = {1, 3, 2, 0.5, 2.5};
    for (int i = 0; i < 5; ++i) {
        shapes.push_back(filled({rect(i * 4, 0, sides[i], sides[i])}, red));
    }
    Logo logo = importLogo({drawingOf(shapes)});
    ASSERT_EQ(logo.status, exitDone) << logo.report;
    double unit = unitArea(logo, 16 + 2.5);
    EXPECT_NEAR(logo.redArea, (9 + 6.25 + 4) * unit, 0.01 * logo.redArea);
    EXPECT_NEAR(logo.darkArea, (1 + 0.25) * unit, 0.01 * logo.darkArea);
    EXPECT_NE(logo.report.find("% of the red area stays red"), std::string::npos);

    // Forced classes: the same red drawn dark.
    InkRules rules;
    rules.dark = {red};
    Logo dark = importLogo({drawingOf(shapes)}, rules);
    EXPECT_EQ(dark.redArea, 0);
}

TEST(ImportPipeline, BrokenGeometryIsLeftOutWithANote) {
    Shape notANumber = filled({rect(0, 0, NAN, 1)}, black);
    Shape farAway = filled({rect(1e300, 0, 1, 1)}, red);
    Shape flattened = filled({rect(0, 0, 1, 1)}, red);
    flattened.transform = {1, 0, 1, 0, 0, 0};
    Shape empty = filled({}, red);
    Shape tooWide = stroked(rect(1, 1, 1, 1), 1e200, LineCap::round);
    Logo logo = importLogo({drawingOf(
        {filled({rect(0, 0, 4, 4)}, black), notANumber, farAway, flattened, empty, tooWide})});
    ASSERT_EQ(logo.status, exitDone) << logo.report;
    EXPECT_NEAR(logo.darkArea, 16 * unitArea(logo, 4), 0.01 * logo.darkArea);
    EXPECT_EQ(logo.redArea, 0);
    EXPECT_NE(logo.report.find("out of range: left out"), std::string::npos) << logo.report;
    EXPECT_NE(logo.report.find("far wider than the view"), std::string::npos) << logo.report;

    Logo nothing = importLogo({drawingOf({notANumber, farAway, flattened})});
    EXPECT_EQ(nothing.status, exitRefused);
    EXPECT_NE(nothing.report.find("2 shapes left out"), std::string::npos) << nothing.report;
}

// The report's area is what the written sections cover, given to four decimals.
void expectReportedArea(const Logo& logo) {
    size_t area = logo.report.find("area: ");
    ASSERT_NE(area, std::string::npos) << logo.report;
    EXPECT_NEAR(std::stod(logo.report.substr(area + 6)), logo.redArea + logo.darkArea, 6e-5)
        << logo.report;
}

TEST(ImportPipeline, ManyCurvesFitTheTablesAndLaterPartsPaintOver) {
    // Far more curve than two tables hold at full detail: the search coarsens until it fits.
    std::vector<Shape> dots;
    for (int i = 0; i < 400; ++i) {
        dots.push_back(filled({circle(i % 20, i / 20, 0.4)}, black));
    }
    Drawing name = drawingOf({filled({rect(5, 5, 10, 2)}, red)});
    BuildOptions anyFidelity;
    anyFidelity.minFidelity = 0;
    Logo logo = importLogo({drawingOf(dots), name}, {}, anyFidelity);
    ASSERT_EQ(logo.status, exitDone) << logo.report;
    // Dark pieces take P ids here, so the red rectangle is split to keep the red ids.
    expectReportedArea(logo);
    EXPECT_GT(logo.redArea, 0);
    EXPECT_NE(logo.report.find("name: "), std::string::npos) << logo.report;

    // No red and more than the TP table holds: the red ids stay empty. Four points a dot
    // fall far below the fidelity floor, which refuses them and says how far.
    Logo refused = importLogo({drawingOf(dots)});
    EXPECT_EQ(refused.status, exitRefused);
    EXPECT_NE(refused.report.find("below 0.9700"), std::string::npos) << refused.report;
    EXPECT_NE(refused.report.find("--min-fidelity 0."), std::string::npos) << refused.report;
    LogoBuild record;
    Logo plain = importLogo({drawingOf(dots)}, {}, anyFidelity, &record);
    ASSERT_EQ(plain.status, exitDone) << plain.report;
    EXPECT_EQ(plain.redArea, 0);
    EXPECT_NE(plain.report.find("fidelity: mark 0."), std::string::npos) << plain.report;
    // The reported fidelity is the written sections' overlap over union with the true
    // circles, placed as the import placed them.
    std::vector<Part> parts{{"mark", drawingOf(dots)}};
    Placement placement;
    int broken;
    ASSERT_TRUE(fitView(parts, {}, fitRadius, &placement, &broken));
    ClipperLib::Paths circles, written;
    for (int i = 0; i < 400; ++i) {
        ClipperLib::Path circle;
        for (int k = 0; k < 256; ++k) {
            double x = i % 20 + 0.4 * std::cos(k * M_PI / 128);
            double y = i / 20 + 0.4 * std::sin(k * M_PI / 128);
            circle.push_back({std::llround(placement.scale * x + placement.x0),
                              std::llround(-placement.scale * y + placement.y0)});
        }
        circles.push_back(circle);
    }
    for (const Section& section : plain.sections) {
        written.push_back(section.points);
    }
    double iou = areaOf(circles, written, ClipperLib::ctIntersection) /
                 areaOf(circles, written, ClipperLib::ctUnion);
    EXPECT_NEAR(record.fidelity.overall, iou, 0.005);
    EXPECT_GT(iou, 0.7); // inscribed squares would make 2/pi
    // Coarse as it is, the thinning gives back much of the area of the points it drops.
    double dotsArea = 400 * M_PI * 0.4 * 0.4 * unitArea(plain, 19.8);
    EXPECT_GT(plain.darkArea, 0.75 * dotsArea) << plain.report;
    EXPECT_LT(plain.darkArea, 1.01 * dotsArea) << plain.report;
}

TEST(ImportPipeline, RandomDrawingsGiveSectionsApart) {
    // Edges crossing at every angle: where two regions' outlines round one seam two ways, the
    // pieces on either side must still come out apart (importLogo checks every pair).
    std::mt19937 random(1);
    for (int n = 0; n < 90; ++n) {
        Logo logo = importLogo({randomDrawing(random)});
        EXPECT_TRUE(logo.status == exitDone || logo.status == exitRefused) << n;
        if (logo.status == exitDone) {
            expectReportedArea(logo);
        }
        if (::testing::Test::HasFailure()) {
            FAIL() << "drawing " << n << " of seed 1\n" << logo.report;
        }
    }
}

// A pile of random convex polygons, each corner mapped by m.
std::vector<std::vector<Point>> randomPile(std::mt19937& random, int count) {
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<std::vector<Point>> pile;
    for (int i = 0; i < count; ++i) {
        double cx = 100 * unit(random), cy = 100 * unit(random), r = 2 + 6 * unit(random);
        int corners = 3 + static_cast<int>(random() % 4);
        std::vector<Point> polygon;
        for (int k = 0; k < corners; ++k) {
            double a = 2 * M_PI * (k + 0.7 * unit(random)) / corners;
            polygon.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
        }
        pile.push_back(polygon);
    }
    return pile;
}

// How far p lies from the outline, and whether inside it (convex, counter-clockwise or not).
double edgeDistance(const std::vector<Point>& polygon, Point p, bool* inside) {
    double nearest = HUGE_VAL;
    int left = 0;
    for (size_t i = 0; i < polygon.size(); ++i) {
        Point a = polygon[i], b = polygon[(i + 1) % polygon.size()];
        double dx = b.x - a.x, dy = b.y - a.y, length2 = dx * dx + dy * dy;
        double t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0);
        nearest = std::min(nearest, std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy));
        left += dx * (p.y - a.y) - dy * (p.x - a.x) > 0 ? 1 : -1;
    }
    *inside = std::abs(left) == static_cast<int>(polygon.size());
    return nearest;
}

TEST(ImportPipeline, ManyPiledShapesShowWhatLiesOnTop) {
    // Past some hundreds of outlines painter's order cuts each layer by a tiled cover of what
    // lies above: at points away from every edge, the class shown is the topmost shape's.
    std::mt19937 random(7);
    const Colour colours[] = {red, black, white};
    const Ink inks[] = {Ink::red, Ink::dark, Ink::white};
    std::vector<std::vector<Point>> pile = randomPile(random, 1500);
    std::vector<int> colourOf;
    std::vector<Shape> shapes;
    for (const auto& polygon : pile) {
        Subpath outline{polygon[0], {}, true};
        for (size_t k = 1; k < polygon.size(); ++k) {
            outline.segments.push_back({false, {}, {}, polygon[k]});
        }
        colourOf.push_back(static_cast<int>(random() % 3));
        shapes.push_back(filled({outline}, colours[colourOf.back()]));
    }
    std::vector<Part> parts{{"mark", drawingOf(shapes)}};
    Placement placement;
    int broken;
    ASSERT_TRUE(fitView(parts, {}, fitRadius, &placement, &broken));
    std::vector<Region> regions = paintRegions(parts, {}, placement, RegionOptions{0.5}).regions;
    std::uniform_real_distribution<double> unit(0, 1);
    std::map<Ink, int> seen;
    int wrong = 0;
    for (int n = 0; n < 4000; ++n) {
        Point p{100 * unit(random), 100 * unit(random)};
        Ink expected = Ink::white;
        bool clear = true;
        for (size_t i = pile.size(); i-- > 0 && clear;) {
            bool inside;
            // Four grid units off every edge, rounding cannot tell.
            clear = edgeDistance(pile[i], p, &inside) * placement.scale > 4;
            if (inside) {
                expected = inks[colourOf[i]];
                break;
            }
        }
        if (!clear) {
            continue;
        }
        ClipperLib::IntPoint q(std::llround(placement.scale * p.x + placement.x0),
                               std::llround(-placement.scale * p.y + placement.y0));
        Ink shown = Ink::white;
        for (const Region& region : regions) {
            int winding = 0;
            for (const ClipperLib::Path& path : region.paths) {
                if (ClipperLib::PointInPolygon(q, path) != 0) {
                    winding += ClipperLib::Orientation(path) ? 1 : -1;
                }
            }
            shown = winding != 0 ? region.ink : shown;
        }
        ++seen[expected];
        wrong += shown != expected;
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(seen[Ink::red] + seen[Ink::dark] + seen[Ink::white], 1000);
    EXPECT_GT(std::min({seen[Ink::red], seen[Ink::dark], seen[Ink::white]}), 100);
    // The whole import answers: written (and then every section apart) or refused with a reason.
    BuildOptions anyFidelity;
    anyFidelity.minFidelity = 0;
    Logo logo = importLogo({drawingOf(shapes)}, {}, anyFidelity);
    EXPECT_TRUE(logo.status == exitDone ||
                logo.report.find("cannot fit the tables") != std::string::npos)
        << logo.report;
}

} // namespace

// The shared geometry against the clipping library and against applying maps one by one.
TEST(ImportGeometry, AgreesWithClipperAndWithMapsOneByOne) {
    std::mt19937 random(7);
    std::uniform_int_distribution<ClipperLib::cInt> coordinate(-1000000, 1000000);
    auto point = [&] { return ClipperLib::IntPoint(coordinate(random), coordinate(random)); };
    for (int round = 0; round < 200; ++round) {
        ClipperLib::Path path{point(), point(), point(), point()};
        EXPECT_DOUBLE_EQ(twiceArea(path), 2 * ClipperLib::Area(path));
        ClipperLib::Path triangle{path[0], path[1], path[2]};
        EXPECT_EQ(cross(path[0], path[1], path[2]) > 0, ClipperLib::Area(triangle) > 0);
        ClipperLib::IntRect a{path[0].X, path[0].Y, path[0].X + 400000, path[0].Y + 400000};
        ClipperLib::IntRect b{path[1].X, path[1].Y, path[1].X + 300000, path[1].Y + 300000};
        auto box = [](const ClipperLib::IntRect& r) {
            return ClipperLib::Path{
                {r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}};
        };
        ClipperLib::Clipper clipper;
        ClipperLib::Paths both;
        clipper.AddPath(box(a), ClipperLib::ptSubject, true);
        clipper.AddPath(box(b), ClipperLib::ptClip, true);
        clipper.Execute(ClipperLib::ctIntersection, both);
        EXPECT_EQ(boxesOverlap(a, b), !both.empty());

        Matrix inner{0.5, 0.25, -1, 2, 3, -4}, outer{2, -1, 0.5, 1.5, -7, 11};
        Point p{double(path[2].X), double(path[2].Y)};
        Point once = applyMatrix(composeMatrix(outer, inner), p);
        Point twice = applyMatrix(outer, applyMatrix(inner, p));
        EXPECT_NEAR(once.x, twice.x, 1e-6 * std::fabs(twice.x) + 1e-6);
        EXPECT_NEAR(once.y, twice.y, 1e-6 * std::fabs(twice.y) + 1e-6);
    }
    // Points on an edge go in by their distance along it, a repeat of the last one once.
    ClipperLib::IntPoint p(0, 0), q(100, 50);
    std::vector<EdgePoint> on;
    for (ClipperLib::IntPoint v : {ClipperLib::IntPoint(60, 30), ClipperLib::IntPoint(20, 10),
                                   ClipperLib::IntPoint(0, 0), ClipperLib::IntPoint(80, 40)}) {
        on.push_back({along(p, q, v), v});
    }
    ClipperLib::Path edge{p};
    appendAlongEdge(on, &edge);
    EXPECT_EQ(edge, (ClipperLib::Path{{0, 0}, {20, 10}, {60, 30}, {80, 40}}));
}

// Gradients paint by where their colours fall. Each case is a 10 x 10 (or 20 x 10) box of
// one SVG, drawn at 100 grid units a unit, with the dark and red areas the colour rules give:
// a channel under 235 of 255 is not white; red to blue is red while blue is at most a quarter
// of red (within 15 degrees of hue). Stops go through href; one case is degenerate; a white
// gloss fading out over black cuts a hole where it is near opaque, as over white.
TEST(ImportGradient, BandsFallWhereTheColoursChangeClass) {
    Drawing drawing = readSvg(R"svg(<svg xmlns="http://www.w3.org/2000/svg"
         xmlns:xlink="http://www.w3.org/1999/xlink" viewBox="0 0 100 100">
      <linearGradient id="fade"><stop offset="0" stop-color="#fff"/>
        <stop offset="1" stop-color="#000"/></linearGradient>
      <radialGradient id="spot"><stop offset="0" stop-color="#000"/>
        <stop offset="1" stop-color="#fff"/></radialGradient>
      <linearGradient id="redBlue"><stop offset="0" stop-color="#f00"/>
        <stop offset="1" stop-color="#00f"/></linearGradient>
      <linearGradient id="slant" xlink:href="#redBlue" x2="1" y2="1" gradientTransform="scale(0.5)"/>
      <linearGradient id="stripes" xlink:href="#redBlue" x2="0.5" spreadMethod="repeat"/>
      <linearGradient id="point" x2="0"><stop offset="0" stop-color="#00f"/>
        <stop offset="1" stop-color="#f00"/></linearGradient>
      <rect width="10" height="10" fill="url(#fade)"/>
      <circle cx="25" cy="5" r="5" fill="url(#spot)"/>
      <rect x="40" width="10" height="10" fill="url(#redBlue)"/>
      <rect x="60" width="20" height="10" fill="url(#slant)"/>
      <rect y="20" width="10" height="10" fill="url(#stripes)"/>
      <rect x="20" y="20" width="10" height="10" fill="url(#point)"/>
      <linearGradient id="gloss"><stop offset="0" stop-color="#fff"/>
        <stop offset="1" stop-color="#fff" stop-opacity="0"/></linearGradient>
      <rect x="40" y="20" width="10" height="10"/>
      <rect x="40" y="20" width="10" height="10" fill="url(#gloss)"/>
    </svg>)svg");
    Placement placement{100, 0, 10000};
    std::map<Ink, ClipperLib::Paths> shown;
    for (const Region& region :
         paintRegions({Part{"", drawing}}, {}, placement, RegionOptions{{0.25, false}}).regions) {
        shown[region.ink] = region.paths;
    }
    auto grid = [&](std::vector<Point> points) {
        ClipperLib::Path path;
        for (Point p : points) {
            path.emplace_back(std::llround(100 * p.x), std::llround(10000 - 100 * p.y));
        }
        return path;
    };
    auto box = [&](double x0, double y0, double x1, double y1) {
        return grid({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}});
    };
    auto disc = [&](double cx, double cy, double r) {
        std::vector<Point> points;
        for (int i = 0; i < 720; ++i) {
            points.push_back(
                {cx + r * std::cos(i * M_PI / 360), cy + r * std::sin(i * M_PI / 360)});
        }
        return grid(points);
    };
    const double white = 20.0 / 255, red = 0.2;
    struct Case {
        const char* name;
        ClipperLib::Path where;
        ClipperLib::Paths dark, red;
    };
    std::vector<Case> cases{
        {"linear", box(0, 0, 10, 10), {box(10 * white, 0, 10, 10)}, {}},
        {"radial", box(20, 0, 30, 10), {disc(25, 5, 5 * (1 - white))}, {}},
        {"red to blue", box(40, 0, 50, 10), {box(40 + 10 * red, 0, 50, 10)}, {box(40, 0, 42, 10)}},
        {"bounding box with transform",
         box(60, 0, 80, 10),
         {grid({{60 + 20 * red, 0}, {80, 0}, {80, 10}, {60, 10}, {60, 10 * red}})},
         {grid({{60, 0}, {60 + 20 * red, 0}, {60, 10 * red}})}},
        {"repeat",
         box(0, 20, 10, 30),
         {box(5 * red, 20, 5, 30), box(5 + 5 * red, 20, 10, 30)},
         {box(0, 20, 5 * red, 30), box(5, 20, 5 + 5 * red, 30)}},
        {"degenerate, the last stop", box(20, 20, 30, 30), {}, {box(20, 20, 30, 30)}},
        {"gloss over black", box(40, 20, 50, 30), {box(40 + 10 * white, 20, 50, 30)}, {}},
    };
    for (const Case& c : cases) {
        for (Ink ink : {Ink::dark, Ink::red}) {
            double apart = areaApartWithin(shown[ink], c.where, ink == Ink::dark ? c.dark : c.red);
            EXPECT_LT(apart, 0.005 * std::fabs(ClipperLib::Area(c.where)))
                << c.name << (ink == Ink::dark ? ", dark" : ", red");
        }
    }
}
