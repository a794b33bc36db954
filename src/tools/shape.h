// The shape check of check: what keeps one GL_POLYGON from filling an outline correctly.
#pragma once

#include <string>
#include <vector>

// A point of an outline and the line of the file it came from.
struct Vertex {
    double x, y;
    int line;
};

// Whether the polygon called name, its points in file order, is flat, turns back on itself,
// crosses itself or is concave; then *line and *text say where and what, as a warning. False
// for a shape one GL_POLYGON fills correctly, and for points that are not all finite.
bool shapeProblem(const std::vector<Vertex>& points, const std::string& name, int* line,
                  std::string* text);
