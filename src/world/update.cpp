#include "world/update.h"

#include <cfloat>
#include <cmath>

#include "world/clock.h"
#include "world/collisions.h"
#include "world/world.h"

// The arithmetic is carried in double and rounded to float wherever a value is stored; the
// order of those roundings is part of the game's behaviour, the same in every build.
//
// What keeps every build to it:
// - `rounded` passes each value through a volatile float. Writing and reading a volatile object is
//   behaviour the optimiser must keep, so the float really is formed and read back: no build may
//   go on with the double it came from (GCC 12's vectoriser did, at -O2, for the shot's flight).
// - The rules are compiled without fast math and without fusing a multiply and an add into one
//   rounding (CMakeLists.txt), which GCC and Clang would otherwise do wherever the processor can.
// - Doubles must be evaluated as doubles, with no excess precision, as they are on x86-64 and
//   ARM64; the assertion below refuses a build where they are not (the x87 unit of 32-bit x86).
static_assert(FLT_EVAL_METHOD == 0, "the rules need double arithmetic carried out in double precision");

namespace {

constexpr double pi = 3.141592653589793;
constexpr double fieldSize = 50.0;
constexpr double turnDegreesPerMs = static_cast<double>(0.4F);
constexpr double thrustPerMsSquared = 0.00004;
constexpr double shotStepUnits = 1.5;  // per update step, not per millisecond
constexpr double asteroidTimeFactor = 0.0004;
constexpr double spinDegreesPerMs = static_cast<double>(0.05F);

double radians(float degrees) { return static_cast<double>(degrees) * pi / 180.0; }

float rounded(double v) {
    const volatile float stored = static_cast<float>(v);
    return stored;
}

void steerShip(World& w, std::int32_t now) {
    if (w.leftHeld != 0) {
        w.heading = rounded(w.heading + msBetween(w.leftStampMs, now) * turnDegreesPerMs);
        w.leftStampMs = now;
    }
    if (w.rightHeld != 0) {
        w.heading = rounded(w.heading - msBetween(w.rightStampMs, now) * turnDegreesPerMs);
        w.rightStampMs = now;
    }
    if (w.thrustHeld) {
        w.thrustImpulse = rounded(msBetween(w.thrustStampMs, now) * thrustPerMsSquared);
        w.velocityX = rounded(w.velocityX + std::cos(radians(w.heading)) * w.thrustImpulse);
        w.velocityY = rounded(w.velocityY + std::sin(radians(w.heading)) * w.thrustImpulse);
        w.thrustStampMs = now;
    }
}

void moveShip(World& w, std::int32_t dt) {
    Ship& ship = *w.ship;
    ship.x = wrapCoordinate(rounded(ship.x + dt * static_cast<double>(w.velocityX)));
    ship.y = wrapCoordinate(rounded(ship.y + dt * static_cast<double>(w.velocityY)));
}

// The shot flies while its stopwatch reads under its lifetime and it has hit nothing; otherwise
// it waits, parked on the ship, for the fire key.
void flyOrParkShot(World& w) {
    Bullet& shot = *w.bullet;
    if (w.stopwatch->elapsed() < shot.lifetimeSeconds && shot.armed) {
        shot.fired = shot.visible = true;
        const float along = rounded(std::cos(radians(w.heading)));
        const float across = rounded(std::sin(radians(w.heading)));
        shot.x = rounded(shot.x + along * shotStepUnits);
        shot.y = rounded(shot.y + across * shotStepUnits);
    } else {
        w.stopwatch->stop();
        shot.fired = shot.visible = false;
        shot.x = w.ship->x;
        shot.y = w.ship->y;
    }
}

// Each asteroid drifts along its diagonal, plus a small second-order push along the common
// spin direction.
void driftAsteroids(World& w, std::int32_t dt) {
    w.asteroidStep = rounded(dt * asteroidTimeFactor);
    w.spin = rounded(w.spin + dt * spinDegreesPerMs);
    const double step = w.asteroidStep;
    // The same for every asteroid, taken once: a page catching up on a day hidden runs five million
    // steps at once.
    const double spinX = std::cos(radians(w.spin));
    const double spinY = std::sin(radians(w.spin));
    for (auto& asteroid : w.asteroids) {
        const float vx = rounded(static_cast<double>(asteroid->directionX) * asteroid->speed + spinX * step);
        const float vy = rounded(static_cast<double>(asteroid->directionY) * asteroid->speed + spinY * step);
        asteroid->x = wrapCoordinate(rounded(asteroid->x + vx * step));
        asteroid->y = wrapCoordinate(rounded(asteroid->y + vy * step));
    }
}

}  // namespace

float wrapCoordinate(float v) {
    const float q = rounded(v / fieldSize);
    const float f = rounded(std::floor(static_cast<double>(q)));
    return rounded((static_cast<double>(q) - f) * fieldSize);
}

void updateWorld(World& w) {
    const std::int32_t now = clocks().gameMs();
    const std::int32_t dt = msBetween(w.lastUpdateMs, now);
    // A struck ship freezes where it is, and so do its heading, velocity and shot.
    if (w.ship->alive) {
        steerShip(w, now);
        moveShip(w, dt);
        flyOrParkShot(w);
    }
    driftAsteroids(w, dt);
    w.lastUpdateMs = now;
    resolveCollisions(w);
}
