// Random drawings for the importer's stress runs: polygons at odd angles, turned circles and
// strokes in red, dark and white, piled on each other so that their edges cross everywhere.
#pragma once

#include "drawing.h"

#include <cmath>
#include <random>

// A polygon of 3 to 8 random corners around (cx, cy), each within r of it.
inline Subpath randomPolygon(std::mt19937& random, double cx, double cy, double r) {
    std::uniform_real_distribution<double> unit(0, 1);
    Subpath path{{0, 0}, {}, true};
    int corners = 3 + static_cast<int>(random() % 6);
    for (int i = 0; i < corners; ++i) {
        double a = 2 * M_PI * (i + 0.8 * unit(random)) / corners;
        double rr = r * (0.3 + 0.7 * unit(random));
        Point p{cx + rr * std::cos(a), cy + rr * std::sin(a)};
        if (i == 0) {
            path.start = p;
        } else {
            path.segments.push_back({false, {}, {}, p});
        }
    }
    return path;
}

// A circle of four cubics around (cx, cy), turned by turn radians.
inline Subpath turnedCircle(double cx, double cy, double r, double turn) {
    double k = 0.5522847498307936 * r;
    auto at = [&](double x, double y) {
        return Point{cx + x * std::cos(turn) - y * std::sin(turn),
                     cy + x * std::sin(turn) + y * std::cos(turn)};
    };
    return {at(r, 0),
            {{true, at(r, k), at(k, r), at(0, r)},
             {true, at(-k, r), at(-r, k), at(-r, 0)},
             {true, at(-r, -k), at(-k, -r), at(0, -r)},
             {true, at(k, -r), at(r, -k), at(r, 0)}},
            true};
}

inline Drawing randomDrawing(std::mt19937& random) {
    std::uniform_real_distribution<double> unit(0, 1);
    const Colour colours[] = {{220, 20, 30}, {20, 20, 20}, {255, 255, 255}, {30, 40, 120}};
    Drawing drawing;
    int shapes = 3 + static_cast<int>(random() % 10);
    for (int s = 0; s < shapes; ++s) {
        Shape shape;
        double cx = 100 * unit(random), cy = 100 * unit(random), r = 5 + 40 * unit(random);
        int kind = static_cast<int>(random() % 3);
        Subpath path =
            kind == 0 ? randomPolygon(random, cx, cy, r) : turnedCircle(cx, cy, r, unit(random));
        shape.subpaths = {path};
        const Colour& colour = colours[random() % 4];
        if (kind == 2 && random() % 2 == 0) {
            shape.stroke = {true, colour, 1, {}};
            shape.strokeWidth = 1 + 6 * unit(random);
            shape.lineJoin = static_cast<LineJoin>(random() % 3);
        } else {
            shape.fill = {true, colour, 1, {}};
        }
        if (random() % 4 == 0) {
            shape.transform = {1, 0.3 * unit(random), 0.2, 0.7 + unit(random), 0, 0};
        }
        drawing.shapes.push_back(std::move(shape));
    }
    return drawing;
}
