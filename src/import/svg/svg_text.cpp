// SVG text laid out: white space collapsed as viewers do by default, positions given per
// character by the innermost element that gives one, runs cut where the font, the paint or
// the position changes, chunks anchored where an absolute position starts one.
#include "svg_text.h"

#include "svg_dash.h"
#include "text.h"
#include "xml_tree.h"

#include <cmath>
#include <set>

namespace {

std::string inheritedAttribute(xmlNode* node, const char* name, xmlNode** from = nullptr) {
    for (; node != nullptr && node->type == XML_ELEMENT_NODE; node = node->parent) {
        std::string value = trim(attribute(node, name));
        if (!value.empty() && value != "inherit") {
            if (from) {
                *from = node;
            }
            return value;
        }
    }
    return "";
}

double fontSizeOf(xmlNode* node, int depth = 0) {
    xmlNode* from = nullptr;
    std::string value = lower(inheritedAttribute(node, "font-size", &from));
    if (value.empty() || depth > 50) {
        return 12;
    }
    const std::pair<const char*, double> keywords[] = {
        {"xx-small", 9}, {"x-small", 10}, {"small", 13}, {"medium", 16},
        {"large", 18},   {"x-large", 24}, {"xx-large", 32}};
    for (const auto& [word, size] : keywords) {
        if (value == word) {
            return size;
        }
    }
    double parent = fontSizeOf(from->parent, depth + 1);
    double size = cssLength(value, parent, parent, parent);
    return std::isfinite(size) && size >= 0 && size < 1e6 ? size : parent;
}

std::vector<double> lengthList(const std::string& value, double fontSize, double percentOf) {
    std::vector<double> list;
    std::string text = value;
    for (char& c : text) {
        c = c == ',' ? ' ' : c;
    }
    size_t at = 0;
    while (at < text.size() && list.size() < 10000) {
        size_t end = text.find_first_of(" \t\r\n", at);
        std::string word = text.substr(at, end == std::string::npos ? end : end - at);
        at = end == std::string::npos ? text.size() : end + 1;
        double length = cssLength(word, fontSize, percentOf, NAN);
        if (!word.empty() && std::isfinite(length) && std::fabs(length) < 1e9) {
            list.push_back(length);
        }
    }
    return list;
}

} // namespace

TextFont textFontOf(xmlNode* node) {
    TextFont font;
    font.family = inheritedAttribute(node, "font-family");
    std::string weight = lower(inheritedAttribute(node, "font-weight"));
    font.weight = weight == "bold" || weight == "bolder" ? 700
                  : std::atoi(weight.c_str()) > 0      ? std::atoi(weight.c_str())
                                                       : 400;
    std::string style = lower(inheritedAttribute(node, "font-style"));
    font.italic = style == "italic" || style == "oblique";
    font.size = fontSizeOf(node);
    font.letterSpacing = cssLength(inheritedAttribute(node, "letter-spacing"), font.size, font.size, 0);
    std::string anchor = lower(inheritedAttribute(node, "text-anchor"));
    font.anchor = anchor == "middle" ? 1 : anchor == "end" ? 2 : 0;
    return font;
}

void SvgText::enter(xmlNode* node, const TextFont& font, double width, double height) {
    Frame frame;
    const char* names[4] = {"x", "y", "dx", "dy"};
    for (int k = 0; k < 4; ++k) {
        frame.lists[k] = lengthList(attribute(node, names[k]), font.size, k % 2 ? height : width);
    }
    frames.push_back(std::move(frame));
}

void SvgText::leave() {
    if (!frames.empty()) {
        frames.pop_back();
    }
}

void SvgText::add(const std::string& utf8, size_t look, const TextFont& font) {
    if (fonts.empty() || fonts.back().family != font.family || fonts.back().size != font.size ||
        fonts.back().weight != font.weight || fonts.back().italic != font.italic ||
        fonts.back().letterSpacing != font.letterSpacing || fonts.back().anchor != font.anchor) {
        fonts.push_back(font);
    }
    for (size_t i = 0; i < utf8.size() && characters.size() < 10000;) {
        unsigned char lead = static_cast<unsigned char>(utf8[i]);
        size_t length = lead < 0x80 ? 1 : lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc0 ? 2 : 1;
        std::string c = utf8.substr(i, length);
        i += length;
        if (c == "\n" || c == "\r") {
            continue;
        }
        bool blank = c == " " || c == "\t";
        if (blank && space) {
            continue;
        }
        space = blank;
        Character character{blank ? " " : c, look, fonts.size() - 1};
        for (int k = 0; k < 4; ++k) {
            for (auto frame = frames.rbegin(); frame != frames.rend(); ++frame) {
                if (frame->used < frame->lists[k].size()) {
                    double value = frame->lists[k][frame->used];
                    double* targets[4] = {&character.x, &character.y, &character.dx, &character.dy};
                    *targets[k] = value;
                    character.hasX = character.hasX || k == 0;
                    character.hasY = character.hasY || k == 1;
                    break;
                }
            }
        }
        for (Frame& frame : frames) {
            ++frame.used;
        }
        characters.push_back(std::move(character));
    }
}

std::vector<PlacedRun> SvgText::layOut(std::vector<std::string>* notes) {
    while (!characters.empty() && characters.back().utf8 == " ") {
        characters.pop_back();
    }
    std::vector<PlacedRun> runs;
    std::set<std::string> said;
    auto note = [&](const std::string& what) {
        if (said.insert(what).second) {
            notes->push_back(what);
        }
    };
    Point pen{0, 0};
    size_t chunk = 0; // the first run of the chunk being set
    double chunkStart = 0;
    int chunkAnchor = 0;
    auto finishChunk = [&]() {
        double shift = chunkAnchor == 1 ? -(pen.x - chunkStart) / 2
                       : chunkAnchor == 2 ? -(pen.x - chunkStart)
                                          : 0;
        for (size_t r = chunk; r < runs.size() && shift != 0; ++r) {
            for (Subpath& subpath : runs[r].subpaths) {
                subpath.start.x += shift;
                for (Segment& s : subpath.segments) {
                    s.control1.x += shift;
                    s.control2.x += shift;
                    s.end.x += shift;
                }
            }
        }
        chunk = runs.size();
    };
    for (size_t i = 0; i < characters.size();) {
        const Character& first = characters[i];
        if (i == 0 || first.hasX || first.hasY) {
            finishChunk();
            pen.x = first.hasX ? first.x : pen.x;
            pen.y = first.hasY ? first.y : pen.y;
            chunkStart = pen.x + first.dx;
            chunkAnchor = fonts[first.font].anchor;
        }
        pen.x += first.dx;
        pen.y += first.dy;
        std::string text = first.utf8;
        size_t j = i + 1;
        for (; j < characters.size(); ++j) {
            const Character& c = characters[j];
            if (c.look != first.look || c.font != first.font || c.hasX || c.hasY || c.dx != 0 ||
                c.dy != 0) {
                break;
            }
            text += c.utf8;
        }
        const TextFont& font = fonts[first.font];
        try {
            TextRun run = setRun(font.family, font.weight, font.italic, font.size,
                                 font.letterSpacing, text);
            if (run.substituted) {
                note("the font '" + font.family + "' is not installed: set in " + run.font);
            }
            if (!run.missing.empty()) {
                note(run.font + " has no glyph for " + run.missing + ": drawn as its blank");
            }
            for (Subpath& subpath : run.subpaths) {
                subpath.start = {subpath.start.x + pen.x, subpath.start.y + pen.y};
                for (Segment& s : subpath.segments) {
                    for (Point* p : {&s.control1, &s.control2, &s.end}) {
                        *p = {p->x + pen.x, p->y + pen.y};
                    }
                }
            }
            pen.x += run.advance;
            runs.push_back({first.look, std::move(run.subpaths)});
        } catch (const ImportError& error) {
            note(std::string("text cannot be set: ") + error.what() + "; left out");
        }
        i = j;
    }
    finishChunk();
    return runs;
}
