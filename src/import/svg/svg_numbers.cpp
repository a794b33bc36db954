// Numbers as minifiers write them, given the separators svgpp's grammars need: "2-1" is two
// numbers, and so is "45.5.5" (45.5 and .5), as viewers read them.
#include "svg_numbers.h"

#include "xml_tree.h"

#include <cctype>

namespace {

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// The end of the number that starts at i: a sign, digits with at most one point, and an
// exponent only when digits follow it; i itself when none starts there.
size_t numberEnd(const std::string& text, size_t i) {
    size_t j = i;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
        ++j;
    }
    size_t digits = 0;
    for (; j < text.size() && isDigit(text[j]); ++j) {
        ++digits;
    }
    if (j < text.size() && text[j] == '.') {
        size_t k = j + 1;
        for (; k < text.size() && isDigit(text[k]); ++k) {
            ++digits;
        }
        if (k > j + 1 || digits > 0) {
            j = k;
        }
    }
    if (digits == 0) {
        return i;
    }
    if (j < text.size() && (text[j] == 'e' || text[j] == 'E')) {
        size_t k = j + 1;
        if (k < text.size() && (text[k] == '+' || text[k] == '-')) {
            ++k;
        }
        if (k < text.size() && isDigit(text[k])) {
            while (k < text.size() && isDigit(text[k])) {
                ++k;
            }
            j = k;
        }
    }
    return j;
}

} // namespace

std::string separateNumbers(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    bool afterNumber = false;
    for (size_t i = 0; i < text.size();) {
        size_t end = std::isalpha(static_cast<unsigned char>(text[i])) ? i : numberEnd(text, i);
        if (end == i) {
            // A name (translate, rotate) is copied whole: its letters are no exponent.
            do {
                out += text[i++];
            } while (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i])) &&
                     std::isalpha(static_cast<unsigned char>(text[i - 1])));
            afterNumber = false;
            continue;
        }
        if (afterNumber) {
            out += ' ';
        }
        out.append(text, i, end - i);
        i = end;
        afterNumber = true;
    }
    return out;
}

void separateNumbers(xmlNode* node) {
    for (; node != nullptr; node = node->next) {
        if (node->type != XML_ELEMENT_NODE) {
            continue;
        }
        for (const char* name : {"transform", "points", "viewBox"}) {
            if (xmlHasProp(node, BAD_CAST name) != nullptr) {
                setAttribute(node, name, separateNumbers(attribute(node, name)));
            }
        }
        separateNumbers(node->children);
    }
}
