#pragma once

struct World;

// Brings a coordinate back into the 0 to 50 field. A tiny negative value can land on exactly
// 50, which the next wrap turns into 0.
float wrapCoordinate(float v);

// One update step: advances the world by the game-clock milliseconds since the previous step.
// Turns and thrusts the ship from the held keys, moves and wraps it, flies or parks the shot,
// drifts, spins and wraps the asteroids, and ends with the collision pass.
void updateWorld(World& w);
