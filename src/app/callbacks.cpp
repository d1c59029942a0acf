#include "app/callbacks.h"

#include "input/controls.h"
#include "input/keyboard.h"
#include "render/glut.h"
#include "world/world.h"

static_assert(keyLeft == GLUT_KEY_LEFT && keyUp == GLUT_KEY_UP && keyRight == GLUT_KEY_RIGHT,
              "the game's arrow-key codes are GLUT's");

Controls controls;

// A window shown again may be on another display, or its swaps paced once more.
void visibilityChanged(int state) {
    if (state == GLUT_VISIBLE) {
        glutIdleFunc(updateWorld);
        drawEveryRefresh();
    }
}

// GLUT gives Space's press alone.
void keyPressed(unsigned char key, int /*x*/, int /*y*/) {
    if (key == fireKey) {
        pressControl(world, controls, Control::fire, keyboard);
    }
}

void specialKeyDown(int key, int /*x*/, int /*y*/) {
    if (const auto control = controlOfKey(key)) {
        pressControl(world, controls, *control, keyboard);
    }
}

void specialKeyUp(int key, int /*x*/, int /*y*/) {
    if (const auto control = controlOfKey(key)) {
        releaseControl(world, controls, *control, keyboard);
    }
}
