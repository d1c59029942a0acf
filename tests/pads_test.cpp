#include "virtual_pad.h"

// The Windows game's pads under Wine, which has no window for the Linux frame test's judging.
TEST(Pads, PlayThroughSDL) {
    World w;
    createWorld(w);
    Controls controls;
    openPads();
    ASSERT_NE(SDL_WasInit(SDL_INIT_GAMECONTROLLER), 0U) << SDL_GetError();
    playAVirtualPad(w, controls, [] {});
}
