// Clip paths, masks and nested viewports on the grid: the areas a shape may show in.
#pragma once

#include "drawing.h"

#include <polyclipping/clipper.hpp>

#include <functional>
#include <map>

// The area of a shape's fill (stroke false) or stroke on the grid.
using AreaOf = std::function<ClipperLib::Paths(const Shape& shape, bool stroke)>;

// Cuts areas to the clips of their shapes, making each clip's area once however many
// shapes it cuts.
class ClipAreas {
  public:
    explicit ClipAreas(AreaOf areaOf) : areaOf(std::move(areaOf)) {}

    // What of area lies inside every clip of shape.
    ClipperLib::Paths cut(ClipperLib::Paths area, const Shape& shape);

  private:
    const ClipperLib::Paths& areaOfClip(const Clip& clip);

    AreaOf areaOf;
    std::map<const Clip*, ClipperLib::Paths> made;
};
