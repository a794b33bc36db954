// The raster reader's entry: a picture decoded, its inks found and unmixed, the refusals of
// what is no logo, and each ink's outline as a shape, lowest (largest) ink first.
#include "raster.h"

#include "ink.h"
#include "trace.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace {

// A picture narrower than this on either side has too few pixels for its edges to say much.
constexpr int smallestSide = 24;
// A logo has a few flat colours; past this many it is a photograph or shaded.
constexpr int mostInks = 24;
// The share of the outline's length that may run through shading (a slow change of colour,
// not anti-aliasing) before the picture is taken for a photograph or a gradient.
constexpr double mostShading = 0.03;
// The share of the picture's pixels that may be neither an ink nor a mixture of two (small
// detail mixing three, say).
constexpr double mostUnexplained = 0.1;
// Outlines are fitted within this fraction of a pixel.
constexpr double fitTolerance = 0.25;

std::string hex(const Colour& c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
    return text;
}

std::string percent(double share) {
    char text[16];
    std::snprintf(text, sizeof text, "%.1f%%", 100 * share);
    return text;
}

const char* const helps = "a picture of the logo alone on a plain background, or its SVG, "
                          "imports best; --darkness X traces what is darker than X, "
                          "--force traces it anyway";

// The inks drawn, lowest first: the largest underneath, so each smaller one is painted over
// it and no seam of background opens between two inks that touch.
std::vector<int> paintOrder(const Unmixed& unmixed) {
    std::vector<int> order;
    for (size_t k = 1; k < unmixed.inks.size(); ++k) {
        if (!unmixed.inks[k].hole) {
            order.push_back(static_cast<int>(k));
        }
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return unmixed.inks[a].pixels > unmixed.inks[b].pixels; });
    return order;
}

// Each pixel's share of the inks at rank and above in the order: what the shape of the ink at
// rank covers, the inks painted over it included.
// One field serves every ink in turn.
void coverFrom(const Unmixed& unmixed, const std::vector<int>& rankOf, int rank, Field* field) {
    field->width = unmixed.width;
    field->height = unmixed.height;
    field->values.resize(unmixed.share.size());
    for (size_t i = 0; i < field->values.size(); ++i) {
        int a = rankOf[unmixed.first[i]], b = rankOf[unmixed.second[i]];
        float share = unmixed.share[i];
        field->values[i] = (a >= rank ? share : 0.0f) + (b >= rank ? 1 - share : 0.0f);
    }
}

void refuseShading(const Outlines& all) {
    double shading = all.crossings ? double(all.shallow) / all.crossings : 0;
    if (shading > mostShading) {
        throw PictureRefused(percent(shading) +
                             " of the drawing's edge runs through shading, not a sharp edge "
                             "(a photograph or gradients?); " +
                             helps);
    }
}

void refuseUnlikeALogo(const Unmixed& unmixed) {
    int inks = unmixed.coloursSeen;
    if (inks > mostInks) {
        throw PictureRefused("over " + std::to_string(mostInks) + " flat colours (found " +
                             std::to_string(inks) +
                             "): not a logo's few inks, perhaps a photograph; " + helps);
    }
    double unexplained = double(unmixed.unexplained) / unmixed.share.size();
    if (unexplained > mostUnexplained) {
        throw PictureRefused(percent(unexplained) + " of the pixels mix no two of its " +
                             std::to_string(inks) + " inks (a photograph?); " + helps);
    }
}

} // namespace

bool isPicture(const std::string& bytes) {
    return pictureFormat(bytes) != PictureFormat::none;
}

Drawing readPicture(const std::string& bytes, const PictureOptions& options,
                    const InkRules& rules) {
    PictureFormat format = pictureFormat(bytes);
    Picture picture = decodePicture(bytes);
    std::string size = std::to_string(picture.width) + " x " + std::to_string(picture.height);
    if (std::min(picture.width, picture.height) < smallestSide) {
        throw PictureRefused("a picture of " + size + " pixels is too small to trace (under " +
                             std::to_string(smallestSide) +
                             " on its shorter side): give a larger picture or the SVG");
    }
    bool lossy = format == PictureFormat::jpeg ||
                 (format == PictureFormat::webp && bytes.compare(12, 4, "VP8 ") == 0);
    Unmixed unmixed =
        options.darkness >= 0 ? threshold(picture, options.darkness) : unmix(picture, lossy);
    picture.rgb = {};
    std::vector<int> order = paintOrder(unmixed);
    std::vector<int> rankOf(unmixed.inks.size(), -1);
    for (size_t r = 0; r < order.size(); ++r) {
        rankOf[order[r]] = static_cast<int>(r);
    }
    // A speckle: smaller than a pixel of the program's window at its largest zoom (a logo
    // about a unit wide, 500 pixels a unit), and never under a quarter of a picture's pixel.
    double screenPixel = std::max(picture.width, picture.height) / 490.0;
    double speckle = std::max(0.25, screenPixel * screenPixel);

    bool judge = options.darkness < 0 && !options.force;
    if (judge) {
        refuseUnlikeALogo(unmixed);
    }
    Drawing drawing;
    std::vector<std::string> became;
    Field cover{0, 0, {}};
    for (size_t r = 0; r < order.size(); ++r) {
        coverFrom(unmixed, rankOf, static_cast<int>(r), &cover);
        Outlines outlines = traceField(cover, speckle, fitTolerance);
        if (r == 0 && judge) {
            refuseShading(outlines);
        }
        const PictureInk& ink = unmixed.inks[order[r]];
        Shape shape;
        shape.subpaths = std::move(outlines.subpaths);
        shape.fill.set = true;
        shape.fill.colour = ink.colour;
        shape.fillRule = FillRule::evenOdd;
        Ink kind = inkOf(shape.fill, rules);
        if (shape.subpaths.empty()) {
            became.push_back(hex(ink.colour) + " nothing (specks only)");
            continue;
        }
        became.push_back(hex(ink.colour) + (kind == Ink::red     ? " red"
                                            : kind == Ink::white ? " hole"
                                                                 : " dark"));
        drawing.shapes.push_back(std::move(shape));
    }
    for (const PictureInk& ink : unmixed.inks) {
        if (ink.hole && &ink != &unmixed.inks.front()) {
            became.push_back(hex(ink.colour) + " hole");
        }
    }
    std::string line = "traced from a " + std::string(formatName(format)) + " picture of " + size +
                       " pixels; " + std::to_string(became.size()) + " ink" +
                       (became.size() == 1 ? "" : "s") + " on white:";
    for (size_t i = 0; i < became.size(); ++i) {
        line += (i ? ", " : " ") + became[i];
    }
    drawing.notes.push_back(line);
    for (const std::string& note : picture.notes) {
        drawing.notes.push_back(note);
    }
    return drawing;
}
