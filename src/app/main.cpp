#include "app/game_window.h"
#include "app/platform.h"
#include "render/glut.h"
#include "world/world.h"

int main(int argc, char** argv) {
    detachConsole();
    createWorld(world);
    openGameWindow(argc, argv);
    glutMainLoop();  // never returns: closing the window ends the process
    return 0;
}
