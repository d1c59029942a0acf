#include "app/callbacks.h"
#include "app/pacing.h"
#include "app/pads.h"
#include "app/platform.h"
#include "app/step_wait.h"
#include "render/glut.h"
#include "world/clock.h"
#include "world/update.h"
#include "world/world.h"

// The desktop's loop, on Linux and Windows: GLUT calls the idle callback whenever it has no event
// to deliver, and the callback waits, ready for input, until the next step is due.

namespace {

StepSchedule schedule;

std::int32_t glutElapsedMs() { return glutGet(GLUT_ELAPSED_TIME); }

}  // namespace

void installClocks() { clocks().gameMs = glutElapsedMs; }

void updateWorld() {
    // Input that arrives while waiting goes to its callback first and shows in the coming step.
    if (!waitForNextStep(schedule)) {
        return;
    }
    scheduleNextStep(schedule, PaceClock::now());
    readPads(world, controls);  // what a pad took up acts from now, as a key does
    updateWorld(world);
    glutPostWindowRedisplay(world.windowId);
}
