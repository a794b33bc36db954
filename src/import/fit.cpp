// The fit into the view: the visible drawing measured on a coarse grid, then scaled and
// centred. The capacity search: bisection on the logarithm of the tolerance.
#include "fit.h"

#include "outline.h"
#include "seams.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <ostream>

namespace {

// The fit is measured on a grid of about this many units across the drawing.
constexpr double fitGrid = 1e6;
// Tolerances searched, in grid units: half a unit is as fine as the file can show; past the
// coarsest the logo would no longer look like itself.
constexpr double finest = 0.5, coarsest = 100, coarsestThinned = 400;
constexpr int searchSteps = 8;

// The disc every point must stay in, a little inside the view's reach.
ClipperLib::Path viewDisc() {
    constexpr int corners = 512;
    double radius = (viewReach - 0.0005) / gridUnit;
    ClipperLib::Path disc;
    for (int i = 0; i < corners; ++i) {
        double angle = 2 * M_PI * i / corners;
        disc.push_back({std::llround(viewCentreX / gridUnit + radius * std::cos(angle)),
                        std::llround(viewCentreY / gridUnit + radius * std::sin(angle))});
    }
    return disc;
}

// The corners of everything visible at the coarse fit tolerance.
std::vector<ClipperLib::IntPoint> visibleCorners(const std::vector<Part>& parts,
                                                 const InkRules& ink, const Placement& placement) {
    std::vector<ClipperLib::IntPoint> corners;
    RegionRun run =
        paintRegions(parts, ink, placement, {fitGrid * gridUnit, false, nullptr, false});
    // A drawing of very many curves is measured coarser.
    for (double tolerance = fitGrid * gridUnit * 10; run.overflow && tolerance <= fitGrid / 10;
         tolerance *= 10) {
        run = paintRegions(parts, ink, placement, {tolerance, false, nullptr, false});
    }
    for (const Region& region : run.regions) {
        for (const ClipperLib::Path& path : region.paths) {
            corners.insert(corners.end(), path.begin(), path.end());
        }
    }
    return corners;
}

// Tells one try on progress once the search has run past a second.
struct Progress {
    std::ostream* out;
    std::chrono::steady_clock::time_point started;
};

Attempt tell(Attempt tried, const Progress& progress) {
    using namespace std::chrono;
    if (progress.out == nullptr || steady_clock::now() - progress.started < seconds(1)) {
        return tried;
    }
    char line[160];
    std::snprintf(line, sizeof line, "trying curves within %.5f%s: ", tried.tolerance * gridUnit,
                  tried.thinned ? ", straight runs thinned" : "");
    *progress.out << line
                  << (tried.points == 0 && !tried.fits
                          ? std::string("too many points")
                          : std::to_string(tried.points) +
                                (tried.fits ? " points, fits" : " points, too many"))
                  << "\n"
                  << std::flush;
    return tried;
}

// Bisection on the logarithm of the tolerance between one that does not fit and one that does.
Attempt search(const std::vector<Part>& parts, const InkRules& ink, const Placement& placement,
               double low, Attempt fitting, const Progress& progress) {
    double high = fitting.tolerance;
    for (int step = 0; step < searchSteps && high / low > 1.05; ++step) {
        double middle = std::sqrt(low * high);
        Attempt tried = tell(attempt(parts, ink, placement, middle, fitting.thinned), progress);
        if (tried.fits) {
            fitting = std::move(tried);
            high = middle;
        } else {
            low = middle;
        }
    }
    return fitting;
}

} // namespace

Attempt attempt(const std::vector<Part>& parts, const InkRules& ink, const Placement& placement,
                double tolerance, bool thinned) {
    Attempt result;
    result.tolerance = tolerance;
    result.thinned = thinned;
    // A sliver too thin to show in the fit's coarse measure must not reach out of the view.
    static const ClipperLib::Path disc = viewDisc();
    RegionRun regions = paintRegions(parts, ink, placement, {tolerance, thinned, &disc});
    result.notes = regions.notes;
    if (regions.overflow) {
        return result;
    }
    result.regions = regions.regions;
    size_t corners = 0;
    for (const Region& region : regions.regions) {
        result.regionArea += pathsArea(region.paths);
        for (const ClipperLib::Path& path : region.paths) {
            corners += path.size();
        }
    }
    // Every corner of a region is a corner of some piece: past this the tables cannot hold it.
    if (corners > 2 * static_cast<size_t>(tablePoints)) {
        result.points = static_cast<int>(std::min<size_t>(corners, INT_MAX));
        return result;
    }
    shareVertices(&regions.regions);
    result.pieces = convexPieces(regions.regions);
    result.points = pointCount(result.pieces.pieces);
    result.fits = !result.pieces.failed && layOut(result.pieces.pieces, &result.layout);
    return result;
}

bool fitView(const std::vector<Part>& parts, const InkRules& ink, double radius,
             Placement* placement, int* broken) {
    Box box;
    if (!paintedBounds(parts, ink, &box, broken)) {
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
        *placement = {coarse.scale * ratio, ratio * (coarse.x0 - cx) + viewCentreX / gridUnit,
                      ratio * (coarse.y0 - cy) + viewCentreY / gridUnit};
        return true;
    }
}

namespace {

// The regions the written logo is measured against: at the finest tolerance, or as fine as
// a run may hold.
std::vector<Region> finestDrawing(const std::vector<Part>& parts, const InkRules& ink,
                                  const Placement& placement, const Attempt& finestTry) {
    if (!finestTry.regions.empty()) {
        return finestTry.regions;
    }
    static const ClipperLib::Path disc = viewDisc();
    for (double tolerance = finest * 4; tolerance <= coarsest; tolerance *= 4) {
        RegionRun run = paintRegions(parts, ink, placement, {tolerance, false, &disc});
        if (!run.overflow) {
            return run.regions;
        }
    }
    return {};
}

} // namespace

Attempt fittingAttempt(const std::vector<Part>& parts, const InkRules& ink,
                       const Placement& placement, std::vector<Region>* drawing, std::ostream* out,
                       std::chrono::steady_clock::time_point started) {
    Progress progress{out, started};
    Attempt finestTry = tell(attempt(parts, ink, placement, finest, false), progress);
    if (finestTry.fits) {
        *drawing = finestTry.regions;
        return finestTry;
    }
    *drawing = finestDrawing(parts, ink, placement, finestTry);
    Attempt coarse = tell(attempt(parts, ink, placement, coarsest, false), progress);
    if (coarse.fits) {
        return search(parts, ink, placement, finest, std::move(coarse), progress);
    }
    Attempt thin = tell(attempt(parts, ink, placement, coarsestThinned, true), progress);
    if (thin.fits) {
        return search(parts, ink, placement, finest, std::move(thin), progress);
    }
    return thin;
}
