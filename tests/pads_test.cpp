#include <gtest/gtest.h>

#include "virtual_pad.h"

// The Windows game's pads, read through SDL as on Linux, under Wine: the Linux frame test's pad,
// judged by the world alone.
TEST(Pads, PlayThroughSDL) {
    World w;
    createWorld(w);
    Controls controls;
    openPads();
    ASSERT_NE(SDL_WasInit(SDL_INIT_GAMECONTROLLER), 0U) << SDL_GetError();
    playAVirtualPad(w, controls, [] {});
}
