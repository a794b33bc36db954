// An open font and what the text setters do with it: glyph outlines and lines laid out.
#pragma once

#include "drawing.h"
#include "outcome.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <raqm.h>

#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

struct LibraryFree {
    void operator()(FT_Library library) const {
        FT_Done_FreeType(library);
    }
};
struct FaceFree {
    void operator()(FT_Face face) const {
        FT_Done_Face(face);
    }
};
struct LayoutFree {
    void operator()(raqm_t* layout) const {
        raqm_destroy(layout);
    }
};

// An open font: FreeType's face at one pixel per font unit, so that outlines and the shaped
// positions come out in font units times 64, exactly and unhinted.
struct Font {
    std::unique_ptr<std::remove_pointer_t<FT_Library>, LibraryFree> library;
    std::unique_ptr<std::remove_pointer_t<FT_Face>, FaceFree> face;
    std::string name;
};

// Opens face index of the font file at path. Throws ImportError when it cannot be had.
void openFace(const std::string& path, int index, Font* font);

// The glyph's outline in font units (y up), kept in cache.
const std::vector<Subpath>& glyphOutline(const Font& font, unsigned glyph,
                                         std::map<unsigned, std::vector<Subpath>>* cache);

// The glyphs of one line in visual order, left to right.
std::vector<raqm_glyph_t> layOutLine(const Font& font, const std::u32string& line,
                                     TextDirection direction);

// "U+00E3 'ã'": how a character is named in messages.
std::string nameOf(char32_t c);

// The text as Unicode characters. Throws ImportError for invalid UTF-8.
std::u32string decodeUtf8(const std::string& text);
