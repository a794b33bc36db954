// From shapes to logo.txt, the stages in their order: the fit into the view; then, for each
// flattening the capacity search tries, painted regions (the curves flattened), seams,
// convex pieces and the tables; then the fidelity floor, the file and the report.
#include "pipeline.h"

#include "fit.h"
#include "outcome.h"
#include "outline.h"
#include "pieces.h"
#include "report.h"
#include "seams.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <ostream>

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

bool emptyLayout(const Layout& layout) {
    return layout.red.empty() && layout.pDark.empty() && layout.tpDark.empty();
}

// Every corner of a region is a corner of some piece: past twice a table the tables cannot
// hold them. Sets the run's region area, and its points when there are too many.
bool withinCapacity(const std::vector<Region>& regions, Attempt* run) {
    size_t corners = 0;
    for (const Region& region : regions) {
        run->regionArea += pathsArea(region.paths);
        for (const ClipperLib::Path& path : region.paths) {
            corners += path.size();
        }
    }
    if (corners > 2 * static_cast<size_t>(tablePoints)) {
        run->points = static_cast<int>(std::min<size_t>(corners, INT_MAX));
        return false;
    }
    return true;
}

} // namespace

Attempt runStages(const std::vector<Part>& parts, const InkRules& ink, const Placement& placement,
                  const Flattening& flattening) {
    Attempt run;
    run.tolerance = flattening.tolerance;
    run.thinned = flattening.thinned;
    // A sliver too thin to show in the fit's coarse measure must not reach out of the view.
    RegionOptions painting{flattening.tolerance};
    painting.simplify = flattening.thinned;
    painting.bound = &viewDisc();
    RegionRun regions = paintRegions(parts, ink, placement, painting);
    run.notes = regions.notes;
    if (regions.overflow) {
        return run;
    }
    run.regions = regions.regions;
    if (!withinCapacity(regions.regions, &run)) {
        return run;
    }
    shareVertices(&regions.regions);
    run.pieces = convexPieces(regions.regions);
    run.points = pointCount(run.pieces.pieces);
    run.fits = !run.pieces.failed && layOut(run.pieces.pieces, &run.layout);
    return run;
}

int buildLogo(const std::vector<Part>& parts, const InkRules& ink, std::ostream& out,
              std::ostream& err, const BuildOptions& options, ImportSummary* summary) {
    SearchProgress progress{&err, std::chrono::steady_clock::now()};
    double radius = fitRadius;
    // Rounding and the finer final flattening move points by a few grid units at most; the
    // fit shrinks should they ever reach past the view.
    for (int round = 0; round < 3; ++round, radius *= 0.98) {
        Placement placement;
        int broken = 0;
        if (!fitView(parts, ink, radius, &placement, &broken)) {
            tellNothingVisible(broken, err);
            return importNothing;
        }
        RunStages run = [&](const Flattening& flattening) {
            return runStages(parts, ink, placement, flattening);
        };
        std::vector<Region> drawing;
        Attempt chosen = fittingAttempt(parts, ink, placement, run, &drawing, progress);
        if (!chosen.fits) {
            tellNoFit(chosen, err);
            return importNothing;
        }
        if (emptyLayout(chosen.layout)) {
            tellNothingVisible(0, err);
            return importNothing;
        }
        if (farthestPoint(chosen.layout) > viewReach) {
            continue;
        }
        Fidelity fidelity = fidelityOf(parts.size(), drawing, chosen.layout);
        if (fidelity.parts[fidelity.worst] < options.minFidelity) {
            refuseFidelity(parts, fidelity, options.minFidelity, err);
            return importNothing;
        }
        tellNotes(chosen.notes, err);
        writeLayout(chosen.layout, out);
        report(parts, chosen, drawing, fidelity, err);
        tellSmallLetters(parts, placement, err);
        if (summary != nullptr) {
            const Layout& layout = chosen.layout;
            *summary = {pointCount(layout.red) + pointCount(layout.pDark),
                        pointCount(layout.tpDark), fidelity.overall};
        }
        return importWritten;
    }
    tellOutsideView(err);
    return importNothing;
}
