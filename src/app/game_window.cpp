#include "app/game_window.h"

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
    const double scale = screenScale();
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
