// The report of an import: what was written against the drawing, and the refusals.
#include "report.h"

#include "outline.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <set>

namespace {

const char* const self = "logotipo-outline import: ";

std::string decimal(double value, int digits) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", digits, value);
    return text;
}

// At the program's largest zoom, scale 2, its 500-pixel window spans one logo unit over 500
// pixels; capitals shorter than smallestCapitals pixels there are too small to read.
constexpr double largestZoomPixels = 500;
constexpr double smallestCapitals = 10;

} // namespace

// A line for each set name whose capitals stay too small to read, however near it comes.
void tellSmallLetters(const std::vector<Part>& parts, const Placement& placement,
                      std::ostream& err) {
    for (const Part& part : parts) {
        double pixels = part.drawing.capitals * placement.scale * gridUnit * largestZoomPixels;
        if (part.drawing.capitals > 0 && pixels < smallestCapitals) {
            err << part.name << ": capitals " << decimal(pixels, 1)
                << " pixels high at the largest zoom, under the " << smallestCapitals
                << " that can be read: break the name into lines (\\n or more --text)\n";
        }
    }
}

// How near the written sections are to the drawing: the exact area of their overlap over the
// area of their union, for each part and for all of them.
// Regions never overlap (a later layer covers an earlier one), nor do written pieces: their
// overlap is the sum of both areas less the area of their union.
Fidelity fidelityOf(size_t partCount, const std::vector<Region>& drawing, const Layout& layout) {
    std::vector<ClipperLib::Paths> drawn(partCount), written(partCount);
    std::vector<double> drawnArea(partCount, 0), writtenArea(partCount, 0);
    for (const Region& region : drawing) {
        ClipperLib::Paths& paths = drawn[region.part];
        paths.insert(paths.end(), region.paths.begin(), region.paths.end());
        drawnArea[region.part] += pathsArea(region.paths);
    }
    for (const auto* list : {&layout.red, &layout.pDark, &layout.tpDark}) {
        for (const Piece& piece : *list) {
            written[piece.part].push_back(piece.points);
            writtenArea[piece.part] += ClipperLib::Area(piece.points);
        }
    }
    Fidelity fidelity;
    double overlaps = 0, unions = 0;
    for (size_t part = 0; part < partCount; ++part) {
        // Measured through the union: Clipper's intersection of pieces and regions whose edges
        // coincide came out short on a real flag (0.28 for a logo librsvg shows exact), the
        // union of the same paths did not.
        double either = pathsArea(combine(ClipperLib::ctUnion, drawn[part], written[part]));
        double both = std::max(0.0, drawnArea[part] + writtenArea[part] - either);
        fidelity.parts.push_back(either > 0 ? both / either : 1);
        if (fidelity.parts[part] < fidelity.parts[fidelity.worst]) {
            fidelity.worst = static_cast<int>(part);
        }
        overlaps += both;
        unions += either;
    }
    fidelity.overall = unions > 0 ? overlaps / unions : 1;
    return fidelity;
}

// The refusal when the written logo would fall below the floor: how far, and what helps.
void refuseFidelity(const std::vector<Part>& parts, const Fidelity& fidelity, double floor,
                    std::ostream& err) {
    const std::string& name = parts[fidelity.worst].name;
    double worst = fidelity.parts[fidelity.worst];
    err << self << "the " << name << " would be written at fidelity " << decimal(worst, 4)
        << " (overlap over union with the drawing), below " << decimal(floor, 4) << ": "
        << (name == "name" ? "give a shorter name, or set it on more lines (a --text each)"
                           : "simplify the drawing (fewer, plainer shapes)")
        << ", or lower the floor with --min-fidelity " << decimal(std::floor(worst * 100) / 100, 2)
        << "\n";
}

// What was left out of the drawing, each note once.
void tellNotes(const std::vector<std::string>& notes, std::ostream& err) {
    std::set<std::string> said;
    for (const std::string& note : notes) {
        if (said.insert(note).second) {
            err << note << "\n";
        }
    }
}

void report(const std::vector<Part>& parts, const Attempt& chosen,
            const std::vector<Region>& drawing, const Fidelity& fidelity, std::ostream& err) {
    const Layout& layout = chosen.layout;
    double visibleArea = 0;
    for (const Region& region : drawing) {
        visibleArea += pathsArea(region.paths);
    }
    std::string flattening = "curves within " + decimal(chosen.tolerance * gridUnit, 5) +
                             (chosen.thinned ? ", straight runs thinned to it" : "");
    for (size_t part = 0; part < parts.size(); ++part) {
        int p = 0, tp = 0, red = 0, dark = 0;
        auto count = [&](const std::vector<Piece>& pieces, int* points, int* pieceCount) {
            for (const Piece& piece : pieces) {
                if (piece.part == static_cast<int>(part)) {
                    *points += static_cast<int>(piece.points.size());
                    ++*pieceCount;
                }
            }
        };
        count(layout.red, &p, &red);
        count(layout.pDark, &p, &dark);
        count(layout.tpDark, &tp, &dark);
        err << parts[part].name << ": " << flattening << "; P " << p << " points, TP " << tp
            << " points; " << red << " red and " << dark << " dark pieces\n";
    }
    err << "tables: P " << pointCount(layout.red) + pointCount(layout.pDark) << " of "
        << tablePoints << " points, TP " << pointCount(layout.tpDark) << " of " << tablePoints
        << (layout.reserved > 0 ? "; " + std::to_string(layout.reserved) +
                                      " empty P sections keep the red ids from dark pieces"
                                : std::string())
        << "\n";
    if (layout.redArea > 0) {
        err << "red: " << decimal(100 * layout.redKept / layout.redArea, 1)
            << "% of the red area stays red"
            << (layout.redKept < layout.redArea ? " (only three pieces can be red)" : "") << "\n";
    }
    double drawn = 0;
    for (const auto* list : {&layout.red, &layout.pDark, &layout.tpDark}) {
        for (const Piece& piece : *list) {
            drawn += piece.area;
        }
    }
    double unit = gridUnit * gridUnit;
    err << "area: " << decimal(drawn * unit, 4) << " against " << decimal(visibleArea * unit, 4)
        << " of the visible drawing ("
        << decimal(visibleArea > 0 ? 100 * drawn / visibleArea : 100, 1) << "%)\n";
    err << "fidelity:";
    for (size_t part = 0; part < parts.size(); ++part) {
        err << (part > 0 ? ", " : " ") << parts[part].name << " "
            << decimal(fidelity.parts[part], 4);
    }
    err << " (overlap over union with the drawing)\n";
}

void tellNothingVisible(int broken, std::ostream& err) {
    err << self << "nothing visible to import";
    if (broken > 0) {
        err << " (" << broken << (broken == 1 ? " shape" : " shapes")
            << " left out for coordinates out of range)";
    }
    err << "\n";
}

void tellNoFit(const Attempt& chosen, std::ostream& err) {
    int pieces = static_cast<int>(chosen.pieces.pieces.size());
    err << self << "cannot fit the tables: even with curves within "
        << decimal(chosen.tolerance * gridUnit, 4) << " and straight runs thinned, "
        << (pieces > 0 ? std::to_string(pieces) + " convex pieces need " +
                             std::to_string(pointCount(chosen.pieces.pieces)) + " points"
                       : std::string("the outlines need too many points"))
        << " (two tables of " << tablePoints << ")\n";
}

void tellOutsideView(std::ostream& err) {
    err << self << "the logo does not stay within the view\n";
}