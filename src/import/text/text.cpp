// Setting the name: the font found through fontconfig (or read from a file), each line laid out
// by raqm (the bidirectional algorithm, then each run shaped by HarfBuzz in its own direction
// and script) and the glyph outlines taken unhinted from FreeType, one filled shape per glyph;
// and placing the set name under the mark.
#include "text.h"

#include "font.h"
#include "geometry.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H
#include <raqm.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>

namespace {

// A logo's name is a few words; these bounds keep a pasted document from filling memory with
// outlines that could never fit the logo's tables anyway.
constexpr size_t longestLine = 1000;
constexpr size_t mostLines = 100;
constexpr size_t mostCharacters = 10000;

} // namespace

// "U+00E3 'ã'": how a character is named in messages.
std::string nameOf(char32_t c) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
    std::string name = code;
    if (c < 0x20 || (c >= 0x7f && c < 0xa0)) {
        return name;
    }
    std::string utf8;
    if (c < 0x80) {
        utf8 = static_cast<char>(c);
    } else if (c < 0x800) {
        utf8 = {static_cast<char>(0xc0 | c >> 6), static_cast<char>(0x80 | (c & 0x3f))};
    } else if (c < 0x10000) {
        utf8 = {static_cast<char>(0xe0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3f)),
                static_cast<char>(0x80 | (c & 0x3f))};
    } else {
        utf8 = {static_cast<char>(0xf0 | c >> 18), static_cast<char>(0x80 | (c >> 12 & 0x3f)),
                static_cast<char>(0x80 | (c >> 6 & 0x3f)), static_cast<char>(0x80 | (c & 0x3f))};
    }
    return name + " '" + utf8 + "'";
}

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
std::u32string decodeUtf8(const std::string& text) {
    std::u32string out;
    size_t i = 0;
    while (i < text.size()) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        int more = lead < 0x80                   ? 0
                   : lead >= 0xc2 && lead < 0xe0 ? 1
                   : (lead & 0xf0) == 0xe0       ? 2
                   : lead >= 0xf0 && lead < 0xf5 ? 3
                                                 : -1;
        char32_t c = more == 0   ? lead
                     : more == 1 ? lead & 0x1f
                     : more == 2 ? lead & 0x0f
                                 : lead & 7;
        for (int k = 1; more > 0 && k <= more; ++k) {
            unsigned char next = i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0;
            if ((next & 0xc0) != 0x80) {
                more = -1;
                break;
            }
            c = c << 6 | (next & 0x3f);
        }
        if (more < 0 || (more == 2 && (c < 0x800 || (c >= 0xd800 && c < 0xe000))) ||
            (more == 3 && (c < 0x10000 || c > 0x10ffff))) {
            throw ImportError(0, "--text: not valid UTF-8 (at byte " + std::to_string(i + 1) + ")");
        }
        out += c;
        i += more + 1;
    }
    return out;
}

namespace {

// The lines to set: a newline, or the two characters backslash and n as a shell passes them,
// breaks a line; tabs become spaces, spaces at either end of a line are dropped, and so are
// empty lines before the first and after the last.
std::vector<std::u32string> splitLines(const std::vector<std::string>& texts) {
    std::vector<std::u32string> lines;
    size_t characters = 0;
    size_t bytes = 0;
    for (const std::string& text : texts) {
        // Four bytes a character at most, and room for the breaks: checked before decoding.
        if ((bytes += text.size()) > 4 * mostCharacters + 4 * mostLines) {
            throw ImportError(0, "--text: more than " + std::to_string(mostCharacters) +
                                     " characters: not a name");
        }
        std::u32string line;
        std::u32string all = decodeUtf8(text);
        for (size_t i = 0; i <= all.size(); ++i) {
            char32_t c = i < all.size() ? all[i] : U'\n';
            if (c == U'\\' && i + 1 < all.size() && all[i + 1] == U'n') {
                ++i;
                c = U'\n';
            } else if (c == U'\r' && i + 1 < all.size() && all[i + 1] == U'\n') {
                continue;
            }
            if (c == U'\n') {
                size_t first = line.find_first_not_of(U' ');
                lines.push_back(first == line.npos
                                    ? std::u32string()
                                    : line.substr(first, line.find_last_not_of(U' ') - first + 1));
                line.clear();
                if (lines.size() > mostLines) {
                    throw ImportError(0, "--text: more than " + std::to_string(mostLines) +
                                             " lines: not a name");
                }
                continue;
            }
            if (c == U'\t') {
                c = U' ';
            } else if (c < 0x20 || (c >= 0x7f && c < 0xa0)) {
                throw ImportError(0, "--text: control character " + nameOf(c));
            }
            line += c;
            if (line.size() > longestLine || ++characters > mostCharacters) {
                throw ImportError(
                    0,
                    "--text: more than " +
                        std::to_string(line.size() > longestLine ? longestLine : mostCharacters) +
                        " characters: not a name");
            }
        }
    }
    while (!lines.empty() && lines.back().empty()) {
        lines.pop_back();
    }
    lines.erase(lines.begin(), std::find_if(lines.begin(), lines.end(),
                                            [](const std::u32string& l) { return !l.empty(); }));
    if (lines.empty()) {
        throw ImportError(0, "--text: nothing to set (the text is empty or only spaces)");
    }
    return lines;
}

struct PatternFree {
    void operator()(FcPattern* pattern) const {
        FcPatternDestroy(pattern);
    }
};
using PatternPointer = std::unique_ptr<FcPattern, PatternFree>;

struct FontFile {
    std::string path;
    int index = 0;
};

std::string familiesOf(FcPattern* pattern, std::vector<std::string>* list) {
    std::string joined;
    FcChar8* family;
    for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &family) == FcResultMatch; ++i) {
        list->push_back(reinterpret_cast<const char*>(family));
        joined += (i > 0 ? ", " : "") + list->back();
    }
    return joined;
}

// The font a pattern names, or the file a path names. Fontconfig answers every pattern with
// some font: a pattern without a family, or an answer of another family, is refused, not set.
FontFile findFont(const std::string& font) {
    struct stat status;
    bool exists = stat(font.c_str(), &status) == 0;
    if (exists && S_ISREG(status.st_mode)) {
        return {font, 0};
    }
    // A pipe or a device would be waited on or read without end: only files are fonts.
    if (exists) {
        throw ImportError(0, "--font: " + font + ": not a font file");
    }
    if (font.find('/') != font.npos) {
        throw ImportError(0, "--font: no such font file: " + font);
    }
    PatternPointer pattern(FcNameParse(reinterpret_cast<const FcChar8*>(font.c_str())));
    if (!pattern) {
        throw ImportError(0, "--font: '" + font + "' is not a fontconfig pattern");
    }
    std::vector<std::string> asked;
    familiesOf(pattern.get(), &asked);
    // Without a family fontconfig would answer with its default one, whatever it is.
    if (asked.empty()) {
        throw ImportError(0, "--font: '" + font +
                                 "' names no family: give one (as in \"DejaVu Sans:bold\") "
                                 "or a font file");
    }
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result;
    PatternPointer match(FcFontMatch(nullptr, pattern.get(), &result));
    FcChar8* file;
    if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch) {
        throw ImportError(0, "--font: no font matches '" + font + "'");
    }
    std::vector<std::string> found;
    std::string foundNames = familiesOf(match.get(), &found);
    bool same = false;
    for (const std::string& a : asked) {
        for (const std::string& f : found) {
            same = same || FcStrCmpIgnoreCase(reinterpret_cast<const FcChar8*>(a.c_str()),
                                              reinterpret_cast<const FcChar8*>(f.c_str())) == 0;
        }
    }
    if (!same) {
        throw ImportError(0, "--font: no font of the family '" + asked.front() +
                                 "' is installed (fontconfig offers " + foundNames + ", " +
                                 reinterpret_cast<const char*>(file) + ")");
    }
    int index = 0;
    FcPatternGetInteger(match.get(), FC_INDEX, 0, &index);
    return {reinterpret_cast<const char*>(file), index};
}

} // namespace

void openFace(const std::string& path, int index, Font* font) {
    FontFile file{path, index};
    FT_Library library;
    if (FT_Init_FreeType(&library) != 0) {
        throw ImportError(0, "FreeType cannot start");
    }
    font->library.reset(library);
    FT_Face face;
    if (FT_New_Face(library, file.path.c_str(), file.index, &face) != 0) {
        throw ImportError(0, "--font: " + file.path + ": not a font FreeType can read");
    }
    font->face.reset(face);
    font->name = std::string(face->family_name ? face->family_name : "?") + " " +
                 (face->style_name ? face->style_name : "");
    if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) {
        throw ImportError(0, "--font: " + font->name + " (" + file.path + ") has no outlines");
    }
    if (FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(face->units_per_EM) * 64, 72, 72) != 0) {
        throw ImportError(0, "--font: " + font->name + ": cannot be sized");
    }
}

namespace {

void openFont(const std::string& pattern, Font* font) {
    FontFile file = findFont(pattern);
    openFace(file.path, file.index, font);
}

} // namespace

namespace {

// Outline decomposition into a shape's subpaths, in font units. A conic (quadratic) segment
// is the cubic with its control point taken two thirds of the way towards each end.
struct Outline {
    std::vector<Subpath> subpaths;
    Point current{0, 0};
};

Point pointOf(const FT_Vector* v) {
    return {v->x / 64.0, v->y / 64.0};
}

int moveTo(const FT_Vector* to, void* user) {
    Outline* outline = static_cast<Outline*>(user);
    outline->current = pointOf(to);
    outline->subpaths.push_back({outline->current, {}, true});
    return 0;
}

int lineTo(const FT_Vector* to, void* user) {
    Outline* outline = static_cast<Outline*>(user);
    outline->current = pointOf(to);
    outline->subpaths.back().segments.push_back({false, {}, {}, outline->current});
    return 0;
}

int conicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
    Outline* outline = static_cast<Outline*>(user);
    Point p0 = outline->current, q = pointOf(control), p1 = pointOf(to);
    Point c1{p0.x + 2 * (q.x - p0.x) / 3, p0.y + 2 * (q.y - p0.y) / 3};
    Point c2{p1.x + 2 * (q.x - p1.x) / 3, p1.y + 2 * (q.y - p1.y) / 3};
    outline->current = p1;
    outline->subpaths.back().segments.push_back({true, c1, c2, p1});
    return 0;
}

int cubicTo(const FT_Vector* control1, const FT_Vector* control2, const FT_Vector* to, void* user) {
    Outline* outline = static_cast<Outline*>(user);
    outline->current = pointOf(to);
    outline->subpaths.back().segments.push_back(
        {true, pointOf(control1), pointOf(control2), outline->current});
    return 0;
}

} // namespace

const std::vector<Subpath>& glyphOutline(const Font& font, unsigned glyph,
                                         std::map<unsigned, std::vector<Subpath>>* cache) {
    auto known = cache->find(glyph);
    if (known != cache->end()) {
        return known->second;
    }
    FT_Face face = font.face.get();
    if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0 ||
        face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) {
        throw ImportError(0, "--font: " + font.name + ": glyph " + std::to_string(glyph) +
                                 " has no outline");
    }
    static const FT_Outline_Funcs funcs = {moveTo, lineTo, conicTo, cubicTo, 0, 0};
    Outline outline;
    if (FT_Outline_Decompose(&face->glyph->outline, &funcs, &outline) != 0) {
        throw ImportError(0, "--font: " + font.name + ": glyph " + std::to_string(glyph) +
                                 " has a broken outline");
    }
    return (*cache)[glyph] = std::move(outline.subpaths);
}

namespace {

// The height of capitals in font units: the font's own figure, else the height of its H.
double capHeight(const Font& font) {
    FT_Face face = font.face.get();
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xffff && os2->version >= 2 && os2->sCapHeight > 0) {
        return os2->sCapHeight;
    }
    FT_UInt h = FT_Get_Char_Index(face, 'H');
    if (h != 0 && FT_Load_Glyph(face, h, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) == 0 &&
        face->glyph->format == FT_GLYPH_FORMAT_OUTLINE) {
        FT_BBox box;
        FT_Outline_Get_CBox(&face->glyph->outline, &box);
        if (box.yMax > 0) {
            return box.yMax / 64.0;
        }
    }
    return face->ascender > 0 ? 0.7 * face->ascender : 0.7 * face->units_per_EM;
}

} // namespace

// The glyphs of one line in visual order, left to right.
std::vector<raqm_glyph_t> layOutLine(const Font& font, const std::u32string& line,
                                     TextDirection direction) {
    std::unique_ptr<raqm_t, LayoutFree> layout(raqm_create());
    raqm_direction_t paragraph = direction == TextDirection::leftToRight   ? RAQM_DIRECTION_LTR
                                 : direction == TextDirection::rightToLeft ? RAQM_DIRECTION_RTL
                                                                           : RAQM_DIRECTION_DEFAULT;
    size_t count = 0;
    raqm_glyph_t* glyphs = nullptr;
    if (layout &&
        raqm_set_text(layout.get(), reinterpret_cast<const uint32_t*>(line.data()), line.size()) &&
        raqm_set_par_direction(layout.get(), paragraph) &&
        raqm_set_freetype_face(layout.get(), font.face.get()) &&
        raqm_set_freetype_load_flags(layout.get(), FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) &&
        raqm_layout(layout.get())) {
        glyphs = raqm_get_glyphs(layout.get(), &count);
    }
    if (glyphs == nullptr) {
        throw ImportError(0, "--text: the text layout library cannot lay out the line");
    }
    return std::vector<raqm_glyph_t>(glyphs, glyphs + count);
}

namespace {

// Lays out one line and appends a shape per glyph whose pen starts at the line's centre less
// half its advance, on the baseline at y (font units, y down).
void setLine(const Font& font, const std::u32string& line, TextDirection direction, int number,
             double y, double unit, std::map<unsigned, std::vector<Subpath>>* cache,
             Drawing* drawing) {
    if (line.empty()) {
        return;
    }
    std::vector<raqm_glyph_t> glyphs = layOutLine(font, line, direction);
    double advance = 0;
    for (const raqm_glyph_t& glyph : glyphs) {
        if (glyph.index == 0) {
            throw ImportError(0,
                              "--font: " + font.name + " has no glyph for " +
                                  nameOf(line[std::min<size_t>(glyph.cluster, line.size() - 1)]));
        }
        advance += glyph.x_advance / 64.0;
    }
    double x = -advance / 2;
    for (const raqm_glyph_t& glyph : glyphs) {
        const std::vector<Subpath>& outline = glyphOutline(font, glyph.index, cache);
        if (!outline.empty()) {
            Shape shape;
            shape.subpaths = outline;
            // Font units, y up, to the name's units: capitals one high, y down.
            shape.transform = {unit,
                               0,
                               0,
                               -unit,
                               unit * (x + glyph.x_offset / 64.0),
                               unit * (y - glyph.y_offset / 64.0)};
            shape.fill = {true, {0, 0, 0}, 1, {}};
            shape.line = number;
            drawing->shapes.push_back(std::move(shape));
        }
        x += glyph.x_advance / 64.0;
    }
}

// Where a shape's curves reach in the drawing's space: the ends of its segments and the
// extremes of its cubics, widened by half its stroke (joins and caps not counted).
void extendBounds(const Shape& shape, Box* box) {
    const Matrix& m = shape.transform;
    auto map = [&m](Point p) { return applyMatrix(m, p); };
    double half = shape.stroke.set && shape.stroke.opacity > 0 ? shape.strokeWidth / 2 : 0;
    double wideX = half * std::hypot(m.a, m.c), wideY = half * std::hypot(m.b, m.d);
    auto take = [&](Point p) {
        box->x0 = std::min(box->x0, p.x - wideX);
        box->x1 = std::max(box->x1, p.x + wideX);
        box->y0 = std::min(box->y0, p.y - wideY);
        box->y1 = std::max(box->y1, p.y + wideY);
    };
    for (const Subpath& subpath : shape.subpaths) {
        Point from = map(subpath.start);
        take(from);
        for (const Segment& segment : subpath.segments) {
            Point p[4] = {from, map(segment.control1), map(segment.control2), map(segment.end)};
            take(p[3]);
            if (segment.cubic) {
                for (Point extreme : cubicExtremes(p)) {
                    take(extreme);
                }
            }
            from = p[3];
        }
    }
}

// The part of a drawing that shows: its clip box, else the reach of its painted shapes.
bool visibleBounds(const Drawing& drawing, Box* box) {
    if (drawing.clipped) {
        *box = drawing.clip;
        return box->x1 > box->x0 || box->y1 > box->y0;
    }
    *box = {HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (const Shape& shape : drawing.shapes) {
        if ((shape.fill.set && shape.fill.opacity > 0) ||
            (shape.stroke.set && shape.stroke.opacity > 0 && shape.strokeWidth > 0)) {
            extendBounds(shape, box);
        }
    }
    return box->x1 >= box->x0 && std::isfinite(box->x1 - box->x0) &&
           std::isfinite(box->y1 - box->y0);
}

} // namespace

Drawing setText(const std::vector<std::string>& texts, const std::string& fontPattern,
                TextDirection direction) {
    std::vector<std::u32string> lines = splitLines(texts);
    Font font;
    openFont(fontPattern, &font);
    FT_Face face = font.face.get();
    double spacing = face->height > 0 ? face->height : 1.2 * face->units_per_EM;
    double unit = 1 / capHeight(font);
    std::map<unsigned, std::vector<Subpath>> cache;
    Drawing drawing;
    drawing.clipped = false;
    drawing.capitals = 1;
    for (size_t i = 0; i < lines.size(); ++i) {
        setLine(font, lines[i], direction, static_cast<int>(i + 1), i * spacing, unit, &cache,
                &drawing);
    }
    if (drawing.shapes.empty()) {
        throw ImportError(0, "--text: nothing visible to set");
    }
    return drawing;
}

// The sample's proportions: capitals 0.27 of the mark's height, 0.6 of a capital between mark
// and name; the name at least 0.75 of the mark's width, unless its capitals would pass half
// the mark's larger side (a name of one narrow letter), and at most three times that side,
// however long it is.
void placeUnder(const Drawing& mark, Drawing* name) {
    Box under, ink;
    if (!visibleBounds(mark, &under) || !visibleBounds(*name, &ink)) {
        return;
    }
    double width = under.x1 - under.x0, height = under.y1 - under.y0;
    double inkWidth = ink.x1 - ink.x0;
    // The name comes from setText with capitals one unit high, so scale is the capital height.
    double scale = 0.27 * height;
    if (inkWidth > 0) {
        scale = std::max(scale, 0.75 * width / inkWidth);
        scale = std::min(scale, 0.5 * std::max(width, height));
        scale = std::min(scale, 3 * std::max(width, height) / inkWidth);
    }
    if (!(scale > 0)) {
        return;
    }
    double dx = (under.x0 + under.x1) / 2 - scale * (ink.x0 + ink.x1) / 2;
    double dy = under.y1 + 0.6 * scale - scale * ink.y0;
    name->capitals *= scale;
    for (Shape& shape : name->shapes) {
        Matrix& m = shape.transform;
        m = {scale * m.a, scale * m.b,      scale * m.c,
             scale * m.d, scale * m.e + dx, scale * m.f + dy};
    }
}
