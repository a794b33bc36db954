// A picture's inks and each pixel's share of them: the flat colours are found among the
// pixels whose neighbours match them, anti-aliased mixtures set aside, and every pixel then
// explained as one ink or a mixture of two.
#include "trace.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <unordered_map>

namespace {

struct Tolerances {
    int flat;     // largest channel difference between a flat pixel and its neighbours
    int merge;    // largest channel difference between two pixels of one ink
    double mix;   // distance from a mixture of two inks that still counts as one
    double solid; // distance from an ink that counts as that ink alone
};

constexpr Tolerances losslessTolerances{6, 24, 12, 8};
// JPEG's blocks and ringing move flat colours by up to a few tens.
constexpr Tolerances lossyTolerances{22, 48, 40, 30};

// Beyond this many colours a picture is no logo, and the search for more stops.
constexpr size_t mostClusters = 64;

using Rgb = std::array<double, 3>;

Rgb rgbOf(const uint8_t* pixel) {
    return {double(pixel[0]), double(pixel[1]), double(pixel[2])};
}

Rgb rgbOf(const Colour& c) {
    return {double(c.r), double(c.g), double(c.b)};
}

double distance2(const Rgb& a, const Rgb& b) {
    double dr = a[0] - b[0], dg = a[1] - b[1], db = a[2] - b[2];
    return dr * dr + dg * dg + db * db;
}

int channelGap(const Rgb& a, const Rgb& b) {
    return static_cast<int>(
        std::max({std::fabs(a[0] - b[0]), std::fabs(a[1] - b[1]), std::fabs(a[2] - b[2])}));
}

// The share of a in the mixture of a and b nearest to c, and the squared distance from it.
double mixture(const Rgb& c, const Rgb& a, const Rgb& b, double* residual) {
    Rgb ab{a[0] - b[0], a[1] - b[1], a[2] - b[2]};
    double length2 = ab[0] * ab[0] + ab[1] * ab[1] + ab[2] * ab[2];
    double t = 1;
    if (length2 > 0) {
        t = ((c[0] - b[0]) * ab[0] + (c[1] - b[1]) * ab[1] + (c[2] - b[2]) * ab[2]) / length2;
        t = std::clamp(t, 0.0, 1.0);
    }
    Rgb mixed{b[0] + t * ab[0], b[1] + t * ab[1], b[2] + t * ab[2]};
    *residual = distance2(c, mixed);
    return t;
}

bool alike(const uint8_t* p, const uint8_t* q, int tolerance) {
    return std::abs(p[0] - q[0]) <= tolerance && std::abs(p[1] - q[1]) <= tolerance &&
           std::abs(p[2] - q[2]) <= tolerance;
}

// Whether each pixel is flat: within tolerance of its four neighbours. Each pair of neighbours
// is compared once, a row at a time.
std::vector<uint8_t> flatPixels(const Picture& picture, int tolerance) {
    int w = picture.width, h = picture.height;
    std::vector<uint8_t> flat(static_cast<size_t>(w) * h, 1);
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = &picture.rgb[3 * static_cast<size_t>(y) * w];
        uint8_t* out = &flat[static_cast<size_t>(y) * w];
        for (int x = 0; x + 1 < w; ++x) {
            // Runs of one colour are skipped eight pixels at a time.
            if (x + 9 <= w && std::memcmp(row + 3 * x, row + 3 * x + 3, 24) == 0) {
                x += 7;
            } else if (!alike(row + 3 * x, row + 3 * x + 3, tolerance)) {
                out[x] = out[x + 1] = 0;
            }
        }
        if (y + 1 == h) {
            break;
        }
        const uint8_t* below = row + 3 * static_cast<size_t>(w);
        for (int x = 0; x < w; ++x) {
            if (x + 8 <= w && std::memcmp(row + 3 * x, below + 3 * x, 24) == 0) {
                x += 7;
            } else if (!alike(row + 3 * x, below + 3 * x, tolerance)) {
                out[x] = out[x + w] = 0;
            }
        }
    }
    return flat;
}

struct Bin {
    long count = 0;
    double sum[3] = {0, 0, 0};
    uint32_t first = 0; // the exact colour of the bin's first pixel
};

struct Cluster {
    Rgb colour;
    long count;
};

// The flat pixels' colours, most frequent first. Lossless pictures keep each exact colour, so
// that an ink keeps its own value; lossy ones are binned and averaged.
std::vector<Cluster> flatColours(const Picture& picture, bool lossy, const Tolerances& tolerance) {
    std::unordered_map<uint32_t, Bin> bins;
    std::vector<uint8_t> flat = flatPixels(picture, tolerance.flat);
    // Runs of one colour are the rule, so the last bin is kept at hand.
    Bin* bin = nullptr;
    uint32_t lastKey = 0;
    for (size_t i = 0; i < flat.size(); ++i) {
        if (!flat[i]) {
            continue;
        }
        const uint8_t* p = &picture.rgb[3 * i];
        uint32_t exact = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
        uint32_t key = lossy ? (exact >> 3) & 0x1f1f1f : exact;
        if (bin == nullptr || key != lastKey) {
            bin = &bins[key];
            lastKey = key;
        }
        if (bin->count++ == 0) {
            bin->first = exact;
        }
        for (int c = 0; lossy && c < 3; ++c) {
            bin->sum[c] += p[c];
        }
    }
    std::vector<Cluster> colours;
    colours.reserve(bins.size());
    for (const auto& entry : bins) {
        const Bin& bin = entry.second;
        Rgb colour =
            lossy ? Rgb{bin.sum[0] / bin.count, bin.sum[1] / bin.count, bin.sum[2] / bin.count}
                  : Rgb{double(bin.first >> 16), double(bin.first >> 8 & 255),
                        double(bin.first & 255)};
        colours.push_back({colour, bin.count});
    }
    std::sort(colours.begin(), colours.end(),
              [](const Cluster& a, const Cluster& b) { return a.count > b.count; });
    return colours;
}

// Whether colour is a mixture of two of the inks, neither of them almost alone.
bool isMixture(const Rgb& colour, const std::vector<Cluster>& inks, double tolerance) {
    for (size_t i = 0; i < inks.size(); ++i) {
        for (size_t j = i + 1; j < inks.size(); ++j) {
            double residual;
            double t = mixture(colour, inks[i].colour, inks[j].colour, &residual);
            if (t > 0.04 && t < 0.96 && residual <= tolerance * tolerance) {
                return true;
            }
        }
    }
    return false;
}

Colour rounded(const Rgb& c) {
    return {int(std::lround(c[0])), int(std::lround(c[1])), int(std::lround(c[2]))};
}

// Inks: white first, then the flat colours in order of frequency that are neither another
// ink's (within the merge tolerance) nor a small area of a mixture of two, with enough pixels
// to be drawn.
std::vector<PictureInk> findInks(const Picture& picture, bool lossy, const Tolerances& tolerance,
                                 int* coloursSeen) {
    long pixels = static_cast<long>(picture.width) * picture.height;
    long fewest = std::max(3L, pixels / 20000);
    // Anti-aliasing and ringing leave mixtures in strips a pixel or two wide; a flat area of a
    // mixed colour larger than this is an ink of its own (a translucent one, say).
    long mixtureArea = std::max(3 * fewest, pixels / 2000);
    std::vector<Cluster> clusters{{Rgb{255, 255, 255}, 0}};
    for (const Cluster& colour : flatColours(picture, lossy, tolerance)) {
        auto near = std::find_if(clusters.begin(), clusters.end(), [&](const Cluster& c) {
            return channelGap(c.colour, colour.colour) <= tolerance.merge;
        });
        if (near != clusters.end()) {
            near->count += colour.count;
        } else if (colour.count >= fewest && clusters.size() < mostClusters &&
                   (colour.count >= mixtureArea ||
                    !isMixture(colour.colour, clusters, tolerance.mix))) {
            clusters.push_back(colour);
        }
    }
    std::vector<PictureInk> inks;
    *coloursSeen = 0;
    for (size_t i = 0; i < clusters.size(); ++i) {
        if (i > 0 && clusters[i].count < fewest) {
            continue;
        }
        PictureInk ink;
        ink.colour = rounded(clusters[i].colour);
        ink.pixels = clusters[i].count;
        ink.hole = ink.colour.r >= 235 && ink.colour.g >= 235 && ink.colour.b >= 235;
        inks.push_back(ink);
        *coloursSeen += i > 0;
    }
    return inks;
}

} // namespace

Unmixed unmix(const Picture& picture, bool lossy) {
    const Tolerances& tolerance = lossy ? lossyTolerances : losslessTolerances;
    Unmixed out;
    out.width = picture.width;
    out.height = picture.height;
    out.inks = findInks(picture, lossy, tolerance, &out.coloursSeen);
    std::vector<Rgb> inks;
    for (const PictureInk& ink : out.inks) {
        inks.push_back(rgbOf(ink.colour));
    }
    size_t count = static_cast<size_t>(picture.width) * picture.height;
    out.first.assign(count, 0);
    out.second.assign(count, 0);
    out.share.assign(count, 1.0f);
    // First each pixel's nearest ink, and whether it is that ink alone.
    std::vector<uint8_t> solid(count, 0);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = &picture.rgb[3 * i];
        // A pixel like the one before it is that one's ink.
        if (i > 0 && std::memcmp(p, p - 3, 3) == 0) {
            out.first[i] = out.first[i - 1];
            solid[i] = solid[i - 1];
            continue;
        }
        Rgb c = rgbOf(p);
        double best = distance2(c, inks[0]);
        for (size_t k = 1; k < inks.size(); ++k) {
            double d = distance2(c, inks[k]);
            if (d < best) {
                best = d;
                out.first[i] = static_cast<uint8_t>(k);
            }
        }
        solid[i] = best <= tolerance.solid * tolerance.solid;
    }
    // Then the rest as mixtures of the inks standing alone nearby, white and the nearest.
    const int reach = 2;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            size_t i = static_cast<size_t>(y) * picture.width + x;
            if (solid[i]) {
                continue;
            }
            uint8_t candidates[32];
            int n = 0;
            candidates[n++] = 0;
            if (out.first[i] != 0) {
                candidates[n++] = out.first[i];
            }
            for (int ny = std::max(0, y - reach); ny <= std::min(picture.height - 1, y + reach);
                 ++ny) {
                for (int nx = std::max(0, x - reach); nx <= std::min(picture.width - 1, x + reach);
                     ++nx) {
                    size_t j = static_cast<size_t>(ny) * picture.width + nx;
                    uint8_t ink = out.first[j];
                    if (solid[j] && n < 32 &&
                        std::find(candidates, candidates + n, ink) == candidates + n) {
                        candidates[n++] = ink;
                    }
                }
            }
            Rgb c = rgbOf(&picture.rgb[3 * i]);
            double best = distance2(c, inks[out.first[i]]);
            out.second[i] = out.first[i];
            out.share[i] = 1;
            for (int a = 0; a < n; ++a) {
                for (int b = a + 1; b < n; ++b) {
                    double residual;
                    double t = mixture(c, inks[candidates[a]], inks[candidates[b]], &residual);
                    if (residual < best) {
                        best = residual;
                        out.first[i] = candidates[a];
                        out.second[i] = candidates[b];
                        out.share[i] = static_cast<float>(t);
                    }
                }
            }
            ++out.mixed;
            out.unexplained += best > tolerance.mix * tolerance.mix;
        }
    }
    return out;
}

Unmixed threshold(const Picture& picture, double darkness) {
    Unmixed out;
    out.width = picture.width;
    out.height = picture.height;
    size_t count = static_cast<size_t>(picture.width) * picture.height;
    out.first.assign(count, 0);
    out.second.assign(count, 0);
    out.share.assign(count, 0.0f);
    double sum[3] = {0, 0, 0};
    long dark = 0;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = &picture.rgb[3 * i];
        double seen = 1 - (0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]) / 255;
        // Linear in the darkness within an eighth of the threshold, so the half-share line
        // falls where the darkness crosses it.
        float share = static_cast<float>(std::clamp(0.5 + 4 * (seen - darkness), 0.0, 1.0));
        out.share[i] = share;
        out.first[i] = share > 0;
        if (seen >= darkness) {
            ++dark;
            for (int c = 0; c < 3; ++c) {
                sum[c] += p[c];
            }
        }
    }
    PictureInk white{{255, 255, 255}, static_cast<long>(count) - dark, true};
    PictureInk ink;
    ink.pixels = dark;
    ink.colour = dark ? rounded({sum[0] / dark, sum[1] / dark, sum[2] / dark}) : Colour{0, 0, 0};
    // The ink stands for whatever is darker than the threshold, even a light grey.
    out.inks = {white, ink};
    out.coloursSeen = 1;
    return out;
}
