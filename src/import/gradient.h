// Gradient paint for the painted regions: a gradient cut into bands in which its colour
// stays in one class, each band an area on the grid with one solid paint.
#pragma once

#include "ink.h"

#include <polyclipping/clipper.hpp>

#include <vector>

// Past this many bands a gradient that repeats is painted as if padded.
constexpr size_t mostGradientBands = 64;

// Part of the plane where a gradient paints as one solid paint.
struct GradientBand {
    Paint paint;
    ClipperLib::Paths area;
};

// Past this many of the grounds a translucent gradient is mixed over, the rest are left out
// of where its bands change.
constexpr size_t mostGrounds = 48;

// The bands of paint's gradient that cover extent (a box on the grid), toGrid mapping the
// painted shape's user space to the grid, circles within tolerance grid units. Each band
// keeps one class, and shows red or not over each of grounds (the tints it is mixed over);
// fine (for drawings with translucent paint) also keeps its colour and opacity within a few
// steps, as what shows through translucent paint depends on them.
// repeated is set false when a reflected or repeated gradient needed too many bands and
// was padded.
std::vector<GradientBand> gradientBands(const Paint& paint, const Matrix& toGrid,
                                        const ClipperLib::IntRect& extent, double tolerance,
                                        const InkRules& rules, bool fine,
                                        const std::vector<Tint>& grounds, bool* repeated);

// The same cut by what each band does in a mask (see maskEffect): where it adds to the
// mask's coverage, takes from it, or leaves it.
std::vector<GradientBand> maskBands(const Paint& paint, const Matrix& toGrid,
                                    const ClipperLib::IntRect& extent, double tolerance,
                                    bool* repeated);

// The paint at parameter t of a gradient with stops, padded past its ends.
Paint gradientPaintAt(const Gradient& gradient, double t);
