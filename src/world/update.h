#pragma once

#include <array>

#include "world/world.h"

// Update steps come sixty times a second, each the same whatever the display: a shot flies a fixed
// distance a step, so its range is the same on every machine.
constexpr double stepsPerSecond = 60;

// Brings a coordinate back into the 0 to 50 field. A tiny negative value can land on exactly
// 50, which the next wrap turns into 0.
float wrapCoordinate(float v);

// One update step: advances the world by the game-clock milliseconds since the previous step.
// Turns and thrusts the ship from the held keys, moves and wraps it, flies or parks the shot,
// drifts, spins and wraps the asteroids, and ends with the collision pass.
void updateWorld(World& w);

// Where what moves is, at a moment between two update steps.
struct Place {
    float x, y;
};
struct Moment {
    Place ship;
    float heading;
    Place shot;
    float spin;
    std::array<Place, asteroidCount> asteroids;
};

// The world `msSinceStep` milliseconds after its last update step, each motion carried on as the
// steps move it: the asteroids' drift and their spin, and while the ship lives its coast, its turn
// while a turn key is held (from the key's press, if that came after the step) and the flight of a
// shot that flew in the step and has hit nothing. The ship and the asteroids wrap; the shot does not.
// What only a step decides, a hit, the shot parked, thrust's push or the ship struck, waits for it.
// At 0, or before, the step's own places.
Moment momentAfterStep(const World& w, double msSinceStep);
