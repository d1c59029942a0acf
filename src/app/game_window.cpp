#include "app/game_window.h"

#include <algorithm>
#include <cmath>

#include "app/callbacks.h"
#include "app/pads.h"
#include "app/platform.h"
#include "render/glut.h"
#include "render/opengl.h"
#include "render/picture.h"
#include "world/world.h"

void openGameWindow(int& argc, char** argv) {
    requireDisplay(argc, argv);
    prepareRenderer();
    glutInit(&argc, argv);
    installClocks();
    glutInitWindowPosition(0, 0);
    // A desktop's setting may say anything (Xft.dpi is a line of text): the window opens from half to
    // five times its size, as screens are scaled, and never at a size the window system cannot give.
    const double scale = std::clamp(screenScale(), 0.5, 5.0);
    glutInitWindowSize(static_cast<int>(std::lround(windowWidth * scale)),
                       static_cast<int>(std::lround(windowHeight * scale)));
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGB);
    glutCreateWindow("Bexum Asteroids Game");
    requestPacedSwaps();

    glutDisplayFunc(displayScene);
    glutReshapeFunc(resizeRendering);
    glutVisibilityFunc(visibilityChanged);
    glutIdleFunc(updateWorld);
    glutKeyboardFunc(keyPressed);
    glutSpecialFunc(specialKeyDown);
    glutSpecialUpFunc(specialKeyUp);
    glutIgnoreKeyRepeat(1);  // a held key gives one press and one release

    setUpRendering();
    world.windowId = glutGetWindow();
    openPads();
}
