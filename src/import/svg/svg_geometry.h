// Geometry the SVG reader needs beyond its traversal: arcs as cubics, outline boxes for
// bounding-box units, where markers stand on a path, and viewBox maps.
#pragma once

#include "drawing.h"

#include <string>
#include <vector>

// An elliptical arc from from to to as SVG draws it: cubics, a line when a radius is zero,
// nothing when the ends meet.
std::vector<Segment> arcSegments(Point from, double rx, double ry, double rotation, bool largeArc,
                                 bool sweep, Point to);

// The box of the outlines of shapes[first...] through m (curves by their extremes, strokes
// not widened); false when there is none.
bool outlineBounds(const std::vector<Shape>& shapes, size_t first, const Matrix& m, Box* box);

// The same for subpaths in their own space.
bool subpathBounds(const std::vector<Subpath>& subpaths, Box* box);

enum class MarkerKind { start, mid, end };

// A vertex of a path that carries a marker, and the direction there (radians, y down): the
// path's own at the ends, halfway between the incoming and outgoing ones between.
struct MarkerPlace {
    Point at;
    double angle;
    MarkerKind kind;
};

std::vector<MarkerPlace> markerPlaces(const std::vector<Subpath>& subpaths);

// The map of a viewBox ("x y width height") into a viewport of width by height at the
// origin, aligned by preserveAspectRatio; identity without a usable viewBox.
Matrix viewBoxMatrix(const std::string& viewBox, const std::string& preserveAspectRatio,
                     double width, double height);
