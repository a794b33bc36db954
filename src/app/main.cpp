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
    // Size and place before glutInit, so that GLUT's -geometry option can change them.
    glutInitWindowSize(windowSize, windowSize);
    glutInitWindowPosition(windowX, windowY);
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow(windowTitle);
    setupScene();
    glutDisplayFunc(drawFrame);
    glutReshapeFunc(onReshape);
    glutSpecialFunc(onSpecialKey);
    glutMainLoop();
    std::fclose(outlineFile);
    return 0;
}
