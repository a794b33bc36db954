// What the importer's stages hand each other, in one place so that every stage is a sibling
// over it: the parts as read, the placement on the output grid, painted regions, convex
// pieces, the tables, each try of the capacity search and the fidelity of the chosen one.
#pragma once

#include "drawing.h"

#include <polyclipping/clipper.hpp>

#include <string>
#include <vector>

// One unit of the integer output grid, in logo units: four decimals, so every coordinate is
// written exactly.
constexpr double gridUnit = 1e-4;

// Fill colours forced into a class, ahead of the hue rule.
struct InkRules {
    std::vector<Colour> red, dark;
};

// One part of the logo (the mark, the name), reported on its own; all parts share one space,
// later parts painted over earlier ones.
struct Part {
    std::string name;
    Drawing drawing;
};

// What a paint becomes in the logo. none: covers nothing; white: cuts a hole to the
// background; red: the mark; dark: the rest.
enum class Ink { none, white, red, dark };

// Where the drawing lands: drawing space (y down) to grid units (y up),
// (x, y) -> (scale x + x0, -scale y + y0).
struct Placement {
    double scale = 1, x0 = 0, y0 = 0;
};

// How finely a try flattens: curves within tolerance grid units; thinned: straight runs
// thinned to it too.
struct Flattening {
    double tolerance = 0;
    bool thinned = false;
};

// What shows of one part in one class (red or dark), outlines positive and holes negative.
struct Region {
    int part;
    Ink ink;
    ClipperLib::Paths paths;
};

// A convex polygon on the grid, counter-clockwise with y up; it may hold straight-through
// vertices where a neighbour's corner lies on its edge.
struct Piece {
    int part;
    Ink ink;
    ClipperLib::Path points;
    double area;
};

// The regions cut into convex pieces.
struct ConvexPieces {
    std::vector<Piece> pieces;
    int triangles = 0;
    bool failed = false; // the tessellator refused a region
};

// The tables: which pieces stay red and which table each of the others goes to.
struct Layout {
    std::vector<Piece> red;    // P sections from id 1
    int reserved = 0;          // empty P sections that keep the red ids from dark pieces
    std::vector<Piece> pDark;  // P sections after the red ids
    std::vector<Piece> tpDark; // TP sections
    double redArea = 0;        // of every red piece, in grid units
    double redKept = 0;        // of the pieces that stay red
};

// One try of the stages after the fit at one flattening, as the capacity search sees it.
struct Attempt {
    Flattening flattening;
    bool fits = false;
    int points = 0; // of the pieces, or of the region outlines when they are too many already
    std::vector<Region> regions; // as painted, before the pieces share their vertices
    ConvexPieces pieces;
    Layout layout;
    std::vector<std::string> notes;
};

// How near the written sections are to the drawing: the exact area of their overlap over the
// area of their union, for each part and for all of them.
struct Fidelity {
    std::vector<double> parts;
    double overall = 1;
    int worst = 0; // the part furthest from its drawing
};

// Why the chain wrote nothing: nothing visible, no flattening that fits the tables, a part
// below the fidelity floor, or a logo that would not stay within the view.
enum class Refusal { none, nothingVisible, noFit, belowFloor, outsideView };

// What the whole chain gives, for the writer and the watch: the placement, the chosen try
// (its flattening, pieces, tables and notes), the drawing it is measured against and the
// fidelity; or why nothing is to be written.
struct LogoBuild {
    Refusal refusal = Refusal::none;
    int broken = 0;         // nothing visible: painted shapes left out for coordinates out of range
    double minFidelity = 0; // the floor it was held to
    Placement placement;
    Attempt chosen;
    std::vector<Region> drawing;
    Fidelity fidelity;
};
