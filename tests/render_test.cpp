// The calls the slabs, the scene set-up and a whole frame make into GL and GLUT, checked
// call by call against the drawing rules written out below.
#include "animation.h"
#include "gl_recorder.h"
#include "outline.h"
#include "render.h"
#include "shell.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <vector>

namespace {

using Calls = std::vector<std::string>;
using Values = std::vector<double>;

struct Polygon {
    int id;
    std::vector<std::array<double, 2>> points;
};
using Polygons = std::vector<Polygon>;

struct Material {
    Values ambient, diffuse, specular, emission, colour;
};

// The look of each kind of surface, as the logo is meant to appear.
const Material redFace = {
    {0.5, 0, 0, 1}, {0.9, 0, 0, 1}, {0.9, 0, 0, 1}, {0.15, 0, 0, 1}, {1, 0, 0}};
const Material darkFace = {{0.02, 0.02, 0.02, 1},
                           {0.07, 0.07, 0.07, 1},
                           {0.07, 0.07, 0.07, 1},
                           {0.15, 0.15, 0.15, 1},
                           {0, 0, 0}};
const Material tpFace = {
    {0, 0, 0, 1}, {0.2, 0.2, 0.2, 1}, {0.2, 0.2, 0.2, 1}, {0.05, 0.05, 0.05, 1}, {0, 0, 0}};
const Material redWall = {
    {0.3, 0, 0, 1}, {0.9, 0, 0, 1}, {0.9, 0, 0, 1}, {0.15, 0, 0, 1}, {0.85, 0, 0}};
const Material darkWall = {
    {0, 0, 0, 1}, {0.2, 0.2, 0.2, 1}, {0.2, 0.2, 0.2, 1}, {0.15, 0.15, 0.15, 1}, {0.1, 0.1, 0.1}};

void add(Calls& calls, const char* name, const Values& args) {
    calls.push_back(glCall(name, args));
}

Values join(Values head, const Values& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

void material(Calls& calls, const Material& set) {
    add(calls, "glMaterialfv", join({GL_FRONT_AND_BACK, GL_AMBIENT}, set.ambient));
    add(calls, "glMaterialfv", join({GL_FRONT_AND_BACK, GL_DIFFUSE}, set.diffuse));
    add(calls, "glMaterialfv", join({GL_FRONT_AND_BACK, GL_SPECULAR}, set.specular));
    add(calls, "glMaterialfv", join({GL_FRONT_AND_BACK, GL_EMISSION}, set.emission));
    add(calls, "glColor3f", set.colour);
}

bool isRed(int id) {
    return id >= 1 && id <= 3;
}

// Every front face (z = 0) of the table, then every back face (z = 0.1).
void caps(Calls& calls, const Polygons& table, bool tp) {
    for (double z : {0.0, 0.1}) {
        for (const Polygon& polygon : table) {
            material(calls, tp ? tpFace : isRed(polygon.id) ? redFace : darkFace);
            add(calls, "glBegin", {GL_POLYGON});
            for (const auto& point : polygon.points) {
                add(calls, "glVertex3f", {point[0], point[1], z});
            }
            add(calls, "glEnd", {});
        }
    }
}

// One strip per polygon, a pair per point and the first pair again to close it.
void sides(Calls& calls, const Polygons& table, bool tp) {
    for (const Polygon& polygon : table) {
        if (tp) {
            add(calls, "glColor3f", {0.1, 0.1, 0.1});
        } else {
            material(calls, isRed(polygon.id) ? redWall : darkWall);
        }
        add(calls, "glBegin", {GL_TRIANGLE_STRIP});
        auto points = polygon.points;
        points.push_back(points.front());
        for (const auto& point : points) {
            add(calls, "glVertex3f", {point[0], point[1], 0.099});
            add(calls, "glVertex3f", {point[0], point[1], 0});
        }
        add(calls, "glEnd", {});
    }
}

Calls sceneSetup() {
    Values texels;
    for (int i = 0; i < 16; ++i) {
        texels.insert(texels.end(), {i < 5 ? 255.0 : 0.0, i < 5 ? 0.0 : 255.0, 0});
    }
    Calls calls;
    add(calls, "glClearColor", {1, 1, 1, 0});
    add(calls, "glPixelStorei", {GL_UNPACK_ALIGNMENT, 1});
    add(calls, "glTexEnvf", {GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE});
    add(calls, "glTexParameterf", {GL_TEXTURE_1D, GL_TEXTURE_WRAP_S, GL_REPEAT});
    add(calls, "glTexParameterf", {GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_LINEAR});
    add(calls, "glTexParameterf", {GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_LINEAR});
    add(calls, "glTexImage1D",
        join({GL_TEXTURE_1D, 0, 3, 16, 0, GL_RGB, GL_UNSIGNED_BYTE}, texels));
    add(calls, "glTexGeni", {GL_S, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR});
    add(calls, "glTexGenfv", {GL_S, GL_OBJECT_PLANE, 5.5, 3.5, 1.5, 0});
    add(calls, "glEnable", {GL_DEPTH_TEST});
    add(calls, "glDepthFunc", {GL_LESS});
    for (double cap :
         {GL_TEXTURE_GEN_S, GL_TEXTURE_1D, GL_LIGHTING, GL_LIGHT0, GL_LIGHT1, GL_COLOR_MATERIAL}) {
        add(calls, "glEnable", {cap});
    }
    add(calls, "glColorMaterial", {GL_FRONT, GL_AMBIENT_AND_DIFFUSE});
    add(calls, "glShadeModel", {GL_SMOOTH});
    add(calls, "glLightfv", {GL_LIGHT0, GL_AMBIENT, 0.7, 0.7, 0.7, 0});
    add(calls, "glLightfv", {GL_LIGHT0, GL_DIFFUSE, 1, 1, 1, 0});
    add(calls, "glLightfv", {GL_LIGHT0, GL_SPECULAR, 1, 1, 1, 1});
    add(calls, "glLightfv", {GL_LIGHT0, GL_POSITION, -1.5, -0.5, 0.5, 1});
    add(calls, "glLightfv", {GL_LIGHT1, GL_AMBIENT, 0.7, 0.7, 0.7, 0});
    add(calls, "glLightfv", {GL_LIGHT1, GL_DIFFUSE, 1, 1, 1, 0});
    add(calls, "glLightfv", {GL_LIGHT1, GL_SPECULAR, 1, 1, 1, 1});
    add(calls, "glLightfv", {GL_LIGHT1, GL_POSITION, -0.5, -1, -1.5, 0});
    add(calls, "glLightf", {GL_LIGHT1, GL_CONSTANT_ATTENUATION, 2.5});
    add(calls, "glLightfv", {GL_LIGHT1, GL_SPOT_DIRECTION, -0.5, -1, -0.5});
    add(calls, "glLightf", {GL_LIGHT1, GL_SPOT_EXPONENT, 1});
    add(calls, "glPolygonMode", {GL_FRONT_AND_BACK, GL_FILL});
    return calls;
}

// Empties both tables, then writes the polygons from slot 1 on.
void fill(const Polygons& p, const Polygons& tp) {
    resetOutline();
    for (auto [table, polygons] : {std::make_pair(pTable, &p), std::make_pair(tpTable, &tp)}) {
        int slot = 1;
        for (const Polygon& polygon : *polygons) {
            for (const auto& point : polygon.points) {
                table[slot++] = {polygon.id, point[0], point[1]};
            }
        }
    }
}

// Compares the recorded stream with the expected one, reporting the first difference.
void expectRecorded(const char* what, const Calls& expected) {
    for (size_t i = 0; i < expected.size() && i < glCalls.size(); ++i) {
        ASSERT_EQ(glCalls[i], expected[i]) << what << ": call " << i << " of " << expected.size();
    }
    EXPECT_EQ(glCalls.size(), expected.size()) << what;
}

Calls drawn(const Polygons& p, const Polygons& tp, void (*draw)(),
            void (*expect)(Calls&, const Polygons&, bool)) {
    fill(p, tp);
    glCalls.clear();
    draw();
    Calls calls;
    expect(calls, p, false);
    expect(calls, tp, true);
    return calls;
}

TEST(Slabs, MaterialsAndVerticesPerIdAndTable) {
    const Polygons p = {
        {1, {{-2.8, 0.1}, {-2.7, 0.1}, {-2.62, 0.4}}},
        {2, {{-2.65, 0.1}, {-2.55, 0.1}, {-2.47, 0.4}, {-2.57, 0.4}}},
        {3, {{-2.5, 0.1}}},
        {4, {{-2.95, -0.12}, {-2.6, -0.12}, {-2.6, -0.02}, {-2.8, 0}, {-2.95, -0.02}}},
        {5, {{-2.54, -0.12}, {-2.19, -0.12}, {-2.19, -0.02}}}};
    const Polygons tp = {{1, {{-2.95, -0.22}, {-2.19, -0.22}, {-2.19, -0.17}, {-2.95, -0.17}}},
                         {2, {{-2.3, -0.3}, {-2.2, -0.3}, {-2.25, -0.25}}}};
    expectRecorded("faces", drawn(p, tp, drawCaps, caps));
    expectRecorded("walls", drawn(p, tp, drawSides, sides));
}

TEST(Slabs, EmptyAndFullTables) {
    fill({}, {});
    glCalls.clear();
    drawCaps();
    drawSides();
    EXPECT_TRUE(glCalls.empty()) << glCalls.front();

    // Without P polygons the TP walls set no material of their own.
    const Polygons tp = {{1, {{0.5, 0.5}, {0.6, 0.5}, {0.6, 0.7}}}};
    expectRecorded("TP only, faces", drawn({}, tp, drawCaps, caps));
    expectRecorded("TP only, walls", drawn({}, tp, drawSides, sides));

    // Both tables used up to their last slot, with no empty slot to end the data; the last
    // polygon of each is the one point in slot 839.
    Polygons p = {{1, {}}, {4, {}}, {6, {}}};
    Polygons tpFull = {{1, {}}, {2, {}}};
    for (int slot = 1; slot < 840; ++slot) {
        p[slot <= 420  ? 0
          : slot < 839 ? 1
                       : 2]
            .points.push_back({-3 + slot * 0.001, (slot % 7) * 0.01});
        tpFull[slot < 839 ? 0 : 1].points.push_back({-2 + slot * 0.001, -(slot % 5) * 0.01});
    }
    expectRecorded("full, faces", drawn(p, tpFull, drawCaps, caps));
    expectRecorded("full, walls", drawn(p, tpFull, drawSides, sides));
}

TEST(Scene, SetupSequence) {
    glCalls.clear();
    setupScene();
    expectRecorded("set-up", sceneSetup());
}

// The polygons of tests/data/slabs.txt: P ids 2 and 3 are empty sections.
const Polygons slabsP = {
    {1, {{-3.17, -0.24}, {-2.62, -0.24}, {-2.62, 0.46}, {-3.17, 0.46}}},
    {4, {{-2.52, -0.24}, {-1.97, -0.24}, {-1.97, 0.46}, {-2.245, 0.56}, {-2.52, 0.46}}}};
const Polygons slabsTp = {{1, {{-3.17, -0.54}, {-1.97, -0.54}, {-1.97, -0.34}, {-3.17, -0.34}}}};

Calls frame(int n, double scale) {
    Calls calls;
    add(calls, "glClear", {GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT});
    add(calls, "glPushMatrix", {});
    add(calls, "glRotatef", {3.0 * n, 1, 0, 0});
    add(calls, "glRotatef", {5.0 * n, 0, 1, 0});
    add(calls, "glRotatef", {2.0 * n, 0, 0, 1});
    add(calls, "glScalef", {scale, scale, scale});
    add(calls, "glTranslatef", {2.57, -0.01, 0});
    add(calls, "glLightfv", {GL_LIGHT0, GL_POSITION, -1.5, -0.5, 0.5, 1});
    caps(calls, slabsP, false);
    caps(calls, slabsTp, true);
    Calls setup = sceneSetup();
    calls.insert(calls.end(), setup.begin(), setup.end());
    sides(calls, slabsP, false);
    sides(calls, slabsTp, true);
    add(calls, "glPopMatrix", {});
    add(calls, "glutPostRedisplay", {});
    add(calls, "glutSwapBuffers", {});
    return calls;
}

TEST(Frame, FirstAndTwentiethFrame) {
    outlineFile = std::fopen(TEST_DATA_DIR "/slabs.txt", "r");
    ASSERT_NE(outlineFile, nullptr);
    resetOutline();
    animation = {0, 0, 0, 1, 1, 1, 1.0, 1};
    glCalls.clear();
    drawFrame();
    expectRecorded("frame 0", frame(0, 1));
    for (int n = 1; n < 20; ++n) {
        drawFrame();
    }
    glCalls.clear();
    drawFrame();
    // The twentieth step overshoots 2 and is held at exactly 2.
    expectRecorded("frame 20", frame(20, 2));
    std::fclose(outlineFile);
    outlineFile = nullptr;
}

} // namespace
