// The tracer's two halves: a picture's inks with each pixel's share of them (inks.cpp), and
// the outlines where a share crosses one half, fitted with lines and curves (contour.cpp).
#pragma once

#include "drawing.h"
#include "picture.h"

#include <cstdint>
#include <vector>

struct PictureInk {
    Colour colour;
    long pixels = 0;   // flat pixels of this colour
    bool hole = false; // near white: shows the background
};

// Every pixel explained as one ink, or two mixed by anti-aliasing: first covers share of it,
// second the rest. Ink 0 is the white background.
struct Unmixed {
    int width = 0, height = 0;
    std::vector<PictureInk> inks;
    std::vector<uint8_t> first, second;
    std::vector<float> share;
    long unexplained = 0; // pixels no mixture of two inks comes near
    long mixed = 0;       // pixels between inks
    int coloursSeen = 0;  // flat colours before anti-aliased mixtures were set aside
};

// The picture's flat inks, found among its pixels within the tolerance (wider for JPEG),
// and each pixel unmixed against them.
Unmixed unmix(const Picture& picture, bool lossy);

// One dark ink from a darkness threshold (0 white to 1 black), for scans and photographs:
// the share follows the darkness around the threshold.
Unmixed threshold(const Picture& picture, double darkness);

// A field of values at pixel centres (rows top to bottom), zero all around it.
struct Field {
    int width, height;
    std::vector<float> values;
    float at(int x, int y) const {
        return x < 0 || y < 0 || x >= width || y >= height
                   ? 0.0f
                   : values[static_cast<size_t>(y) * width + x];
    }
};

struct Outlines {
    std::vector<Subpath> subpaths; // in pixel units, y down; holes run the other way
    long crossings = 0;            // edges of the grid the outlines cross
    long shallow = 0;              // of those, where the field changes slowly: shading
};

// The outlines where the field crosses one half, at sub-pixel points; rings enclosing less
// than speckle square pixels are dropped; the rest simplified within tolerance pixels and
// fitted with straight runs and curves.
Outlines traceField(const Field& field, double speckle, double tolerance);
