#include "app/callbacks.h"
#include "app/pacing.h"
#include "app/pads.h"
#include "app/platform.h"
#include "app/step_wait.h"
#include "render/glut.h"
#include "render/opengl.h"
#include "render/picture.h"
#include "render/scene.h"
#include "world/clock.h"
#include "world/update.h"
#include "world/world.h"

// The desktop's loop, on Linux and Windows, in GLUT's callbacks. Where the display paces the window's
// buffer swaps, a picture every refresh: the idle callback runs the steps that have come due and asks
// for a redraw, and the swap waits for the display. Where it does not (a virtual X server, vsync
// turned off), and while the window is not drawn at all (hidden, or not shown yet), a picture a step:
// the idle callback waits, ready for input, until the next step is due. Every picture shows the world
// as it stands when it is drawn, carried on from its last step.

namespace {

StepSchedule schedule;
PaceClock::time_point lastStep = PaceClock::now();
bool everyRefresh = true;  // until the swaps turn out not to be paced
SwapWatch swaps;
bool redrawAsked = false;  // and not drawn yet

std::int32_t glutElapsedMs() { return glutGet(GLUT_ELAPSED_TIME); }

void step() {
    readPads(world, controls);  // what a pad took up acts from now, as a key does
    lastStep = PaceClock::now();
    updateWorld(world);
}

}  // namespace

void installClocks() { clocks().gameMs = glutElapsedMs; }

void drawEveryRefresh() {
    everyRefresh = true;
    swaps = {};
}

void updateWorld() {
    if (everyRefresh && !redrawAsked) {
        for (int due = takeDueSteps(schedule, PaceClock::now()); due > 0; --due) {
            step();
        }
    } else {
        // Input that arrives while waiting goes to its callback first and shows in the coming step.
        if (!waitForNextStep(schedule)) {
            return;
        }
        scheduleNextStep(schedule, PaceClock::now());
        step();
    }
    redrawAsked = true;
    glutPostWindowRedisplay(world.windowId);
}

void displayScene() {
    static Picture picture;  // kept from frame to frame, so that drawing allocates nothing
    redrawAsked = false;
    describeScene(world, std::chrono::duration<double, std::milli>(PaceClock::now() - lastStep).count(),
                  picture);
    drawPicture(picture);
    glutSwapBuffers();
    if (everyRefresh) {
        everyRefresh = watchSwaps(swaps, PaceClock::now(), processorTime()) != Swaps::unpaced;
    }
}
