// Gradient bands: where along a gradient its colour class changes (sampled, then bisected),
// and each interval of the parameter as an area on the grid: a strip across a linear
// gradient's vector, or the ring between two of a radial gradient's circles.
#include "gradient.h"

#include "clip.h"
#include "flatten.h"
#include "polygons.h"

#include <algorithm>
#include <array>
#include <cmath>

using namespace ClipperLib;

namespace {

constexpr int samples = 256;

// An interval of the gradient's parameter and the paint it takes.
struct Interval {
    double low, high;
    Paint paint;
};

// What a band must keep the same: its class over white and over black (where translucent
// paint turns from one class to another over the darkest ground), and, when translucent
// paint is to be mixed over it or it is translucent itself, its colour and opacity within
// steps of fineStep and 1 / opacitySteps, so that what it shows over other colours is near
// its middle's. Apart from those, whether it shows red over each of the grounds it is mixed
// over (a white gloss over red turns pink part of the way): those cuts are added to the
// others.
using BandKey = std::array<long long, 7>;
constexpr int fineStep = 24, opacitySteps = 8;
// Translucent bands multiply the pieces of all that is painted over them later: past this
// many fine bands a gradient is cut by class alone.
constexpr size_t mostFineBands = 16;

// What a band is keyed by: its class over white and over black (fine: its colour and
// opacity too); with grounds, only whether it shows red over each of them; in a mask, what
// it does to the mask.
enum class Keying { classes, fine, mask };

struct BandRules {
    const InkRules& ink;
    Keying keying;
    const std::vector<Tint>* grounds = nullptr;
};

BandKey keyAt(const Gradient& gradient, double t, const BandRules& rules) {
    Paint paint = gradientPaintAt(gradient, t);
    if (rules.grounds != nullptr) {
        long long redOver = 0;
        for (size_t i = 0; i < rules.grounds->size(); ++i) {
            Ink seen = inkOfSeen(paint, seenOver(paint, (*rules.grounds)[i]), rules.ink);
            redOver |= static_cast<long long>(seen == Ink::red) << i;
        }
        return {0, 0, 0, 0, 0, 0, redOver};
    }
    if (rules.keying == Keying::mask) {
        return {static_cast<int>(maskEffect(paint)), 0, 0, 0, 0, 0, 0};
    }
    int overBlack = static_cast<int>(inkOfSeen(paint, seenOver(paint, {0, 0, 0}), rules.ink));
    BandKey key{static_cast<int>(inkOf(paint, rules.ink)), overBlack, 0, 0, 0, 0, 0};
    if (rules.keying == Keying::fine) {
        key = {key[0],
               key[1],
               paint.colour.r / fineStep,
               paint.colour.g / fineStep,
               paint.colour.b / fineStep,
               static_cast<int>(paint.opacity * opacitySteps),
               0};
    }
    return key;
}

// 0, each place in between where the key changes, and 1.
std::vector<double> bandCuts(const Gradient& gradient, const BandRules& rules) {
    std::vector<double> ts;
    for (int i = 0; i <= samples; ++i) {
        ts.push_back(static_cast<double>(i) / samples);
    }
    // A colour may jump at a stop; past a few hundred stops the samples alone must do.
    if (gradient.stops.size() <= samples) {
        for (const GradientStop& stop : gradient.stops) {
            ts.insert(ts.end(), {std::max(0.0, stop.offset - 1e-9), stop.offset});
        }
    }
    std::sort(ts.begin(), ts.end());
    ts.erase(std::unique(ts.begin(), ts.end()), ts.end());
    std::vector<double> cuts{0};
    BandKey last = keyAt(gradient, 0, rules);
    for (size_t i = 1; i < ts.size(); ++i) {
        BandKey next = keyAt(gradient, ts[i], rules);
        if (next == last) {
            continue;
        }
        double low = ts[i - 1], high = ts[i];
        for (int step = 0; step < 40 && high - low > 1e-12; ++step) {
            double middle = (low + high) / 2;
            (keyAt(gradient, middle, rules) == last ? low : high) = middle;
        }
        cuts.push_back(high);
        last = next;
    }
    cuts.push_back(1);
    // Too many changes for the bands: every few cuts kept, as coarser bands.
    size_t pieces = cuts.size() - 1, stride = (pieces + mostGradientBands - 1) / mostGradientBands;
    if (stride > 1) {
        std::vector<double> kept;
        for (size_t i = 0; i < pieces; i += stride) {
            kept.push_back(cuts[i]);
        }
        kept.push_back(1);
        cuts = std::move(kept);
    }
    return cuts;
}

// The cuts of base and those within extra (0 and 1 at its ends) apart from them.
std::vector<double> withCuts(std::vector<double> base, const std::vector<double>& extra) {
    for (size_t i = 1; i + 1 < extra.size(); ++i) {
        auto at = std::lower_bound(base.begin(), base.end(), extra[i]);
        bool near = (at != base.end() && *at - extra[i] < 1e-9) ||
                    (at != base.begin() && extra[i] - *(at - 1) < 1e-9);
        if (!near) {
            base.insert(at, extra[i]);
        }
    }
    return base;
}

// Where a gradient's bands change: fine, as bandCuts gives them, and by class alone, for
// when a reflected or repeated gradient has too many periods for the fine ones.
struct Cuts {
    std::vector<double> fine, classes;
};

// The intervals that cover [low, high]: per period for reflect and repeat, when few enough;
// else padded, the first and last stretched past 0 and 1.
std::vector<Interval> intervalsOf(const Gradient& gradient, const Cuts& cuts, double low,
                                  double high, bool* repeated) {
    std::vector<Interval> out;
    auto add = [&](double a, double b, double middle) {
        a = std::max(a, low);
        b = std::min(b, high);
        if (a < b) {
            out.push_back({a, b, gradientPaintAt(gradient, middle)});
        }
    };
    if (gradient.spread != Spread::pad) {
        double first = std::floor(low), last = std::ceil(high);
        for (const std::vector<double>* period : {&cuts.fine, &cuts.classes}) {
            size_t pieces = period->size() - 1;
            if ((last - first) * pieces > mostGradientBands) {
                continue;
            }
            for (double k = first; k < last; ++k) {
                bool mirrored =
                    gradient.spread == Spread::reflect && std::fmod(std::fabs(k), 2) == 1;
                for (size_t i = 0; i < pieces; ++i) {
                    double a = (*period)[i], b = (*period)[i + 1];
                    mirrored ? add(k + 1 - b, k + 1 - a, (a + b) / 2)
                             : add(k + a, k + b, (a + b) / 2);
                }
            }
            return out;
        }
        *repeated = false;
    }
    const std::vector<double>& fine = cuts.fine;
    size_t pieces = fine.size() - 1;
    for (size_t i = 0; i < pieces; ++i) {
        double a = i == 0 ? std::min(low, 0.0) : fine[i];
        double b = i + 1 == pieces ? std::max(high, 1.0) : fine[i + 1];
        add(a, b, (fine[i] + fine[i + 1]) / 2);
    }
    return out;
}

// Far corners of bands stay within what Clipper's wide arithmetic takes, far enough out not
// to bend the band where it meets the area.
constexpr double bandReach = 1e12;

IntPoint gridPoint(const Matrix& m, Point p) {
    Point q = applyMatrix(m, p);
    auto round = [](double v) {
        return std::isfinite(v) ? std::llround(std::clamp(v, -bandReach, bandReach)) : 0;
    };
    return {round(q.x), round(q.y)};
}

Path boxPath(const IntRect& box) {
    return {
        {box.left, box.top}, {box.right, box.top}, {box.right, box.bottom}, {box.left, box.bottom}};
}

// The corners of the box, taken to the gradient's space.
std::vector<Point> cornersIn(const IntRect& box, const Matrix& fromGrid) {
    std::vector<Point> corners;
    for (const IntPoint& p : boxPath(box)) {
        corners.push_back(applyMatrix(fromGrid, {double(p.X), double(p.Y)}));
    }
    return corners;
}

// A linear gradient's bands: strips across its vector, as long as the box is wide.
std::vector<GradientBand> linearBands(const Gradient& g, const Cuts& cuts, const Matrix& toGrid,
                                      const std::vector<Point>& corners, bool* repeated) {
    Point start{g.x1, g.y1}, v{g.x2 - g.x1, g.y2 - g.y1}, w{-v.y, v.x};
    double length = v.x * v.x + v.y * v.y;
    double t0 = HUGE_VAL, t1 = -HUGE_VAL, s0 = HUGE_VAL, s1 = -HUGE_VAL;
    for (Point p : corners) {
        Point d{p.x - start.x, p.y - start.y};
        double t = (d.x * v.x + d.y * v.y) / length, s = (d.x * w.x + d.y * w.y) / length;
        t0 = std::min(t0, t), t1 = std::max(t1, t), s0 = std::min(s0, s), s1 = std::max(s1, s);
    }
    auto at = [&](double t, double s) {
        return gridPoint(toGrid, {start.x + t * v.x + s * w.x, start.y + t * v.y + s * w.y});
    };
    std::vector<GradientBand> bands;
    for (const Interval& band : intervalsOf(g, cuts, t0, t1, repeated)) {
        Path strip{at(band.low, s0), at(band.high, s0), at(band.high, s1), at(band.low, s1)};
        bands.push_back({band.paint, {strip}});
    }
    return bands;
}

// Where a point lies among a radial gradient's circles: the t >= 0 whose circle, centred
// at focus + t (centre - focus) with radius t r, passes through it.
double radialParameter(Point focus, Point towards, double r, Point p) {
    Point d{p.x - focus.x, p.y - focus.y};
    double de = d.x * towards.x + d.y * towards.y;
    double spare = r * r - (towards.x * towards.x + towards.y * towards.y); // > 0: focus inside
    return (std::sqrt(de * de + spare * (d.x * d.x + d.y * d.y)) - de) / spare;
}

// A radial gradient's bands: the disc of each interval's end less the disc of its start.
std::vector<GradientBand> radialBands(const Gradient& g, const Cuts& cuts, const Matrix& toGrid,
                                      const IntRect& box, const std::vector<Point>& corners,
                                      double tolerance, bool* repeated) {
    Point centre{g.cx, g.cy}, focus{g.fx, g.fy};
    Point towards{centre.x - focus.x, centre.y - focus.y};
    double apart = std::hypot(towards.x, towards.y), inside = 0.999 * g.r;
    if (apart > inside) { // a focus outside the circle is moved onto it
        towards = {towards.x * inside / apart, towards.y * inside / apart};
        focus = {centre.x - towards.x, centre.y - towards.y};
    }
    double t1 = 0;
    for (Point p : corners) {
        t1 = std::max(t1, radialParameter(focus, towards, g.r, p));
    }
    double largest, smallest;
    stretches(toGrid, &largest, &smallest);
    const double pi = std::acos(-1.0);
    auto disc = [&](double t) {
        if (t >= t1) { // the disc holds every corner, so the whole box
            return boxPath(box);
        }
        double radius = t * g.r, grid = radius * largest;
        int sides = grid > tolerance
                        ? static_cast<int>(std::ceil(pi / std::acos(1 - tolerance / grid)))
                        : 8;
        sides = std::clamp(sides, 8, 1024);
        Path ring;
        for (int i = 0; i < sides; ++i) {
            double angle = 2 * pi * i / sides;
            ring.push_back(gridPoint(toGrid, {focus.x + t * towards.x + radius * std::cos(angle),
                                              focus.y + t * towards.y + radius * std::sin(angle)}));
        }
        return ring;
    };
    std::vector<GradientBand> bands;
    for (const Interval& band : intervalsOf(g, cuts, 0, t1, repeated)) {
        Paths outer{disc(band.high)};
        bands.push_back(
            {band.paint, band.low <= 0 ? outer : combine(ctDifference, outer, {disc(band.low)})});
    }
    return bands;
}

} // namespace

Paint gradientPaintAt(const Gradient& gradient, double t) {
    const std::vector<GradientStop>& stops = gradient.stops;
    if (stops.empty()) {
        return {};
    }
    auto after = std::upper_bound(stops.begin(), stops.end(), t,
                                  [](double v, const GradientStop& s) { return v < s.offset; });
    const GradientStop& high = after == stops.end() ? stops.back() : *after;
    const GradientStop& low = after == stops.begin() ? stops.front() : *(after - 1);
    double span = high.offset - low.offset;
    double u = span > 0 ? std::clamp((t - low.offset) / span, 0.0, 1.0) : 0;
    auto mix = [&](int a, int b) { return static_cast<int>(std::lround(a + u * (b - a))); };
    Paint paint;
    paint.colour = {mix(low.colour.r, high.colour.r), mix(low.colour.g, high.colour.g),
                    mix(low.colour.b, high.colour.b)};
    paint.opacity = low.opacity + u * (high.opacity - low.opacity);
    paint.set = paint.opacity > 0;
    return paint;
}

namespace {

std::vector<GradientBand> bandsBy(const Paint& paint, const Matrix& toGrid, const IntRect& extent,
                                  double tolerance, const InkRules& rules, Keying keying,
                                  const std::vector<Tint>& grounds, bool* repeated) {
    const Gradient& g = *paint.gradient;
    *repeated = true;
    if (g.stops.empty()) {
        return {};
    }
    IntRect box{extent.left - 2, extent.top - 2, extent.right + 2, extent.bottom + 2};
    std::vector<Tint> kept(grounds.begin(),
                           grounds.begin() + std::min(grounds.size(), mostGrounds));
    BandRules keyed{rules, keying}, classRules{rules, Keying::classes},
        groundRules{rules, Keying::classes, &kept};
    Cuts cuts{bandCuts(g, keyed), {}};
    if (keying == Keying::fine && cuts.fine.size() > mostFineBands + 1) {
        cuts.fine = bandCuts(g, classRules); // many colours (a rainbow): classes alone
    }
    std::vector<double> red = kept.empty() ? std::vector<double>{} : bandCuts(g, groundRules);
    cuts.fine = withCuts(cuts.fine, red);
    Matrix space = composeMatrix(toGrid, g.transform), back;
    bool degenerate = g.radial ? !(g.r > 0) : g.x1 == g.x2 && g.y1 == g.y2;
    if (degenerate || !invertMatrix(space, &back)) { // the last stop's colour, as SVG says
        return {{gradientPaintAt(g, 1), {boxPath(box)}}};
    }
    if (cuts.fine.size() == 2) {
        return {{gradientPaintAt(g, 0.5), {boxPath(box)}}};
    }
    if (g.spread != Spread::pad) {
        cuts.classes = keying == Keying::fine ? withCuts(bandCuts(g, classRules), red) : cuts.fine;
    }
    std::vector<Point> corners = cornersIn(box, back);
    return g.radial ? radialBands(g, cuts, space, box, corners, tolerance, repeated)
                    : linearBands(g, cuts, space, corners, repeated);
}

} // namespace

std::vector<GradientBand> gradientBands(const Paint& paint, const Matrix& toGrid,
                                        const IntRect& extent, double tolerance,
                                        const InkRules& rules, bool fine,
                                        const std::vector<Tint>& grounds, bool* repeated) {
    return bandsBy(paint, toGrid, extent, tolerance, rules, fine ? Keying::fine : Keying::classes,
                   grounds, repeated);
}

std::vector<GradientBand> maskBands(const Paint& paint, const Matrix& toGrid, const IntRect& extent,
                                    double tolerance, bool* repeated) {
    return bandsBy(paint, toGrid, extent, tolerance, {}, Keying::mask, {}, repeated);
}
