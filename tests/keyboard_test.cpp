#include <gtest/gtest.h>

#include "fake_clocks.h"
#include "input/keyboard.h"
#include "world/world.h"

namespace {

struct HeldKeys {
    std::int32_t left, right;
    bool thrust;
    std::int32_t leftStamp, rightStamp, thrustStamp;
    bool operator==(const HeldKeys&) const = default;
};

HeldKeys heldKeys(const World& w) {
    return {w.leftHeld, w.rightHeld, w.thrustHeld, w.leftStampMs, w.rightStampMs, w.thrustStampMs};
}

TEST(Keyboard, ArrowsSetAFlagAndStampThePressAndTheReleaseClearsOnlyTheFlag) {
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
    FakeClocks clock;
    for (const auto& c : cases) {
        World w;
        createWorld(w);
        clock.setNowMs(700);
        specialKeyDown(w, c.key);
        EXPECT_EQ(heldKeys(w), c.afterPressAt700) << c.key;
        clock.setNowMs(900);
        specialKeyUp(w, c.key);
        EXPECT_EQ(heldKeys(w), c.afterReleaseAt900) << c.key;
    }
}

TEST(Keyboard, SpaceAloneArmsTheShotAndStartsItsStopwatchWhenNoShotShows) {
    FakeClocks clock;
    World w;
    createWorld(w);
    w.bullet->armed = false;
    for (const int other : {int{'a'}, int{'\r'}, fireKey + 1}) {
        keyPressed(w, static_cast<unsigned char>(other));
    }
    EXPECT_FALSE(w.stopwatch->running || w.bullet->armed);
    clock.setNowMs(1000);
    keyPressed(w, fireKey);
    EXPECT_TRUE(w.stopwatch->running && w.bullet->armed);
    EXPECT_EQ(w.stopwatch->startTicks, 1000);
    w.bullet->visible = true;
    clock.setNowMs(1100);
    keyPressed(w, fireKey);
    EXPECT_EQ(w.stopwatch->startTicks, 1000) << "a shot showing is not restarted";
}

}  // namespace
