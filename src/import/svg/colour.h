// Colours as SVG and CSS write them.
#pragma once

#include "drawing.h"

#include <string>

// Parses an SVG colour: a name, #rgb, #rrggbb or rgb(...). False when text is none of them.
bool parseColour(const std::string& text, Colour* colour);
