#pragma once

struct Picture;
struct World;

// What a frame of the game shows, `msSinceStep` milliseconds after the world's last update step
// (momentAfterStep), in the order it is drawn: while playing, the count of asteroids left, the ship
// and the shot in flight; once the game is over, "GAME OVER"; and in both, every asteroid that is
// left. Replaces what `picture` held.
void describeScene(const World& w, double msSinceStep, Picture& picture);
