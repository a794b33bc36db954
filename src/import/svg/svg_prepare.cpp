// The SVG reader's first pass over the libxml2 tree: parsing, the style cascade, <use>
// expansion, gradients with their stops, and removing what is not drawn where it stands.
#include "svg_prepare.h"

#include "colour.h"
#include "css.h"
#include "svg_gradient.h"
#include "svg_numbers.h"
#include "xml_tree.h"

#include <libxml/parser.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// Nested <use> elements multiply: past this many copied elements (or KiB of their
// attributes) a file is refused rather than grown without end.
constexpr long maxExpanded = 100000;
// No logo nests this deep; the geometry pass recurses once per level.
constexpr int maxDepth = 400;

// Containers whose content is drawn only where something refers to it, and elements that
// draw nothing.
const char* const notDrawn = " defs clipPath mask marker pattern symbol linearGradient"
                             " radialGradient filter style title desc metadata script font"
                             " font-face cursor view animate animateMotion animateTransform"
                             " animateColor set ";

const char* const shapes = " path rect circle ellipse line polyline polygon ";

// ---- XML -------------------------------------------------------------------------------

struct ParserFree {
    void operator()(xmlParserCtxt* context) const {
        xmlFreeParserCtxt(context);
    }
};

// The first error is the one to report: later ones follow from it.
void keepFirstError(void* userData, xmlError* error) {
    auto* context = static_cast<xmlParserCtxt*>(userData);
    auto* first = static_cast<ImportError**>(context->_private);
    if (*first == nullptr && error != nullptr && error->level == XML_ERR_FATAL) {
        std::string message = error->message ? trim(error->message) : "not well-formed";
        if (error->code == XML_ERR_ENTITY_LOOP) { // also what libxml2 says of exponential growth
            message = "entities expand past the parser's limits (a loop, or nested entities "
                      "that multiply)";
        }
        *first = new ImportError(error->line, "malformed XML: " + message);
    }
}

void ignoreMessage(void*, const char*, ...) {}

// Some of libxml2's errors (a failed encoding conversion) go to its generic handler, which
// would print them; the parse reports them itself.
struct QuietGenericErrors {
    void* context = xmlGenericErrorContext;
    xmlGenericErrorFunc handler = xmlGenericError;

    QuietGenericErrors() {
        xmlSetGenericErrorFunc(nullptr, ignoreMessage);
    }
    ~QuietGenericErrors() {
        xmlSetGenericErrorFunc(context, handler);
    }
};

xmlParserInputPtr refuseToLoad(const char*, const char*, xmlParserCtxtPtr) {
    return nullptr;
}

// Internal entities are substituted (markup in them included), external ones never loaded,
// nor the DTD; nothing from the network. libxml2's default limits stay: entity expansion
// and nesting depth are bounded by the parser itself, and a file past them is refused.
struct NoExternalEntities {
    xmlExternalEntityLoader loader = xmlGetExternalEntityLoader();

    NoExternalEntities() {
        xmlSetExternalEntityLoader(refuseToLoad);
    }
    ~NoExternalEntities() {
        xmlSetExternalEntityLoader(loader);
    }
};

std::unique_ptr<xmlDoc, XmlDocFree> parseXml(const std::string& source) {
    if (source.size() > static_cast<size_t>(INT_MAX)) {
        throw ImportError(0, "too large for an SVG file");
    }
    std::unique_ptr<xmlParserCtxt, ParserFree> context(xmlNewParserCtxt());
    if (!context) {
        throw ImportError(0, "out of memory");
    }
    QuietGenericErrors quiet;
    NoExternalEntities local;
    ImportError* first = nullptr;
    context->_private = &first;
    context->sax->serror = keepFirstError;
    int options = XML_PARSE_NOENT | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING |
                  XML_PARSE_BIG_LINES;
    std::unique_ptr<xmlDoc, XmlDocFree> doc(xmlCtxtReadMemory(
        context.get(), source.data(), static_cast<int>(source.size()), nullptr, nullptr, options));
    std::unique_ptr<ImportError> error(first);
    if (!doc || !context->wellFormed) {
        throw error ? *error : ImportError(0, "malformed XML");
    }
    return doc;
}

void setNamespace(xmlNode* node, xmlNs* ns) {
    for (; node != nullptr; node = node->next) {
        if (node->type == XML_ELEMENT_NODE) {
            if (node->ns == nullptr) {
                node->ns = ns;
            }
            setNamespace(node->children, ns);
        }
    }
}

// The root must be <svg>; a file that forgot the SVG namespace is read as if it had it.
xmlNode* checkRoot(xmlDoc* doc) {
    xmlNode* root = xmlDocGetRootElement(doc);
    if (root == nullptr) {
        throw ImportError(0, "no root element");
    }
    bool foreign = root->ns != nullptr && text(root->ns->href) != svgNamespace;
    if (text(root->name) != "svg" || foreign) {
        std::string prefix = root->ns && root->ns->prefix ? text(root->ns->prefix) + ":" : "";
        throw ImportError(lineOf(root), "the root element is <" + prefix + text(root->name) +
                                            ">, not <svg>: not an SVG file");
    }
    if (root->ns == nullptr) {
        xmlNs* ns = xmlNewNs(root, BAD_CAST svgNamespace, nullptr);
        if (ns == nullptr) {
            throw ImportError(lineOf(root), "the root <svg> is outside the SVG namespace");
        }
        setNamespace(root, ns);
    } else if (root->ns->prefix == nullptr) {
        // Markup from an entity reaches the tree without the default namespace it stands in.
        setNamespace(root->children, root->ns);
    }
    return root;
}

// ---- References ------------------------------------------------------------------------

using Ids = std::map<std::string, xmlNode*>;

void collectIds(xmlNode* node, Ids* ids) {
    for (; node != nullptr; node = node->next) {
        if (node->type == XML_ELEMENT_NODE) {
            std::string id = attribute(node, "id");
            if (!id.empty()) {
                ids->emplace(id, node);
            }
            collectIds(node->children, ids);
        }
    }
}


// ---- The walk over what is drawn -------------------------------------------------------

struct Walk {
    xmlDoc* doc;
    xmlNs* svg; // the root's, for the elements made here: it lives as long as the document
    const Ids& ids;
    Notes& notes;
    std::vector<xmlNode*>& detached;
    std::map<std::string, xmlNode*>& sources;
    std::vector<xmlNode*> expanding; // targets of the <use> elements being expanded
    long expanded = 0;
};

void detach(xmlNode* node, Walk& walk) {
    xmlUnlinkNode(node);
    walk.detached.push_back(node);
}

// What copying node costs: one per element and one per KiB of attribute text, so that
// neither many elements nor long path data can be multiplied without bound.
long copyCost(const xmlNode* node, long limit) {
    long cost = 1;
    for (const xmlAttr* a = node->properties; a != nullptr; a = a->next) {
        for (const xmlNode* t = a->children; t != nullptr; t = t->next) {
            cost += t->content ? static_cast<long>(
                                     std::strlen(reinterpret_cast<const char*>(t->content)) / 1024)
                               : 0;
        }
    }
    for (const xmlNode* child = node->children; child != nullptr && cost <= limit;
         child = child->next) {
        if (child->type == XML_ELEMENT_NODE) {
            cost += copyCost(child, limit - cost);
        }
    }
    return cost;
}

void walkChildren(xmlNode* parent, bool visible, int depth, Walk& walk);

// <use> becomes <g> with the use's attributes holding a copy of what it refers to; the
// use's x and y become an inner <svg> at x, y of the full size (a translation whose units
// the geometry pass reads); a <symbol> so copied becomes that <svg>, with the use's size.
xmlNode* expandUse(xmlNode* use, Walk& walk) {
    int line = lineOf(use);
    std::string id = fragmentOf(hrefOf(use));
    auto target = walk.ids.find(id);
    if (target == walk.ids.end()) {
        walk.notes.add(line, "<use> refers to '#" + id + "', which is not in the file: left out");
        detach(use, walk);
        return nullptr;
    }
    if (std::find(walk.expanding.begin(), walk.expanding.end(), target->second) !=
        walk.expanding.end()) {
        throw ImportError(line, "<use> of '#" + id + "' contains itself");
    }
    walk.expanded += copyCost(target->second, maxExpanded);
    if (walk.expanded > maxExpanded) {
        throw ImportError(line, "<use> elements copy more than " + std::to_string(maxExpanded) +
                                    " elements: not a logo");
    }
    xmlNode* group = xmlNewDocNode(walk.doc, walk.svg, BAD_CAST "g", nullptr);
    group->line = use->line;
    for (xmlAttr* a = use->properties; a != nullptr; a = a->next) {
        std::string name = text(a->name);
        if (a->ns == nullptr && !among(name, " x y width height href id ") &&
            name.find(':') == std::string::npos) {
            setAttribute(group, name.c_str(),
                         takeText(xmlNodeListGetString(walk.doc, a->children, 1)));
        }
    }
    xmlNode* copy = xmlDocCopyNode(target->second, walk.doc, 1);
    if (copy == nullptr) {
        throw ImportError(line, "out of memory");
    }
    xmlNode* viewport = copy;
    if (isElement(copy, "symbol") || isElement(copy, "svg")) {
        xmlNodeSetName(copy, BAD_CAST "svg");
        for (const char* size : {"width", "height"}) {
            std::string value = attribute(use, size);
            if (!value.empty() || isElement(target->second, "symbol")) {
                setAttribute(copy, size, value.empty() ? "100%" : value);
            }
        }
    } else {
        viewport = xmlNewDocNode(walk.doc, walk.svg, BAD_CAST "svg", nullptr);
        viewport->line = use->line;
        setAttribute(viewport, "overflow", "visible"); // a translation, no viewport to clip to
        xmlAddChild(viewport, copy);
        copy = viewport;
    }
    for (const char* position : {"x", "y"}) {
        std::string value = attribute(use, position);
        setAttribute(viewport, position, value.empty() ? "0" : value);
    }
    xmlAddChild(group, copy);
    xmlReplaceNode(use, group);
    walk.detached.push_back(use);
    walk.expanding.push_back(target->second);
    return group;
}

// Of a <switch>, the first child whose conditions hold; no extension is supported.
void chooseSwitchChild(xmlNode* node, Walk& walk) {
    bool chosen = false;
    for (xmlNode* child = node->children; child != nullptr;) {
        xmlNode* next = child->next;
        if (child->type == XML_ELEMENT_NODE) {
            if (chosen || xmlHasProp(child, BAD_CAST "requiredExtensions") != nullptr) {
                detach(child, walk);
            } else {
                chosen = true;
            }
        }
        child = next;
    }
}

bool isSet(const std::string& value) {
    std::string v = lower(trim(value));
    return !v.empty() && v != "none" && v != "inherit";
}

// A clip path, mask or marker that property refers to, made a <g> the geometry pass reads
// where it is used: a copy, its <use> elements expanded and what it does not draw removed,
// once per id. Otherwise the property is taken out, with a note.
void prepareSource(xmlNode* node, const char* property, const char* kind, int line, int depth,
                   Walk& walk) {
    std::string value = attribute(node, property);
    if (!isSet(value)) {
        return;
    }
    std::string id = fragmentOf(value);
    if (walk.sources.count(id) != 0) {
        return;
    }
    auto target = walk.ids.find(id);
    if (target == walk.ids.end() || !isElement(target->second, kind)) {
        walk.notes.add(line, std::string(property) + " refers to '" + trim(value) +
                                 "', which is no <" + kind + "> in the file: ignored");
        xmlUnsetProp(node, BAD_CAST property);
        return;
    }
    walk.expanded += copyCost(target->second, maxExpanded);
    if (walk.expanded > maxExpanded) {
        throw ImportError(line, "clip paths, masks and markers copy more than " +
                                    std::to_string(maxExpanded) + " elements: not a logo");
    }
    xmlNode* copy = xmlDocCopyNode(target->second, walk.doc, 1);
    if (copy == nullptr) {
        throw ImportError(line, "out of memory");
    }
    walk.detached.push_back(copy);
    xmlNodeSetName(copy, BAD_CAST "g");
    walk.sources[id] = copy; // before its content: a source that refers to itself ends here
    walkChildren(copy, true, depth + 1, walk);
}

void prepareEffects(xmlNode* node, int line, int depth, Walk& walk) {
    if (isSet(attribute(node, "filter"))) {
        walk.notes.add(line, "a filter cannot be imported: drawn without it");
    }
    prepareSource(node, "clip-path", "clipPath", line, depth, walk);
    prepareSource(node, "mask", "mask", line, depth, walk);
    for (const char* marker : {"marker", "marker-start", "marker-mid", "marker-end"}) {
        prepareSource(node, marker, "marker", line, depth, walk);
    }
    for (const char* paint : {"fill", "stroke"}) {
        std::string value = trim(attribute(node, paint));
        if (value.compare(0, 4, "url(") != 0) {
            continue;
        }
        std::string id = fragmentOf(value);
        auto target = walk.ids.find(id);
        if (target == walk.ids.end()) {
            walk.notes.add(line, std::string(paint) + " refers to '#" + id +
                                     "', which is not in the file: its fallback is used");
        } else if (!isGradient(target->second)) {
            walk.notes.add(line, std::string("a <") + text(target->second->name) + "> " + paint +
                                     " cannot be imported: its fallback is used");
        }
    }
}

void visitElement(xmlNode* node, bool visible, int depth, Walk& walk) {
    if (!isSvgElement(node)) {
        return; // another program's data; the geometry pass skips it too
    }
    std::string name = text(node->name);
    int line = lineOf(node);
    if (among(name, notDrawn) || lower(trim(attribute(node, "display"))) == "none") {
        detach(node, walk);
        return;
    }
    if (name == "flowRoot") {
        walk.notes.add(
            line, "<" + name + "> cannot be imported: convert it to paths in the editor; left out");
        detach(node, walk);
        return;
    }
    if (name == "textPath") {
        walk.notes.add(line, "text on a path cannot be imported: left out");
        detach(node, walk);
        return;
    }
    if (name == "image" || name == "foreignObject") {
        walk.notes.add(line, "<" + name + "> cannot be imported: left out");
        detach(node, walk);
        return;
    }
    std::string visibility = lower(trim(attribute(node, "visibility")));
    if (visibility == "hidden" || visibility == "collapse") {
        visible = false;
    } else if (visibility == "visible") {
        visible = true;
    }
    if ((among(name, shapes) || name == "text") && !visible) {
        detach(node, walk);
        return;
    }
    prepareEffects(node, line, depth, walk);
    if (among(name, shapes)) {
        return;
    }
    if (name == "switch") {
        chooseSwitchChild(node, walk);
    }
    if (name == "switch" || name == "a") {
        xmlNodeSetName(node, BAD_CAST "g");
    }
    if (name == "use") {
        node = expandUse(node, walk);
        if (node != nullptr) {
            walkChildren(node, visible, depth + 1, walk);
            walk.expanding.pop_back();
        }
        return;
    }
    walkChildren(node, visible, depth + 1, walk);
}

void walkChildren(xmlNode* parent, bool visible, int depth, Walk& walk) {
    if (depth > maxDepth) {
        throw ImportError(lineOf(parent),
                          "elements nested deeper than " + std::to_string(maxDepth) + " levels");
    }
    for (xmlNode* child = parent->children; child != nullptr;) {
        xmlNode* next = child->next; // child may be replaced or unlinked
        if (child->type == XML_ELEMENT_NODE) {
            visitElement(child, visible, depth, walk);
        }
        child = next;
    }
}

// The outermost viewport: x and y mean nothing there, a percentage size has nothing to be
// a percentage of, and a missing size comes from the viewBox.
bool sizeRoot(xmlNode* root) {
    xmlUnsetProp(root, BAD_CAST "x");
    xmlUnsetProp(root, BAD_CAST "y");
    for (const char* size : {"width", "height"}) {
        std::string value = trim(attribute(root, size));
        if (!value.empty() && value.back() == '%') {
            xmlUnsetProp(root, BAD_CAST size);
        }
    }
    std::string box = attribute(root, "viewBox");
    std::replace(box.begin(), box.end(), ',', ' ');
    double numbers[4];
    const char* p = box.c_str();
    int count = 0;
    for (char* end = nullptr; count < 4; p = end) {
        numbers[count] = std::strtod(p, &end);
        if (end == p || !std::isfinite(numbers[count])) {
            break;
        }
        ++count;
    }
    bool hasWidth = xmlHasProp(root, BAD_CAST "width") != nullptr;
    bool hasHeight = xmlHasProp(root, BAD_CAST "height") != nullptr;
    if (count == 4 && numbers[2] > 0 && numbers[3] > 0) {
        if (!hasWidth) {
            setAttribute(root, "width", std::to_string(numbers[2]));
        }
        if (!hasHeight) {
            setAttribute(root, "height", std::to_string(numbers[3]));
        }
        return true;
    }
    return hasWidth && hasHeight;
}

} // namespace

PreparedSvg prepareSvg(const std::string& source) {
    PreparedSvg prepared;
    prepared.doc = parseXml(source);
    xmlNode* root = checkRoot(prepared.doc.get());
    Notes notes;
    applyStyleSheets(root, &notes);
    separateNumbers(root);
    Ids ids;
    collectIds(root, &ids);
    for (const auto& [id, node] : ids) {
        if (isGradient(node)) {
            prepared.gradients[id] = readGradient(node, ids);
        }
    }
    prepared.sized = sizeRoot(root);
    Walk walk{prepared.doc.get(),      root->ns,         ids, notes,
              prepared.detached.nodes, prepared.sources, {},  0};
    prepareEffects(root, lineOf(root), 1, walk);
    walkChildren(root, lower(attribute(root, "visibility")) != "hidden", 1, walk);
    prepared.notes = notes.take();
    return prepared;
}
