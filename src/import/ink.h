// Colour classes: what a paint becomes in the logo.
#pragma once

#include "drawing.h"
#include "pipeline.h"

enum class Ink { none, white, red, dark };

// none: covers nothing; white: cuts a hole to the background; red: the mark; dark: the rest.
Ink inkOf(const Paint& paint, const InkRules& rules);
