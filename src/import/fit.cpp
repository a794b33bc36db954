// The fit into the view: the visible drawing measured on a coarse grid, then scaled and
// centred.
#include "fit.h"

#include "outline.h"
#include "regions.h"
#include "shape_area.h"

#include <algorithm>
#include <cmath>

namespace {

// The fit is measured on a grid of about this many units across the drawing.
constexpr double fitGrid = 1e6;

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
    RegionOptions options{{tolerance, false}};
    options.join = false;
    return options;
}

// The corners of everything visible at the coarse fit tolerance.
std::vector<ClipperLib::IntPoint> visibleCorners(const std::vector<Part>& parts,
                                                 const InkRules& ink, const Placement& placement) {
    std::vector<ClipperLib::IntPoint> corners;
    PaintedRegions painted = paintRegions(parts, ink, placement, extentOnly(fitGrid * gridUnit));
    // A drawing of very many curves is measured coarser.
    for (double tolerance = fitGrid * gridUnit * 10; painted.overflow && tolerance <= fitGrid / 10;
         tolerance *= 10) {
        painted = paintRegions(parts, ink, placement, extentOnly(tolerance));
    }
    for (const Region& region : painted.regions) {
        for (const ClipperLib::Path& path : region.paths) {
            corners.insert(corners.end(), path.begin(), path.end());
        }
    }
    return corners;
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
