// The SVG reader's shapes: paths checked as they are built, paint and dashes applied, text
// runs painted.
#include "svg_shapes.h"

#include "svg_dash.h"

#include <algorithm>
#include <cmath>

void addNote(ReadState& state, const std::string& what) {
    std::string line = state.line > 0 ? "line " + std::to_string(state.line) + ": " : "";
    std::vector<std::string>& notes = state.drawing.notes;
    if (std::find(notes.begin(), notes.end(), line + what) == notes.end()) {
        notes.push_back(line + what);
    }
}

void addNotes(ReadState& outer, const std::vector<std::string>& notes) {
    std::vector<std::string>& all = outer.drawing.notes;
    for (const std::string& note : notes) {
        if (std::find(all.begin(), all.end(), note) == all.end()) {
            all.push_back(note);
        }
    }
}

void checkNumber(const ReadState& state, double value) {
    if (!std::isfinite(value) || std::fabs(value) > largestCoordinate) {
        throw ImportError(state.line, "the number " + std::to_string(value) +
                                          " is out of range for a logo (at most 1e9 in size)");
    }
}

void PathBuilder::moveTo(const ReadState& state, Point to) {
    checkNumber(state, to.x);
    checkNumber(state, to.y);
    subpaths.push_back({to, {}, false});
}

void PathBuilder::add(ReadState& state, const Segment& segment) {
    for (double v : {segment.control1.x, segment.control1.y, segment.control2.x, segment.control2.y,
                     segment.end.x, segment.end.y}) {
        checkNumber(state, v);
    }
    if (++state.segments > maxSegments) {
        throw ImportError(state.line, "more than " + std::to_string(maxSegments) +
                                          " path segments: not a logo");
    }
    if (subpaths.empty()) {
        subpaths.push_back({{0, 0}, {}, false});
    } else if (subpaths.back().closed) { // drawing on after a close starts where it closed
        subpaths.push_back({subpaths.back().start, {}, false});
    }
    subpaths.back().segments.push_back(segment);
}

void PathBuilder::close() {
    if (!subpaths.empty()) {
        subpaths.back().closed = true;
    }
}

Point PathBuilder::current() const {
    if (subpaths.empty()) {
        return {0, 0};
    }
    const Subpath& last = subpaths.back();
    return last.closed || last.segments.empty() ? last.start : last.segments.back().end;
}

void PathBuilder::finish() {
    subpaths.erase(std::remove_if(subpaths.begin(), subpaths.end(),
                                  [](const Subpath& s) { return s.segments.empty() && !s.closed; }),
                   subpaths.end());
    // A closed one without segments is a dot for round or square caps: a line of no length,
    // since a subpath always has a segment.
    for (Subpath& subpath : subpaths) {
        if (subpath.segments.empty()) {
            subpath.segments.push_back({false, {}, {}, subpath.start});
        }
    }
}

namespace {

// The stroke of shape cut into the dashes of pattern, added after its fill.
void addDashed(ReadState& state, Shape shape, std::vector<Subpath> subpaths,
               const std::vector<double>& pattern, double offset) {
    Shape stroke = shape;
    stroke.fill = Paint{};
    stroke.subpaths = subpaths;
    if (!dashSubpaths(&stroke.subpaths, pattern, offset, maxDashes - state.dashes)) {
        addNote(state, "a stroke cut into more than " + std::to_string(maxDashes) +
                           " dashes: drawn solid");
        stroke.subpaths = subpaths;
    } else {
        state.dashes += stroke.subpaths.size();
    }
    shape.stroke = Paint{};
    if (shape.fill.set) {
        shape.subpaths = std::move(subpaths);
        state.drawing.shapes.push_back(std::move(shape));
    }
    if (!stroke.subpaths.empty()) {
        state.drawing.shapes.push_back(std::move(stroke));
    }
}

} // namespace

void addPainted(ReadState& state, std::vector<Subpath> subpaths, const Look& look) {
    if (subpaths.empty()) { // a run of text with no outline, such as spaces alone
        return;
    }
    const Style& style = look.style;
    Shape shape;
    shape.fill = resolvePaint(style.fill, style.fillOpacity, look, subpaths, state.clipping);
    shape.stroke = resolvePaint(style.stroke, style.strokeOpacity, look, subpaths, state.clipping);
    shape.stroke.set = shape.stroke.set && style.strokeWidth > 0;
    if (state.clipping) {
        shape.fill = Paint{true, {0, 0, 0}, 1, nullptr};
        shape.stroke = Paint{};
    }
    if (!shape.fill.set && !shape.stroke.set) {
        return;
    }
    const Matrix& m = look.matrix;
    for (double v : {m.a, m.b, m.c, m.d, m.e, m.f, style.strokeWidth}) {
        checkNumber(state, v);
    }
    shape.transform = m;
    shape.fillRule = state.clipping ? style.clipRule : style.fillRule;
    shape.strokeWidth = style.strokeWidth;
    shape.lineJoin = style.lineJoin;
    shape.lineCap = style.lineCap;
    shape.miterLimit = style.miterLimit;
    shape.line = look.line;
    double diagonal = std::hypot(look.viewportSize.x, look.viewportSize.y) / std::sqrt(2.0);
    std::vector<double> dashes =
        shape.stroke.set ? dashPattern(style.dashArray, diagonal) : std::vector<double>{};
    if (dashes.empty()) {
        shape.subpaths = std::move(subpaths);
        state.drawing.shapes.push_back(std::move(shape));
        return;
    }
    double offset = cssLength(style.dashOffset, 16, diagonal, 0);
    addDashed(state, std::move(shape), std::move(subpaths), dashes, offset);
}

xmlNode* nextTextNode(xmlNode* element, xmlNode* last) {
    xmlNode* next = last == nullptr ? element->children : last->next;
    while (next != nullptr && next->type != XML_TEXT_NODE && next->type != XML_CDATA_SECTION_NODE) {
        next = next->next;
    }
    return next;
}

void addCharacters(TextBeingRead* text, xmlNode* textNode, Look look, const TextFont& font) {
    if (text->looks.size() >= maxTextLooks) {
        return;
    }
    look.style.fillRule = FillRule::nonZero; // glyphs fill by their winding
    text->looks.push_back(std::move(look));
    const char* content = reinterpret_cast<const char*>(textNode->content);
    text->layout.add(content ? content : "", text->looks.size() - 1, font);
}

void paintText(ReadState& state, TextBeingRead* text) {
    std::vector<std::string> notes;
    for (PlacedRun& run : text->layout.layOut(&notes)) {
        addPainted(state, std::move(run.subpaths), text->looks[run.look]);
    }
    for (const std::string& note : notes) {
        addNote(state, note);
    }
}
