// Gradients as the SVG reader takes them: read with their href chains, placed on a shape.
#pragma once

#include "drawing.h"

#include <libxml/tree.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

// A gradient as written, its attributes and stops taken along its href chain, with the mean
// of its stops for where one colour must stand for it.
struct GradientPaint {
    Colour colour{0, 0, 0};
    double opacity = 0;
    Gradient gradient;      // coordinates as written, percentages as fractions; no transform
    bool userSpace = false; // gradientUnits="userSpaceOnUse"
    unsigned percent = 0;   // bit i set: gradientCoordinates[i] was written as a percentage
    std::string transform;  // gradientTransform, read by the geometry pass
};

// x1 y1 x2 y2 cx cy r fx fy, in the order of GradientPaint::percent.
extern double Gradient::*const gradientCoordinates[9];

// The <linearGradient> or <radialGradient> node, its href chain followed through ids.
GradientPaint readGradient(xmlNode* node, const std::map<std::string, xmlNode*>& ids);

// The gradient as it paints subpaths: its space mapped to their user space (through their box
// in bounding-box units), percentages of viewportSize resolved, opacity in its stops. Null
// when bounding-box units meet a box without width or height: nothing is painted.
std::shared_ptr<const Gradient> placeGradient(const GradientPaint& source, double opacity,
                                              Point viewportSize,
                                              const std::vector<Subpath>& subpaths);
