// The name set from a font: shaping, holes, lines, refusals, the area against FreeType's own
// outline, and its place under a mark.
#include "import.h"
#include "logo_properties.h"
#include "pipeline.h"
#include "svg.h"
#include "text.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BBOX_H
#include FT_OUTLINE_H
#include <gtest/gtest.h>
#include <hb.h>
#include <polyclipping/clipper.hpp>

#include <climits>
#include <cmath>
#include <sstream>
#include <string>

namespace {

using Polygon = std::vector<Point>;

// Each subpath of a shape as a fine polygon in the drawing's space.
std::vector<Polygon> flatten(const Shape& shape) {
    const Matrix& m = shape.transform;
    auto map = [&m](Point p) {
        return Point{m.a * p.x + m.c * p.y + m.e, m.b * p.x + m.d * p.y + m.f};
    };
    std::vector<Polygon> polygons;
    for (const Subpath& subpath : shape.subpaths) {
        Polygon polygon{subpath.start};
        for (const Segment& s : subpath.segments) {
            Point p0 = polygon.back();
            for (int i = 1; s.cubic && i < 64; ++i) {
                double t = i / 64.0, u = 1 - t;
                polygon.push_back({u * u * u * p0.x + 3 * u * u * t * s.control1.x +
                                       3 * u * t * t * s.control2.x + t * t * t * s.end.x,
                                   u * u * u * p0.y + 3 * u * u * t * s.control1.y +
                                       3 * u * t * t * s.control2.y + t * t * t * s.end.y});
            }
            polygon.push_back(s.end);
        }
        for (Point& p : polygon) {
            p = map(p);
        }
        polygons.push_back(polygon);
    }
    return polygons;
}

double signedArea(const Polygon& polygon) {
    double twice = 0;
    for (size_t i = 0; i < polygon.size(); ++i) {
        const Point& a = polygon[i];
        const Point& b = polygon[(i + 1) % polygon.size()];
        twice += a.x * b.y - b.x * a.y;
    }
    return twice / 2;
}

// Bounds of the shapes set on one line (0: every line).
Box inkOf(const Drawing& drawing, int line = 0) {
    Box box{HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (const Shape& shape : drawing.shapes) {
        for (const Polygon& polygon :
             line == 0 || shape.line == line ? flatten(shape) : std::vector<Polygon>()) {
            for (const Point& p : polygon) {
                box = {std::min(box.x0, p.x), std::min(box.y0, p.y), std::max(box.x1, p.x),
                       std::max(box.y1, p.y)};
            }
        }
    }
    return box;
}

size_t contours(const Drawing& drawing) {
    size_t count = 0;
    for (const Shape& shape : drawing.shapes) {
        count += shape.subpaths.size();
    }
    return count;
}

std::string refusal(const std::vector<std::string>& lines, const std::string& font) {
    try {
        setText(lines, font);
    } catch (const ImportError& error) {
        return error.what();
    }
    return "(not refused)";
}

// What fontconfig gives for a pattern: its family and file.
std::pair<std::string, std::string> match(const char* pattern) {
    FcPattern* asked = FcNameParse(reinterpret_cast<const FcChar8*>(pattern));
    FcConfigSubstitute(nullptr, asked, FcMatchPattern);
    FcDefaultSubstitute(asked);
    FcResult result;
    FcPattern* found = FcFontMatch(nullptr, asked, &result);
    FcChar8 *family, *file;
    FcPatternGetString(found, FC_FAMILY, 0, &family);
    FcPatternGetString(found, FC_FILE, 0, &file);
    std::pair<std::string, std::string> answer(reinterpret_cast<char*>(family),
                                               reinterpret_cast<char*>(file));
    FcPatternDestroy(found);
    FcPatternDestroy(asked);
    return answer;
}

const std::string font = "DejaVu Sans:bold";

TEST(SetText, ShapesKernsAccentsHolesAndLines) {
    double av = inkOf(setText({"AV"}, font)).x1 - inkOf(setText({"AV"}, font)).x0;
    Box a = inkOf(setText({"A"}, font)), v = inkOf(setText({"V"}, font));
    EXPECT_LT(av, (a.x1 - a.x0) + (v.x1 - v.x0));

    Drawing sao = setText({"São"}, font);
    EXPECT_GT(contours(sao), contours(setText({"Sao"}, font)));
    EXPECT_EQ(sao.shapes.size(), 3u);
    EXPECT_FALSE(sao.clipped);
    for (const Shape& shape : sao.shapes) {
        EXPECT_TRUE(shape.fill.set && shape.fill.opacity == 1 && !shape.stroke.set);
        EXPECT_LE(shape.fill.colour.r + shape.fill.colour.g + shape.fill.colour.b, 3 * 40);
        EXPECT_EQ(shape.fillRule, FillRule::nonZero);
    }

    Drawing o = setText({"O"}, font);
    ASSERT_EQ(contours(o), 2u);
    std::vector<Polygon> rings = flatten(o.shapes[0]);
    EXPECT_LT(signedArea(rings[0]) * signedArea(rings[1]), 0);

    // Capitals one unit high on the first baseline.
    Box h = inkOf(setText({"H"}, font));
    EXPECT_NEAR(h.y0, -1, 1e-9);
    EXPECT_NEAR(h.y1, 0, 1e-9);

    Box given = inkOf(setText({"ABC", "DE"}, font), 2);
    for (const std::vector<std::string>& text : std::vector<std::vector<std::string>>{
             {"ABC", "DE"}, {"ABC\nDE"}, {"ABC\\nDE"}, {"  ABC \r\nDE\t"}}) {
        Drawing two = setText(text, font);
        Box first = inkOf(two, 1), second = inkOf(two, 2);
        EXPECT_GT(second.y0, first.y1);
        EXPECT_NEAR((first.x0 + first.x1) / 2, (second.x0 + second.x1) / 2, 0.2);
        EXPECT_NEAR(second.y0, given.y0, 1e-9);
        EXPECT_NEAR(second.x0, given.x0, 1e-9);
    }
}

TEST(SetText, RefusesWhatItCannotSet) {
    std::string substitute = match("No Such Family 12345").first;
    std::string missing = refusal({"A"}, "No Such Family 12345");
    EXPECT_NE(missing.find("No Such Family 12345"), std::string::npos) << missing;
    EXPECT_NE(missing.find(substitute), std::string::npos) << missing;

    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"A漢"}, "U+6F22"},
        {{"A\xc3"}, "UTF-8"},
        {{"\xc0\xaf"}, "UTF-8"}, // an overlong '/'
        {{std::string("A\0B", 3)}, "U+0000"},
        {{"  ", "\n"}, "empty"},
        {{"\u200b"}, "nothing visible"},
        {{std::string(1001, 'A')}, "1000"},
        {{std::string(101, '\n') + "A"}, "100 lines"},
        {{"A\x7f"}, "U+007F"}};
    for (const auto& [text, message] : cases) {
        EXPECT_NE(refusal(text, font).find(message), std::string::npos) << message;
    }
    EXPECT_NE(refusal({"A"}, "/no/such/font.ttf").find("no such font file"), std::string::npos);
    for (const char* unnamed : {"", ":bold"}) {
        EXPECT_NE(refusal({"A"}, unnamed).find("names no family"), std::string::npos) << unnamed;
    }
}

// The area FreeType's own outline of one character encloses, with its orientation: each
// segment's chord, and for a conic the segment between chord and curve, two thirds of the
// triangle of its points.
double freeTypeArea(FT_Face face, char c) {
    struct Walk {
        FT_Vector at;
        double twice;
    };
    FT_Outline_Funcs funcs = {
        [](const FT_Vector* to, void* walk) {
            static_cast<Walk*>(walk)->at = *to;
            return 0;
        },
        [](const FT_Vector* to, void* user) {
            Walk* walk = static_cast<Walk*>(user);
            walk->twice += double(walk->at.x) * to->y - double(to->x) * walk->at.y;
            walk->at = *to;
            return 0;
        },
        [](const FT_Vector* q, const FT_Vector* to, void* user) {
            Walk* walk = static_cast<Walk*>(user);
            FT_Vector p = walk->at;
            walk->twice +=
                double(p.x) * to->y - double(to->x) * p.y +
                2.0 / 3 * (double(q->x - p.x) * (to->y - p.y) - double(to->x - p.x) * (q->y - p.y));
            walk->at = *to;
            return 0;
        },
        nullptr,
        0,
        0};
    FT_Load_Char(face, c, FT_LOAD_NO_SCALE);
    Walk walk{{0, 0}, 0};
    FT_Outline_Decompose(&face->glyph->outline, &funcs, &walk);
    return walk.twice / 2;
}

TEST(SetText, AreaOfVestralMatchesTheFont) {
    std::string file = match("DejaVu Sans:bold").second;
    FT_Library library;
    FT_Face face;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    ASSERT_EQ(FT_New_Face(library, file.c_str(), 0, &face), 0);
    double fontArea = 0, top = -HUGE_VAL, bottom = HUGE_VAL;
    for (char c : std::string("VESTRAL")) {
        fontArea += std::fabs(freeTypeArea(face, c));
        FT_BBox box;
        FT_Outline_Get_BBox(&face->glyph->outline, &box);
        top = std::max(top, static_cast<double>(box.yMax));
        bottom = std::min(bottom, static_cast<double>(box.yMin));
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);

    Drawing name = setText({"VESTRAL"}, file);
    ASSERT_EQ(name.shapes.size(), 7u);
    double area = 0;
    for (const Shape& shape : name.shapes) {
        double glyph = 0;
        for (const Polygon& polygon : flatten(shape)) {
            glyph += signedArea(polygon);
        }
        area += std::fabs(glyph);
    }
    Box ink = inkOf(name);
    double height = ink.y1 - ink.y0;
    // Both as a share of the square of the letters' height, so the scale drops out.
    double fontShare = fontArea / ((top - bottom) * (top - bottom));
    EXPECT_NEAR(area / (height * height) / fontShare, 1, 1e-4);

    // Imported, the letters keep that share within 1%, and the logo has every property.
    std::ostringstream out, err;
    Logo logo;
    logo.status = importParts({{"name", name}}, {}, {}, out, err);
    logo.text = out.str();
    logo.report = err.str();
    ASSERT_EQ(logo.status, exitDone) << logo.report;
    examineLogo(logo);
    long long low = LLONG_MAX, high = LLONG_MIN;
    for (const Section& section : logo.sections) {
        for (const auto& p : section.points) {
            low = std::min(low, p.Y);
            high = std::max(high, p.Y);
        }
    }
    double written = (high - low) * 1e-4;
    EXPECT_NEAR(logo.darkArea / (written * written) / fontShare, 1, 0.01);
    EXPECT_EQ(logo.redArea, 0);
}

// A run of a line as the reference sets it: its text in logical order and its direction.
struct TextRun {
    const char* text;
    hb_direction_t direction;
};

// Ink normalised to stand on its box's top left corner with a height of one, in Clipper's
// integer units, so that two layouts of one line compare whatever their scale.
ClipperLib::Paths normalised(std::vector<Polygon> polygons, bool yUp) {
    Box box{HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (Polygon& polygon : polygons) {
        for (Point& p : polygon) {
            p.y = yUp ? -p.y : p.y;
            box = {std::min(box.x0, p.x), std::min(box.y0, p.y), std::max(box.x1, p.x),
                   std::max(box.y1, p.y)};
        }
    }
    ClipperLib::Paths paths;
    for (const Polygon& polygon : polygons) {
        paths.emplace_back();
        for (const Point& p : polygon) {
            paths.back().push_back({std::llround((p.x - box.x0) / (box.y1 - box.y0) * 1e6),
                                    std::llround((p.y - box.y0) / (box.y1 - box.y0) * 1e6)});
        }
    }
    return paths;
}

// The reference layout: each run shaped on its own by HarfBuzz's own font functions, the runs
// set left to right in the order given, every glyph the font's own outline flattened.
std::vector<Polygon> handLaidOut(const std::string& file, const std::vector<TextRun>& runs) {
    FT_Library library;
    FT_Face face;
    FT_Init_FreeType(&library);
    FT_New_Face(library, file.c_str(), 0, &face);
    hb_blob_t* blob = hb_blob_create_from_file(file.c_str());
    hb_face_t* hbFace = hb_face_create(blob, 0);
    hb_font_t* font = hb_font_create(hbFace); // scaled in font units
    struct Walk {
        std::vector<Polygon>* polygons;
        double x, y;
    };
    FT_Outline_Funcs funcs = {
        [](const FT_Vector* to, void* walk) {
            Walk* w = static_cast<Walk*>(walk);
            w->polygons->push_back({{w->x + to->x, w->y + to->y}});
            return 0;
        },
        [](const FT_Vector* to, void* walk) {
            Walk* w = static_cast<Walk*>(walk);
            w->polygons->back().push_back({w->x + to->x, w->y + to->y});
            return 0;
        },
        [](const FT_Vector* q, const FT_Vector* to, void* walk) {
            Walk* w = static_cast<Walk*>(walk);
            Point p0 = w->polygons->back().back();
            for (int i = 1; i <= 32; ++i) {
                double t = i / 32.0, u = 1 - t;
                w->polygons->back().push_back(
                    {u * u * p0.x + 2 * u * t * (w->x + q->x) + t * t * (w->x + to->x),
                     u * u * p0.y + 2 * u * t * (w->y + q->y) + t * t * (w->y + to->y)});
            }
            return 0;
        },
        nullptr,
        0,
        0};
    std::vector<Polygon> polygons;
    double pen = 0;
    for (const TextRun& run : runs) {
        hb_buffer_t* buffer = hb_buffer_create();
        hb_buffer_add_utf8(buffer, run.text, -1, 0, -1);
        hb_buffer_guess_segment_properties(buffer);
        hb_buffer_set_direction(buffer, run.direction);
        hb_shape(font, buffer, nullptr, 0);
        unsigned count;
        hb_glyph_info_t* glyphs = hb_buffer_get_glyph_infos(buffer, &count);
        hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, &count);
        for (unsigned i = 0; i < count; ++i) {
            FT_Load_Glyph(face, glyphs[i].codepoint, FT_LOAD_NO_SCALE);
            Walk walk{&polygons, pen + positions[i].x_offset, double(positions[i].y_offset)};
            FT_Outline_Decompose(&face->glyph->outline, &funcs, &walk);
            pen += positions[i].x_advance;
        }
        hb_buffer_destroy(buffer);
    }
    hb_font_destroy(font);
    hb_face_destroy(hbFace);
    hb_blob_destroy(blob);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return polygons;
}

// Lines of mixed direction against the runs laid out by hand in visual order, by the share
// of their ink they have in common (intersection over union); brackets in a right-to-left
// run come out mirrored. Lines of one direction stay as they were.
TEST(SetText, LinesAreLaidOutInVisualOrder) {
    const hb_direction_t ltr = HB_DIRECTION_LTR, rtl = HB_DIRECTION_RTL;
    const struct {
        const char* line;
        TextDirection direction;
        std::vector<TextRun> runs;
    } cases[] = {
        {"جامعة 2024", TextDirection::fromText, {{"2024", ltr}, {"جامعة ", rtl}}},
        {"Technion טכניון", TextDirection::fromText, {{"Technion ", ltr}, {"טכניון", rtl}}},
        {"טכניון Technion", TextDirection::fromText, {{"Technion", ltr}, {"טכניון ", rtl}}},
        {"טכניון (IIT)", TextDirection::fromText, {{"(IIT) ", ltr}, {"טכניון", rtl}}},
        {"Technion טכניון", TextDirection::rightToLeft, {{"טכניון", rtl}, {" Technion", ltr}}},
        {"VESTRAL (São)", TextDirection::fromText, {{"VESTRAL (São)", ltr}}},
        {"جامعة القاهرة", TextDirection::fromText, {{"جامعة القاهرة", rtl}}},
        {"אוניברסיטה", TextDirection::leftToRight, {{"אוניברסיטה", rtl}}},
    };
    std::string file = match(font.c_str()).second;
    for (const auto& c : cases) {
        std::vector<Polygon> set;
        for (const Shape& shape : setText({c.line}, font, c.direction).shapes) {
            for (Polygon& polygon : flatten(shape)) {
                set.push_back(std::move(polygon));
            }
        }
        ClipperLib::Paths ours = normalised(set, false);
        ClipperLib::Paths reference = normalised(handLaidOut(file, c.runs), true);
        double iou = areaOf(ours, reference, ClipperLib::ctIntersection) /
                     areaOf(ours, reference, ClipperLib::ctUnion);
        EXPECT_GT(iou, 0.99) << c.line;
    }
}

// A long name's capitals, as high as the written logo shows them at scale 2 (500 pixels a
// unit), are said to be too small to read; broken into two lines they are not.
TEST(ImportName, SaysWhenCapitalsAreTooSmallToRead) {
    const std::string first = "Instituto Federal de Educação, Ciência e Tecnologia";
    const std::string second = "do Sudeste de Minas Gerais";
    for (const std::string& name : {first + " " + second, first + "\\n" + second}) {
        ImportOptions options;
        options.text = {name};
        options.minFidelity = 0; // one line this long is thinned below the default floor
        Logo logo = importAndExamine(options);
        ASSERT_EQ(logo.status, exitDone) << logo.report;
        size_t said = logo.report.find("capitals ");
        EXPECT_EQ(said != std::string::npos, name.find('\\') == std::string::npos) << logo.report;
        if (said == std::string::npos) {
            continue;
        }
        long long low = LLONG_MAX, high = LLONG_MIN;
        for (const Section& section : logo.sections) {
            for (const auto& p : section.points) {
                low = std::min(low, p.Y);
                high = std::max(high, p.Y);
            }
        }
        Box ink = inkOf(setText({name}, font)); // capitals one unit high
        double pixels = (high - low) * 1e-4 * 500 / (ink.y1 - ink.y0);
        EXPECT_LT(pixels, 10);
        EXPECT_NEAR(std::stod(logo.report.substr(said + 9)), pixels, 0.02 * pixels);
        EXPECT_NE(logo.report.find("break the name into lines"), std::string::npos);
    }
}

TEST(PlaceUnder, StandsCentredUnderTheMark) {
    Drawing mark;
    Shape square;
    square.subpaths = {
        {{100, 200}, {{false, {}, {}, {300, 200}}, {false, {}, {}, {300, 400}}}, true}};
    square.fill = {true, {200, 0, 0}, 1, {}};
    mark.shapes.push_back(square);
    for (const char* text : {"VESTRAL", "I", "Universidade Federal de São João del-Rei"}) {
        Drawing name = setText({text}, font);
        placeUnder(mark, &name);
        Box ink = inkOf(name);
        EXPECT_NEAR((ink.x0 + ink.x1) / 2, 200, 1e-6) << text;
        EXPECT_GT(ink.y0, 400 + 10) << text;
        EXPECT_LT(ink.y0, 400 + 200) << text;
        EXPECT_LE(ink.y1 - ink.y0, 200) << text;
        EXPECT_GE(ink.x1 - ink.x0, text[1] ? 0.75 * 200 - 1e-6 : 0) << text;
        EXPECT_LE(ink.x1 - ink.x0, 3 * 200 + 1e-6) << text;
    }
    // A mark of curves reaches as far as its curves, not their control points.
    Drawing d = setText({"D"}, font), name = setText({"VESTRAL"}, font);
    for (Shape& shape : d.shapes) {
        const Matrix m = shape.transform; // turned half a radian
        double cos = std::cos(0.5), sin = std::sin(0.5);
        shape.transform = {cos * m.a - sin * m.b, sin * m.a + cos * m.b, cos * m.c - sin * m.d,
                           sin * m.c + cos * m.d, cos * m.e - sin * m.f, sin * m.e + cos * m.f};
    }
    placeUnder(d, &name);
    EXPECT_NEAR((inkOf(name).x0 + inkOf(name).x1) / 2, (inkOf(d).x0 + inkOf(d).x1) / 2, 1e-4);

    // A clipped mark is as large as its clip box.
    mark.clipped = true;
    mark.clip = {0, 0, 1000, 1000};
    name = setText({"VESTRAL"}, font);
    placeUnder(mark, &name);
    EXPECT_NEAR((inkOf(name).x0 + inkOf(name).x1) / 2, 500, 1e-6);
    EXPECT_GT(inkOf(name).y0, 1000);
}

} // namespace

namespace {

double inkArea(const Drawing& drawing) {
    double area = 0;
    for (const Shape& shape : drawing.shapes) {
        double glyph = 0;
        for (const Polygon& polygon : flatten(shape)) {
            glyph += signedArea(polygon);
        }
        area += std::fabs(glyph);
    }
    return area;
}

} // namespace

// SVG text is set with the same fonts as --text: the same letters, scaled by the font size,
// placed by x, y and text-anchor; tspans give their own paint and positions; white space
// collapses; a family not installed takes fontconfig's best match, with a note.
TEST(SvgText, SetsTheNameAsTextDoesAndPlacesItsRuns) {
    Drawing name = setText({"VESTRAL"}, "DejaVu Sans:bold");
    Drawing svg = readSvg(R"svg(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 300 200">
      <g font-family="'DejaVu Sans', sans-serif" style="font-weight:bold">
        <text x="150" y="100" font-size="40" text-anchor="middle">  VEST<tspan
          fill="#e00">RAL</tspan>
        </text></g></svg>)svg");
    ASSERT_EQ(svg.shapes.size(), 2u);
    EXPECT_TRUE(svg.shapes[1].fill.set);
    EXPECT_EQ(svg.shapes[1].fill.colour.r, 0xee);
    EXPECT_EQ(svg.shapes[0].fill.colour.r, 0);
    Box a = inkOf(name), b = inkOf(svg);
    double scale = (b.y1 - b.y0) / (a.y1 - a.y0);
    EXPECT_NEAR((b.x1 - b.x0) / scale, a.x1 - a.x0, 1e-6 * (a.x1 - a.x0));
    EXPECT_NEAR(inkArea(svg) / (scale * scale), inkArea(name), 1e-6 * inkArea(name));
    // Both centred on their advance: the middle anchor at 150, the baseline at 100.
    EXPECT_NEAR(((b.x0 + b.x1) / 2 - 150) / scale, (a.x0 + a.x1) / 2, 1e-6);
    EXPECT_NEAR((b.y1 - 100) / scale, a.y1, 1e-6);
    EXPECT_TRUE(svg.notes.empty());

    // Letter spacing widens the line by its gaps; a tspan's x starts a chunk of its own.
    Drawing spaced = readSvg(R"svg(<svg xmlns="http://www.w3.org/2000/svg">
      <text font-family="DejaVu Sans" font-size="10" letter-spacing="2">AB<tspan x="50">C</tspan>
      </text><text font-family="No Such Family Here" y="30">A</text></svg>)svg");
    Drawing plain = readSvg(R"svg(<svg xmlns="http://www.w3.org/2000/svg">
      <text font-family="DejaVu Sans" font-size="10">AB</text></svg>)svg");
    ASSERT_EQ(spaced.shapes.size(), 3u);
    ASSERT_EQ(plain.shapes.size(), 1u);
    Drawing first, second;
    first.shapes = {spaced.shapes[0]};
    second.shapes = {spaced.shapes[1]};
    EXPECT_NEAR(inkOf(first).x1 - inkOf(plain).x1, 2, 1e-6);
    EXPECT_GT(inkOf(second).x0, 50);
    EXPECT_LT(inkOf(second).x0, 51);
    ASSERT_EQ(spaced.notes.size(), 1u);
    EXPECT_NE(spaced.notes[0].find("'No Such Family Here' is not installed: set in"),
              std::string::npos);

    // A run with no outline (spaces between runs of another paint) gives no shape at all, as
    // every shape has a subpath (the import fuzz target's find).
    Drawing blank = readSvg(R"svg(<svg xmlns="http://www.w3.org/2000/svg">
      <text font-family="DejaVu Sans">A<tspan fill="#c00">  </tspan>B</text></svg>)svg");
    ASSERT_EQ(blank.shapes.size(), 2u);
    for (const Shape& shape : blank.shapes) {
        EXPECT_FALSE(shape.subpaths.empty());
    }
}
