// The style cascade: <style> sheets, style= and presentation attributes, resolved into
// presentation attributes on every SVG element.
#pragma once

#include "xml_tree.h"

// Applies every text/css sheet under root and each element's style= to the elements below
// root. Throws ImportError when the sheets are too large to apply.
void applyStyleSheets(xmlNode* root, Notes* notes);
