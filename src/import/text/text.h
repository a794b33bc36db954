// Setting a name in an installed font, and placing it under a mark.
#pragma once

#include "drawing.h"
#include "outcome.h"

#include <string>
#include <vector>

// Sets each line of text, centred under the one before, in font (a fontconfig pattern or a
// font file's path) as dark filled shapes, one per glyph. A newline or backslash-n in a line
// breaks it too. Capitals stand one unit high on the first baseline, y = 0, centred on x = 0.
// Throws ImportError for a font that cannot be had, a family fontconfig substitutes, a
// character the font lacks, invalid UTF-8, control characters, empty or overlong text.
Drawing setText(const std::vector<std::string>& lines, const std::string& font,
                TextDirection direction = TextDirection::fromText);

// Moves and scales name to stand centred under mark, as the sample's letters stand under
// its mark, in mark's space.
void placeUnder(const Drawing& mark, Drawing* name);

// A run of an SVG file's text set in the font fontconfig matches best to families (a CSS
// font-family list), weight (100 to 900) and italic, as a viewer takes it: its glyphs'
// outlines size units to the em, the pen from the origin on the baseline, y down, and
// letterSpacing after each glyph.
struct TextRun {
    std::vector<Subpath> subpaths;
    double advance = 0;       // where the pen ends
    std::string font;         // the font used
    bool substituted = false; // it is not of the family asked first
    std::string missing;      // a character the font has no glyph for; empty when none
};

// Throws ImportError when no font can be had or text is not UTF-8.
TextRun setRun(const std::string& families, int weight, bool italic, double size,
               double letterSpacing, const std::string& text);
