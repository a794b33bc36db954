// Extruded slabs, their materials, the two lights and the generated stripe texture.
#include "render.h"

#include "outline.h"

#include <GL/gl.h>

#include <initializer_list>

const float light0Position[4] = {-1.5f, -0.5f, 0.5f, 1.0f};

namespace {

// One set of material values, applied to front and back alike, then the colour that
// colour tracking turns into the front ambient and diffuse.
struct MaterialSet {
    GLfloat ambient[4];
    GLfloat diffuse[4];
    GLfloat specular[4];
    GLfloat emission[4];
    GLfloat colour[3];
};

const MaterialSet redFace = {
    {0.5f, 0, 0, 1}, {0.9f, 0, 0, 1}, {0.9f, 0, 0, 1}, {0.15f, 0, 0, 1}, {1, 0, 0}};
const MaterialSet darkFace = {{0.02f, 0.02f, 0.02f, 1},
                              {0.07f, 0.07f, 0.07f, 1},
                              {0.07f, 0.07f, 0.07f, 1},
                              {0.15f, 0.15f, 0.15f, 1},
                              {0, 0, 0}};
const MaterialSet tpFace = {{0, 0, 0, 1},
                            {0.2f, 0.2f, 0.2f, 1},
                            {0.2f, 0.2f, 0.2f, 1},
                            {0.05f, 0.05f, 0.05f, 1},
                            {0, 0, 0}};
const MaterialSet redWall = {
    {0.3f, 0, 0, 1}, {0.9f, 0, 0, 1}, {0.9f, 0, 0, 1}, {0.15f, 0, 0, 1}, {0.85f, 0, 0}};
const MaterialSet darkWall = {{0, 0, 0, 1},
                              {0.2f, 0.2f, 0.2f, 1},
                              {0.2f, 0.2f, 0.2f, 1},
                              {0.15f, 0.15f, 0.15f, 1},
                              {0.1f, 0.1f, 0.1f}};
// TP walls change only the colour and keep the material last in force.
const GLfloat tpWallColour[3] = {0.1f, 0.1f, 0.1f};

constexpr double frontZ = 0.0;
constexpr double backZ = 0.1;
constexpr double wallFarZ = 0.099; // stops just short of the back face

// Stripe texture: 16 RGB texels, red up to texel 4, green from texel 5.
constexpr int stripeTexels = 16;
constexpr int lastRedTexel = 4;
GLubyte stripeTexel[stripeTexels * 3];
const GLfloat texturePlane[4] = {5.5f, 3.5f, 1.5f, 0};

const GLfloat light0Ambient[4] = {0.7f, 0.7f, 0.7f, 0};
const GLfloat light0Diffuse[4] = {1, 1, 1, 0};
const GLfloat light0Specular[4] = {1, 1, 1, 1};
const GLfloat light1Ambient[4] = {0.7f, 0.7f, 0.7f, 0};
const GLfloat light1Diffuse[4] = {1, 1, 1, 0};
const GLfloat light1Specular[4] = {1, 1, 1, 1};
const GLfloat light1Position[4] = {-0.5f, -1, -1.5f, 0};
const GLfloat light1SpotDirection[3] = {-0.5f, -1, -0.5f};

void applyMaterial(const MaterialSet& set) {
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, set.ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, set.diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, set.specular);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, set.emission);
    glColor3f(set.colour[0], set.colour[1], set.colour[2]);
}

const MaterialSet& faceSet(const OutlinePoint* table, int polygonId) {
    if (table == tpTable) {
        return tpFace;
    }
    return polygonId < firstDarkId ? redFace : darkFace;
}

// The slot after the run of polygonId that starts at slot first.
int runEnd(const OutlinePoint* table, int first) {
    int slot = first;
    while (slot < outlineSlots && table[slot].polygonId == table[first].polygonId) {
        ++slot;
    }
    return slot;
}

void drawTableCaps(const OutlinePoint* table) {
    for (double z : {frontZ, backZ}) {
        int slot = 1;
        while (slot < outlineSlots && table[slot].polygonId != 0) {
            int end = runEnd(table, slot);
            applyMaterial(faceSet(table, table[slot].polygonId));
            glBegin(GL_POLYGON);
            for (; slot < end; ++slot) {
                glVertex3f(static_cast<GLfloat>(table[slot].x), static_cast<GLfloat>(table[slot].y),
                           static_cast<GLfloat>(z));
            }
            glEnd();
        }
    }
}

void wallPair(const OutlinePoint& point) {
    auto x = static_cast<GLfloat>(point.x);
    auto y = static_cast<GLfloat>(point.y);
    glVertex3f(x, y, static_cast<GLfloat>(wallFarZ));
    glVertex3f(x, y, static_cast<GLfloat>(frontZ));
}

void drawTableSides(const OutlinePoint* table) {
    int slot = 1;
    while (slot < outlineSlots && table[slot].polygonId != 0) {
        int first = slot;
        int end = runEnd(table, slot);
        if (table == tpTable) {
            glColor3f(tpWallColour[0], tpWallColour[1], tpWallColour[2]);
        } else {
            applyMaterial(table[first].polygonId < firstDarkId ? redWall : darkWall);
        }
        glBegin(GL_TRIANGLE_STRIP);
        for (; slot < end; ++slot) {
            wallPair(table[slot]);
        }
        wallPair(table[first]); // closes the wall
        glEnd();
    }
}

void buildStripeTexels() {
    for (int i = 0; i < stripeTexels; ++i) {
        bool red = i <= lastRedTexel;
        stripeTexel[3 * i] = red ? 255 : 0;
        stripeTexel[3 * i + 1] = red ? 0 : 255;
        stripeTexel[3 * i + 2] = 0;
    }
}

} // namespace

void drawCaps() {
    drawTableCaps(pTable);
    drawTableCaps(tpTable);
}

void drawSides() {
    drawTableSides(pTable);
    drawTableSides(tpTable);
}

void setupScene() {
    glClearColor(1, 1, 1, 0);
    buildStripeTexels();
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glTexParameterf(GL_TEXTURE_1D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameterf(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameterf(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexImage1D(GL_TEXTURE_1D, 0, 3, stripeTexels, 0, GL_RGB, GL_UNSIGNED_BYTE, stripeTexel);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    glTexGenfv(GL_S, GL_OBJECT_PLANE, texturePlane);

    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_1D);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glShadeModel(GL_SMOOTH);

    glLightfv(GL_LIGHT0, GL_AMBIENT, light0Ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, light0Diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, light0Specular);
    glLightfv(GL_LIGHT0, GL_POSITION, light0Position);

    glLightfv(GL_LIGHT1, GL_AMBIENT, light1Ambient);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, light1Diffuse);
    glLightfv(GL_LIGHT1, GL_SPECULAR, light1Specular);
    glLightfv(GL_LIGHT1, GL_POSITION, light1Position);
    glLightf(GL_LIGHT1, GL_CONSTANT_ATTENUATION, 2.5f);
    glLightfv(GL_LIGHT1, GL_SPOT_DIRECTION, light1SpotDirection);
    glLightf(GL_LIGHT1, GL_SPOT_EXPONENT, 1.0f);

    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}
