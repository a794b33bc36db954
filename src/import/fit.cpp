// The fit into the view: the visible drawing measured on a coarse grid, then scaled and
// centred. The capacity search: bisection on the logarithm of the tolerance.
#include "fit.h"

#include "outline.h"

#include <algorithm>
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

ClipperLib::Path discInView() {
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

// Painted for the extent only: unjoined, unthinned and unbounded.
RegionOptions extentOnly(double tolerance) {
    RegionOptions options{tolerance};
    options.join = false;
    return options;
}

// The corners of everything visible at the coarse fit tolerance.
std::vector<ClipperLib::IntPoint> visibleCorners(const std::vector<Part>& parts,
                                                 const InkRules& ink, const Placement& placement) {
    std::vector<ClipperLib::IntPoint> corners;
    RegionRun run = paintRegions(parts, ink, placement, extentOnly(fitGrid * gridUnit));
    // A drawing of very many curves is measured coarser.
    for (double tolerance = fitGrid * gridUnit * 10; run.overflow && tolerance <= fitGrid / 10;
         tolerance *= 10) {
        run = paintRegions(parts, ink, placement, extentOnly(tolerance));
    }
    for (const Region& region : run.regions) {
        for (const ClipperLib::Path& path : region.paths) {
            corners.insert(corners.end(), path.begin(), path.end());
        }
    }
    return corners;
}

// Tells one try on progress once the search has run past a second.
Attempt tell(Attempt tried, const SearchProgress& progress) {
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
Attempt search(const RunStages& run, double low, Attempt fitting, const SearchProgress& progress) {
    double high = fitting.tolerance;
    for (int step = 0; step < searchSteps && high / low > 1.05; ++step) {
        double middle = std::sqrt(low * high);
        Attempt tried = tell(run({middle, fitting.thinned}), progress);
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

const ClipperLib::Path& viewDisc() {
    static const ClipperLib::Path disc = discInView();
    return disc;
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
    for (double tolerance = finest * 4; tolerance <= coarsest; tolerance *= 4) {
        RegionOptions painting{tolerance};
        painting.bound = &viewDisc();
        RegionRun run = paintRegions(parts, ink, placement, painting);
        if (!run.overflow) {
            return run.regions;
        }
    }
    return {};
}

} // namespace

Attempt fittingAttempt(const std::vector<Part>& parts, const InkRules& ink,
                       const Placement& placement, const RunStages& run,
                       std::vector<Region>* drawing, const SearchProgress& progress) {
    Attempt finestTry = tell(run({finest, false}), progress);
    if (finestTry.fits) {
        *drawing = finestTry.regions;
        return finestTry;
    }
    *drawing = finestDrawing(parts, ink, placement, finestTry);
    Attempt coarse = tell(run({coarsest, false}), progress);
    if (coarse.fits) {
        return search(run, finest, std::move(coarse), progress);
    }
    Attempt thin = tell(run({coarsestThinned, true}), progress);
    if (thin.fits) {
        return search(run, finest, std::move(thin), progress);
    }
    return thin;
}
