#include "app/callbacks.h"

#include "input/keyboard.h"
#include "render/glut.h"
#include "world/world.h"

static_assert(keyLeft == GLUT_KEY_LEFT && keyUp == GLUT_KEY_UP && keyRight == GLUT_KEY_RIGHT,
              "the game's arrow-key codes are GLUT's");

void visibilityChanged(int state) {
    if (state == GLUT_VISIBLE) {
        glutIdleFunc(updateWorld);
    }
}

void keyPressed(unsigned char key, int /*x*/, int /*y*/) { keyPressed(world, key); }

void specialKeyDown(int key, int /*x*/, int /*y*/) { specialKeyDown(world, key); }

void specialKeyUp(int key, int /*x*/, int /*y*/) { specialKeyUp(world, key); }
