// Numbers as minifiers write them, without separators, made plain for svgpp's grammars.
#pragma once

#include <libxml/tree.h>

#include <string>

// The numbers of text with a space between any two that touch: "2-1" is 2 -1 and "45.5.5" is
// 45.5 .5, as viewers read them.
std::string separateNumbers(const std::string& text);

// The same for the transform, points and viewBox of node, its siblings after it and all
// their descendants.
void separateNumbers(xmlNode* node);
