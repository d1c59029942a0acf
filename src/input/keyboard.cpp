#include "input/keyboard.h"

#include "world/clock.h"
#include "world/world.h"

void keyPressed(World& w, unsigned char key) {
    // A shot showing, in flight or just after a hit, is not restarted.
    if (key == fireKey && !w.bullet->visible) {
        w.stopwatch->start();
        w.bullet->armed = true;
    }
}

void specialKeyDown(World& w, int key) {
    const std::int32_t now = clocks().gameMs();
    switch (key) {
    case keyLeft:
        w.leftHeld = 1;
        w.leftStampMs = now;
        break;
    case keyUp:
        w.thrustHeld = true;
        w.thrustStampMs = now;
        break;
    case keyRight:
        w.rightHeld = 1;
        w.rightStampMs = now;
        break;
    default: break;
    }
}

// A release leaves the stamp as it was: the next press sets a new one.
void specialKeyUp(World& w, int key) {
    switch (key) {
    case keyLeft: w.leftHeld = 0; break;
    case keyUp: w.thrustHeld = false; break;
    case keyRight: w.rightHeld = 0; break;
    default: break;
    }
}
