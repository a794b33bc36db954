// From shapes to logo.txt: the fit into the view, the search for the finest flattening that
// fits the tables, and the report.
#include "pipeline.h"

#include "import.h"
#include "layout.h"
#include "outlinetool.h"
#include "seams.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <set>

namespace {

constexpr double gridUnit = 1e-4;
// Every point lands within this of the view's centre, a margin inside the view's reach.
constexpr double fitRadius = 0.47;
// The fit is measured on a grid of about this many units across the drawing.
constexpr double fitGrid = 1e6;
// Tolerances searched, in grid units: half a unit is as fine as the file can show; past the
// coarsest the logo would no longer look like itself.
constexpr double finest = 0.5, coarsest = 100, coarsestThinned = 400;
constexpr int searchSteps = 8;

struct Attempt {
    bool fits = false;
    double tolerance = 0;
    bool thinned = false;
    double regionArea = 0;
    Layout layout;
    PieceRun pieces;
    std::vector<std::string> notes;
};

Attempt attempt(const std::vector<Part>& parts, const InkRules& ink, const Placement& placement,
                double tolerance, bool thinned) {
    Attempt result;
    result.tolerance = tolerance;
    result.thinned = thinned;
    RegionRun regions = paintRegions(parts, ink, placement, tolerance, thinned);
    result.notes = regions.notes;
    size_t corners = 0;
    for (const Region& region : regions.regions) {
        result.regionArea += pathsArea(region.paths);
        for (const ClipperLib::Path& path : region.paths) {
            corners += path.size();
        }
    }
    // Every corner of a region is a corner of some piece: past this the tables cannot hold it.
    if (corners > 2 * static_cast<size_t>(tablePoints)) {
        return result;
    }
    shareVertices(&regions.regions);
    result.pieces = convexPieces(regions.regions);
    result.fits = !result.pieces.failed && layOut(result.pieces.pieces, &result.layout);
    return result;
}

// The corners of everything visible at the coarse fit tolerance.
std::vector<ClipperLib::IntPoint> visibleCorners(const std::vector<Part>& parts,
                                                 const InkRules& ink, const Placement& placement) {
    std::vector<ClipperLib::IntPoint> corners;
    for (const Region& region :
         paintRegions(parts, ink, placement, fitGrid * gridUnit, false).regions) {
        for (const ClipperLib::Path& path : region.paths) {
            corners.insert(corners.end(), path.begin(), path.end());
        }
    }
    return corners;
}

// Scales and centres the visible drawing into the view. False when nothing is visible.
bool fitView(const std::vector<Part>& parts, const InkRules& ink, double radius,
             Placement* placement) {
    Box box;
    if (!paintedBounds(parts, ink, &box)) {
        return false;
    }
    double extent = std::max(box.x1 - box.x0, box.y1 - box.y0);
    if (!(extent > 0) || !std::isfinite(extent)) {
        return false;
    }
    Placement coarse{fitGrid / extent, -fitGrid / extent * box.x0, fitGrid / extent * box.y1};
    // A small visible part of a large drawing is measured again on a grid of its own.
    for (int round = 0;; ++round) {
        std::vector<ClipperLib::IntPoint> corners = visibleCorners(parts, ink, coarse);
        if (corners.empty()) {
            return false;
        }
        double x0 = HUGE_VAL, x1 = -HUGE_VAL, y0 = HUGE_VAL, y1 = -HUGE_VAL;
        for (const auto& p : corners) {
            x0 = std::min(x0, double(p.X)), x1 = std::max(x1, double(p.X));
            y0 = std::min(y0, double(p.Y)), y1 = std::max(y1, double(p.Y));
        }
        double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2, reach = 0;
        double seen = std::max(x1 - x0, y1 - y0);
        if (seen < fitGrid / 10 && round < 3) {
            double ratio = fitGrid / std::max(seen, 1.0);
            coarse = {coarse.scale * ratio, (coarse.x0 - x0) * ratio, (coarse.y0 - y0) * ratio};
            continue;
        }
        for (const auto& p : corners) {
            reach = std::max(reach, std::hypot(p.X - cx, p.Y - cy));
        }
        double ratio = radius / gridUnit / std::max(reach, 1.0);
        *placement = {coarse.scale * ratio, ratio * (coarse.x0 - cx) + centreX / gridUnit,
                      ratio * (coarse.y0 - cy) + centreY / gridUnit};
        return true;
    }
}

// Bisection on the logarithm of the tolerance between one that does not fit and one that does.
Attempt search(const std::vector<Part>& parts, const InkRules& ink, const Placement& placement,
               double low, Attempt fitting) {
    double high = fitting.tolerance;
    for (int step = 0; step < searchSteps && high / low > 1.05; ++step) {
        double middle = std::sqrt(low * high);
        Attempt tried = attempt(parts, ink, placement, middle, fitting.thinned);
        if (tried.fits) {
            fitting = std::move(tried);
            high = middle;
        } else {
            low = middle;
        }
    }
    return fitting;
}

double farthestPoint(const Layout& layout) {
    double farthest = 0;
    for (const auto* list : {&layout.red, &layout.pDark, &layout.tpDark}) {
        for (const Piece& piece : *list) {
            for (const auto& p : piece.points) {
                farthest = std::max(farthest, std::hypot(p.X / 1e4 - centreX, p.Y / 1e4 - centreY));
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
    double radius = fitRadius;
    // Rounding and the finer final flattening move points by a few grid units at most; the
    // fit shrinks should they ever reach past the view.
    for (int round = 0; round < 3; ++round, radius *= 0.98) {
        Placement placement;
        if (!fitView(parts, ink, radius, &placement)) {
            err << self << "nothing visible to import\n";
            return importNothing;
        }
        Attempt finestTry = attempt(parts, ink, placement, finest, false);
        double visibleArea = finestTry.regionArea;
        Attempt chosen;
        if (finestTry.fits) {
            chosen = std::move(finestTry);
        } else if (Attempt coarse = attempt(parts, ink, placement, coarsest, false); coarse.fits) {
            chosen = search(parts, ink, placement, finest, std::move(coarse));
        } else if (Attempt thin = attempt(parts, ink, placement, coarsestThinned, true);
                   thin.fits) {
            chosen = search(parts, ink, placement, finest, std::move(thin));
        } else {
            int pieces = static_cast<int>(thin.pieces.pieces.size());
            err << self << "cannot fit the tables: even with curves within "
                << decimal(coarsestThinned * gridUnit, 4) << " and straight runs thinned, "
                << (pieces > 0 ? std::to_string(pieces) + " convex pieces need " +
                                     std::to_string(pointCount(thin.pieces.pieces)) + " points"
                               : std::string("the outlines need too many points"))
                << " (two tables of " << tablePoints << ")\n";
            return importNothing;
        }
        if (pointCount(chosen.layout.red) + chosen.layout.pDark.size() +
                    chosen.layout.tpDark.size() ==
                0 ||
            farthestPoint(chosen.layout) > viewReach) {
            if (farthestPoint(chosen.layout) > viewReach) {
                continue;
            }
            err << self << "nothing visible to import\n";
            return importNothing;
        }
        std::set<std::string> said;
        for (const std::string& note : chosen.notes) {
            if (said.insert(note).second) {
                err << note << "\n";
            }
        }
        writeLayout(chosen.layout, out);
        report(parts, chosen, visibleArea, err);
        return importWritten;
    }
    err << self << "the logo does not stay within the view\n";
    return importNothing;
}
