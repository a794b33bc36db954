// The tables. Takes the convex pieces; gives which pieces stay red and which table each
// goes to.
#pragma once

#include "outline.h"
#include "stages.h"

#include <vector>

// Each table of logo.txt holds this many points.
constexpr int tablePoints = outlineCapacity;
// P sections 1 to 3 are drawn red.
constexpr int redSections = firstDarkId - 1;

// Calls visit with every piece of the layout, in the order the file holds them.
template <class Visit> void forEachPiece(const Layout& layout, Visit visit) {
    for (const std::vector<Piece>* list : {&layout.red, &layout.pDark, &layout.tpDark}) {
        for (const Piece& piece : *list) {
            visit(piece);
        }
    }
}

int pointCount(const std::vector<Piece>& pieces);
// The points of the P table (red and dark) and of the TP table.
int pTablePoints(const Layout& layout);
int tpTablePoints(const Layout& layout);

// Keeps the largest red pieces red and shares the rest out between the tables. False when
// they do not fit.
bool layOut(std::vector<Piece> pieces, Layout* layout);
