// Colours as SVG and CSS write them, by svgpp's colour parser.
#include "colour.h"

#include <svgpp/factory/color.hpp>
#include <svgpp/parser/color.hpp>

bool parseColour(const std::string& text, Colour* colour) {
    size_t begin = text.find_first_not_of(" \t\r\n");
    size_t end = text.find_last_not_of(" \t\r\n");
    if (begin == std::string::npos) {
        return false;
    }
    const char* first = text.data() + begin;
    const char* last = text.data() + end + 1;
    int rgb = 0;
    if (!svgpp::detail::parse_color<svgpp::factory::color::default_factory>(
            first, last, svgpp::tag::source::css(), rgb) ||
        first != last) {
        return false;
    }
    *colour = {(rgb >> 16) & 255, (rgb >> 8) & 255, rgb & 255};
    return true;
}
