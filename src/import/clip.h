// Clip paths, masks and nested viewports on the grid: the areas a shape may show in.
#pragma once

#include "shape_area.h"

#include <polyclipping/clipper.hpp>

#include <map>

// A mask counts where its luminance times its alpha is at least this: the mask becomes a
// clip by its coverage, as the logo has no partial cover.
constexpr double maskThreshold = 0.5;

// What a paint in a mask does to the mask's coverage: a luminance times alpha that reaches
// the threshold adds its area; one dark and opaque enough to bring white below it takes its
// area away; any other changes nothing.
enum class MaskEffect { none, adds, takes };
MaskEffect maskEffect(const Paint& paint);

// Cuts areas to the clips of their shapes, making each clip's area once however many
// shapes it cuts. grid takes the drawing's space to the grid; the clips' own shapes are
// traced as tracing says.
class ClipAreas {
  public:
    ClipAreas(const Matrix& grid, Tracing& tracing) : grid(grid), tracing(tracing) {}

    // What of area lies inside every clip of shape.
    ClipperLib::Paths cut(ClipperLib::Paths area, const Shape& shape);

  private:
    const ClipperLib::Paths& areaOfClip(const Clip& clip);

    Matrix grid;
    Tracing& tracing;
    std::map<const Clip*, ClipperLib::Paths> made;
};
