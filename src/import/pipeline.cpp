// From shapes to logo.txt: the fit, the tolerance that fits the tables, the file and the
// report.
#include "pipeline.h"

#include "fit.h"
#include "import.h"
#include "outline.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <set>

namespace {

double farthestPoint(const Layout& layout) {
    double farthest = 0;
    for (const auto* list : {&layout.red, &layout.pDark, &layout.tpDark}) {
        for (const Piece& piece : *list) {
            for (const auto& p : piece.points) {
                farthest = std::max(farthest, std::hypot(p.X / gridSteps - viewCentreX,
                                                         p.Y / gridSteps - viewCentreY));
            }
        }
    }
    return farthest;
}

std::string decimal(double value, int digits) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", digits, value);
    return text;
}

// At the program's largest zoom, scale 2, its 500-pixel window spans one logo unit over 500
// pixels; capitals shorter than smallestCapitals pixels there are too small to read.
constexpr double largestZoomPixels = 500;
constexpr double smallestCapitals = 10;

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

void report(const std::vector<Part>& parts, const Attempt& chosen, double visibleArea,
            std::ostream& err) {
    const Layout& layout = chosen.layout;
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
}

} // namespace

int buildLogo(const std::vector<Part>& parts, const InkRules& ink, std::ostream& out,
              std::ostream& err) {
    const char* self = "logotipo-outline import: ";
    auto started = std::chrono::steady_clock::now();
    double radius = fitRadius;
    // Rounding and the finer final flattening move points by a few grid units at most; the
    // fit shrinks should they ever reach past the view.
    for (int round = 0; round < 3; ++round, radius *= 0.98) {
        Placement placement;
        int broken = 0;
        if (!fitView(parts, ink, radius, &placement, &broken)) {
            err << self << "nothing visible to import";
            if (broken > 0) {
                err << " (" << broken << (broken == 1 ? " shape" : " shapes")
                    << " left out for coordinates out of range)";
            }
            err << "\n";
            return importNothing;
        }
        double visibleArea = 0;
        Attempt chosen = fittingAttempt(parts, ink, placement, &visibleArea, &err, started);
        if (!chosen.fits) {
            int pieces = static_cast<int>(chosen.pieces.pieces.size());
            err << self << "cannot fit the tables: even with curves within "
                << decimal(chosen.tolerance * gridUnit, 4) << " and straight runs thinned, "
                << (pieces > 0 ? std::to_string(pieces) + " convex pieces need " +
                                     std::to_string(pointCount(chosen.pieces.pieces)) + " points"
                               : std::string("the outlines need too many points"))
                << " (two tables of " << tablePoints << ")\n";
            return importNothing;
        }
        const Layout& layout = chosen.layout;
        if (layout.red.empty() && layout.pDark.empty() && layout.tpDark.empty()) {
            err << self << "nothing visible to import\n";
            return importNothing;
        }
        if (farthestPoint(layout) > viewReach) {
            continue;
        }
        std::set<std::string> said;
        for (const std::string& note : chosen.notes) {
            if (said.insert(note).second) {
                err << note << "\n";
            }
        }
        if (visibleArea <= 0) {
            visibleArea = chosen.regionArea; // the finest flattening needed too many points
        }
        writeLayout(layout, out);
        report(parts, chosen, visibleArea, err);
        tellSmallLetters(parts, placement, err);
        return importWritten;
    }
    err << self << "the logo does not stay within the view\n";
    return importNothing;
}
