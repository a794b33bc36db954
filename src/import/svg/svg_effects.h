// Clip paths, masks, nested viewports and markers as the SVG reader applies them: the clips
// they make and where marker content lands.
#pragma once

#include "drawing.h"
#include "svg_geometry.h"

#include <libxml/tree.h>

#include <memory>
#include <string>
#include <vector>

// The id a reference names: url(#id) or #id; empty when it names none.
std::string referenceId(const std::string& value);

// Whether a viewport element lets its content show outside it.
bool overflowVisible(xmlNode* node);

// The rectangle box through m, as a clip.
std::shared_ptr<const Clip> rectangleClip(const Box& box, const Matrix& m);

// A clip path's shapes, each filled by its clip-rule, as the clip they make.
std::shared_ptr<const Clip> clipPathClip(std::vector<Shape> shapes);

// A mask's shapes as the clip they make, each paint doing what maskEffect says (a
// gradient band by band).
std::shared_ptr<const Clip> maskClip(std::vector<Shape> shapes);

// The rectangle a mask applies within, through *m: x, y, width and height in maskUnits
// (the box of shapes[first...] in the user space unless userSpaceOnUse, percentages of
// viewport there), -10% and 120% when not given. False when it is empty: then nothing shows.
bool maskRectangle(xmlNode* mask, const std::vector<Shape>& shapes, size_t first,
                   const Matrix& user, Point viewport, Box* box, Matrix* m);

// The map from a clip path's or mask's content to the drawing: user (the referring element's
// space), or with units objectBoundingBox the box of shapes[first...] in that space. False
// when that box is empty: then nothing shows.
bool contentMatrix(xmlNode* source, const char* units, const std::vector<Shape>& shapes,
                   size_t first, const Matrix& user, Matrix* content);

// Where a marker's content lands at place on a path drawn through user with strokeWidth,
// and the viewport it is clipped to (unless its overflow is visible).
struct MarkerLayout {
    Matrix content;
    Matrix viewport;
    Box box;
    bool clipped;
};

MarkerLayout markerLayout(xmlNode* marker, const MarkerPlace& place, const Matrix& user,
                          double strokeWidth);
