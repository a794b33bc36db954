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
