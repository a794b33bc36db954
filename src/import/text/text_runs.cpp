// Runs of an SVG file's text: the font fontconfig matches best (as a viewer takes it, another
// family when the one asked is not installed), the run laid out by raqm, the glyph outlines
// placed on the pen in user units.
#include "font.h"
#include "text.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>

namespace {

struct PatternFree {
    void operator()(FcPattern* pattern) const {
        FcPatternDestroy(pattern);
    }
};

std::string unquoted(std::string name) {
    size_t begin = name.find_first_not_of(" \t\r\n'\""), end = name.find_last_not_of(" \t\r\n'\"");
    return begin == std::string::npos ? "" : name.substr(begin, end - begin + 1);
}

bool generic(const std::string& family) {
    std::string f = family;
    std::transform(f.begin(), f.end(), f.begin(), [](unsigned char c) { return std::tolower(c); });
    return f == "serif" || f == "sans-serif" || f == "monospace" || f == "cursive" ||
           f == "fantasy" || f == "system-ui" || f == "sans";
}

} // namespace

TextRun setRun(const std::string& families, int weight, bool italic, double size,
               double letterSpacing, const std::string& text) {
    std::unique_ptr<FcPattern, PatternFree> pattern(FcPatternCreate());
    std::vector<std::string> asked;
    size_t at = 0;
    while (at <= families.size()) {
        size_t comma = families.find(',', at);
        std::string family = unquoted(families.substr(at, comma == std::string::npos ? comma
                                                                                    : comma - at));
        if (!family.empty()) {
            asked.push_back(family);
            FcPatternAddString(pattern.get(), FC_FAMILY,
                               reinterpret_cast<const FcChar8*>(family.c_str()));
        }
        at = comma == std::string::npos ? families.size() + 1 : comma + 1;
    }
    if (asked.empty()) {
        asked.push_back("serif"); // a viewer's default family
        FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>("serif"));
    }
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, FcWeightFromOpenType(std::clamp(weight, 1, 1000)));
    FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result;
    std::unique_ptr<FcPattern, PatternFree> match(FcFontMatch(nullptr, pattern.get(), &result));
    FcChar8* file = nullptr;
    FcChar8* found = nullptr;
    if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch) {
        throw ImportError(0, "no font matches the family '" + families + "'");
    }
    int index = 0;
    FcPatternGetInteger(match.get(), FC_INDEX, 0, &index);
    Font font;
    openFace(reinterpret_cast<const char*>(file), index, &font);
    TextRun run;
    run.font = font.name;
    if (FcPatternGetString(match.get(), FC_FAMILY, 0, &found) == FcResultMatch) {
        run.substituted = !generic(asked.front()) &&
                          FcStrCmpIgnoreCase(found, reinterpret_cast<const FcChar8*>(
                                                        asked.front().c_str())) != 0;
    }
    std::u32string characters = decodeUtf8(text);
    if (characters.empty()) {
        return run;
    }
    double scale = size / font.face->units_per_EM;
    std::map<unsigned, std::vector<Subpath>> cache;
    double pen = 0;
    for (const raqm_glyph_t& glyph : layOutLine(font, characters, TextDirection::fromText)) {
        if (glyph.index == 0 && run.missing.empty()) {
            run.missing = nameOf(characters[std::min<size_t>(glyph.cluster, characters.size() - 1)]);
        }
        double x = pen + glyph.x_offset / 64.0, y = glyph.y_offset / 64.0;
        for (Subpath subpath : glyphOutline(font, glyph.index, &cache)) {
            auto place = [&](Point& p) { p = {scale * (x + p.x), -scale * (y + p.y)}; };
            place(subpath.start);
            for (Segment& s : subpath.segments) {
                place(s.control1);
                place(s.control2);
                place(s.end);
            }
            if (!subpath.segments.empty()) {
                run.subpaths.push_back(std::move(subpath));
            }
        }
        pen += glyph.x_advance / 64.0 + letterSpacing / scale;
    }
    run.advance = pen * scale;
    return run;
}
