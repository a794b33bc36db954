// The tables. Takes the convex pieces; gives which pieces stay red and which table each
// goes to, and writes logo.txt from that.
#pragma once

#include "outline.h"
#include "pieces.h"

#include <iosfwd>
#include <vector>

// Each table of logo.txt holds this many points.
constexpr int tablePoints = outlineCapacity;
// P sections 1 to 3 are drawn red.
constexpr int redSections = firstDarkId - 1;
// Grid units per logo unit: four decimals, so every coordinate is written exactly.
constexpr double gridSteps = 1e4;

struct Layout {
    std::vector<Piece> red;    // P sections from id 1
    int reserved = 0;          // empty P sections that keep the red ids from dark pieces
    std::vector<Piece> pDark;  // P sections after the red ids
    std::vector<Piece> tpDark; // TP sections
    double redArea = 0;        // of every red piece, in grid units
    double redKept = 0;        // of the pieces that stay red
};

int pointCount(const std::vector<Piece>& pieces);

// Keeps the largest red pieces red and shares the rest out between the tables. False when
// they do not fit.
bool layOut(std::vector<Piece> pieces, Layout* layout);

// logo.txt: grid units are 1 / gridSteps, so every coordinate is written exactly.
void writeLayout(const Layout& layout, std::ostream& out);
