// The SVG reader: small documents read into shapes, checked by where points land and what
// paint and notes come out.
#include "svg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

Point apply(const Matrix& m, Point p) {
    return {m.a * p.x + m.c * p.y + m.e, m.b * p.x + m.d * p.y + m.f};
}

Point firstPoint(const Shape& shape) {
    return apply(shape.transform, shape.subpaths.at(0).start);
}

void expectColour(const Paint& paint, int r, int g, int b) {
    EXPECT_TRUE(paint.set);
    EXPECT_EQ(paint.colour.r, r);
    EXPECT_EQ(paint.colour.g, g);
    EXPECT_EQ(paint.colour.b, b);
}

bool hasNote(const Drawing& drawing, const std::string& part) {
    for (const std::string& note : drawing.notes) {
        if (note.find(part) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// An export in the manner of illustration programs: a class sheet, a viewBox scaled into
// millimetres, nested transforms, a <use> of an element defined later, a gradient, hidden
// and undisplayed shapes, text.
const char* const logo = R"svg(<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink"
     width="100mm" height="50mm" viewBox="0 0 200 100">
  <defs>
    <style>
      /* a comment */
      .cls-1{fill:#e30613}
      .cls-2, #dark {fill:#1d1d1b; stroke:none}
      path.cls-3{fill:blue}
      .cls-3{fill:green !important}
    </style>
    <linearGradient id="base"><stop offset="0" stop-color="#ff0000"/>
      <stop offset="1" stop-color="#0000ff"/></linearGradient>
    <linearGradient id="grad" xlink:href="#base" x1="0" x2="1"/>
  </defs>
  <g transform="translate(10 20)">
    <g transform="scale(2)">
      <rect class="cls-1" x="1" y="2" width="3" height="4"/>
    </g>
  </g>
  <rect class="cls-2" fill="yellow" x="0" y="0" width="1" height="1"/>
  <rect id="dark" class="cls-1" style="fill:#00ff00" x="0" y="0" width="1" height="1"/>
  <path class="cls-3" style="fill:red" d="M0 0h1v1z"/>
  <use xlink:href="#later" x="30" y="40"/>
  <rect fill="url(#grad)" x="0" y="0" width="1" height="1"/>
  <rect style="display:none" width="9" height="9"/>
  <g visibility="hidden">
    <rect width="9" height="9"/>
    <rect visibility="visible" fill="#123456" width="2" height="2"/>
  </g>
  <text x="0" y="10">Name</text>
  <circle id="later" cx="5" cy="6" r="1" fill="#00ff00"/>
</svg>
)svg";

TEST(ReadSvg, ExportWithSheetUseGradientAndHiddenShapes) {
    Drawing drawing = readSvg(logo);
    ASSERT_EQ(drawing.shapes.size(), 9u);

    // 100 mm across 200 units: each unit is 100 / 25.4 * 96 / 200 pixels.
    double unit = 100 / 25.4 * 96 / 200;
    EXPECT_TRUE(drawing.clipped);
    EXPECT_NEAR(drawing.clip.x1, 200 * unit, 1e-6);
    EXPECT_NEAR(drawing.clip.y1, 100 * unit, 1e-6);

    // translate(10 20) scale(2) on the corner (1, 2).
    const Shape& nested = drawing.shapes[0];
    Point corner = firstPoint(nested);
    EXPECT_NEAR(corner.x, (10 + 2 * 1) * unit, 1e-9);
    EXPECT_NEAR(corner.y, (20 + 2 * 2) * unit, 1e-9);
    expectColour(nested.fill, 0xe3, 0x06, 0x13);
    EXPECT_FALSE(nested.stroke.set);
    EXPECT_EQ(nested.line, 18);

    // A sheet rule beats the presentation attribute; style= beats the sheet, ids included;
    // !important beats style=.
    expectColour(drawing.shapes[1].fill, 0x1d, 0x1d, 0x1b);
    expectColour(drawing.shapes[2].fill, 0, 255, 0);
    expectColour(drawing.shapes[3].fill, 0, 128, 0);

    // The <use> of the circle defined further down lands translated by x and y.
    const Shape& used = drawing.shapes[4];
    expectColour(used.fill, 0, 255, 0);
    double left = 1e9;
    for (const Subpath& subpath : used.subpaths) {
        for (const Segment& segment : subpath.segments) {
            left = std::min(left, apply(used.transform, segment.end).x);
        }
    }
    EXPECT_NEAR(left, (30 + 5 - 1) * unit, 1e-6);

    // The gradient inherits its stops through href and paints as their mean.
    expectColour(drawing.shapes[5].fill, 128, 0, 128);

    // Undisplayed and hidden shapes are gone; a visible child of a hidden group stays.
    expectColour(drawing.shapes[6].fill, 0x12, 0x34, 0x56);
    // The text is painted as a shape, its baseline at y 10.
    expectColour(drawing.shapes[7].fill, 0, 0, 0);
    EXPECT_GT(drawing.shapes[7].subpaths.size(), 4u);
    expectColour(drawing.shapes[8].fill, 0, 255, 0);
    EXPECT_FALSE(hasNote(drawing, "<text>"));
}

// A <use> inside a reused group, of a rotated circle defined after it, and a <symbol>
// placed into a box by its viewBox.
TEST(ReadSvg, NestedUsesAndSymbolsLandWhereTheyShould) {
    Drawing drawing = readSvg(R"svg(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 100 100">
      <defs><g id="pair"><use href="#dot" x="10"/><use href="#dot" y="10"/></g>
        <symbol id="box" viewBox="0 0 2 2"><rect width="1" height="1"/></symbol></defs>
      <use href="#pair" transform="translate(50 0)" fill="#ff0000"/>
      <use href="#box" x="20" y="30" width="10" height="10"/>
      <circle id="dot" transform="rotate(90)" cx="1" cy="0" r="0.5" fill-opacity="0.5"/>
    </svg>)svg");
    ASSERT_EQ(drawing.shapes.size(), 4u);
    // rotate(90) takes the centre (1, 0) to (0, 1); the uses move it by x or y, then by 50.
    auto centre = [](const Shape& shape) {
        double x = 0, y = 0;
        int n = 0;
        for (const Segment& segment : shape.subpaths.at(0).segments) {
            Point p = apply(shape.transform, segment.end);
            x += p.x;
            y += p.y;
            ++n;
        }
        return Point{x / n, y / n};
    };
    EXPECT_NEAR(centre(drawing.shapes[0]).x, 60, 1e-6);
    EXPECT_NEAR(centre(drawing.shapes[0]).y, 1, 1e-6);
    EXPECT_NEAR(centre(drawing.shapes[1]).x, 50, 1e-6);
    EXPECT_NEAR(centre(drawing.shapes[1]).y, 11, 1e-6);
    expectColour(drawing.shapes[0].fill, 255, 0, 0);
    EXPECT_DOUBLE_EQ(drawing.shapes[0].fill.opacity, 0.5);
    // The symbol's 2 units span the use's 10: its unit square covers (20, 30) to (25, 35).
    const Shape& box = drawing.shapes[2];
    Point far = apply(box.transform, box.subpaths.at(0).segments.at(1).end);
    EXPECT_NEAR(firstPoint(box).x, 20, 1e-9);
    EXPECT_NEAR(firstPoint(box).y, 30, 1e-9);
    EXPECT_NEAR(far.x, 25, 1e-9);
    EXPECT_NEAR(far.y, 35, 1e-9);
    expectColour(drawing.shapes[3].fill, 0, 0, 0);
}

// Every way a copied <use> can hold another: each draws its 5 by 5 square, moved by the
// x of every <use> on the way. (Copies once shared namespace records with nodes freed
// before the geometry pass read them.)
TEST(ReadSvg, UsesOfUsesDrawWhatTheyReferTo) {
    const std::string head = R"(<svg xmlns="http://www.w3.org/2000/svg" )"
                             R"(xmlns:xlink="http://www.w3.org/1999/xlink" viewBox="0 0 99 99">)";
    const std::pair<const char*, double> cases[] = {
        {R"(<defs><rect id="r" width="5" height="5"/><use id="u" xlink:href="#r"/></defs>
            <use xlink:href="#u"/>)",
         0},
        {R"(<defs><rect id="r" width="5" height="5"/><use id="a" href="#r" x="1"/>
            <use id="b" href="#a" x="2"/></defs><use href="#b" x="3"/>)",
         6},
        {R"(<defs><rect id="r" width="5" height="5"/><symbol id="s"><use href="#r" x="4"/>
            </symbol></defs><use href="#s" x="1"/>)",
         5},
        {R"(<defs><rect id="r" width="5" height="5"/><g id="g" xmlns="http://www.w3.org/2000/svg">
            <use href="#r" x="4"/></g><use id="h" href="#g" x="1"/></defs><use href="#h" x="2"/>)",
         7},
        {R"(<defs><svg:rect xmlns:svg="http://www.w3.org/2000/svg" id="r" width="5" height="5"/>
            </defs><use xmlns="http://www.w3.org/2000/svg" href="#r" x="8"/>)",
         8},
    };
    for (const auto& [body, x] : cases) {
        Drawing drawing = readSvg(head + body + "</svg>");
        ASSERT_EQ(drawing.shapes.size(), 1u) << body;
        const Shape& square = drawing.shapes[0];
        Point far = apply(square.transform, square.subpaths.at(0).segments.at(1).end);
        EXPECT_NEAR(firstPoint(square).x, x, 1e-9) << body;
        EXPECT_NEAR(far.x, x + 5, 1e-9) << body;
        EXPECT_NEAR(far.y, 5, 1e-9) << body;
    }
}

TEST(ReadSvg, ArcsBecomeCubicsEndingWhereThePathSays) {
    Drawing drawing = readSvg(
        R"(<svg xmlns="http://www.w3.org/2000/svg"><path stroke="black" fill="none"
           stroke-width="2" stroke-linejoin="round" d="M10 10a5 5 0 0 1 10 0l1.5.5.5.5-1e1 0q1 1 2 2"/></svg>)");
    ASSERT_EQ(drawing.shapes.size(), 1u);
    const Shape& shape = drawing.shapes[0];
    EXPECT_FALSE(shape.fill.set);
    EXPECT_TRUE(shape.stroke.set);
    EXPECT_EQ(shape.strokeWidth, 2);
    EXPECT_EQ(shape.lineJoin, LineJoin::round);
    const std::vector<Segment>& segments = shape.subpaths.at(0).segments;
    ASSERT_GE(segments.size(), 5u);
    size_t arc = segments.size() - 4;
    for (size_t i = 0; i < arc; ++i) {
        EXPECT_TRUE(segments[i].cubic);
    }
    EXPECT_NEAR(segments[arc - 1].end.x, 20, 1e-9);
    EXPECT_NEAR(segments[arc - 1].end.y, 10, 1e-9);
    // The half circle about (15, 10) bulges up from its chord.
    for (size_t i = 0; i < arc; ++i) {
        EXPECT_NEAR(std::hypot(segments[i].end.x - 15, segments[i].end.y - 10), 5, 1e-9);
        EXPECT_LE(segments[i].end.y, 10 + 1e-9);
    }
    // Packed numbers: l1.5.5 .5.5 -1e1 0, then a quadratic as a cubic.
    EXPECT_NEAR(segments[arc].end.x, 21.5, 1e-12);
    EXPECT_NEAR(segments[arc + 1].end.y, 11, 1e-12);
    EXPECT_NEAR(segments[arc + 2].end.x, 12, 1e-12);
    EXPECT_TRUE(segments[arc + 3].cubic);
    EXPECT_NEAR(segments[arc + 3].end.x, 14, 1e-12);

    // An arc to its own start is left out; one with a zero radius is a line.
    Drawing degenerate = readSvg(R"svg(<svg xmlns="http://www.w3.org/2000/svg">
        <path d="M1 1A5 5 0 0 0 1 1A0 5 0 0 1 5 5"/></svg>)svg");
    ASSERT_EQ(degenerate.shapes.size(), 1u);
    const std::vector<Segment>& line = degenerate.shapes[0].subpaths.at(0).segments;
    ASSERT_EQ(line.size(), 1u);
    EXPECT_FALSE(line[0].cubic);
    EXPECT_EQ(line[0].end.x, 5);

    // A closed subpath of no length stays, a dot for the caps: a line of no length, since
    // no subpath comes without a segment (the import fuzz target's find, "M10 10zm10 1z");
    // a lone move draws nothing.
    Drawing dot = readSvg(R"svg(<svg xmlns="http://www.w3.org/2000/svg">
        <path d="M12 5zM3 3" stroke="#000" stroke-linecap="round"/>
        <path stroke="#000" d="M10 10zm10 1z"/></svg>)svg");
    ASSERT_EQ(dot.shapes.size(), 2u);
    ASSERT_EQ(dot.shapes[0].subpaths.size(), 1u);
    EXPECT_TRUE(dot.shapes[0].subpaths[0].closed);
    EXPECT_EQ(dot.shapes[0].subpaths[0].start.x, 12);
    ASSERT_EQ(dot.shapes[1].subpaths.size(), 2u);
    for (const Subpath& subpath : dot.shapes[1].subpaths) {
        ASSERT_EQ(subpath.segments.size(), 1u);
        EXPECT_EQ(subpath.segments[0].end.x, subpath.start.x);
        EXPECT_EQ(subpath.segments[0].end.y, subpath.start.y);
    }
    EXPECT_EQ(dot.shapes[1].subpaths[1].start.x, 20);
}

// Numbers packed as minifiers write them read as viewers read them, in transforms and
// point lists; internal entities are substituted, markup included, but nothing is loaded
// from outside the file and an exponential entity is refused.
TEST(ReadSvg, PackedNumbersAndInternalEntities) {
    Drawing packed = readSvg(R"svg(<svg xmlns="http://www.w3.org/2000/svg">
        <polygon transform="translate(2-1)rotate(90 .5.5)" points="1-1 .5.5-3 4"/>
        <rect x="3" width="1" height="1" transform="rotate(45.5.5)"/></svg>)svg");
    ASSERT_EQ(packed.shapes.size(), 2u);
    // rotate(45.5 .5) has two numbers, which no rotate has: as a viewer, drawn untransformed.
    EXPECT_NEAR(firstPoint(packed.shapes[1]).x, 3, 1e-9);
    EXPECT_TRUE(hasNote(packed, "invalid transform"));
    // rotate(90) about (.5, .5) takes (1, -1) to (2, 1) and keeps (.5, .5); then translate.
    const Shape& polygon = packed.shapes[0];
    Point first = firstPoint(polygon);
    Point second = apply(polygon.transform, polygon.subpaths.at(0).segments.at(0).end);
    EXPECT_NEAR(first.x, 4, 1e-9);
    EXPECT_NEAR(first.y, 0, 1e-9);
    EXPECT_NEAR(second.x, 2.5, 1e-9);
    EXPECT_NEAR(second.y, -0.5, 1e-9);

    std::string outside = testing::TempDir() + "import_svg_entity.xml";
    std::FILE* file = std::fopen(outside.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("<rect width='9' height='9'/>", file);
    std::fclose(file);
    Drawing entities = readSvg(R"(<?xml version="1.0"?>
<!DOCTYPE svg PUBLIC "-//W3C//DTD SVG 1.1//EN" "http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd" [
  <!ENTITY ns_svg "http://www.w3.org/2000/svg">
  <!ENTITY dot "<circle cx='5' cy='5' r='2' fill='#00f'/>">
  <!ENTITY outside SYSTEM ")" + outside +
                               R"(">
]>
<svg xmlns="&ns_svg;" viewBox="0 0 10 10">&dot;&outside;<rect width="1" height="1"/></svg>)");
    std::remove(outside.c_str());
    ASSERT_EQ(entities.shapes.size(), 2u);
    expectColour(entities.shapes[0].fill, 0, 0, 255);
    EXPECT_NEAR(firstPoint(entities.shapes[0]).x, 7, 1e-9);
    EXPECT_NEAR(firstPoint(entities.shapes[1]).x, 0, 1e-9);

    std::string laughs = "<!DOCTYPE svg [<!ENTITY a0 'haha'>";
    for (int i = 1; i <= 12; ++i) {
        std::string previous = "&a" + std::to_string(i - 1) + ";";
        laughs += "<!ENTITY a" + std::to_string(i) + " '" + previous + previous + previous +
                  previous + previous + previous + previous + previous + "'>";
    }
    laughs += "]><svg xmlns=\"http://www.w3.org/2000/svg\"><desc>&a12;</desc></svg>";
    try {
        readSvg(laughs);
        ADD_FAILURE() << "exponential entities read";
    } catch (const ImportError& error) {
        EXPECT_NE(std::string(error.what()).find("entities expand past"), std::string::npos);
    }
}

// Markers stand at the vertices, turned along the path (halfway at a corner), scaled by the
// stroke width and their viewBox, with refX and refY on the vertex; a rect has none.
TEST(ReadSvg, MarkersStandAtTheVertices) {
    Drawing drawing = readSvg(R"svg(<svg xmlns="http://www.w3.org/2000/svg">
      <marker id="m" viewBox="0 0 10 10" refX="5" refY="5" markerWidth="2" markerHeight="2"
        orient="auto"><path d="M0 0H10V10H0z"/></marker>
      <path d="M10 10H30V30" fill="none" stroke="#000" stroke-width="3" marker-start="url(#m)"
        style="marker-mid:url(#m)" marker-end="url(#m)"/>
      <rect width="1" height="1" marker-start="url(#m)"/></svg>)svg");
    ASSERT_EQ(drawing.shapes.size(), 5u);
    // Each 6 units square (2 by the stroke width 3) about its vertex: turned by 0, 45 and 90
    // degrees, its first corner lands at (-3, -3) from the vertex turned so.
    const Point corners[] = {{7, 7}, {30, 10 - 3 * std::sqrt(2.0)}, {33, 27}};
    for (int i = 0; i < 3; ++i) {
        Point corner = firstPoint(drawing.shapes[1 + i]);
        EXPECT_NEAR(corner.x, corners[i].x, 1e-9) << i;
        EXPECT_NEAR(corner.y, corners[i].y, 1e-9) << i;
    }
    Point far = apply(drawing.shapes[3].transform, drawing.shapes[3].subpaths[0].segments[1].end);
    EXPECT_NEAR(far.x, 27, 1e-9);
    EXPECT_NEAR(far.y, 33, 1e-9);
}

TEST(ReadSvg, BadInputThrowsWithItsLine) {
    auto lineOf = [](const std::string& text) {
        try {
            readSvg(text);
        } catch (const ImportError& error) {
            return error.line;
        }
        return -1;
    };
    EXPECT_EQ(lineOf("<svg xmlns=\"http://www.w3.org/2000/svg\">\n<g>\n<rect/>\n</svg>"), 4);
    EXPECT_EQ(lineOf("<svg xmlns=\"http://www.w3.org/2000/svg\">\n\n<path d=\"M0 0 L\"/></svg>"),
              3);
    EXPECT_EQ(lineOf("<html>\n</html>"), 1);
    EXPECT_EQ(
        lineOf(
            "<svg xmlns=\"http://www.w3.org/2000/svg\">\n<g id=\"a\"><use href=\"#a\"/></g></svg>"),
        2);
    EXPECT_EQ(lineOf(std::string("<svg>\0</svg>", 12)), 1);
    // Nothing drawable is no error.
    EXPECT_TRUE(readSvg("<svg xmlns=\"http://www.w3.org/2000/svg\"/>").shapes.empty());
}

} // namespace

namespace {

double lengthOf(const Subpath& subpath) {
    double length = 0;
    Point from = subpath.start;
    for (const Segment& s : subpath.segments) {
        if (!s.cubic) {
            length += std::hypot(s.end.x - from.x, s.end.y - from.y);
        } else {
            Point last = from;
            for (int k = 1; k <= 200; ++k) {
                double t = k / 200.0, u = 1 - t;
                Point p{u * u * u * from.x + 3 * u * u * t * s.control1.x +
                            3 * u * t * t * s.control2.x + t * t * t * s.end.x,
                        u * u * u * from.y + 3 * u * u * t * s.control1.y +
                            3 * u * t * t * s.control2.y + t * t * t * s.end.y};
                length += std::hypot(p.x - last.x, p.y - last.y);
                last = p;
            }
        }
        from = s.end;
    }
    return length;
}

} // namespace

// Dashes are open subpaths cut from the stroke alone, the pattern starting anew on each
// subpath from the offset; a dash across a closed path's start joins the one before it.
TEST(ReadSvg, DashedStrokesAreCutIntoOpenDashes) {
    Drawing drawing = readSvg(R"svg(<svg xmlns="http://www.w3.org/2000/svg">
      <path d="M0 0H10M0 5H10" fill="none" stroke="#000" stroke-dasharray="2,1" stroke-dashoffset="0.5"/>
      <rect width="10" height="10" fill="#f00" stroke="#00f" stroke-dasharray="10 5"/>
      <circle r="10" fill="none" stroke="#000" stroke-dasharray="5%"/>
      <path d="M0 0H8" fill="none" stroke="#000" stroke-linecap="round" stroke-dasharray="0 4"/>
      <path d="M0 0H8" fill="none" stroke="#000" stroke-dasharray="1 -1"/>
      <path d="M0 0H30000" fill="none" stroke="#000" stroke-dasharray="1"/></svg>)svg");
    ASSERT_EQ(drawing.shapes.size(), 7u);
    // 0.5 into "2 1": dashes over [0, 1.5], [2.5, 4.5], [5.5, 7.5], [8.5, 10] on each line.
    const Shape& lines = drawing.shapes[0];
    ASSERT_EQ(lines.subpaths.size(), 8u);
    const double ends[4][2] = {{0, 1.5}, {2.5, 4.5}, {5.5, 7.5}, {8.5, 10}};
    for (size_t i = 0; i < 8; ++i) {
        const Subpath& dash = lines.subpaths[i];
        EXPECT_FALSE(dash.closed);
        EXPECT_NEAR(dash.start.x, ends[i % 4][0], 1e-9);
        EXPECT_NEAR(dash.segments.back().end.x, ends[i % 4][1], 1e-9);
        EXPECT_EQ(dash.start.y, i < 4 ? 0 : 5);
    }
    // The rect: its fill whole, then its stroke in dashes over 0-10, 15-25 and 30-40 of the
    // 40 round, the last joined to the first: from (0, 10) through (0, 0) to (10, 0).
    expectColour(drawing.shapes[1].fill, 255, 0, 0);
    EXPECT_FALSE(drawing.shapes[1].stroke.set);
    const Shape& border = drawing.shapes[2];
    EXPECT_FALSE(border.fill.set);
    expectColour(border.stroke, 0, 0, 255);
    ASSERT_EQ(border.subpaths.size(), 2u);
    EXPECT_NEAR(border.subpaths[0].start.x, 0, 1e-9);
    EXPECT_NEAR(border.subpaths[0].start.y, 10, 1e-9);
    EXPECT_NEAR(border.subpaths[0].segments.back().end.x, 10, 1e-9);
    EXPECT_NEAR(border.subpaths[0].segments.back().end.y, 0, 1e-9);
    EXPECT_NEAR(lengthOf(border.subpaths[0]), 20, 1e-9);
    // The circle, in 5% of the viewport's diagonal (100 by 100 unsized: 5): every dash that
    // long but the one joined across the start, all on the circle, half of it inked.
    const Shape& circle = drawing.shapes[3];
    double dash = 5, inked = 0;
    for (size_t i = 0; i < circle.subpaths.size(); ++i) {
        const Subpath& piece = circle.subpaths[i];
        if (i > 0) {
            EXPECT_NEAR(lengthOf(piece), dash, 0.02 * dash) << i;
        }
        EXPECT_NEAR(std::hypot(piece.start.x, piece.start.y), 10, 1e-2);
        for (const Segment& s : piece.segments) {
            EXPECT_NEAR(std::hypot(s.end.x, s.end.y), 10, 1e-2);
        }
        inked += lengthOf(piece);
    }
    EXPECT_NEAR(inked, 0.5 * 2 * M_PI * 10, dash);
    // Dashes of no length are dots for round caps: at 0 and 4 (8 is the end).
    const Shape& dots = drawing.shapes[4];
    ASSERT_EQ(dots.subpaths.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(dots.subpaths[i].start.x, 4.0 * i);
        EXPECT_EQ(lengthOf(dots.subpaths[i]), 0);
    }
    // A negative length makes the pattern void: drawn solid.
    ASSERT_EQ(drawing.shapes[5].subpaths.size(), 1u);
    EXPECT_EQ(drawing.shapes[5].subpaths[0].segments.back().end.x, 8);
    // 15,000 dashes are past what a drawing may be cut into: solid, with a note.
    ASSERT_EQ(drawing.shapes[6].subpaths.size(), 1u);
    EXPECT_EQ(drawing.shapes[6].subpaths[0].segments.back().end.x, 30000);
    EXPECT_EQ(std::count_if(drawing.notes.begin(), drawing.notes.end(),
                            [](const std::string& note) { return note.find("dashes") != note.npos; }),
              1);
}
