// The game with its pace chosen by the harness and its steps, frames and key callbacks timed.
// The window, the world and every callback are the game's own; the display and special-key
// callbacks are wrapped to take their times.

#include "app/callbacks.h"
#include "app/game_window.h"
#include "game_recorder.h"
#include "render/glut.h"
#include "render/scene.h"
#include "world/world.h"

namespace {

// Mesa's software path ends the swap with a round trip to the X server, so when the display
// callback returns, the frame is on the server.
void displayAndRecord() {
    displayScene();
    recordEvent(EventKind::frame);
}

void specialKeyDownAndRecord(int key, int x, int y) {
    specialKeyDown(key, x, y);
    recordEvent(EventKind::keyDown);
}

void specialKeyUpAndRecord(int key, int x, int y) {
    specialKeyUp(key, x, y);
    recordEvent(EventKind::keyUp);
}

}  // namespace

int main(int argc, char** argv) {
    startRecording();
    createWorld(world);
    openGameWindow(argc, argv);
    glutDisplayFunc(displayAndRecord);
    glutSpecialFunc(specialKeyDownAndRecord);
    glutSpecialUpFunc(specialKeyUpAndRecord);
    glutMainLoop();
    return 0;
}
