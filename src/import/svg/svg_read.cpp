// Reading SVG into shapes: svgpp walks the tree the first pass prepared and gives each
// shape's geometry (arcs and quadratics as cubics), transform, viewport and paint. All of
// svgpp stays in this one file: it is slow to compile.
#define BOOST_MPL_CFG_NO_PREPROCESSED_HEADERS
#define BOOST_MPL_LIMIT_SET_SIZE 40

#include "geometry.h"
#include "svg.h"

#include "svg_effects.h"
#include "svg_paint.h"
#include "svg_prepare.h"
#include "svg_shapes.h"
#include "svg_style.h"
#include "svg_text.h"

#include <libxml/tree.h>

#include <svgpp/policy/xml/libxml2.hpp>
#include <svgpp/svgpp.hpp>

#include <climits>
#include <cmath>
#include <type_traits>

namespace {

namespace tag = svgpp::tag;

// Collects a transform list into one matrix.
struct TransformReader {
    Matrix matrix;

    void transform_matrix(const boost::array<double, 6>& m) {
        matrix = composeMatrix(matrix, {m[0], m[1], m[2], m[3], m[4], m[5]});
    }
    void transform_translate(double x, double y) {
        matrix = composeMatrix(matrix, {1, 0, 0, 1, x, y});
    }
    void transform_scale(double x, double y) {
        matrix = composeMatrix(matrix, {x, 0, 0, y, 0, 0});
    }
};

// What every element passes on to its children: transform (its matrix, composed as the
// reader collects it), style, group opacity, the viewport that percentages refer to.
class Context : public TransformReader {
  public:
    using LengthFactory = svgpp::factory::length::unitless<>;

    Context(ReadState& state, xmlNode* root)
        : state(state), line(static_cast<int>(xmlGetLineNo(root))), node(root),
          firstShape(state.drawing.shapes.size()) {
        lengths.set_viewport_size(100, 100);
        readStyleAttributes(node, &style);
    }

    Context(Context& parent, xmlNode* const& node)
        : TransformReader{parent.matrix}, state(parent.state), style(parent.style),
          opacity(parent.opacity), lengths(parent.lengths), viewportSize(parent.viewportSize),
          disabled(parent.disabled), node(node), firstShape(state.drawing.shapes.size()),
          text(parent.text) {
        long number = xmlGetLineNo(node);
        line = number > 0 && number < INT_MAX ? static_cast<int>(number) : 0;
        state.line = line;
        readStyleAttributes(node, &style);
    }

    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    // What this element drew is cut to its viewport, clip path and mask.
    void on_exit_element() {
        if (node == nullptr || state.drawing.shapes.size() == firstShape) {
            return;
        }
        if (viewportClip) {
            clipTo(rectangleClip(viewport, viewportMatrix));
        }
        clipBy(referenceId(attribute("clip-path")), false);
        clipBy(referenceId(attribute("mask")), true);
    }

    void set_viewport(double x, double y, double width, double height) {
        for (double v : {x, y, width, height}) {
            checkNumber(state, v);
        }
        if (state.root) {
            state.drawing.clip = {x, y, x + width, y + height};
            state.root = false;
        } else if (node != nullptr && !overflowVisible(node)) {
            viewportClip = true;
            viewport = {x, y, x + width, y + height};
            viewportMatrix = matrix;
        }
        lengths.set_viewport_size(width, height);
        viewportSize = {width, height};
    }
    void set_viewbox_size(double width, double height) {
        lengths.set_viewport_size(width, height);
        viewportSize = {width, height};
    }
    void get_reference_viewport_size(double&, double&) {}
    void disable_rendering() {
        disabled = true;
    }
    const LengthFactory& length_factory() const {
        return lengths;
    }

    template <class... Values> void set(tag::attribute::fill t, const Values&... values) {
        PaintSetter<tag::attribute::fill>(&style.fill, state.gradients).set(t, values...);
    }
    template <class... Values> void set(tag::attribute::stroke t, const Values&... values) {
        PaintSetter<tag::attribute::stroke>(&style.stroke, state.gradients).set(t, values...);
    }
    void set(tag::attribute::color, int rgb) {
        style.color = fromInteger(rgb);
    }
    void set(tag::attribute::opacity, double value) {
        opacity *= clampUnit(value);
    }
    void set(tag::attribute::fill_opacity, double value) {
        style.fillOpacity = clampUnit(value);
    }
    void set(tag::attribute::stroke_opacity, double value) {
        style.strokeOpacity = clampUnit(value);
    }
    void set(tag::attribute::stroke_width, double value) {
        style.strokeWidth = std::isfinite(value) && value > 0 ? value : 0;
    }
    void set(tag::attribute::stroke_miterlimit, double value) {
        style.miterLimit = std::isfinite(value) ? std::max(1.0, value) : 4;
    }
    void set(tag::attribute::fill_rule, tag::value::nonzero) {
        style.fillRule = FillRule::nonZero;
    }
    void set(tag::attribute::fill_rule, tag::value::evenodd) {
        style.fillRule = FillRule::evenOdd;
    }
    void set(tag::attribute::clip_rule, tag::value::nonzero) {
        style.clipRule = FillRule::nonZero;
    }
    void set(tag::attribute::clip_rule, tag::value::evenodd) {
        style.clipRule = FillRule::evenOdd;
    }
    void set(tag::attribute::stroke_linejoin, tag::value::miter) {
        style.lineJoin = LineJoin::miter;
    }
    void set(tag::attribute::stroke_linejoin, tag::value::round) {
        style.lineJoin = LineJoin::round;
    }
    void set(tag::attribute::stroke_linejoin, tag::value::bevel) {
        style.lineJoin = LineJoin::bevel;
    }
    void set(tag::attribute::stroke_linecap, tag::value::butt) {
        style.lineCap = LineCap::butt;
    }
    void set(tag::attribute::stroke_linecap, tag::value::round) {
        style.lineCap = LineCap::round;
    }
    void set(tag::attribute::stroke_linecap, tag::value::square) {
        style.lineCap = LineCap::square;
    }
    // Whatever else svgpp reports (inherit, values of properties not drawn) changes nothing.
    template <class... Values> void set(const Values&...) {}

    ReadState& state;
    Style style;
    double opacity = 1;
    LengthFactory lengths;
    Point viewportSize{100, 100}; // what user-space percentages refer to
    bool disabled = false;
    int line = 0;
    xmlNode* node;
    size_t firstShape = 0;         // the first of the shapes this element draws
    TextBeingRead* text = nullptr; // inside <text>: where its characters go
    bool viewportClip = false;
    Box viewport{0, 0, 0, 0};
    Matrix viewportMatrix;

  protected:
    std::string attribute(const char* name) const {
        xmlChar* value = xmlGetNoNsProp(node, BAD_CAST name);
        std::string text = value ? reinterpret_cast<const char*>(value) : "";
        xmlFree(value);
        return text;
    }
    xmlNode* source(const std::string& id) const {
        auto found = state.sources->find(id);
        return id.empty() || found == state.sources->end() ? nullptr : found->second;
    }
    void clipTo(const std::shared_ptr<const Clip>& clip) {
        for (size_t i = firstShape; i < state.drawing.shapes.size(); ++i) {
            state.drawing.shapes[i].clips.push_back(clip);
        }
    }

    Look look() const {
        return {style, opacity, matrix, viewportSize, line};
    }

  private:
    void clipBy(const std::string& id, bool mask);
};

// Shapes of a clip path, mask or marker, read from its prepared <g> through m.
std::vector<Shape> readSource(xmlNode* source, const Matrix& m, ReadState& outer, bool clipping);

void Context::clipBy(const std::string& id, bool mask) {
    xmlNode* clip = source(id);
    if (clip == nullptr) {
        return;
    }
    Matrix content;
    std::vector<Shape>& shapes = state.drawing.shapes;
    if (!contentMatrix(clip, mask ? "maskContentUnits" : "clipPathUnits", shapes, firstShape,
                       matrix, &content)) {
        shapes.resize(firstShape); // an empty box clips everything away
        return;
    }
    std::vector<Shape> parts = readSource(clip, content, state, !mask);
    clipTo(mask ? maskClip(std::move(parts)) : clipPathClip(std::move(parts)));
}

// A shape element: its path, then its paint as it stands when the element ends.
class ShapeContext : public Context {
  public:
    ShapeContext(Context& parent, xmlNode* const& node) : Context(parent, node) {}

    void path_move_to(double x, double y, tag::coordinate::absolute) {
        path.moveTo(state, {x, y});
    }
    void path_line_to(double x, double y, tag::coordinate::absolute) {
        path.add(state, {false, {0, 0}, {0, 0}, {x, y}});
    }
    void path_cubic_bezier_to(double x1, double y1, double x2, double y2, double x, double y,
                              tag::coordinate::absolute) {
        path.add(state, {true, {x1, y1}, {x2, y2}, {x, y}});
    }
    void path_elliptical_arc_to(double rx, double ry, double rotation, bool largeArc, bool sweep,
                                double x, double y, tag::coordinate::absolute);
    void path_close_subpath() {
        path.close();
    }
    void path_exit() {}

    void on_exit_element();

  private:
    void drawMarkers();

    PathBuilder path;
};

void ShapeContext::path_elliptical_arc_to(double rx, double ry, double rotation, bool largeArc,
                                          bool sweep, double x, double y,
                                          tag::coordinate::absolute) {
    for (const Segment& segment :
         arcSegments(path.current(), rx, ry, rotation, largeArc, sweep, {x, y})) {
        path.add(state, segment);
    }
}

void ShapeContext::on_exit_element() {
    path.finish();
    if (disabled || path.subpaths.empty()) {
        return;
    }
    std::string name = node ? reinterpret_cast<const char*>(node->name) : "";
    bool marked = !state.clipping &&
                  (name == "path" || name == "line" || name == "polyline" || name == "polygon");
    std::vector<Subpath> outline = marked ? path.subpaths : std::vector<Subpath>{};
    addPainted(state, std::move(path.subpaths), look());
    if (marked) {
        path.subpaths = std::move(outline);
        drawMarkers();
    }
    Context::on_exit_element();
}

// Each marker's content at its vertices, in the order SVG draws them: after the path.
void ShapeContext::drawMarkers() {
    for (const MarkerPlace& place : markerPlaces(path.subpaths)) {
        xmlNode* marker = source(style.markers[static_cast<int>(place.kind)]);
        if (marker == nullptr) {
            continue;
        }
        MarkerLayout layout = markerLayout(marker, place, matrix, style.strokeWidth);
        std::vector<Shape> content = readSource(marker, layout.content, state, false);
        std::shared_ptr<const Clip> clip =
            layout.clipped ? rectangleClip(layout.box, layout.viewport) : nullptr;
        for (Shape& shape : content) {
            if (clip) {
                shape.clips.push_back(clip);
            }
            state.drawing.shapes.push_back(std::move(shape));
        }
    }
}

// <text> or a <tspan> in it: its characters go to the text's layout with the look they
// are painted in; the text, when it ends, is set and painted run by run.
class TextContext : public Context {
  public:
    TextContext(Context& parent, xmlNode* const& node)
        : Context(parent, node), font(textFontOf(node)) {
        if (text == nullptr) {
            own = std::make_unique<TextBeingRead>();
            text = own.get();
        }
        text->layout.enter(node, font, viewportSize.x, viewportSize.y);
    }

    // svgpp's range points into a string it has already freed: the text is taken from the
    // next text node among the element's children instead, which is the one it reports.
    template <class Range> void set_text(const Range&) {
        next = nextTextNode(node, next);
        if (next != nullptr && !disabled) {
            addCharacters(text, next, look(), font);
        }
    }

    void on_exit_element() {
        text->layout.leave();
        if (own) {
            paintText(state, own.get());
        }
        Context::on_exit_element();
    }

  private:
    TextFont font;
    xmlNode* next = nullptr;            // the text node last taken
    std::unique_ptr<TextBeingRead> own; // the <text> itself holds its layout
};

// Absolute coordinates, no shorthands, quadratics as cubics; arcs come to the shape.
struct PathPolicy : svgpp::policy::path::minimal {
    static const bool arc_as_cubic_bezier = false;
};

struct ContextFactories {
    template <class ParentContext, class ElementTag, class Enable = void> struct apply {
        using type = svgpp::factory::context::on_stack_with_xml_element<Context>;
    };
};

template <class Parent> struct ContextFactories::apply<Parent, tag::element::text, void> {
    using type = svgpp::factory::context::on_stack_with_xml_element<TextContext>;
};

template <class Parent> struct ContextFactories::apply<Parent, tag::element::tspan, void> {
    using type = svgpp::factory::context::on_stack_with_xml_element<TextContext>;
};

template <class ElementTag>
struct ContextFactories::apply<Context, ElementTag,
                               typename boost::enable_if<boost::mpl::has_key<
                                   svgpp::traits::shape_elements, ElementTag>>::type> {
    using type = svgpp::factory::context::on_stack_with_xml_element<ShapeContext>;
};

// Properties svgpp must not stop at: what it does not know (another program's CSS, an
// editor's attributes) is skipped, a bad style value is ignored with a note as a browser
// does, bad geometry is an error.
template <class Tag> struct IsStyleProperty : std::false_type {};
template <> struct IsStyleProperty<tag::attribute::fill> : std::true_type {};
template <> struct IsStyleProperty<tag::attribute::stroke> : std::true_type {};
template <> struct IsStyleProperty<tag::attribute::fill_opacity> : std::true_type {};
template <> struct IsStyleProperty<tag::attribute::stroke_opacity> : std::true_type {};
template <> struct IsStyleProperty<tag::attribute::opacity> : std::true_type {};
template <> struct IsStyleProperty<tag::attribute::fill_rule> : std::true_type {};
template <> struct IsStyleProperty<tag::attribute::stroke_width> : std::true_type {};
template <> struct IsStyleProperty<tag::attribute::stroke_linejoin> : std::true_type {};
template <> struct IsStyleProperty<tag::attribute::stroke_linecap> : std::true_type {};
template <> struct IsStyleProperty<tag::attribute::stroke_miterlimit> : std::true_type {};
template <> struct IsStyleProperty<tag::attribute::color> : std::true_type {};
template <> struct IsStyleProperty<tag::attribute::clip_rule> : std::true_type {};
// Viewers draw an element whose transform they cannot read as if it had none.
template <> struct IsStyleProperty<tag::attribute::transform> : std::true_type {};

struct ErrorPolicy {
    using context_type = Context;

    template <class Element, class Name>
    static bool unknown_element(const Context&, const Element&, const Name&) {
        return true;
    }
    template <class Attribute, class Name, class Source>
    static bool unknown_attribute(const Context&, const Attribute&, const Name&, Source) {
        return true;
    }
    template <class Attribute, class Name, class Namespace, class Source>
    static bool unknown_attribute(const Context&, const Attribute&, const Name&, Namespace,
                                  Source) {
        return true;
    }
    static bool unexpected_attribute(const Context&, svgpp::detail::attribute_id,
                                     tag::source::attribute) {
        return true;
    }
    template <class AttributeTag>
    static bool required_attribute_not_found(const Context&, AttributeTag) {
        return true;
    }
    template <class Element> static bool unexpected_element(const Context&, const Element&) {
        return true;
    }
    template <class AttributeTag> static bool negative_value(const Context& context, AttributeTag) {
        note(context, std::string("a negative ") +
                          svgpp::attribute_name<char>::get<AttributeTag>() + ": left out");
        return true;
    }
    template <class AttributeTag, class Value>
    static bool parse_failed(const Context& context, AttributeTag, const Value& value) {
        std::string name = svgpp::attribute_name<char>::get<AttributeTag>();
        // Quoted on one line, and short: the message is one line.
        std::string text;
        for (auto c = boost::begin(value); c != boost::end(value) && text.size() < 60; ++c) {
            text += static_cast<unsigned char>(*c) < ' ' ? ' ' : *c;
        }
        if (text.size() < static_cast<size_t>(boost::size(value))) {
            text += "...";
        }
        if (IsStyleProperty<AttributeTag>::value) {
            note(context, "invalid " + name + " '" + text + "': ignored");
            return true;
        }
        throw ImportError(context.state.line, "invalid " + name + " '" + text + "'");
    }

  private:
    static void note(const Context& context, const std::string& what) {
        addNote(context.state, what);
    }
};

using ProcessedElements =
    boost::mpl::set<tag::element::svg, tag::element::g, tag::element::path, tag::element::rect,
                    tag::element::circle, tag::element::ellipse, tag::element::line,
                    tag::element::polyline, tag::element::polygon, tag::element::text,
                    tag::element::tspan>::type;

using ProcessedAttributes = boost::mpl::fold<
    boost::mpl::protect<boost::mpl::joint_view<svgpp::traits::shapes_attributes_by_element,
                                               svgpp::traits::viewport_attributes>>,
    boost::mpl::set<tag::attribute::transform, tag::attribute::color, tag::attribute::fill,
                    tag::attribute::fill_opacity, tag::attribute::fill_rule, tag::attribute::stroke,
                    tag::attribute::stroke_width, tag::attribute::stroke_opacity,
                    tag::attribute::stroke_linejoin, tag::attribute::stroke_linecap,
                    tag::attribute::stroke_miterlimit, tag::attribute::opacity,
                    tag::attribute::clip_rule>::type,
    boost::mpl::insert<boost::mpl::_1, boost::mpl::_2>>::type;

using Traversal = svgpp::document_traversal<
    svgpp::context_factories<ContextFactories>,
    svgpp::length_policy<
        svgpp::policy::length::forward_to_method<Context, const Context::LengthFactory>>,
    svgpp::processed_elements<ProcessedElements>, svgpp::processed_attributes<ProcessedAttributes>,
    svgpp::path_policy<PathPolicy>, svgpp::error_policy<ErrorPolicy>,
    svgpp::viewport_policy<svgpp::policy::viewport::as_transform>>;

std::vector<Shape> readSource(xmlNode* source, const Matrix& m, ReadState& outer, bool clipping) {
    if (outer.nesting >= maxNesting) {
        throw ImportError(outer.line, "clip paths, masks or markers nested more than " +
                                          std::to_string(maxNesting) +
                                          " deep: they refer in a loop");
    }
    ReadState inner;
    inner.gradients = outer.gradients;
    inner.sources = outer.sources;
    inner.line = outer.line;
    inner.segments = outer.segments;
    inner.root = false;
    inner.nesting = outer.nesting + 1;
    inner.clipping = clipping;
    Context context(inner, source);
    context.matrix = m;
    Traversal::load_expected_element(source, context, tag::element::g());
    context.on_exit_element();
    outer.segments = inner.segments;
    addNotes(outer, inner.drawing.notes);
    return std::move(inner.drawing.shapes);
}

// A gradientTransform; one that cannot be read counts as none, as for elements.
Matrix gradientTransform(const std::string& text) {
    TransformReader reader;
    try {
        if (!svgpp::value_parser<tag::type::transform_list>::parse(
                tag::attribute::transform(), reader, text, tag::source::attribute())) {
            return {};
        }
    } catch (const std::exception&) {
        return {};
    }
    for (double v : {reader.matrix.a, reader.matrix.b, reader.matrix.c, reader.matrix.d,
                     reader.matrix.e, reader.matrix.f}) {
        if (!std::isfinite(v) || std::fabs(v) > largestCoordinate) {
            return {};
        }
    }
    return reader.matrix;
}

Drawing readPrepared(PreparedSvg& prepared, ReadState& state) {
    for (auto& entry : prepared.gradients) {
        if (!entry.second.transform.empty()) {
            entry.second.gradient.transform = gradientTransform(entry.second.transform);
        }
    }
    state.gradients = &prepared.gradients;
    state.sources = &prepared.sources;
    state.drawing.notes = prepared.notes;
    xmlNode* root = xmlDocGetRootElement(prepared.doc.get());
    Context context(state, root);
    Traversal::load_document(root, context);
    context.on_exit_element();
    state.drawing.clipped = prepared.sized;
    if (!prepared.sized) {
        state.drawing.clip = Box{0, 0, 0, 0};
    }
    return std::move(state.drawing);
}

} // namespace

Drawing readSvg(const std::string& text) {
    ReadState state;
    try {
        PreparedSvg prepared = prepareSvg(text);
        return readPrepared(prepared, state);
    } catch (const ImportError&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw ImportError(state.line, "out of memory");
    } catch (const std::exception& error) { // svgpp's own, should its error policy let one by
        throw ImportError(state.line, error.what());
    }
}
