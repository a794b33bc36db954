// Random drawings for the importer's stress runs: polygons at odd angles, turned circles and
// strokes in red, dark and white, piled on each other so that their edges cross everywhere.
#pragma once

#include "drawing.h"

#include <cmath>
#include <random>

inline Segment randomLine(double x, double y) {
    return {false, {}, {}, {x, y}};
}

inline Drawing randomDrawing(std::mt19937& random) {
    std::uniform_real_distribution<double> unit(0, 1);
    const Colour colours[] = {{220, 20, 30}, {20, 20, 20}, {255, 255, 255}, {30, 40, 120}};
    Drawing drawing;
    int shapes = 3 + static_cast<int>(random() % 10);
    for (int s = 0; s < shapes; ++s) {
        Shape shape;
        double cx = 100 * unit(random), cy = 100 * unit(random), r = 5 + 40 * unit(random);
        Subpath path{{0, 0}, {}, true};
        int kind = static_cast<int>(random() % 3);
        if (kind == 0) { // a polygon of random corners around the centre
            int corners = 3 + static_cast<int>(random() % 6);
            for (int i = 0; i < corners; ++i) {
                double a = 2 * M_PI * (i + 0.8 * unit(random)) / corners;
                double rr = r * (0.3 + 0.7 * unit(random));
                Point p{cx + rr * std::cos(a), cy + rr * std::sin(a)};
                if (i == 0) {
                    path.start = p;
                } else {
                    path.segments.push_back(randomLine(p.x, p.y));
                }
            }
        } else { // a circle of four cubics, turned
            double k = 0.5522847498307936 * r, t = unit(random);
            auto at = [&](double x, double y) {
                return Point{cx + x * std::cos(t) - y * std::sin(t),
                             cy + x * std::sin(t) + y * std::cos(t)};
            };
            path.start = at(r, 0);
            path.segments = {{true, at(r, k), at(k, r), at(0, r)},
                             {true, at(-k, r), at(-r, k), at(-r, 0)},
                             {true, at(-r, -k), at(-k, -r), at(0, -r)},
                             {true, at(k, -r), at(r, -k), at(r, 0)}};
        }
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
