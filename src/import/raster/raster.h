// The raster reader: a picture of a logo (PNG, JPEG, GIF, WebP, BMP) traced into the same
// Drawing the SVG reader gives, with sub-pixel edges found from the anti-aliasing.
#pragma once

#include "drawing.h"
#include "stages.h"

#include <stdexcept>
#include <string>

// A picture that decodes but is not a logo that can be traced (a photograph, shading, too many
// colours, too small or too large): the message says what was found and what helps.
struct PictureRefused : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct PictureOptions {
    double darkness = -1; // 0 to 1: trace what is darker than this, one dark ink (scans)
    bool force = false;   // trace even what looks like a photograph or has too many colours
};

// Whether the bytes begin as a picture this reader takes (by content, not by name).
bool isPicture(const std::string& bytes);

// The picture's inks traced as filled shapes in pixel units (y down), lowest first; its
// notes say it was traced, its size and what each ink became under the ink rules.
Drawing readPicture(const std::string& bytes, const PictureOptions& options, const InkRules& rules);
