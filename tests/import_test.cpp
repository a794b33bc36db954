// import as a user runs it: a designer's SVG file, the shipped examples and broken files go
// through importLogo, and every written logo is read back and checked whole.
#include "import.h"
#include "logo_properties.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct Imported {
    Logo logo;
    std::string file;
};

Imported importFile(const std::string& svg, ImportOptions options = {}) {
    Imported run;
    run.file = testing::TempDir() + "import_test.svg";
    std::ofstream(run.file, std::ios::binary) << svg;
    options.svgPath = run.file;
    std::ostringstream out, err;
    run.logo.status = importLogo(options, out, err);
    run.logo.text = out.str();
    run.logo.report = err.str();
    std::remove(run.file.c_str());
    if (run.logo.status == exitDone) {
        examineLogo(run.logo);
    }
    return run;
}

Logo importExample(const std::string& name, ImportOptions options = {}) {
    options.svgPath = std::string(EXAMPLES_DIR) + "/" + name;
    Logo logo = importAndExamine(options);
    EXPECT_EQ(logo.status, exitDone) << logo.report;
    return logo;
}

// The area of the box round every section.
double areaOfBounds(const Logo& logo) {
    long long x0 = LLONG_MAX, x1 = LLONG_MIN, y0 = LLONG_MAX, y1 = LLONG_MIN;
    for (const Section& s : logo.sections) {
        for (const auto& p : s.points) {
            x0 = std::min(x0, p.X), x1 = std::max(x1, p.X);
            y0 = std::min(y0, p.Y), y1 = std::max(y1, p.Y);
        }
    }
    return (x1 - x0) * 1e-4 * (y1 - y0) * 1e-4;
}

// Mean x of the sections of one colour, weighted by area.
double centreX(const Logo& logo, bool red) {
    double sum = 0, area = 0;
    for (const Section& s : logo.sections) {
        if ((!s.tp && s.id <= 3) == red) {
            double a = areaOf(s.points);
            double x = 0;
            for (const auto& p : s.points) {
                x += p.X * 1e-4 / s.points.size();
            }
            sum += a * x;
            area += a;
        }
    }
    return sum / area;
}

// clang-format off
const char* const designersFile = R"svg(<?xml version="1.0"?>
<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink"
     width="100mm" height="50mm" viewBox="0 0 200 100">
  <style>.mark{fill:#e30613} .ink{fill:#1d1d1b} #frame{fill-rule:evenodd}</style>
  <g transform="translate(100 0)"><g transform="translate(50 50)">
    <use xlink:href="#dot" class="mark"/></g></g>
  <path id="frame" class="ink" d="M10 10h80v80H10z m20 20h40v40h-40z"/>
  <rect x="40" y="40" width="20" height="20" fill="url(#shade)"/>
  <circle cx="10" cy="10" r="5" fill="#fff"/>
  <path d="M100 95a5 5 0 0 1 10 0z" class="ink"/>
  <path d="M0 0H200" stroke="#1d1d1b" stroke-width="4" fill="none"/>
  <text x="10" y="99"><textPath href="#frame">Name</textPath></text>
  <defs>
    <circle id="dot" r="20"/>
    <linearGradient id="shade"><stop offset="0" stop-color="#000"/>
      <stop offset="1" stop-color="#444"/></linearGradient>
  </defs>
</svg>)svg";
// clang-format on

} // namespace

// Colours from a style sheet, a <use> of a later definition under a transform, an even-odd
// hole, a gradient, a white cut, an arc, a stroke half outside the viewBox, and a text on a
// path that is left out: the written areas stand as the drawing's do.
TEST(Import, DesignersFileKeepsItsColoursAndAreas) {
    Imported run = importFile(designersFile);
    const Logo& logo = run.logo;
    ASSERT_EQ(logo.status, exitDone) << logo.report;
    const double pi = std::acos(-1.0);
    double red = pi * 20 * 20;
    // Frame with its hole, the gradient square in it, less the white quarter disc, the half
    // disc and the half of the stroke inside the viewBox.
    double dark = 80 * 80 - 40 * 40 + 20 * 20 - pi * 25 / 4 + pi * 25 / 2 + 200 * 2;
    EXPECT_NEAR(logo.redArea / logo.darkArea, red / dark, 0.01 * red / dark);
    EXPECT_GT(centreX(logo, true), centreX(logo, false));
    EXPECT_NE(logo.report.find("text on a path"), std::string::npos) << logo.report;
    EXPECT_NE(logo.report.find("100.0% of the red area stays red"), std::string::npos);
}

// Translucent paint shows mixed with what lies under it, as a viewer composites it: a faint
// white gloss leaves the blue square whole; half-opaque red is red over black and too pale to
// be red over the white background, where it still covers.
TEST(Import, TranslucentPaintMixesWithWhatLiesUnder) {
    Imported gloss = importFile(
        "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 100 100'><rect width='100' "
        "height='100' fill='#1565c0'/><circle cx='50' cy='40' r='35' fill='#fff' "
        "fill-opacity='0.1'/></svg>");
    ASSERT_EQ(gloss.logo.status, exitDone) << gloss.logo.report;
    ASSERT_EQ(gloss.logo.sections.size(), 1u) << gloss.logo.text;
    EXPECT_EQ(gloss.logo.sections[0].points.size(), 4u);

    Imported half = importFile("<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 6 4'>"
                               "<rect width='4' height='4'/><g opacity='0.5'><rect x='2' y='1' "
                               "width='4' height='2' fill='#dc141e'/></g></svg>");
    ASSERT_EQ(half.logo.status, exitDone) << half.logo.report;
    // Red 2 x 2 over the black, dark the rest of the black and 2 x 2 beside it.
    EXPECT_NEAR(half.logo.darkArea / half.logo.redArea, 4, 0.01);

    // Four half-opaque whites over black mix to 239 of 255: a hole, as a viewer shows it.
    std::string veil = "<rect x='1' y='1' width='2' height='2' fill='#fff' opacity='0.5'/>";
    Imported veiled = importFile("<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 4 4'>"
                                 "<rect width='4' height='4'/>" +
                                 veil + veil + veil + veil + "</svg>");
    ASSERT_EQ(veiled.logo.status, exitDone) << veiled.logo.report;
    EXPECT_NEAR(veiled.logo.darkArea / areaOfBounds(veiled.logo), 12.0 / 16, 0.01);

    // A white gloss fading from opaque at the left to clear at the right over red (224, 0, 0):
    // at opacity a it shows (224 + 31a, 255a, 255a), white while a >= 235/255, red (saturation
    // at least 0.5) while a <= 224/479, pink and so dark between. Red stays where it shows.
    Imported gloss2 = importFile(
        "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 100 100'><linearGradient id='g'>"
        "<stop offset='0' stop-color='#fff'/><stop offset='1' stop-color='#fff' "
        "stop-opacity='0'/></linearGradient><rect width='100' height='100' fill='#e00000'/>"
        "<rect width='100' height='100' fill='url(#g)'/></svg>");
    ASSERT_EQ(gloss2.logo.status, exitDone) << gloss2.logo.report;
    double redFrom = 100 * (1 - 224.0 / 479), whiteTo = 100 * (1 - 235.0 / 255);
    EXPECT_NEAR(gloss2.logo.redArea / (gloss2.logo.redArea + gloss2.logo.darkArea),
                (100 - redFrom) / (100 - whiteTo), 0.003);
    EXPECT_NE(gloss2.logo.report.find("100.0% of the red area stays red"), std::string::npos)
        << gloss2.logo.report;
}

TEST(Import, ExamplesImportCleanAloneAndWithAName) {
    Logo emblem = importExample("emblem.svg");
    EXPECT_GT(emblem.redArea, 0);
    EXPECT_GT(emblem.darkArea, emblem.redArea);

    ImportOptions named;
    named.text = {"VESTRAL"};
    Logo mark = importExample("mark.svg", named);
    EXPECT_GT(mark.redArea, 0);
    EXPECT_NE(mark.report.find("name:"), std::string::npos) << mark.report;
}

// Each refusal is one line, naming the file and line where there is one.
TEST(Import, RefusesBrokenInputWithOneLine) {
    struct Case {
        std::string svg;
        int status;
        std::string says;
    } cases[] = {
        {"<svg xmlns=\"http://www.w3.org/2000/svg\">\n<rect width=\"1\" height=\"1\">\n</svg>\n",
         exitBadInput, ":3:"},
        {std::string("<svg\0", 5) + "\x01\xff", exitBadInput, ":1:"},
        {"<svg xmlns=\"http://www.w3.org/2000/svg\"><path d=\"M0 0L10 0 L10 10z\" fill=\"#fff\"/>"
         "<rect width=\"5\" height=\"5\" style=\"display:none\"/></svg>",
         exitRefused, "nothing visible"},
    };
    for (const Case& c : cases) {
        Imported run = importFile(c.svg);
        EXPECT_EQ(run.logo.status, c.status) << run.logo.report;
        EXPECT_TRUE(run.logo.text.empty());
        std::string where = c.status == exitBadInput ? run.file : "logotipo-outline import: ";
        EXPECT_EQ(run.logo.report.find(where + c.says), 0u) << run.logo.report;
        EXPECT_EQ(run.logo.report.find('\n'), run.logo.report.size() - 1) << run.logo.report;
    }
    ImportOptions missingFont;
    missingFont.text = {"Name"};
    missingFont.font = "No Such Family 12345";
    std::ostringstream out, err;
    EXPECT_EQ(importLogo(missingFont, out, err), exitBadInput);
    EXPECT_NE(err.str().find("No Such Family 12345"), std::string::npos) << err.str();
}

// Clip paths (their own transform, the element's transform, bounding-box units, clip-rule,
// on shapes and groups), nested viewports, masks by their coverage (their rectangle in
// either units, content in bounding-box units or transformed, a dark shape over white, black
// by default, a gradient, opacity, a mask within a mask) and opacity on a group or shape as
// a whole, each beside a red 10 by 10 square: the dark area written stands to it as the
// drawing's does.
TEST(Import, ClipsViewportsAndMasksCutWhatShows) {
    const std::pair<const char*, double> cases[] = {
        {R"svg(<clipPath id="c" transform="translate(20 0)"><path d="M0 0h20v20z"/></clipPath>
            <rect x="20" width="20" height="20" clip-path="url(#c)"/>)svg",
         200},
        {R"svg(<clipPath id="c"><rect x="10" width="5" height="10"/></clipPath>
            <rect transform="scale(2)" x="10" width="10" height="10" clip-path="url(#c)"/>)svg",
         200},
        {R"svg(<clipPath id="c" clipPathUnits="objectBoundingBox">
            <path clip-rule="evenodd" d="M0 0h1v1h-1z M.25 .25h.5v.5h-.5z"/></clipPath>
            <g clip-path="url(#c)"><rect x="20" width="20" height="20"/>
            <rect x="40" width="20" height="20"/></g>)svg",
         600},
        {R"svg(<svg x="20" width="10" height="10" viewBox="0 0 5 5">
            <rect x="-5" y="-5" width="30" height="30"/></svg>)svg",
         100},
        {R"svg(<svg x="20" width="10" height="10" overflow="visible"><rect width="20" height="10"/>
            </svg>)svg",
         200},
        {R"svg(<mask id="m"><rect x="20" width="20" height="20" fill="#fff"/>
            <rect x="20" width="10" height="20" fill="#000"/>
            <rect x="30" y="10" width="10" height="10" fill="#fff" fill-opacity="0.4"/></mask>
            <rect x="20" width="20" height="20" mask="url(#m)"/>)svg",
         200},
        // The stroke reaches 5 past the box; the mask's rectangle, 10% of it (2).
        {R"svg(<mask id="m"><rect x="-50" y="-50" width="200" height="200" fill="#fff"/></mask>
            <rect x="30" y="10" width="20" height="20" stroke="#000" stroke-width="10"
            mask="url(#m)"/>)svg",
         24 * 24},
        {R"svg(<mask id="m" maskUnits="userSpaceOnUse" x="20" width="10" height="100">
            <rect width="100" height="100" fill="#fff"/></mask>
            <rect x="20" width="20" height="20" mask="url(#m)"/>)svg",
         200},
        {R"svg(<mask id="m" maskContentUnits="objectBoundingBox">
            <rect transform="scale(0.5 1)" width="1" height="1" fill="#fff"/></mask>
            <rect transform="translate(20 0) scale(2)" width="10" height="10" mask="url(#m)"/>
            )svg",
         200},
        {R"svg(<mask id="m" maskUnits="userSpaceOnUse"><rect width="100" height="100"
            fill="#fff"/><rect x="10" width="10" height="20"/></mask>
            <g transform="translate(10 0)" mask="url(#m)"><rect x="10" width="20" height="20"/>
            </g>)svg",
         200},
        {R"svg(<linearGradient id="g"><stop offset="0" stop-color="#fff"/>
            <stop offset="1" stop-color="#000"/></linearGradient>
            <mask id="m" maskContentUnits="objectBoundingBox"><rect width="1" height="1"
            fill="url(#g)"/></mask><rect x="20" width="20" height="20" mask="url(#m)"/>)svg",
         200},
        {R"svg(<mask id="i"><rect x="20" width="10" height="20" fill="#fff"/></mask>
            <mask id="m"><rect x="20" width="20" height="20" fill="#fff" mask="url(#i)"/>
            <rect x="20" y="10" width="20" height="10" fill="#fff" opacity="0.4"/></mask>
            <rect x="20" width="20" height="20" mask="url(#m)"/>)svg",
         200},
        // White over black within a half-opaque group is white over the background; so is a
        // white stroke over its own black fill.
        {R"svg(<g opacity="0.5"><rect x="20" width="20" height="20"/>
            <rect x="30" width="10" height="20" fill="#fff"/></g>)svg",
         200},
        {R"svg(<rect x="25" y="5" width="10" height="10" stroke="#fff" stroke-width="4"
            opacity="0.5"/>)svg",
         36},
    };
    for (const auto& [body, dark] : cases) {
        Imported run =
            importFile(std::string(R"(<svg xmlns="http://www.w3.org/2000/svg">)") +
                       R"(<rect width="10" height="10" fill="#e30613"/>)" + body + "</svg>");
        ASSERT_EQ(run.logo.status, exitDone) << run.logo.report;
        EXPECT_NEAR(run.logo.darkArea / run.logo.redArea, dark / 100, 0.01 * dark / 100) << body;
    }
}
