#include <gtest/gtest.h>

#include "fake_clocks.h"
#include "input/keyboard.h"
#include "world/world.h"

namespace {

class Keyboard : public ::testing::Test {
protected:
    void SetUp() override { createWorld(w); }
    FakeClocks clock;
    World w;
};

struct HeldKeys {
    std::int32_t left, right;
    bool thrust;
    std::int32_t leftStamp, rightStamp, thrustStamp;
    bool operator==(const HeldKeys&) const = default;
};

HeldKeys heldKeys(const World& w) {
    return {w.leftHeld, w.rightHeld, w.thrustHeld, w.leftStampMs, w.rightStampMs, w.thrustStampMs};
}

TEST_F(Keyboard, ArrowsSetFlagsAndStampsOnPressAndClearOnlyFlagsOnRelease) {
    const struct {
        int key;
        HeldKeys afterPressAt700, afterReleaseAt900;
    } cases[] = {
        {keyLeft, {1, 0, false, 700, 0, 0}, {0, 0, false, 700, 0, 0}},
        {keyRight, {0, 1, false, 0, 700, 0}, {0, 0, false, 0, 700, 0}},
        {keyUp, {0, 0, true, 0, 0, 700}, {0, 0, false, 0, 0, 700}},
        {103 /* down */, {}, {}},
        {1 /* F1 */, {}, {}},
    };
    for (const auto& c : cases) {
        World fresh;
        createWorld(fresh);
        clock.setNowMs(700);
        specialKeyDown(fresh, c.key);
        EXPECT_EQ(heldKeys(fresh), c.afterPressAt700) << c.key;
        clock.setNowMs(900);
        specialKeyUp(fresh, c.key);
        EXPECT_EQ(heldKeys(fresh), c.afterReleaseAt900) << c.key;
    }
}

TEST_F(Keyboard, ReleasingOneTurnKeyLeavesTheOtherHeld) {
    specialKeyDown(w, keyLeft);
    specialKeyDown(w, keyRight);
    specialKeyUp(w, keyLeft);
    EXPECT_EQ(w.leftHeld, 0);
    EXPECT_EQ(w.rightHeld, 1);
}

TEST_F(Keyboard, SpaceArmsTheShotAndStartsItsStopwatchUnlessTheShotShows) {
    w.bullet->armed = false;
    keyPressed(w, 'a');
    keyPressed(w, fireKey + 1);
    EXPECT_FALSE(w.stopwatch->running);
    EXPECT_FALSE(w.bullet->armed);

    clock.advanceMs(1000);
    keyPressed(w, fireKey);
    EXPECT_TRUE(w.stopwatch->running);
    EXPECT_TRUE(w.bullet->armed);
    const std::int32_t firedAt = w.stopwatch->startTicks;

    w.bullet->visible = true;
    clock.advanceMs(100);
    keyPressed(w, fireKey);
    EXPECT_EQ(w.stopwatch->startTicks, firedAt) << "a showing shot's lifetime is not restarted";
}

}  // namespace
