#include <gtest/gtest.h>

#include "app/pads_xinput.h"
#include "fake_clocks.h"
#include "world/world.h"

// Windows' pads: XInput loads (under Wine, which has no pad to report), and the game's reading turns
// what XInputGetState reports, here a stand-in's pad in the first slot, into the game's controls.
namespace {

XINPUT_STATE reported{};
bool plugged = false;

DWORD WINAPI standIn(DWORD slot, XINPUT_STATE* state) {
    if (slot != 0 || !plugged) {
        return ERROR_DEVICE_NOT_CONNECTED;
    }
    *state = reported;
    return ERROR_SUCCESS;
}

}  // namespace

TEST(XInput, LoadsAndReadsAPadIntoTheControls) {
    FakeClocks clocks;
    World w;
    createWorld(w);
    Controls controls;
    const XInputGetStateFunction loaded = loadXInput();
    ASSERT_NE(loaded, nullptr) << "no XInput loaded";
    readXInputPads(w, controls, loaded);
    EXPECT_FALSE(w.leftHeld != 0 || w.thrustHeld) << "a pad where XInput reports none";

    // A slot with no pad is looked at once a second.
    plugged = true;
    reported.Gamepad.wButtons = XINPUT_GAMEPAD_DPAD_LEFT | XINPUT_GAMEPAD_A;
    reported.Gamepad.sThumbLY = 32767;  // pushed up, in XInput's way up
    for (int read = 0; read < 60 && w.leftHeld == 0; ++read) {
        readXInputPads(w, controls, standIn);
    }
    EXPECT_EQ(w.leftHeld, 1) << "the D-pad's left";
    EXPECT_TRUE(w.thrustHeld) << "the left stick pushed up";
    EXPECT_TRUE(w.stopwatch->running && w.bullet->armed) << "the bottom button";

    plugged = false;
    readXInputPads(w, controls, standIn);
    EXPECT_FALSE(w.leftHeld != 0 || w.thrustHeld) << "what the pad held once it is pulled out";
}
