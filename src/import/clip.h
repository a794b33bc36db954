// Clip paths, masks and nested viewports on the grid: the areas a shape may show in.
#pragma once

#include "shape_area.h"

#include <polyclipping/clipper.hpp>

#include <map>

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
