// The plain data that the importer's stages pass on: shapes with their curves and paint, as
// read from an SVG file or set from a font, before any flattening.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

struct Point {
    double x, y;
};

// An affine map: (x, y) -> (a x + c y + e, b x + d y + f), as SVG writes matrix(a b c d e f).
struct Matrix {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
};

// One piece of a subpath, from the previous end point: a straight line, or a cubic Bezier
// with two control points (quadratics and arcs arrive as cubics).
struct Segment {
    bool cubic;
    Point control1, control2, end;
};

struct Subpath {
    Point start;
    std::vector<Segment> segments;
    bool closed; // a fill always closes it; a stroke draws the closing edge and joins only when set
};

// 0-255 per channel.
struct Colour {
    int r, g, b;
};

// One colour of a gradient: where it stands along it (0 to 1), its colour and its opacity.
struct GradientStop {
    double offset;
    Colour colour;
    double opacity;
};

enum class Spread { pad, reflect, repeat };

// A gradient in its own space, which transform maps to the user space of the shape it
// paints. Each point takes the colour at its parameter t: linear, its projection on the
// vector from (x1, y1) (t = 0) to (x2, y2) (t = 1); radial, the circle it lies on among
// those growing from the focus (fx, fy) (t = 0) to the circle at (cx, cy) of radius r (t = 1).
// Past 0 and 1, spread says how the colours go on.
struct Gradient {
    bool radial = false;
    double x1 = 0, y1 = 0, x2 = 1, y2 = 0;
    double cx = 0.5, cy = 0.5, r = 0.5, fx = 0.5, fy = 0.5;
    Matrix transform;
    Spread spread = Spread::pad;
    std::vector<GradientStop> stops; // offsets non-decreasing; opacity includes the paint's own
};

struct Paint {
    bool set = false; // false: none
    Colour colour{0, 0, 0};
    double opacity = 1; // fill- or stroke-opacity times every group's opacity, 0 to 1
    // A gradient's stops and geometry; colour and opacity then hold the mean of its stops,
    // for where one colour must stand for it.
    std::shared_ptr<const Gradient> gradient;
};

enum class FillRule { nonZero, evenOdd };

struct Clip;
enum class LineJoin { miter, round, bevel };
enum class LineCap { butt, round, square };

// One painted element. Its curves are in its own user space; transform takes them to the
// drawing's space (y down, as SVG), so a stroke can be widened before any non-uniform scale.
struct Shape {
    std::vector<Subpath> subpaths;
    Matrix transform;
    Paint fill;
    FillRule fillRule = FillRule::nonZero;
    Paint stroke;
    double strokeWidth = 1; // in the shape's user space
    LineJoin lineJoin = LineJoin::miter;
    LineCap lineCap = LineCap::butt;
    double miterLimit = 4;
    int line = 0; // where the element stands in its source, for messages
    // Clip paths, masks and nested viewports: the shape shows only inside every one.
    std::vector<std::shared_ptr<const Clip>> clips;
    // Drawn within an element of opacity below 1, which shows as a whole: group names the
    // outermost such element (0: none), and the shapes it drew follow one another. Where a
    // later shape of the group paints over this one, opaque within it, this one does not
    // show through. Paint opacities include groupOpacity, that of the group and of those
    // within it.
    int group = 0;
    double groupOpacity = 1;
};

// One shape of a clip: its fill (or its stroke) added to the clip's area or, a dark part of
// a mask, taken from it; graded, a mask's gradient: each band of it adds, takes or leaves
// as its own luminance and alpha say.
struct ClipPart {
    Shape shape;
    bool stroke;
    bool subtract;
    bool graded = false;
};

// An area in the drawing's space: its parts in order.
struct Clip {
    std::vector<ClipPart> parts;
};

struct Box {
    double x0, y0, x1, y1;
};

// Shapes in painter's order: a later shape covers the earlier ones where they overlap.
struct Drawing {
    std::vector<Shape> shapes;
    bool clipped = false; // what lies outside clip is not shown
    Box clip{0, 0, 0, 0};
    std::vector<std::string> notes; // one line each: what was left out and why
    double capitals = 0;            // a set name: the height of its capitals in the drawing's units
};

// Input that cannot be imported: malformed XML or SVG, a font or glyph that cannot be had.
// line is 0 when the failure belongs to no line of a file.
struct ImportError : std::runtime_error {
    ImportError(int line, const std::string& message) : std::runtime_error(message), line(line) {}
    int line;
};
