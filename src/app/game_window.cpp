#include "app/game_window.h"

#include "app/callbacks.h"
#include "app/pads.h"
#include "app/platform.h"
#include "render/glut.h"
#include "render/opengl.h"
#include "world/world.h"

void openGameWindow(int& argc, char** argv) {
    requireDisplay(argc, argv);
    prepareRenderer();
    glutInit(&argc, argv);
    installClocks();
    glutInitWindowPosition(0, 0);
    glutInitWindowSize(720, 640);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGB);
    glutCreateWindow("Bexum Asteroids Game");
    requestPacedSwaps();

    glutDisplayFunc(displayScene);
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
