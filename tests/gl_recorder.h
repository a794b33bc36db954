// A stand-in for the GL and GLUT entry points the drawing code uses: every call is recorded
// as text, so that tests can compare the whole stream with the one they expect.
#pragma once

#include <string>
#include <vector>

// The calls made since the last clear, each as name(arg, arg, ...); arrays a call reads
// (material and light vectors, texels) follow its plain arguments.
extern std::vector<std::string> glCalls;

// The text a call with these arguments is recorded as. Every value is shown as the float
// it becomes, so a double written in a test matches the float the program sends.
std::string glCall(const char* name, const std::vector<double>& args);
