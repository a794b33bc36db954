// Clipper's boolean operations with their retry, and the areas and boxes of paths.
#include "polygons.h"

#include <algorithm>

using namespace ClipperLib;

namespace {

Paths execute(ClipType type, const Paths& subject, const Paths& clip, PolyFillType fill,
              bool strict) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            Clipper clipper;
            clipper.StrictlySimple(strict);
            Paths a = subject, b = clip;
            if (attempt > 0) {
                CleanPolygons(a);
                CleanPolygons(b);
            }
            clipper.AddPaths(a, ptSubject, true);
            clipper.AddPaths(b, ptClip, true);
            Paths result;
            clipper.Execute(type, result, fill, pftNonZero);
            return result;
        } catch (const clipperException&) {
        }
    }
    return {};
}

} // namespace

Paths combine(ClipType type, const Paths& subject, const Paths& clip, PolyFillType fill,
              bool strict) {
    if (!strict) {
        return execute(type, subject, clip, fill, false);
    }
    // Clipper's strict mode is many times slower than the loose one on stacked outlines: the
    // loose result, which no longer overlaps itself, is made strictly simple on its own.
    return execute(ctUnion, execute(type, subject, clip, fill, false), {}, pftNonZero, true);
}

double pathsArea(const Paths& paths) {
    double sum = 0;
    for (const Path& path : paths) {
        sum += Area(path);
    }
    return sum;
}

IntRect boundsOf(const Path& path) {
    IntRect box{path[0].X, path[0].Y, path[0].X, path[0].Y};
    for (const IntPoint& p : path) {
        box = {std::min(box.left, p.X), std::min(box.top, p.Y), std::max(box.right, p.X),
               std::max(box.bottom, p.Y)};
    }
    return box;
}

IntRect joinBoxes(const IntRect& a, const IntRect& b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

IntRect boxOf(const Paths& paths) {
    IntRect box = boundsOf(paths[0]);
    for (const Path& path : paths) {
        box = joinBoxes(box, boundsOf(path));
    }
    return box;
}
