// What every stage of the importer is handed: the logo's parts, each a drawing of its own,
// and the fill colours forced into a class.
#pragma once

#include "drawing.h"

#include <string>
#include <vector>

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
