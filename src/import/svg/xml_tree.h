// Small helpers over the libxml2 tree shared by the SVG reader's first-pass stages: text of
// nodes and attributes, SVG elements, and the notes said about what is left out.
#pragma once

#include <libxml/tree.h>

#include <cctype>
#include <climits>
#include <cstring>
#include <set>
#include <string>
#include <vector>

inline const char* const svgNamespace = "http://www.w3.org/2000/svg";

// Whether name is one of the space-separated words of list.
inline bool among(const std::string& name, const char* list) {
    return !name.empty() && name.find(' ') == std::string::npos &&
           std::strstr(list, (" " + name + " ").c_str()) != nullptr;
}

inline std::string text(const xmlChar* value) {
    return value ? reinterpret_cast<const char*>(value) : "";
}

inline std::string takeText(xmlChar* value) {
    std::string result = text(value);
    xmlFree(value);
    return result;
}

inline std::string attribute(xmlNode* node, const char* name) {
    return takeText(xmlGetNoNsProp(node, BAD_CAST name));
}

inline void setAttribute(xmlNode* node, const char* name, const std::string& value) {
    xmlSetProp(node, BAD_CAST name, BAD_CAST value.c_str());
}

inline int lineOf(const xmlNode* node) {
    long line = xmlGetLineNo(node);
    return line > 0 && line < INT_MAX ? static_cast<int>(line) : 0;
}

inline bool isSvgElement(const xmlNode* node) {
    return node->type == XML_ELEMENT_NODE && node->ns != nullptr &&
           text(node->ns->href) == svgNamespace;
}

inline bool isElement(const xmlNode* node, const char* name) {
    return isSvgElement(node) && text(node->name) == name;
}

inline std::string trim(const std::string& s) {
    size_t begin = s.find_first_not_of(" \t\r\n\f");
    if (begin == std::string::npos) {
        return "";
    }
    return s.substr(begin, s.find_last_not_of(" \t\r\n\f") - begin + 1);
}

inline std::string lower(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

inline const char* const xlinkNamespace = "http://www.w3.org/1999/xlink";

inline bool isGradient(const xmlNode* node) {
    return isElement(node, "linearGradient") || isElement(node, "radialGradient");
}

// The id a local reference names: "#id" in href, or url(#id) in a paint.
inline std::string fragmentOf(const std::string& reference) {
    std::string value = trim(reference);
    if (value.compare(0, 4, "url(") == 0) {
        size_t close = value.find(')');
        value = trim(value.substr(4, close == std::string::npos ? close : close - 4));
        if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'')) {
            value = value.substr(1, value.size() - 2);
        }
    }
    return value.size() > 1 && value[0] == '#' ? value.substr(1) : "";
}

inline std::string hrefOf(xmlNode* node) {
    xmlChar* value = xmlGetNsProp(node, BAD_CAST "href", BAD_CAST xlinkNamespace);
    if (value == nullptr) {
        value = xmlGetNoNsProp(node, BAD_CAST "href");
    }
    if (value == nullptr) { // an undeclared xlink prefix
        value = xmlGetNoNsProp(node, BAD_CAST "xlink:href");
    }
    return takeText(value);
}

// One line each, each said once: a <use> repeats the notes of what it copies. Past a
// screenful the rest are counted.
struct Notes {
    static constexpr size_t shown = 40;
    std::vector<std::string> lines;
    std::set<std::string> seen;
    size_t more = 0;

    void add(int line, const std::string& what) {
        std::string note = (line > 0 ? "line " + std::to_string(line) + ": " : "") + what;
        if (!seen.insert(note).second) {
            return;
        }
        if (lines.size() < shown) {
            lines.push_back(note);
        } else {
            ++more;
        }
    }

    std::vector<std::string> take() {
        if (more > 0) {
            lines.push_back("and " + std::to_string(more) + " more notes like these");
        }
        return std::move(lines);
    }
};
