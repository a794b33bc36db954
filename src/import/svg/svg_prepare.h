// The SVG reader's first pass, on the libxml2 tree: what the geometry pass then reads as
// plain SVG shapes, groups and viewports, with their paint in presentation attributes.
#pragma once

#include "drawing.h"
#include "svg_gradient.h"

#include <libxml/tree.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

struct XmlDocFree {
    void operator()(xmlDoc* doc) const {
        xmlFreeDoc(doc);
    }
};

// Nodes taken out of the tree: kept until the geometry pass is done, since nodes still in the
// tree may point at the namespace records they hold, and freed before their document.
struct DetachedNodes {
    std::vector<xmlNode*> nodes;

    DetachedNodes() = default;
    DetachedNodes(const DetachedNodes&) = delete;
    DetachedNodes& operator=(const DetachedNodes&) = delete;
    DetachedNodes(DetachedNodes&& other) noexcept : nodes(std::move(other.nodes)) {}
    ~DetachedNodes() {
        for (xmlNode* node : nodes) {
            xmlFreeNode(node);
        }
    }
};

struct PreparedSvg {
    std::unique_ptr<xmlDoc, XmlDocFree> doc;
    DetachedNodes detached;                         // after doc: destroyed first
    std::map<std::string, GradientPaint> gradients; // by id
    // Clip paths, masks and markers, each made a <g> to be read where it is used, by id.
    std::map<std::string, xmlNode*> sources;
    std::vector<std::string> notes;
    bool sized = false; // the root states its viewport (width and height, or a viewBox)
};

// Parses text and rewrites the tree: <use> expanded, <style> sheets and style= applied as
// presentation attributes, <switch> and <a> made groups, and everything that draws nothing
// where it stands (defs, clip paths, hidden or undisplayed elements, text, images) removed,
// with a note for what cannot be imported; the clip paths, masks and markers that are used
// prepared the same way, as sources. Throws ImportError for malformed input.
PreparedSvg prepareSvg(const std::string& text);
