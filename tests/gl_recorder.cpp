// Recording definitions of the GL and GLUT calls made by the drawing code and the frame
// cycle, linked into the drawing tests in place of the real libraries.
#include "gl_recorder.h"

#include <GL/glut.h>

#include <cstdio>

std::vector<std::string> glCalls;

std::string glCall(const char* name, const std::vector<double>& args) {
    std::string text = std::string(name) + "(";
    for (size_t i = 0; i < args.size(); ++i) {
        char number[32];
        std::snprintf(number, sizeof number, "%s%.9g", i > 0 ? ", " : "",
                      static_cast<double>(static_cast<float>(args[i])));
        text += number;
    }
    return text + ")";
}

namespace {

template <typename... Args> void record(const char* name, Args... args) {
    glCalls.push_back(glCall(name, {static_cast<double>(args)...}));
}

template <typename T, typename... Args>
void recordArray(const char* name, const T* values, int count, Args... args) {
    std::vector<double> all = {static_cast<double>(args)...};
    all.insert(all.end(), values, values + count);
    glCalls.push_back(glCall(name, all));
}

} // namespace

void glBegin(GLenum mode) {
    record("glBegin", mode);
}
void glEnd() {
    record("glEnd");
}
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    record("glVertex3f", x, y, z);
}
void glColor3f(GLfloat r, GLfloat g, GLfloat b) {
    record("glColor3f", r, g, b);
}
void glMaterialfv(GLenum face, GLenum pname, const GLfloat* params) {
    recordArray("glMaterialfv", params, pname == GL_SHININESS ? 1 : 4, face, pname);
}

void glClear(GLbitfield mask) {
    record("glClear", mask);
}
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    record("glClearColor", r, g, b, a);
}
void glPushMatrix() {
    record("glPushMatrix");
}
void glPopMatrix() {
    record("glPopMatrix");
}
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    record("glRotatef", angle, x, y, z);
}
void glScalef(GLfloat x, GLfloat y, GLfloat z) {
    record("glScalef", x, y, z);
}
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    record("glTranslatef", x, y, z);
}
void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    record("glViewport", x, y, width, height);
}
void glMatrixMode(GLenum mode) {
    record("glMatrixMode", mode);
}
void glLoadIdentity() {
    record("glLoadIdentity");
}
void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear,
             GLdouble zFar) {
    record("glOrtho", left, right, bottom, top, zNear, zFar);
}

void glPixelStorei(GLenum pname, GLint param) {
    record("glPixelStorei", pname, param);
}
void glTexEnvf(GLenum target, GLenum pname, GLfloat param) {
    record("glTexEnvf", target, pname, param);
}
void glTexParameterf(GLenum target, GLenum pname, GLfloat param) {
    record("glTexParameterf", target, pname, param);
}
void glTexImage1D(GLenum target, GLint level, GLint components, GLsizei width, GLint border,
                  GLenum format, GLenum type, const GLvoid* pixels) {
    // Only RGB bytes are read back; any other layout records no texels and fails the check.
    int bytes = format == GL_RGB && type == GL_UNSIGNED_BYTE ? 3 * width : 0;
    recordArray("glTexImage1D", static_cast<const GLubyte*>(pixels), bytes, target, level,
                components, width, border, format, type);
}
void glTexGeni(GLenum coord, GLenum pname, GLint param) {
    record("glTexGeni", coord, pname, param);
}
void glTexGenfv(GLenum coord, GLenum pname, const GLfloat* params) {
    recordArray("glTexGenfv", params, 4, coord, pname);
}
void glEnable(GLenum cap) {
    record("glEnable", cap);
}
void glDepthFunc(GLenum func) {
    record("glDepthFunc", func);
}
void glColorMaterial(GLenum face, GLenum mode) {
    record("glColorMaterial", face, mode);
}
void glShadeModel(GLenum mode) {
    record("glShadeModel", mode);
}
void glLightfv(GLenum light, GLenum pname, const GLfloat* params) {
    recordArray("glLightfv", params, pname == GL_SPOT_DIRECTION ? 3 : 4, light, pname);
}
void glLightf(GLenum light, GLenum pname, GLfloat param) {
    record("glLightf", light, pname, param);
}
void glPolygonMode(GLenum face, GLenum mode) {
    record("glPolygonMode", face, mode);
}

void glutPostRedisplay() {
    record("glutPostRedisplay");
}
void glutSwapBuffers() {
    record("glutSwapBuffers");
}
