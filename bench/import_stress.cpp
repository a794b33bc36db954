// Random drawings through the importer: each written logo is read back and its sections
// checked exactly on the grid for overlapping pairs, sections that are not convex and corners
// inside another section's edge.
// import_stress [COUNT [SEED]] prints the counts and the drawings that failed.
#include "import.h"
#include "outline.h"
#include "random_drawing.h"
#include "stages.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Ring = std::vector<std::pair<long long, long long>>;

std::vector<Ring> readBack(const std::string& text) {
    loadOutlineText(text.data(), text.size());
    std::vector<Ring> sections;
    for (const OutlinePoint* table : {pTable, tpTable}) {
        int id = 0;
        for (int slot = 1; slot < outlineSlots && table[slot].polygonId != 0; ++slot) {
            if (table[slot].polygonId != id || slot == 1) {
                sections.emplace_back();
                id = table[slot].polygonId;
            }
            sections.back().push_back(
                {std::llround(table[slot].x / gridUnit), std::llround(table[slot].y / gridUnit)});
        }
    }
    return sections;
}

long long side(const Ring& a, size_t i, std::pair<long long, long long> v) {
    auto p = a[i], q = a[(i + 1) % a.size()];
    return (q.first - p.first) * (v.second - p.second) -
           (q.second - p.second) * (v.first - p.first);
}

bool convex(const Ring& r) {
    for (size_t i = 0; i < r.size(); ++i) {
        if (side(r, i, r[(i + 2) % r.size()]) < 0) {
            return false;
        }
    }
    return r.size() >= 3;
}

// A side of convex a with all of b on its outer side or on it.
bool apart(const Ring& a, const Ring& b) {
    for (size_t i = 0; i < a.size(); ++i) {
        bool outside = true;
        for (const auto& v : b) {
            outside = outside && side(a, i, v) <= 0;
        }
        if (outside) {
            return true;
        }
    }
    return false;
}

// Corners of one section lying inside an edge of another: cracks the renderer may show.
int tJunctions(const std::vector<Ring>& sections) {
    int found = 0;
    for (const Ring& s : sections) {
        for (size_t i = 0; i < s.size(); ++i) {
            auto a = s[i], b = s[(i + 1) % s.size()];
            long long length = (b.first - a.first) * (b.first - a.first) +
                               (b.second - a.second) * (b.second - a.second);
            for (const Ring& other : sections) {
                for (const auto& v : other) {
                    long long along = (b.first - a.first) * (v.first - a.first) +
                                      (b.second - a.second) * (v.second - a.second);
                    found += side(s, i, v) == 0 && along > 0 && along < length;
                }
            }
        }
    }
    return found;
}

} // namespace

int main(int argc, char** argv) {
    int count = argc > 1 ? std::atoi(argv[1]) : 300;
    unsigned seed = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 1;
    std::mt19937 random(seed);
    int written = 0, failedDrawings = 0, overlaps = 0, concave = 0, cracks = 0;
    auto start = std::chrono::steady_clock::now();
    for (int n = 0; n < count; ++n) {
        std::vector<Part> parts{{"mark", randomDrawing(random)}};
        std::ostringstream out, err;
        BuildOptions anyFidelity; // every drawing that fits is checked, however coarse
        anyFidelity.minFidelity = 0;
        if (importParts(parts, {}, anyFidelity, out, err) != exitDone) {
            continue;
        }
        ++written;
        std::vector<Ring> sections = readBack(out.str());
        int bad = 0;
        for (size_t i = 0; i < sections.size(); ++i) {
            bad += !convex(sections[i]);
            concave += !convex(sections[i]);
            for (size_t j = 0; j < i; ++j) {
                if (!apart(sections[i], sections[j]) && !apart(sections[j], sections[i])) {
                    ++overlaps;
                    ++bad;
                }
            }
        }
        int junctions = tJunctions(sections);
        cracks += junctions;
        bad += junctions;
        if (bad > 0) {
            ++failedDrawings;
            std::printf("drawing %d: %d faults\n", n, bad);
        }
    }
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf(
        "import stress, seed %u: %d drawings, %d written in %.1f s; %d overlapping "
        "pairs, %d sections not convex and %d corners inside another's edge, in %d drawings\n",
        seed, count, written, seconds, overlaps, concave, cracks, failedDrawings);
    return overlaps + concave + cracks > 0 ? 1 : 0;
}
