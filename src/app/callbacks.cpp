#include "app/callbacks.h"

#include "app/pacing.h"
#include "app/step_wait.h"
#include "input/keyboard.h"
#include "render/glut.h"
#include "world/update.h"
#include "world/world.h"

static_assert(keyLeft == GLUT_KEY_LEFT && keyUp == GLUT_KEY_UP && keyRight == GLUT_KEY_RIGHT,
              "the game's arrow-key codes are GLUT's");

namespace {

StepSchedule schedule;

}  // namespace

void updateWorld() {
    // Input that arrives while waiting goes to its callback first and shows in the coming step.
    if (!waitForNextStep(schedule)) {
        return;
    }
    scheduleNextStep(schedule, PaceClock::now());
    updateWorld(world);
    glutPostWindowRedisplay(world.windowId);
}

void visibilityChanged(int state) {
    if (state == GLUT_VISIBLE) {
        glutIdleFunc(updateWorld);
    }
}

void keyPressed(unsigned char key, int /*x*/, int /*y*/) { keyPressed(world, key); }

void specialKeyDown(int key, int /*x*/, int /*y*/) { specialKeyDown(world, key); }

void specialKeyUp(int key, int /*x*/, int /*y*/) { specialKeyUp(world, key); }
