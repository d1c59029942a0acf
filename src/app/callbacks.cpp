#include "app/callbacks.h"

#include "input/keyboard.h"
#include "render/glut.h"
#include "render/opengl.h"
#include "render/picture.h"
#include "render/scene.h"
#include "world/world.h"

static_assert(keyLeft == GLUT_KEY_LEFT && keyUp == GLUT_KEY_UP && keyRight == GLUT_KEY_RIGHT,
              "the game's arrow-key codes are GLUT's");

void displayScene() {
    static Picture picture;  // kept from frame to frame, so that drawing allocates nothing
    describeScene(world, picture);
    drawPicture(picture);
    glutSwapBuffers();
}

void visibilityChanged(int state) {
    if (state == GLUT_VISIBLE) {
        glutIdleFunc(updateWorld);
    }
}

void keyPressed(unsigned char key, int /*x*/, int /*y*/) { keyPressed(world, key); }

void specialKeyDown(int key, int /*x*/, int /*y*/) { specialKeyDown(world, key); }

void specialKeyUp(int key, int /*x*/, int /*y*/) { specialKeyUp(world, key); }
