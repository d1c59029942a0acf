#pragma once

#include "input/controls.h"

struct World;

// The desktop's game pads, on Linux and Windows: SDL2's game controllers (pads_sdl.cpp). Without
// them the game plays by keys.

// Opens the platform's pads, once the window system is up.
void openPads();

// Reads every pad and plays into the controls what each took up or let go; a pad pulled out lets
// go of all it held. Pads come and go while the game plays.
void readPads(World& w, Controls& c);
