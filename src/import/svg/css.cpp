// The style cascade: sheets parsed into rules of simple selectors, matched against every
// element by specificity and order, then style= and !important over them.
#include "css.h"

#include "drawing.h"

#include <algorithm>
#include <map>

namespace {

// Matching every sheet rule against every element is quadratic; past this many tries the
// sheets are refused rather than applied for minutes.
constexpr long maxRuleTries = 50000000;

// The properties the geometry pass reads, and those this pass acts on.
const char* const properties = " fill fill-opacity fill-rule stroke stroke-width stroke-opacity"
                               " stroke-linejoin stroke-linecap stroke-miterlimit stroke-dasharray"
                               " opacity color display visibility clip-path clip-rule mask"
                               " filter overflow marker marker-start marker-mid marker-end"
                               " stop-color stop-opacity stroke-dashoffset font-family font-size"
                               " font-weight font-style text-anchor letter-spacing ";

struct Declaration {
    std::string name, value;
    bool important;
};

struct Selector {
    std::string type; // empty: any
    std::vector<std::string> classes;
    std::string id;
    long specificity = 0;
};

struct Rule {
    Selector selector;
    std::vector<Declaration> declarations;
};

// Comments and the HTML comment markers a sheet may be wrapped in.
std::string stripComments(const std::string& css) {
    std::string out;
    for (size_t i = 0; i < css.size();) {
        if (css.compare(i, 2, "/*") == 0) {
            size_t end = css.find("*/", i + 2);
            i = end == std::string::npos ? css.size() : end + 2;
            out += ' ';
        } else if (css.compare(i, 4, "<!--") == 0 || css.compare(i, 3, "-->") == 0) {
            i += css[i] == '<' ? 4 : 3;
            out += ' ';
        } else {
            out += css[i++];
        }
    }
    return out;
}

void addDeclaration(const std::string& text, std::vector<Declaration>* declarations) {
    size_t colon = text.find(':');
    if (colon == std::string::npos) {
        return;
    }
    Declaration declaration{lower(trim(text.substr(0, colon))), trim(text.substr(colon + 1)),
                            false};
    size_t bang = declaration.value.rfind('!');
    if (bang != std::string::npos &&
        lower(trim(declaration.value.substr(bang + 1))) == "important") {
        declaration.important = true;
        declaration.value = trim(declaration.value.substr(0, bang));
    }
    if (!declaration.name.empty() && !declaration.value.empty()) {
        declarations->push_back(declaration);
    }
}

// name: value; pairs, split at semicolons outside parentheses and quotes.
std::vector<Declaration> parseDeclarations(const std::string& text) {
    std::vector<Declaration> declarations;
    std::string current;
    int depth = 0;
    char quote = 0;
    for (char c : text) {
        if (quote != 0) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')' && depth > 0) {
            --depth;
        } else if (c == ';' && depth == 0) {
            addDeclaration(current, &declarations);
            current.clear();
            continue;
        }
        current += c;
    }
    addDeclaration(current, &declarations);
    return declarations;
}

bool identifierChar(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '-' || c == '_' || u >= 0x80;
}

// A compound selector of a type (or *), classes and an id; combinators, attributes and
// pseudo-classes are not read.
bool parseSelector(const std::string& text, Selector* selector) {
    size_t i = 0;
    auto identifier = [&] {
        size_t start = i;
        while (i < text.size() && identifierChar(text[i])) {
            ++i;
        }
        return text.substr(start, i - start);
    };
    if (text.empty()) {
        return false;
    }
    if (text[0] == '*') {
        ++i;
    } else if (identifierChar(text[0])) {
        selector->type = identifier();
        selector->specificity += 1;
    }
    while (i < text.size()) {
        char kind = text[i++];
        std::string name = identifier();
        if (name.empty() || (kind != '.' && kind != '#')) {
            return false;
        }
        if (kind == '.') {
            selector->classes.push_back(name);
            selector->specificity += 1000;
        } else {
            selector->id = name;
            selector->specificity += 1000000;
        }
    }
    return true;
}

// Index just past the block that opens at open, nested blocks included.
size_t skipBlock(const std::string& text, size_t open) {
    int depth = 0;
    for (size_t i = open; i < text.size(); ++i) {
        if (text[i] == '{') {
            ++depth;
        } else if (text[i] == '}' && --depth == 0) {
            return i + 1;
        }
    }
    return text.size();
}

void parseSheet(const std::string& css, int line, std::vector<Rule>* rules, Notes* notes) {
    std::string text = stripComments(css);
    size_t i = 0;
    while (i < text.size()) {
        size_t open = text.find('{', i);
        std::string prelude = trim(text.substr(i, open == std::string::npos ? open : open - i));
        if (!prelude.empty() && prelude[0] == '@') {
            size_t semicolon = text.find(';', i);
            if (semicolon < open) { // @import, @charset
                i = semicolon + 1;
                continue;
            }
        }
        if (open == std::string::npos) {
            break;
        }
        if (!prelude.empty() && prelude[0] == '@') { // @media, @font-face: not for shapes
            i = skipBlock(text, open);
            continue;
        }
        size_t close = std::min(text.find('}', open), text.size());
        std::vector<Declaration> declarations =
            parseDeclarations(text.substr(open + 1, close - open - 1));
        size_t start = 0;
        while (start <= prelude.size()) {
            size_t comma = std::min(prelude.find(',', start), prelude.size());
            std::string item = trim(prelude.substr(start, comma - start));
            Selector selector;
            if (parseSelector(item, &selector)) {
                rules->push_back({selector, declarations});
            } else if (!item.empty()) {
                notes->add(line, "the style sheet's selector '" + item +
                                     "' is not supported: its rule is left out");
            }
            start = comma + 1;
        }
        i = close + 1;
    }
}

std::vector<std::string> classesOf(xmlNode* node) {
    std::vector<std::string> classes;
    std::string list = attribute(node, "class");
    size_t i = 0;
    while (i < list.size()) {
        size_t begin = list.find_first_not_of(" \t\r\n\f", i);
        if (begin == std::string::npos) {
            break;
        }
        size_t end = std::min(list.find_first_of(" \t\r\n\f", begin), list.size());
        classes.push_back(list.substr(begin, end - begin));
        i = end;
    }
    return classes;
}

bool matches(const Selector& selector, xmlNode* node, const std::vector<std::string>& classes,
             const std::string& id) {
    if (!selector.type.empty() && selector.type != text(node->name)) {
        return false;
    }
    if (!selector.id.empty() && selector.id != id) {
        return false;
    }
    return std::all_of(selector.classes.begin(), selector.classes.end(), [&](const std::string& c) {
        return std::find(classes.begin(), classes.end(), c) != classes.end();
    });
}

void collectSheets(xmlNode* node, std::vector<Rule>* rules, Notes* notes) {
    for (; node != nullptr; node = node->next) {
        if (isElement(node, "style")) {
            std::string type = lower(trim(attribute(node, "type")));
            if (type.empty() || type == "text/css") {
                parseSheet(takeText(xmlNodeGetContent(node)), lineOf(node), rules, notes);
            }
        } else if (node->type == XML_ELEMENT_NODE) {
            collectSheets(node->children, rules, notes);
        }
    }
}

// Sheet rules (by specificity, then order) over presentation attributes, style= over both,
// and !important declarations over all: the winners become presentation attributes.
void applyCascade(xmlNode* node, const std::vector<Rule>& rules, long* tries) {
    *tries += static_cast<long>(rules.size());
    if (*tries > maxRuleTries) {
        throw ImportError(lineOf(node), "style sheets too large to apply: not a logo");
    }
    std::vector<const Rule*> matched;
    std::vector<std::string> classes = classesOf(node);
    std::string id = attribute(node, "id");
    for (const Rule& rule : rules) {
        if (matches(rule.selector, node, classes, id)) {
            matched.push_back(&rule);
        }
    }
    std::stable_sort(matched.begin(), matched.end(), [](const Rule* a, const Rule* b) {
        return a->selector.specificity < b->selector.specificity;
    });
    std::vector<Declaration> inline_ = parseDeclarations(stripComments(attribute(node, "style")));
    std::vector<std::pair<std::string, std::string>> winners;
    for (bool important : {false, true}) {
        for (const Rule* rule : matched) {
            for (const Declaration& d : rule->declarations) {
                if (d.important == important) {
                    winners.emplace_back(d.name, d.value);
                }
            }
        }
        for (const Declaration& d : inline_) {
            if (d.important == important) {
                winners.emplace_back(d.name, d.value);
            }
        }
    }
    for (const auto& [name, value] : winners) {
        if (among(name, properties)) {
            setAttribute(node, name.c_str(), value);
        }
    }
    xmlUnsetProp(node, BAD_CAST "style");
    for (const char* paint : {"fill", "stroke"}) {
        if (lower(attribute(node, paint)) == "transparent") {
            setAttribute(node, paint, "none");
        }
    }
}

void cascade(xmlNode* node, const std::vector<Rule>& rules, long* tries) {
    for (; node != nullptr; node = node->next) {
        if (isSvgElement(node)) {
            applyCascade(node, rules, tries);
        }
        if (node->type == XML_ELEMENT_NODE) {
            cascade(node->children, rules, tries);
        }
    }
}
} // namespace

void applyStyleSheets(xmlNode* root, Notes* notes) {
    std::vector<Rule> rules;
    collectSheets(root, &rules, notes);
    long tries = 0;
    cascade(root, rules, &tries);
}
