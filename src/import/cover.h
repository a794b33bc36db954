// What the layers above cover, for painter's order on drawings of many layers: a grid of
// tiles, each keeping the union of what covers it cut to the tile grown by a margin, so that
// a layer is cut by what lies near it alone and what is wholly covered is dropped at once.
#pragma once

#include <polyclipping/clipper.hpp>

#include <vector>

class Cover {
  public:
    // Tiles of side tileSide over extent (the box of every outline to come).
    Cover(const ClipperLib::IntRect& extent, ClipperLib::cInt tileSide);

    // What covers the outlines of area (a union; boxes, the box of each path): pieces that may
    // overlap one another, to be taken by the nonzero rule. The paths of area that lie wholly
    // under tiles covered whole are taken out of it.
    ClipperLib::Paths over(ClipperLib::Paths* area, std::vector<ClipperLib::IntRect>* boxes) const;

    // Adds area (a union, boxes as above) to what covers.
    void add(const ClipperLib::Paths& area, const std::vector<ClipperLib::IntRect>& boxes);

  private:
    struct Tile {
        ClipperLib::Paths covered;
        bool full = false;
    };
    struct Span {
        int x0, y0, x1, y1;
    };

    Span spanOf(const ClipperLib::IntRect& box) const;
    ClipperLib::Path grownTile(int x, int y) const;

    ClipperLib::IntRect extent;
    ClipperLib::cInt side;
    int columns, rows;
    std::vector<Tile> tiles;
};

// A tile side for outlines with these boxes: about twice the typical outline, and no more
// than 128 tiles along the extent.
ClipperLib::cInt coverTileSide(const std::vector<ClipperLib::IntRect>& boxes,
                               const ClipperLib::IntRect& extent);
