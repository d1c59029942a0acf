#pragma once

struct World;

// The window system's codes for the arrow keys.
constexpr int keyLeft = 100;
constexpr int keyUp = 101;
constexpr int keyRight = 102;

constexpr unsigned char fireKey = ' ';

// The keys only set flags and stamps; the update step turns them into motion.

// Space fires when no shot is showing; every other key does nothing.
void keyPressed(World& w, unsigned char key);

// Left and right turn and up thrusts for as long as they are held, from the game-clock time of
// the press.
void specialKeyDown(World& w, int key);
void specialKeyUp(World& w, int key);
