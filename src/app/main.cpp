// The program's entry: opens logo.txt, creates the window and hands over to GLUT.
#include "logo_file.h"
#include "outline.h"
#include "render.h"
#include "shell.h"

#include <GL/glut.h>

#include <cstdio>

namespace {

const char* const openFailure =
    "Erro ao abrir arquivo logo.txt. Certifique-se que ele existe em seu diretorio.\n";
const char* const windowTitle = "Logotipo da VESTRAL";
constexpr int windowSize = 500;
constexpr int windowX = 100, windowY = 50;

} // namespace

int main(int argc, char** argv) {
    // Nothing of GLUT is touched before the outline file is known to open.
    if (!openLogoFile()) {
        std::fputs(openFailure, stderr);
        return 1;
    }
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    // After glutInit, so the window is always 500 by 500 at (100, 50), whatever -geometry says.
    glutInitWindowSize(windowSize, windowSize);
    glutInitWindowPosition(windowX, windowY);
    glutCreateWindow(windowTitle);
    setupScene();
    glutDisplayFunc(drawFrame);
    glutReshapeFunc(onReshape);
    glutSpecialFunc(onSpecialKey);
    glutMainLoop();
    std::fclose(outlineFile);
    return 0;
}
