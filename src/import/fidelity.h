// The fidelity. Takes the drawing (flattened at the finest tolerance) and the tables; gives,
// for each part and for all of them, the exact area where the written sections and the
// drawing overlap over the area of their union.
#pragma once

#include "stages.h"

#include <vector>

Fidelity fidelityOf(size_t partCount, const std::vector<Region>& drawing, const Layout& layout);
