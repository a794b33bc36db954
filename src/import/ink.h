// Colour classes, for the painted regions. Takes a paint, what lies under it and the ink
// rules; gives what the paint becomes in the logo, and what shows when it is translucent.
#pragma once

#include "stages.h"

// A colour as seen, 0-255 per channel, kept unrounded so mixing does not drift.
struct Tint {
    double r, g, b;
};

constexpr Tint whiteTint{255, 255, 255};

// The hue rule. A paint seen with every channel at least whiteLevel is white; one whose hue
// lies within redHue degrees of pure red, with a saturation of at least redSaturation and a
// value of at least redValue, is red (so orange and pink stay dark); any other is dark.
constexpr int whiteLevel = 235;
constexpr double redHue = 15, redSaturation = 0.5, redValue = 0.4;

// What a paint shows over under, mixed by its opacity as a viewer composites it.
Tint seenOver(const Paint& paint, const Tint& under);

// The class of a paint that shows as seen. Forced colours go by the paint's own colour.
Ink inkOfSeen(const Paint& paint, const Tint& seen, const InkRules& rules);

// The class of a paint over the white background.
Ink inkOf(const Paint& paint, const InkRules& rules);
