// Colour classes: forced colours first, then near-white, then the red hue rule; translucent
// paint mixed over what it covers.
#include "ink.h"

#include <algorithm>
#include <cmath>

namespace {

bool listed(const std::vector<Colour>& colours, const Colour& colour) {
    return std::any_of(colours.begin(), colours.end(), [&](const Colour& c) {
        return c.r == colour.r && c.g == colour.g && c.b == colour.b;
    });
}

bool reddish(double r, double g, double b) {
    double high = std::max({r, g, b}), low = std::min({r, g, b});
    if (high <= 0 || high != r || (high - low) / high < redSaturation || high / 255 < redValue) {
        return false;
    }
    double hue = 60 * (g - b) / (high - low); // -60 to 60 when red is the largest channel
    return std::fabs(hue) <= redHue;
}

} // namespace

Tint seenOver(const Paint& paint, const Tint& under) {
    double opacity = std::clamp(paint.opacity, 0.0, 1.0);
    auto mix = [&](int channel, double below) {
        return opacity * std::clamp(channel, 0, 255) + (1 - opacity) * below;
    };
    return {mix(paint.colour.r, under.r), mix(paint.colour.g, under.g),
            mix(paint.colour.b, under.b)};
}

Ink inkOfSeen(const Paint& paint, const Tint& seen, const InkRules& rules) {
    if (!paint.set || !(paint.opacity > 0)) {
        return Ink::none;
    }
    if (listed(rules.red, paint.colour)) {
        return Ink::red;
    }
    if (listed(rules.dark, paint.colour)) {
        return Ink::dark;
    }
    if (seen.r >= whiteLevel && seen.g >= whiteLevel && seen.b >= whiteLevel) {
        return Ink::white;
    }
    return reddish(seen.r, seen.g, seen.b) ? Ink::red : Ink::dark;
}

Ink inkOf(const Paint& paint, const InkRules& rules) {
    return inkOfSeen(paint, seenOver(paint, whiteTint), rules);
}
