#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "fake_clocks.h"
#include "input/keyboard.h"
#include "world/update.h"
#include "world/world.h"

// The rates a player feels, in numbers worked out by hand. Every step's arithmetic, bit for bit,
// is checked against the rules written a second time (build_matrix.sh and rules_model.py).

namespace {

TEST(WrapCoordinate, BringsAnyValueIntoTheField) {
    const struct {
        float in, out;
    } cases[] = {{0, 0}, {25, 25}, {50, 0}, {75, 25}, {-1, 49}, {-75, 25}, {49.5F, 49.5F}, {-1e-7F, 50}};
    for (const auto& c : cases) {
        EXPECT_EQ(wrapCoordinate(c.in), c.out) << c.in;
    }
    EXPECT_EQ(wrapCoordinate(wrapCoordinate(-1e-7F)), 0) << "the next wrap turns 50 into 0";
}

class UpdateStep : public ::testing::Test {
protected:
    UpdateStep() {
        createWorld(w);
        for (auto& a : w.asteroids) {  // far from the ship, at rest
            a->x = a->y = 40;
            a->speed = 0;
        }
    }
    void at(std::int64_t ms) { clock.setNowMs(ms); }
    void stepAt(std::int64_t ms) {
        at(ms);
        updateWorld(w);
    }
    FakeClocks clock;
    World w;
};

TEST_F(UpdateStep, LeftTurnsCounterClockwiseAndRightClockwiseAtFourTenthsOfADegreeAMillisecond) {
    at(60);
    specialKeyDown(w, keyLeft);
    stepAt(100);
    EXPECT_FLOAT_EQ(w.heading, 16) << "from the press, not from the last step";
    specialKeyUp(w, keyLeft);
    specialKeyDown(w, keyRight);
    stepAt(200);
    EXPECT_NEAR(w.heading, -24, 1e-5);
}

TEST_F(UpdateStep, ThrustAcceleratesAlongTheHeadingThenTheShipCoasts) {
    w.heading = 90;
    specialKeyDown(w, keyUp);
    stepAt(100);  // 100 ms at 0.00004 units per ms squared, applied before this step's move
    EXPECT_FLOAT_EQ(w.velocityY, 0.004F);
    EXPECT_FLOAT_EQ(w.ship->y, 20.4F);
    specialKeyUp(w, keyUp);
    stepAt(300);
    EXPECT_FLOAT_EQ(w.ship->y, 21.2F) << "no drag";
    EXPECT_FLOAT_EQ(w.ship->x, 5);
}

TEST_F(UpdateStep, TheShotFlies1Point5UnitsAStepForFourTenthsOfASecondThenParksOnTheShip) {
    keyPressed(w, fireKey);
    for (int ms : {0, 0, 399, 400}) {  // steps, not milliseconds, move it
        stepAt(ms);
    }
    EXPECT_FLOAT_EQ(w.bullet->x, 11);
    EXPECT_TRUE(w.bullet->fired && w.bullet->visible);
    keyPressed(w, fireKey);
    stepAt(401);
    EXPECT_FALSE(w.bullet->fired || w.bullet->visible) << "space does not restart a shot in flight";
    EXPECT_EQ(w.bullet->x, w.ship->x);
}

TEST_F(UpdateStep, AsteroidsDriftDiagonallyBySpeedAndAllSpinTogether) {
    w.asteroids[0]->speed = 9;
    w.asteroids[1]->speed = -5;
    stepAt(1000);  // plus a push of asteroidStep squared (0.16) along the spin, 50 degrees
    const double push = 0.16;
    EXPECT_NEAR(w.asteroids[0]->x, 40 - 3.6 + std::cos(50 * std::numbers::pi / 180) * push, 1e-4);
    EXPECT_NEAR(w.asteroids[0]->y, 40 + 3.6 + std::sin(50 * std::numbers::pi / 180) * push, 1e-4);
    EXPECT_NEAR(w.asteroids[1]->x, 40 + 2.0 + std::cos(50 * std::numbers::pi / 180) * push, 1e-4);
    EXPECT_FLOAT_EQ(w.spin, 50);
}

}  // namespace
