#include "world/update.h"

#include <algorithm>
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

float turned(float heading, double ms) { return rounded(heading + ms * turnDegreesPerMs); }

float coasted(float at, float velocity, double ms) {
    return wrapCoordinate(rounded(at + ms * static_cast<double>(velocity)));
}

Place direction(float heading) {
    return {rounded(std::cos(radians(heading))), rounded(std::sin(radians(heading)))};
}

Place flown(Place at, Place along, double steps) {
    return {rounded(at.x + along.x * shotStepUnits * steps), rounded(at.y + along.y * shotStepUnits * steps)};
}

// A span's drift, the same for every asteroid: its time factor, the common spin at its end, and that
// spin's cosine and sine, taken once (a page catching up on a day hidden runs five million steps at
// once).
struct Drift {
    float step;
    float spin;
    double spinX, spinY;
};

Drift driftOver(float spin, double ms) {
    const float step = rounded(ms * asteroidTimeFactor);
    const float turnedSpin = rounded(spin + ms * spinDegreesPerMs);
    return {step, turnedSpin, std::cos(radians(turnedSpin)), std::sin(radians(turnedSpin))};
}

// Each asteroid drifts along its diagonal, plus a small second-order push along the common spin
// direction.
Place drifted(const Asteroid& a, const Drift& d) {
    const double step = d.step;
    const float vx = rounded(static_cast<double>(a.directionX) * a.speed + d.spinX * step);
    const float vy = rounded(static_cast<double>(a.directionY) * a.speed + d.spinY * step);
    return {wrapCoordinate(rounded(a.x + vx * step)), wrapCoordinate(rounded(a.y + vy * step))};
}

void steerShip(World& w, std::int32_t now) {
    if (w.leftHeld != 0) {
        w.heading = turned(w.heading, msBetween(w.leftStampMs, now));
        w.leftStampMs = now;
    }
    if (w.rightHeld != 0) {
        w.heading = turned(w.heading, -static_cast<double>(msBetween(w.rightStampMs, now)));
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
    ship.x = coasted(ship.x, w.velocityX, dt);
    ship.y = coasted(ship.y, w.velocityY, dt);
}

// The shot flies while its stopwatch reads under its lifetime and it has hit nothing; otherwise
// it waits, parked on the ship, for the fire key.
void flyOrParkShot(World& w) {
    Bullet& shot = *w.bullet;
    if (w.stopwatch->elapsed() < shot.lifetimeSeconds && shot.armed) {
        shot.fired = shot.visible = true;
        const Place at = flown({shot.x, shot.y}, direction(w.heading), 1);
        shot.x = at.x;
        shot.y = at.y;
    } else {
        w.stopwatch->stop();
        shot.fired = shot.visible = false;
        shot.x = w.ship->x;
        shot.y = w.ship->y;
    }
}

void driftAsteroids(World& w, std::int32_t dt) {
    const Drift drift = driftOver(w.spin, dt);
    w.asteroidStep = drift.step;
    w.spin = drift.spin;
    for (auto& asteroid : w.asteroids) {
        const Place at = drifted(*asteroid, drift);
        asteroid->x = at.x;
        asteroid->y = at.y;
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

Moment momentAfterStep(const World& w, double msSinceStep) {
    Moment m{{w.ship->x, w.ship->y}, w.heading, {w.bullet->x, w.bullet->y}, w.spin, {}};
    for (std::size_t i = 0; i < m.asteroids.size(); ++i) {
        m.asteroids[i] = {w.asteroids[i]->x, w.asteroids[i]->y};
    }
    if (msSinceStep <= 0) {
        return m;
    }
    const Drift drift = driftOver(w.spin, msSinceStep);
    m.spin = drift.spin;
    for (std::size_t i = 0; i < m.asteroids.size(); ++i) {
        m.asteroids[i] = drifted(*w.asteroids[i], drift);
    }
    if (!w.ship->alive) {
        return m;
    }
    const auto heldFor = [&](std::int32_t stampMs) {
        return std::max(0.0, msSinceStep - msBetween(w.lastUpdateMs, stampMs));
    };
    if (w.leftHeld != 0) {
        m.heading = turned(m.heading, heldFor(w.leftStampMs));
    }
    if (w.rightHeld != 0) {
        m.heading = turned(m.heading, -heldFor(w.rightStampMs));
    }
    m.ship = {coasted(w.ship->x, w.velocityX, msSinceStep), coasted(w.ship->y, w.velocityY, msSinceStep)};
    // A shot that has hit waits where it hit for the step that parks it.
    if (w.bullet->fired && w.bullet->visible && w.bullet->armed) {
        m.shot = flown(m.shot, direction(m.heading), msSinceStep * stepsPerSecond / 1000);
    }
    return m;
}
