// Outline boxes, marker places and viewBox maps, for the SVG reader.
#include "svg_geometry.h"

#include "geometry.h"

#include <boost/math/constants/constants.hpp>
#include <svgpp/utility/arc_endpoint_to_center.hpp>
#include <svgpp/utility/arc_to_bezier.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {

struct Direction {
    double x = 0, y = 0;
    bool none() const {
        return x == 0 && y == 0;
    }
};

Direction towards(Point from, Point to) {
    return {to.x - from.x, to.y - from.y};
}

// The directions a segment leaves its start and reaches its end.
void directions(Point from, const Segment& segment, Direction* out, Direction* in) {
    *out = towards(from, segment.end);
    *in = *out;
    if (segment.cubic) {
        for (Point p : {segment.control2, segment.control1}) {
            *out = towards(from, p).none() ? *out : towards(from, p);
        }
        for (Point p : {segment.control1, segment.control2}) {
            *in = towards(p, segment.end).none() ? *in : towards(p, segment.end);
        }
    }
}

double between(Direction in, Direction out) {
    double a = std::atan2(in.y, in.x), b = std::atan2(out.y, out.x);
    if (in.none()) {
        return b;
    }
    if (out.none()) {
        return a;
    }
    double x = std::cos(a) + std::cos(b), y = std::sin(a) + std::sin(b);
    return x == 0 && y == 0 ? b : std::atan2(y, x);
}

} // namespace

namespace {

void addBounds(const std::vector<Subpath>& subpaths, const Matrix& t, Box* box) {
    auto add = [&](Point p) {
        *box = {std::min(box->x0, p.x), std::min(box->y0, p.y), std::max(box->x1, p.x),
                std::max(box->y1, p.y)};
    };
    for (const Subpath& subpath : subpaths) {
        Point from = applyMatrix(t, subpath.start);
        add(from);
        for (const Segment& s : subpath.segments) {
            Point end = applyMatrix(t, s.end);
            if (s.cubic) {
                Point cubic[4] = {from, applyMatrix(t, s.control1), applyMatrix(t, s.control2),
                                  end};
                for (Point extreme : cubicExtremes(cubic)) {
                    add(extreme);
                }
            }
            add(end);
            from = end;
        }
    }
}

} // namespace

bool outlineBounds(const std::vector<Shape>& shapes, size_t first, const Matrix& m, Box* box) {
    Box b{HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (size_t i = first; i < shapes.size(); ++i) {
        addBounds(shapes[i].subpaths, composeMatrix(m, shapes[i].transform), &b);
    }
    *box = b;
    return b.x0 <= b.x1 && b.y0 <= b.y1;
}

bool subpathBounds(const std::vector<Subpath>& subpaths, Box* box) {
    Box b{HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    addBounds(subpaths, Matrix{}, &b);
    *box = b;
    return b.x0 <= b.x1 && b.y0 <= b.y1;
}

std::vector<MarkerPlace> markerPlaces(const std::vector<Subpath>& subpaths) {
    std::vector<MarkerPlace> places;
    for (const Subpath& subpath : subpaths) {
        std::vector<Segment> segments = subpath.segments;
        Point last = segments.empty() ? subpath.start : segments.back().end;
        if (subpath.closed && (last.x != subpath.start.x || last.y != subpath.start.y)) {
            segments.push_back({false, {}, {}, subpath.start});
        }
        if (segments.empty()) {
            continue;
        }
        std::vector<Direction> outs(segments.size()), ins(segments.size());
        Point from = subpath.start;
        for (size_t i = 0; i < segments.size(); ++i) {
            directions(from, segments[i], &outs[i], &ins[i]);
            from = segments[i].end;
        }
        // A closed subpath turns at its start from its last segment into its first.
        double ends = subpath.closed ? between(ins.back(), outs.front()) : 0;
        places.push_back(
            {subpath.start, subpath.closed ? ends : between({}, outs.front()), MarkerKind::mid});
        for (size_t i = 0; i < segments.size(); ++i) {
            bool final = i + 1 == segments.size();
            double angle = final ? (subpath.closed ? ends : between(ins[i], {}))
                                 : between(ins[i], outs[i + 1]);
            places.push_back({segments[i].end, angle, MarkerKind::mid});
        }
    }
    if (!places.empty()) {
        places.front().kind = MarkerKind::start;
        places.back().kind = MarkerKind::end;
    }
    return places;
}

Matrix viewBoxMatrix(const std::string& viewBox, const std::string& preserveAspectRatio,
                     double width, double height) {
    std::string text = viewBox;
    std::replace(text.begin(), text.end(), ',', ' ');
    std::istringstream in(text);
    double x, y, w, h;
    if (!(in >> x >> y >> w >> h) || !(w > 0) || !(h > 0) || !std::isfinite(x + y + w + h)) {
        return {};
    }
    double sx = width / w, sy = height / h;
    std::string align = preserveAspectRatio.empty() ? "xMidYMid" : preserveAspectRatio;
    if (align.find("none") == std::string::npos) {
        bool slice = align.find("slice") != std::string::npos;
        sx = sy = slice ? std::max(sx, sy) : std::min(sx, sy);
    }
    auto offset = [&](const char* min, const char* max, double room) {
        return align.find(min) != std::string::npos   ? 0
               : align.find(max) != std::string::npos ? room
                                                      : room / 2;
    };
    double tx = offset("xMin", "xMax", width - w * sx) - x * sx;
    double ty = offset("YMin", "YMax", height - h * sy) - y * sy;
    return {sx, 0, 0, sy, tx, ty};
}

// svgpp's own conversion computes with NaN when the ends meet or a radius is zero; SVG
// leaves out such an arc, or draws it straight.
std::vector<Segment> arcSegments(Point from, double rx, double ry, double rotation, bool largeArc,
                                 bool sweep, Point to) {
    rx = std::fabs(rx);
    ry = std::fabs(ry);
    if (from.x == to.x && from.y == to.y) {
        return {};
    }
    double phi = rotation * boost::math::constants::degree<double>();
    double cx = 0, cy = 0, theta1 = 0, theta2 = 0;
    if (rx > 0 && ry > 0 && std::isfinite(phi)) {
        svgpp::arc_endpoint_to_center(from.x, from.y, to.x, to.y, rx, ry, phi, largeArc, sweep, cx,
                                      cy, theta1, theta2);
    }
    bool curved = rx > 0 && ry > 0;
    for (double v : {rx, ry, phi, cx, cy, theta1, theta2}) {
        curved = curved && std::isfinite(v);
    }
    if (!curved) {
        return {{false, {0, 0}, {0, 0}, to}};
    }
    double turn = boost::math::constants::two_pi<double>();
    if (sweep && theta2 < theta1) {
        theta2 += turn;
    } else if (!sweep && theta2 > theta1) {
        theta2 -= turn;
    }
    std::vector<Segment> segments;
    using ArcToBezier = svgpp::arc_to_bezier<double>;
    ArcToBezier arc(cx, cy, rx, ry, phi, ArcToBezier::circle_angle_tag(), theta1, theta2,
                    ArcToBezier::max_angle_tag(), boost::math::constants::half_pi<double>());
// The iterator sets its points before eof() can be false; the compiler cannot see that.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
    for (ArcToBezier::iterator it(arc); !it.eof(); it.advance()) {
        segments.push_back(
            {true, {it.p1x(), it.p1y()}, {it.p2x(), it.p2y()}, {it.p3x(), it.p3y()}});
    }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
    if (!segments.empty()) {
        segments.back().end = to; // exactly where the path says
    }
    return segments;
}
