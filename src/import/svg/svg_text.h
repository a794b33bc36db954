// <text> and <tspan> as the SVG reader lays them out: the characters of each element with
// its font and positions, set in runs by the text module and moved by their text-anchor.
#pragma once

#include "drawing.h"

#include <libxml/tree.h>

#include <string>
#include <vector>

// The font properties of an element, inherited along its ancestors as written.
struct TextFont {
    std::string family;
    int weight = 400;
    bool italic = false;
    double size = 12; // user units to the em
    double letterSpacing = 0;
    int anchor = 0; // start, middle, end
};

TextFont textFontOf(xmlNode* node);

// A run set and placed: the subpaths of its glyphs in the text's user space, and which of
// the caller's looks paints it.
struct PlacedRun {
    size_t look;
    std::vector<Subpath> subpaths;
};

class SvgText {
  public:
    // An element's character positions (x, y, dx, dy lists), for the characters within it.
    void enter(xmlNode* node, const TextFont& font, double percentOfWidth, double percentOfHeight);
    void leave();
    // Character data of the innermost element entered, painted by look.
    void add(const std::string& utf8, size_t look, const TextFont& font);
    // The runs set; notes say what font stood in for one not installed, what could not be set.
    std::vector<PlacedRun> layOut(std::vector<std::string>* notes);

  private:
    struct Character {
        std::string utf8;
        size_t look, font;
        bool hasX = false, hasY = false;
        double x = 0, y = 0, dx = 0, dy = 0;
    };
    struct Frame {
        std::vector<double> lists[4]; // x, y, dx, dy
        size_t used = 0;
    };
    std::vector<Character> characters;
    std::vector<TextFont> fonts;
    std::vector<Frame> frames;
    bool space = true; // the last character kept is a space, or none is kept yet
};
