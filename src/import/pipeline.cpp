// The importer's chain, in its order: the fit into the view; the capacity search, each try
// painted regions -> seams -> convex pieces -> tables; the fidelity and its floor.
#include "pipeline.h"

#include "fidelity.h"
#include "fit.h"
#include "layout.h"
#include "outline.h"
#include "pieces.h"
#include "regions.h"
#include "seams.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <string>

namespace {

// Tolerances searched, in grid units: half a unit is as fine as the file can show; past the
// coarsest the logo would no longer look like itself.
constexpr double finest = 0.5, coarsest = 100, coarsestThinned = 400;
constexpr int searchSteps = 8;

// Every corner of a region is a corner of some piece: past twice a table the tables cannot
// hold them.
size_t cornerCount(const std::vector<Region>& regions) {
    size_t corners = 0;
    for (const Region& region : regions) {
        for (const ClipperLib::Path& path : region.paths) {
            corners += path.size();
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
    std::snprintf(line, sizeof line,
                  "trying curves within %.5f%s: ", tried.flattening.tolerance * gridUnit,
                  tried.flattening.thinned ? ", straight runs thinned" : "");
    *progress.out << line
                  << (tried.points == 0 && !tried.fits
                          ? std::string("too many points")
                          : std::to_string(tried.points) +
                                (tried.fits ? " points, fits" : " points, too many"))
                  << "\n"
                  << std::flush;
    return tried;
}

// What the capacity search works on: the parts where the fit put them.
struct Search {
    const std::vector<Part>& parts;
    const InkRules& ink;
    const Placement& placement;
    const SearchProgress& progress;

    Attempt at(const Flattening& flattening) const {
        return tell(tryStages(parts, ink, placement, flattening), progress);
    }
};

// Bisection on the logarithm of the tolerance between one that does not fit and one that does.
Attempt bisect(const Search& search, double low, Attempt fitting) {
    double high = fitting.flattening.tolerance;
    for (int step = 0; step < searchSteps && high / low > 1.05; ++step) {
        double middle = std::sqrt(low * high);
        Attempt tried = search.at({middle, fitting.flattening.thinned});
        if (tried.fits) {
            fitting = std::move(tried);
            high = middle;
        } else {
            low = middle;
        }
    }
    return fitting;
}

// The regions the written logo is measured against: at the finest tolerance, or as fine as
// one painting may hold.
std::vector<Region> finestDrawing(const Search& search, const Attempt& finestTry) {
    if (!finestTry.regions.empty()) {
        return finestTry.regions;
    }
    for (double tolerance = finest * 4; tolerance <= coarsest; tolerance *= 4) {
        RegionOptions painting{{tolerance, false}};
        painting.bound = &viewDisc();
        PaintedRegions painted = paintRegions(search.parts, search.ink, search.placement, painting);
        if (!painted.overflow) {
            return painted.regions;
        }
    }
    return {};
}

// The finest tolerance that fits, from the finest one worth writing to a coarse one, then
// with straight runs thinned. fits is false in the result when nothing fits. drawing gets
// the regions at the finest tolerance (coarser when the finest needs too many points).
Attempt fittingAttempt(const Search& search, std::vector<Region>* drawing) {
    Attempt finestTry = search.at({finest, false});
    if (finestTry.fits) {
        *drawing = finestTry.regions;
        return finestTry;
    }
    *drawing = finestDrawing(search, finestTry);
    Attempt coarse = search.at({coarsest, false});
    if (coarse.fits) {
        return bisect(search, finest, std::move(coarse));
    }
    Attempt thin = search.at({coarsestThinned, true});
    if (thin.fits) {
        return bisect(search, finest, std::move(thin));
    }
    return thin;
}

double farthestPoint(const Layout& layout) {
    double farthest = 0;
    forEachPiece(layout, [&](const Piece& piece) {
        for (const auto& p : piece.points) {
            farthest = std::max(
                farthest, std::hypot(p.X * gridUnit - viewCentreX, p.Y * gridUnit - viewCentreY));
        }
    });
    return farthest;
}

bool emptyLayout(const Layout& layout) {
    return layout.red.empty() && layout.pDark.empty() && layout.tpDark.empty();
}

} // namespace

Attempt tryStages(const std::vector<Part>& parts, const InkRules& ink, const Placement& placement,
                  const Flattening& flattening) {
    Attempt attempt;
    attempt.flattening = flattening;
    // A sliver too thin to show in the fit's coarse measure must not reach out of the view.
    RegionOptions painting{flattening};
    painting.bound = &viewDisc();
    PaintedRegions painted = paintRegions(parts, ink, placement, painting);
    attempt.notes = painted.notes;
    if (painted.overflow) {
        return attempt;
    }
    attempt.regions = painted.regions;
    size_t corners = cornerCount(painted.regions);
    if (corners > 2 * static_cast<size_t>(tablePoints)) {
        attempt.points = static_cast<int>(std::min<size_t>(corners, INT_MAX));
        return attempt;
    }
    shareVertices(&painted.regions);
    attempt.pieces = convexPieces(painted.regions);
    attempt.points = pointCount(attempt.pieces.pieces);
    attempt.fits = !attempt.pieces.failed && layOut(attempt.pieces.pieces, &attempt.layout);
    return attempt;
}

LogoBuild buildLogo(const std::vector<Part>& parts, const InkRules& ink,
                    const BuildOptions& options, const SearchProgress& progress) {
    LogoBuild build;
    build.minFidelity = options.minFidelity;
    double radius = fitRadius;
    // Rounding and the finer final flattening move points by a few grid units at most; the
    // fit shrinks should they ever reach past the view.
    for (int round = 0; round < 3; ++round, radius *= 0.98) {
        build.refusal = Refusal::none;
        if (!fitView(parts, ink, radius, &build.placement, &build.broken)) {
            build.refusal = Refusal::nothingVisible;
            return build;
        }
        build.chosen = fittingAttempt({parts, ink, build.placement, progress}, &build.drawing);
        if (!build.chosen.fits) {
            build.refusal = Refusal::noFit;
            return build;
        }
        if (emptyLayout(build.chosen.layout)) {
            build.refusal = Refusal::nothingVisible;
            build.broken = 0;
            return build;
        }
        if (farthestPoint(build.chosen.layout) > viewReach) {
            build.refusal = Refusal::outsideView;
            continue;
        }
        build.fidelity = fidelityOf(parts.size(), build.drawing, build.chosen.layout);
        if (build.fidelity.parts[build.fidelity.worst] < options.minFidelity) {
            build.refusal = Refusal::belowFloor;
        }
        return build;
    }
    return build;
}
