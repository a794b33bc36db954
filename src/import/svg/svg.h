// Reading an SVG document into shapes and paint.
#pragma once

#include "drawing.h"

#include <string>

// Reads the SVG document in text. Elements that cannot be imported (text, images, filters)
// are left out with a note each. Throws ImportError, with the line, for malformed XML or SVG.
Drawing readSvg(const std::string& text);
