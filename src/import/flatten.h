// Curves to polylines, for the painted regions. Takes a shape's subpaths and transform;
// gives polylines within a tolerance of the curves, straight runs thinned, and what lies far
// outside the working window cut off.
#pragma once

#include "drawing.h"
#include "geometry.h"

#include <vector>

using Polyline = std::vector<Point>;

// Coordinates the geometry stages keep within, in output grid units: far beyond the view,
// and far inside what the integer clipping arithmetic takes.
constexpr double windowReach = 1e8;

// Drawing coordinates past this (or not finite) are taken as broken: the shape is left out.
constexpr double drawingReach = 1e15;

// Whether every point of the shape, through its transform, is finite and within reach.
bool shapeInRange(const Shape& shape);

// Whether the stroke's half width, stretched by the transform, is finite and within reach.
bool strokeInRange(const Shape& shape);

// Largest and smallest stretch of m.
void stretches(const Matrix& m, double* largest, double* smallest);

// The subpath through m, its cubics cut into lines that stay within tolerance of the curve;
// a cubic wholly outside cull (when given) becomes one line, which stays outside it too.
// False when a coordinate is not finite.
bool flattenSubpath(const Subpath& subpath, const Matrix& m, double tolerance, const Box* cull,
                    Polyline* out);

// Drops points where the line runs straight within tolerance (closed: the ring through
// the first point again).
void thinPolyline(Polyline* line, double tolerance, bool closed);

// The whole working window: nothing the stages keep lies outside it.
constexpr Box fullWindow{-windowReach, -windowReach, windowReach, windowReach};

bool withinWindow(const Polyline& line, const Box& window);
// The closed outline cut to the window; the fill inside the window is unchanged.
void clipRingToWindow(Polyline* ring, const Box& window);
// The open line cut to the window grown by margin: the runs of it that lie inside.
std::vector<Polyline> clipLineToWindow(const Polyline& line, const Box& window, double margin);
