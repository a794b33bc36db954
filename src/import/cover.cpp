// The tiled cover of painter's order: each tile the union of what covers it, within the tile
// grown by a margin, or whole.
#include "cover.h"

#include "polygons.h"

#include <algorithm>
#include <utility>

using namespace ClipperLib;

namespace {

// Neighbouring tiles overlap by this many grid units, well past where Clipper rounds their
// cut edges, so that their pieces taken together leave no crack along a tile's side.
constexpr cInt margin = 8;
constexpr cInt mostTiles = 128;

int tileOf(cInt v, cInt low, cInt side, int count) {
    return static_cast<int>(std::clamp<cInt>((v - low) / side, 0, count - 1));
}

} // namespace

Cover::Cover(const IntRect& extent, cInt tileSide)
    : extent(extent), side(std::max<cInt>(tileSide, 1)) {
    columns = static_cast<int>(std::min(mostTiles, (extent.right - extent.left) / side + 1));
    rows = static_cast<int>(std::min(mostTiles, (extent.bottom - extent.top) / side + 1));
    tiles.resize(static_cast<size_t>(columns) * rows);
}

Cover::Span Cover::spanOf(const IntRect& box) const {
    return {tileOf(box.left, extent.left, side, columns), tileOf(box.top, extent.top, side, rows),
            tileOf(box.right, extent.left, side, columns),
            tileOf(box.bottom, extent.top, side, rows)};
}

// The last column and row reach to the extent's end, however far the cap on tiles puts it.
Path Cover::grownTile(int x, int y) const {
    cInt x0 = extent.left + x * side - margin, y0 = extent.top + y * side - margin;
    cInt x1 = x == columns - 1 ? extent.right + margin : x0 + side + 2 * margin;
    cInt y1 = y == rows - 1 ? extent.bottom + margin : y0 + side + 2 * margin;
    return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

Paths Cover::over(Paths* area, std::vector<IntRect>* boxes) const {
    std::vector<int> near;
    size_t kept = 0;
    for (size_t i = 0; i < area->size(); ++i) {
        Span span = spanOf((*boxes)[i]);
        size_t before = near.size();
        bool hidden = true;
        for (int y = span.y0; y <= span.y1; ++y) {
            for (int x = span.x0; x <= span.x1; ++x) {
                hidden = hidden && tiles[static_cast<size_t>(y) * columns + x].full;
                near.push_back(y * columns + x);
            }
        }
        // Everything under a whole tile is cut away anyway, the holes inside such an outline
        // included (they lie within its box).
        if (hidden) {
            near.resize(before);
            continue;
        }
        if (kept != i) {
            (*area)[kept] = std::move((*area)[i]);
            (*boxes)[kept] = (*boxes)[i];
        }
        ++kept;
    }
    area->resize(kept);
    boxes->resize(kept);
    std::sort(near.begin(), near.end());
    near.erase(std::unique(near.begin(), near.end()), near.end());
    Paths above;
    for (int index : near) {
        const Tile& tile = tiles[index];
        if (tile.full) {
            above.push_back(grownTile(index % columns, index / columns));
        } else {
            above.insert(above.end(), tile.covered.begin(), tile.covered.end());
        }
    }
    return above;
}

void Cover::add(const Paths& area, const std::vector<IntRect>& boxes) {
    std::vector<std::pair<int, size_t>> reach; // tile, path
    for (size_t i = 0; i < area.size(); ++i) {
        // Every grown tile the outline touches, so that each holds all of what covers it.
        const IntRect& box = boxes[i];
        Span span =
            spanOf({box.left - margin, box.top - margin, box.right + margin, box.bottom + margin});
        for (int y = span.y0; y <= span.y1; ++y) {
            for (int x = span.x0; x <= span.x1; ++x) {
                reach.push_back({y * columns + x, i});
            }
        }
    }
    std::sort(reach.begin(), reach.end());
    for (size_t start = 0, end = 0; start < reach.size(); start = end) {
        int index = reach[start].first;
        Tile& tile = tiles[index];
        Paths subject = tile.covered;
        for (end = start; end < reach.size() && reach[end].first == index; ++end) {
            subject.push_back(area[reach[end].second]);
        }
        if (tile.full) {
            continue;
        }
        Path grown = grownTile(index % columns, index / columns);
        tile.covered = combine(ctIntersection, subject, {grown});
        // Less than a grid unit left uncovered cannot show.
        if (pathsArea(tile.covered) >= Area(grown) - 1) {
            tile.covered = {grown};
            tile.full = true;
        }
    }
}

cInt coverTileSide(const std::vector<IntRect>& boxes, const IntRect& extent) {
    std::vector<cInt> sides;
    for (const IntRect& box : boxes) {
        sides.push_back(std::max(box.right - box.left, box.bottom - box.top));
    }
    cInt typical = 64;
    if (!sides.empty()) {
        std::nth_element(sides.begin(), sides.begin() + sides.size() / 2, sides.end());
        typical = std::max(typical, 2 * sides[sides.size() / 2]);
    }
    cInt longest = std::max(extent.right - extent.left, extent.bottom - extent.top);
    return std::max(typical, longest / mostTiles + 1);
}
