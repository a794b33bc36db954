// Dashed strokes as the SVG reader draws them: each subpath cut into the open dashes of
// stroke-dasharray from stroke-dashoffset, so the stroke stage sees plain lines with caps.
#pragma once

#include "drawing.h"

#include <string>
#include <vector>

// stroke-dasharray as lengths in user units (percentages of diagonal); empty for none, for a
// negative length, or for lengths that sum to nothing (all of which draw solid). An odd count
// is repeated to make it even.
std::vector<double> dashPattern(const std::string& value, double diagonal);

// A length as CSS writes it (px, pt, mm, cm, in, pc; em of fontSize; percentages of
// percentOf), otherwise when it cannot be read.
double cssLength(const std::string& value, double fontSize, double percentOf, double otherwise);

// The dashes of subpaths under pattern, starting offset into it; the pattern starts anew on
// every subpath, as viewers draw it. A dash of no length is a dot (a line of no length) for
// round and square caps; on a closed subpath a dash over its start joins the one before.
// False, with subpaths untouched, when more than maxDashes would come of it.
bool dashSubpaths(std::vector<Subpath>* subpaths, const std::vector<double>& pattern,
                  double offset, size_t maxDashes);
