// The Clipper layer under every stage that works on the grid: boolean operations retried on
// cleaned geometry when degenerate input makes Clipper throw, areas, and boxes.
#pragma once

#include <polyclipping/clipper.hpp>

// Clipper's operations, retried on cleaned geometry when degenerate input makes them throw.
// strict: outlines that do not even touch themselves (slower).
ClipperLib::Paths combine(ClipperLib::ClipType type, const ClipperLib::Paths& subject,
                          const ClipperLib::Paths& clip,
                          ClipperLib::PolyFillType fill = ClipperLib::pftNonZero,
                          bool strict = false);

// The signed area of the paths: outlines positive, holes negative.
double pathsArea(const ClipperLib::Paths& paths);

// The box of a path (or of non-empty paths) on the grid, as Clipper keeps one: top is the
// least y, bottom the most.
ClipperLib::IntRect boundsOf(const ClipperLib::Path& path);
ClipperLib::IntRect boxOf(const ClipperLib::Paths& paths);
ClipperLib::IntRect joinBoxes(const ClipperLib::IntRect& a, const ClipperLib::IntRect& b);
