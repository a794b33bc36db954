// The window's callbacks: the frame cycle, the projection on resize and the END key.
#include "shell.h"

#include "animation.h"
#include "logo_file.h"
#include "outline.h"
#include "render.h"

#include <GL/glut.h>

#include <cstdlib>

namespace {

constexpr double viewDepth = 10;
// Brings the outline's view centre to the centre of the view.
constexpr float originX = static_cast<float>(-viewCentreX);
constexpr float originY = static_cast<float>(-viewCentreY);

// The program's read of a frame: logo.txt as its name stands now, into the tables.
void readLogo() {
    followLogoFile();
    loadOutline();
}

} // namespace

// One complete frame, then one step of the animation. The order of light 0, the read, the
// faces, setupScene and the walls decides which light placement each surface sees.
void runFrame(void (*read)()) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    glRotatef(animation.angleX, 1, 0, 0);
    glRotatef(animation.angleY, 0, 1, 0);
    glRotatef(animation.angleZ, 0, 0, 1);
    glScalef(animation.scaleX, animation.scaleY, animation.scaleZ);
    glTranslatef(originX, originY, 0);
    glLightfv(GL_LIGHT0, GL_POSITION, light0Position);
    read();
    drawCaps();
    setupScene();
    drawSides();
    glPopMatrix();
    advanceAnimation();
    glutPostRedisplay();
    glutSwapBuffers();
}

void drawFrame() {
    runFrame(readLogo);
}

// A view 2 units wide; its height follows the window's aspect ratio.
void onReshape(int width, int height) {
    if (height == 0) {
        height = 1;
    }
    if (width == 0) {
        width = 1;
    }
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, height * -1.0 / width, height * 1.0 / width, -viewDepth, viewDepth);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void onSpecialKey(int key, int, int) {
    if (key == GLUT_KEY_END) {
        std::exit(0);
    }
    glutPostRedisplay();
}
