#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_clocks.h"
#include "input/controls.h"
#include "input/gamepad.h"
#include "world/world.h"

// What a pad holds of the game's controls, input by input, through the values each takes in turn:
// the stick and the trigger count once past half their travel and until back within a quarter of
// it; no other button or axis holds anything.
TEST(Pad, HoldsTheControlsOfTheStandardLayout) {
    enum Held { none = -1, left, right, thrust, fire };
    struct Input {
        const char* what;
        bool axis;
        std::size_t index;
        std::vector<float> values;
        Held control;
        std::vector<bool> held;
    };
    const std::vector<float> pushedOn{0.2F, 0.5F, 0.51F, 0.26F, 0.25F, 0.9F, 0};
    const std::vector<bool> heldOn{false, false, true, true, false, true, false};
    const auto negated = [](std::vector<float> v) {
        for (float& x : v) {
            x = -x;
        }
        return v;
    };
    const Input inputs[] = {
        {"the left stick pushed left", true, leftStickX, negated(pushedOn), left, heldOn},
        {"the left stick pushed right", true, leftStickX, pushedOn, right, heldOn},
        {"the left stick pushed up", true, leftStickY, negated(pushedOn), thrust, heldOn},
        {"the right trigger", false, padRightTrigger, pushedOn, thrust, heldOn},
        {"the left stick pulled down", true, leftStickY, {1}, none, {false}},
        {"the right stick", true, 2, {-1, 1}, none, {false, false}},
        {"the D-pad's left", false, padLeft, {1, 0}, left, {true, false}},
        {"the D-pad's right", false, padRight, {1, 0}, right, {true, false}},
        {"the D-pad's up", false, padUp, {1, 0}, thrust, {true, false}},
        {"the bottom button", false, padBottom, {1, 0}, fire, {true, false}},
        {"the right shoulder", false, padRightShoulder, {1, 0}, fire, {true, false}},
        {"the D-pad's down", false, 13, {1}, none, {false}},
        {"the left trigger", false, 6, {1}, none, {false}},
        {"the other face buttons", false, 1, {1}, none, {false}},
    };
    for (const Input& input : inputs) {
        PadState state;
        Pad pad;
        for (std::size_t i = 0; i < input.values.size(); ++i) {
            (input.axis ? state.axes.data() : state.buttons.data())[input.index] = input.values[i];
            pad = readPad(state, pad);
            for (const Held control : {left, right, thrust, fire}) {
                EXPECT_EQ(pad.holds[static_cast<std::size_t>(control)],
                          control == input.control && input.held[i])
                    << input.what << " at " << input.values[i] << ", control " << control;
            }
        }
    }
}

// Keys, fingers and pads hold the controls together: a control acts from the first source's press
// and lets go at the last one's release, and a source at rest or pulled out lets go of its own alone.
// Fire acts on each press, once however long it is held.
TEST(Controls, KeysAndPadsHoldTheControlsTogether) {
    FakeClocks clocks;
    World w;
    createWorld(w);
    Controls controls;
    const auto padWith = [](PadButton held) {
        PadState state;
        state.buttons[held] = 1;
        return readPad(state, Pad{});
    };
    const auto at = [&](int ms) { clocks.setNowMs(ms); };

    at(100);
    pressControl(w, controls, Control::turnLeft, keyboard);
    at(150);
    playPad(w, controls, Pad{}, padWith(padLeft), firstPad);
    EXPECT_EQ(w.leftStampMs, 100) << "a turn held already goes on from the key's press";
    playPad(w, controls, padWith(padLeft), Pad{}, firstPad);
    playPad(w, controls, Pad{}, readPad(PadState{}, Pad{}), firstPad + 1);
    EXPECT_EQ(w.leftHeld, 1) << "the pad let go, and another at rest: the key still holds the turn";
    releaseControl(w, controls, Control::turnLeft, keyboard);
    EXPECT_EQ(w.leftHeld, 0) << "the key let go last";

    at(200);
    playPad(w, controls, Pad{}, padWith(padRightTrigger), firstPad);
    pressControl(w, controls, Control::thrust, touchButtons);
    releaseControl(w, controls, Control::thrust, keyboard);
    EXPECT_TRUE(w.thrustHeld) << "a key let go that was never pressed";
    releaseControl(w, controls, Control::thrust, touchButtons);
    EXPECT_TRUE(w.thrustHeld) << "the finger lifted, the pad's trigger still held";
    playPad(w, controls, padWith(padRightTrigger), Pad{}, firstPad);
    EXPECT_FALSE(w.thrustHeld) << "the pad pulled out with the trigger held";

    at(300);
    Pad pad = readPad(PadState{}, Pad{});
    PadState firing;
    firing.buttons[padBottom] = 1;
    for (const int ms : {300, 310, 320}) {
        at(ms);
        const Pad now = readPad(firing, pad);
        playPad(w, controls, pad, now, firstPad);
        pad = now;
    }
    EXPECT_EQ(w.stopwatch->startTicks, 300) << "the bottom button held fires once, at its press";
    EXPECT_TRUE(w.bullet->armed);
}
