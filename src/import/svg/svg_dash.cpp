// Dashes: subpaths cut by length along their curves, cubics split where the dash ends.
#include "svg_dash.h"

#include "xml_tree.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// Samples per cubic for its length: a dash ends within a fraction of a percent of the
// cubic's length of where it should, far below what the logo's tables can show.
constexpr int cubicSamples = 32;

Point mix(Point p, Point q, double t) {
    return {p.x + (q.x - p.x) * t, p.y + (q.y - p.y) * t};
}

Point cubicAt(Point p0, const Segment& s, double t) {
    Point a = mix(p0, s.control1, t), b = mix(s.control1, s.control2, t),
          c = mix(s.control2, s.end, t);
    return mix(mix(a, b, t), mix(b, c, t), t);
}

// The part of the cubic from p0 between parameters t0 and t1.
Segment cubicPart(Point p0, const Segment& s, double t0, double t1) {
    auto after = [](Point p0, Point p1, Point p2, Point p3, double t, Point out[4]) {
        Point a = mix(p0, p1, t), b = mix(p1, p2, t), c = mix(p2, p3, t);
        Point d = mix(a, b, t), e = mix(b, c, t);
        out[0] = mix(d, e, t);
        out[1] = e;
        out[2] = c;
        out[3] = p3;
    };
    Point tail[4], part[4];
    after(p0, s.control1, s.control2, s.end, t0, tail);
    // The tail runs over [t0, 1]; t1 within it, and the part before is what is wanted.
    double u = t0 < 1 ? (t1 - t0) / (1 - t0) : 0;
    Point a = mix(tail[0], tail[1], u), b = mix(tail[1], tail[2], u), c = mix(tail[2], tail[3], u);
    Point d = mix(a, b, u), e = mix(b, c, u);
    part[0] = tail[0];
    part[1] = a;
    part[2] = d;
    part[3] = mix(d, e, u);
    return {true, part[1], part[2], part[3]};
}

// A segment with where it starts and the lengths along it at even parameter steps.
struct Measured {
    Point from;
    Segment segment;
    std::vector<double> lengths; // lengths[k]: from the start to t = k / (size - 1)
};

Measured measure(Point from, const Segment& segment) {
    Measured m{from, segment, {0}};
    if (!segment.cubic) {
        m.lengths.push_back(std::hypot(segment.end.x - from.x, segment.end.y - from.y));
        return m;
    }
    Point last = from;
    for (int k = 1; k <= cubicSamples; ++k) {
        Point p = cubicAt(from, segment, double(k) / cubicSamples);
        m.lengths.push_back(m.lengths.back() + std::hypot(p.x - last.x, p.y - last.y));
        last = p;
    }
    return m;
}

// The parameter at length s along the segment.
double parameterAt(const Measured& m, double s) {
    const std::vector<double>& l = m.lengths;
    if (s <= 0 || l.back() <= 0) {
        return 0;
    }
    if (s >= l.back()) {
        return 1;
    }
    size_t k = std::upper_bound(l.begin(), l.end(), s) - l.begin();
    double span = l[k] - l[k - 1];
    double within = span > 0 ? (s - l[k - 1]) / span : 0;
    return (k - 1 + within) / (l.size() - 1);
}

Point pointAt(const Measured& m, double t) {
    return m.segment.cubic ? cubicAt(m.from, m.segment, t) : mix(m.from, m.segment.end, t);
}

// The piece of a measured subpath between lengths s and e (s <= e).
Subpath piece(const std::vector<Measured>& parts, const std::vector<double>& starts, double s,
              double e) {
    Subpath out{{0, 0}, {}, false};
    bool begun = false;
    for (size_t i = 0; i < parts.size(); ++i) {
        const Measured& m = parts[i];
        double a = starts[i], b = a + m.lengths.back();
        if (b < s || a > e || (begun && b == a)) {
            continue;
        }
        double t0 = parameterAt(m, s - a), t1 = parameterAt(m, e - a);
        if (!begun) {
            out.start = pointAt(m, t0);
            begun = true;
        }
        if (t1 > t0) {
            out.segments.push_back(m.segment.cubic ? cubicPart(m.from, m.segment, t0, t1)
                                                   : Segment{false, {}, {}, pointAt(m, t1)});
        }
        if (b >= e) {
            break;
        }
    }
    if (out.segments.empty()) {
        out.segments.push_back({false, {}, {}, out.start});
    }
    return out;
}

} // namespace

double cssLength(const std::string& value, double fontSize, double percentOf, double otherwise) {
    std::string text = trim(value);
    char* end = nullptr;
    double number = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || !std::isfinite(number)) {
        return otherwise;
    }
    std::string unit = lower(trim(end));
    const std::pair<const char*, double> units[] = {
        {"", 1},         {"px", 1},       {"pt", 96 / 72.0}, {"pc", 16},      {"in", 96},
        {"mm", 96 / 25.4}, {"cm", 96 / 2.54}, {"em", fontSize},  {"ex", fontSize / 2},
        {"%", percentOf / 100}};
    for (const auto& [name, scale] : units) {
        if (unit == name) {
            return number * scale;
        }
    }
    return otherwise;
}

std::vector<double> dashPattern(const std::string& value, double diagonal) {
    std::string text = trim(value);
    std::replace(text.begin(), text.end(), ',', ' ');
    if (text.empty() || lower(text) == "none") {
        return {};
    }
    std::vector<double> pattern;
    double sum = 0;
    size_t at = 0;
    while (at < text.size() && pattern.size() < 1000) {
        size_t end = text.find(' ', at);
        std::string word = text.substr(at, end == std::string::npos ? end : end - at);
        at = end == std::string::npos ? text.size() : end + 1;
        if (word.empty()) {
            continue;
        }
        double length = cssLength(word, 16, diagonal, -1);
        if (!(length >= 0) || length > 1e9) {
            return {};
        }
        pattern.push_back(length);
        sum += length;
    }
    if (!(sum > 0)) {
        return {};
    }
    if (pattern.size() % 2 == 1) {
        pattern.insert(pattern.end(), pattern.begin(), pattern.end());
    }
    return pattern;
}

bool dashSubpaths(std::vector<Subpath>* subpaths, const std::vector<double>& pattern,
                  double offset, size_t maxDashes) {
    double period = 0;
    for (double length : pattern) {
        period += length;
    }
    if (pattern.empty() || !(period > 0) || !std::isfinite(offset)) {
        return true;
    }
    double phase = std::fmod(offset, period);
    phase = phase < 0 ? phase + period : phase;
    std::vector<Subpath> dashed;
    for (const Subpath& subpath : *subpaths) {
        std::vector<Measured> parts;
        std::vector<double> starts;
        double total = 0;
        Point from = subpath.start;
        std::vector<Segment> segments = subpath.segments;
        if (segments.empty()) {
            continue;
        }
        if (subpath.closed && (from.x != segments.back().end.x || from.y != segments.back().end.y)) {
            segments.push_back({false, {}, {}, from});
        }
        for (const Segment& segment : segments) {
            parts.push_back(measure(from, segment));
            starts.push_back(total);
            total += parts.back().lengths.back();
            from = segment.end;
        }
        if (total / period * pattern.size() > 2.0 * maxDashes) {
            return false;
        }
        size_t index = 0;
        double left = phase;
        while (left > 0 && left >= pattern[index]) { // the entry the offset falls in
            left -= pattern[index];
            index = (index + 1) % pattern.size();
        }
        double remaining = pattern[index] - left;
        std::vector<std::pair<double, double>> on;
        for (double at = 0; at < total || (total == 0 && at == 0);) {
            if (index % 2 == 0) {
                on.push_back({at, std::min(at + remaining, total)});
            }
            at += remaining;
            index = (index + 1) % pattern.size();
            remaining = pattern[index];
            if (total == 0) {
                break;
            }
        }
        size_t first = dashed.size();
        for (const auto& [s, e] : on) {
            dashed.push_back(piece(parts, starts, s, e));
        }
        bool wraps = subpath.closed && on.size() >= 2 && on.front().first == 0 &&
                     on.back().second == total;
        if (wraps) { // the last dash runs on into the first across the start
            Subpath& last = dashed.back();
            Subpath& head = dashed[first];
            last.segments.insert(last.segments.end(), head.segments.begin(), head.segments.end());
            head = std::move(last);
            dashed.pop_back();
        } else if (subpath.closed && on.size() == 1 && on[0].first == 0 && on[0].second == total) {
            dashed.back() = subpath; // one dash all the way round: the closed path as it was
        }
        if (dashed.size() > maxDashes) {
            return false;
        }
    }
    *subpaths = std::move(dashed);
    return true;
}
