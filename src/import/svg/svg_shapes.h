// The SVG reader's state and the shapes it adds: its limits and notes, paths built segment by
// segment, painted shapes with their dashes, and the runs of a <text> painted.
#pragma once

#include "drawing.h"
#include "svg_gradient.h"
#include "svg_style.h"
#include "svg_text.h"

#include <libxml/tree.h>

#include <map>
#include <string>
#include <vector>

// Past these the input is no logo: coordinates stay far inside what the later stages can
// square and sum, and the segments within memory.
constexpr double largestCoordinate = 1e9;
constexpr size_t maxSegments = 2000000;
// Dashes a drawing may be cut into; past this a dashed stroke is drawn solid, with a note.
constexpr size_t maxDashes = 100000;
// Clip paths, masks and markers read within one another; past this they refer in a loop.
constexpr int maxNesting = 8;
// Pieces of character data one <text> may hold, each with its own look.
constexpr size_t maxTextLooks = 10000;

struct ReadState {
    Drawing drawing;
    const std::map<std::string, GradientPaint>* gradients;
    int line = 0; // of the element being read
    size_t segments = 0;
    size_t dashes = 0;
    bool root = true;                               // the next viewport is the root's
    const std::map<std::string, xmlNode*>* sources; // clip paths, masks, markers by id
    int nesting = 0;
    bool clipping = false; // reading a clip path: outlines only, filled by their clip-rule
};

// A note on the element being read, said once.
void addNote(ReadState& state, const std::string& what);

// The notes of a clip path, mask or marker read apart, each said once in outer.
void addNotes(ReadState& outer, const std::vector<std::string>& notes);

// Throws, on the element being read, for a number the later stages cannot take.
void checkNumber(const ReadState& state, double value);

// A path as its commands come, in absolute coordinates, numbers and segments checked.
struct PathBuilder {
    std::vector<Subpath> subpaths;

    void moveTo(const ReadState& state, Point to);
    void add(ReadState& state, const Segment& segment);
    void close();
    Point current() const;
    // Subpaths with nothing drawn left out; a closed one without segments kept as a dot.
    void finish();
};

// A shape of subpaths painted as look says: its fill, then its stroke (dashed apart).
void addPainted(ReadState& state, std::vector<Subpath> subpaths, const Look& look);

// A <text> being read: its layout and the looks its characters are painted in.
struct TextBeingRead {
    SvgText layout;
    std::vector<Look> looks;
};

// The next text or CDATA node among element's children after last (from the first when
// last is null); null when there is none.
xmlNode* nextTextNode(xmlNode* element, xmlNode* last);

// The characters of textNode in font, painted by look; left out past maxTextLooks.
void addCharacters(TextBeingRead* text, xmlNode* textNode, Look look, const TextFont& font);

// The text set, its runs added as shapes and its notes said.
void paintText(ReadState& state, TextBeingRead* text);
