#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "fake_clocks.h"
#include "input/keyboard.h"
#include "world/update.h"
#include "world/world.h"

namespace {

TEST(WrapCoordinate, BringsAnyValueIntoTheField) {
    const struct {
        float in, out;
    } exact[] = {
        {0, 0},         {25, 25}, {50, 0},   {75, 25},     {100, 0},
        {-1, 49},       {-50, 0}, {-75, 25}, {-1e-7F, 50},  // a tiny negative lands on 50
        {49.5F, 49.5F},
    };
    for (const auto& c : exact) {
        EXPECT_EQ(wrapCoordinate(c.in), c.out) << c.in;
    }
    EXPECT_EQ(wrapCoordinate(wrapCoordinate(-1e-7F)), 0) << "and the next wrap turns 50 into 0";
    EXPECT_NEAR(wrapCoordinate(123.4F), 23.4F, 1e-5);
    EXPECT_NEAR(wrapCoordinate(-0.3F), 49.7F, 1e-5);
}

class UpdateStep : public ::testing::Test {
protected:
    void SetUp() override { freshWorld(); }
    void freshWorld() {
        w = World{};
        createWorld(w);
        for (auto& a : w.asteroids) {  // parked far from the ship, not moving
            a->x = 40;
            a->y = 40;
            a->speed = 0;
        }
    }
    // Runs one update step at game-clock time `ms`.
    void stepAt(std::int32_t ms) {
        clock.setNowMs(ms);
        updateWorld(w);
    }
    void pressAt(std::int32_t ms, int key) {
        clock.setNowMs(ms);
        specialKeyDown(w, key);
    }
    void fireAt(std::int32_t ms) {
        clock.setNowMs(ms);
        keyPressed(w, fireKey);
    }
    FakeClocks clock;
    World w;
};

TEST_F(UpdateStep, TurnsByFourTenthsOfADegreePerMillisecondFromEachKeysStamp) {
    const struct {
        int leftPressMs, rightPressMs;  // -1: not pressed
        float afterFirstStep, afterSecondStep;
    } cases[] = {
        {0, -1, 40, 80},    // left is counter-clockwise
        {-1, 0, -40, -80},  // right is clockwise
        {0, 0, 0, 0},       // both cancel, up to the rounding between the two turns
        {0, 50, 20, 20},    // both, pressed apart: they cancel from the second step on
        {60, -1, 16, 56},   // the first step counts from the press, not from the previous step
    };
    for (const auto& c : cases) {
        freshWorld();
        const int base = clock.gameMs();
        w.lastUpdateMs = base;
        if (c.leftPressMs >= 0)
            pressAt(base + c.leftPressMs, keyLeft);
        if (c.rightPressMs >= 0)
            pressAt(base + c.rightPressMs, keyRight);
        stepAt(base + 100);
        EXPECT_NEAR(w.heading, c.afterFirstStep, 1e-5);
        stepAt(base + 200);
        EXPECT_NEAR(w.heading, c.afterSecondStep, 1e-5);
    }
}

TEST_F(UpdateStep, ThrustAcceleratesAlongTheHeadingThenTheShipCoasts) {
    w.heading = 90;
    pressAt(0, keyUp);
    stepAt(100);  // 100 ms of thrust at 0.00004 per ms squared
    EXPECT_FLOAT_EQ(w.thrustImpulse, 0.004F);
    EXPECT_NEAR(w.velocityX, 0, 1e-12);
    EXPECT_FLOAT_EQ(w.velocityY, 0.004F);
    EXPECT_FLOAT_EQ(w.ship->y, 20.4F) << "this step's thrust applies before this step's move";

    specialKeyUp(w, keyUp);
    stepAt(300);
    EXPECT_FLOAT_EQ(w.velocityY, 0.004F) << "no drag";
    EXPECT_FLOAT_EQ(w.ship->y, 21.2F);
    EXPECT_FLOAT_EQ(w.ship->x, 5);
}

TEST_F(UpdateStep, ShipWrapsAcrossTheEdges) {
    w.velocityX = -0.01F;
    w.velocityY = 0.01F;
    w.ship->x = 0.5F;
    w.ship->y = 49.5F;
    stepAt(100);
    EXPECT_FLOAT_EQ(w.ship->x, 49.5F);
    EXPECT_NEAR(w.ship->y, 0.5F, 1e-5);
}

TEST_F(UpdateStep, FirstStepMovesAsteroidsByTheWholeSpanSinceStartThenWraps) {
    Asteroid& a = *w.asteroids[0];
    a.x = -1;
    a.y = 10;
    a.speed = 5;
    stepAt(1000);
    // 5 x 0.0004 x 1000 = 2 units along the diagonal, plus the second-order term of
    // asteroidStep squared (0.16) along the spin direction (50 degrees after one second).
    const double spinTerm = 0.4 * 0.4;
    EXPECT_NEAR(a.x, 50 - 1 - 2 + std::cos(50 * std::numbers::pi / 180) * spinTerm, 1e-4);
    EXPECT_NEAR(a.y, 10 + 2 + std::sin(50 * std::numbers::pi / 180) * spinTerm, 1e-4);
    EXPECT_FLOAT_EQ(w.spin, 50);
    EXPECT_FLOAT_EQ(w.asteroidStep, 0.4F);
}

TEST_F(UpdateStep, AsteroidsDriftOnTheDiagonalBySpeedPlusTheSpinTerm) {
    for (const float speed : {9.0F, 0.0F, -5.0F}) {
        freshWorld();
        Asteroid& a = *w.asteroids[3];
        a.speed = speed;
        w.lastUpdateMs = clock.gameMs();
        w.spin = 40;  // 45 degrees after this step
        stepAt(clock.gameMs() + 100);
        const double step = 0.04;
        EXPECT_NEAR(a.x, 40 - speed * step + std::cos(std::numbers::pi / 4) * step * step, 1e-5) << speed;
        EXPECT_NEAR(a.y, 40 + speed * step + std::sin(std::numbers::pi / 4) * step * step, 1e-5) << speed;
    }
}

TEST_F(UpdateStep, StepInTheSameMillisecondMovesOnlyAFlyingShot) {
    pressAt(0, keyLeft);
    pressAt(0, keyUp);
    w.asteroids[0]->speed = 9;
    fireAt(0);
    stepAt(50);
    const float heading = w.heading;
    const float shipX = w.ship->x;
    const float asteroidX = w.asteroids[0]->x;
    const float shotX = w.bullet->x;
    const float shotY = w.bullet->y;

    stepAt(50);
    EXPECT_EQ(w.heading, heading);
    EXPECT_EQ(w.ship->x, shipX);
    EXPECT_EQ(w.asteroids[0]->x, asteroidX);
    EXPECT_FLOAT_EQ(std::hypot(w.bullet->x - shotX, w.bullet->y - shotY), 1.5F);
}

TEST_F(UpdateStep, ShotNeverFliesBeforeTheFirstPress) {
    for (int ms = 16; ms <= 160; ms += 16) {
        stepAt(ms);
        EXPECT_FALSE(w.bullet->fired);
        EXPECT_EQ(w.bullet->x, w.ship->x);
    }
}

TEST_F(UpdateStep, ShotFliesForExactlyItsLifetimeThenParksOnTheShip) {
    const struct {
        int flightMs;
        bool flies;
    } cases[] = {{0, true}, {399, true}, {400, true}, {401, false}, {1000, false}};
    for (const auto& c : cases) {
        freshWorld();
        const int t0 = clock.gameMs() + 10;
        w.lastUpdateMs = t0;
        fireAt(t0);
        stepAt(t0 + c.flightMs);
        EXPECT_EQ(w.bullet->fired, c.flies) << c.flightMs;
        EXPECT_EQ(w.bullet->visible, c.flies) << c.flightMs;
        EXPECT_EQ(w.stopwatch->running, c.flies) << c.flightMs;
        EXPECT_FLOAT_EQ(w.bullet->x, c.flies ? 6.5F : w.ship->x) << c.flightMs;
        EXPECT_EQ(w.bullet->y, w.ship->y) << c.flightMs;
    }
}

TEST_F(UpdateStep, ShotMovesOneAndAHalfUnitsPerStepAlongTheCurrentHeading) {
    fireAt(0);
    for (int i = 1; i <= 3; ++i) {
        stepAt(i);
    }
    EXPECT_FLOAT_EQ(w.bullet->x, 9.5F);
    w.heading = 90;
    stepAt(4);
    EXPECT_FLOAT_EQ(w.bullet->x, 9.5F);
    EXPECT_FLOAT_EQ(w.bullet->y, 21.5F);
    w.heading = 180;
    for (int i = 5; i <= 10; ++i) {  // not wrapped: it leaves the field
        stepAt(i);
    }
    EXPECT_FLOAT_EQ(w.bullet->x, 0.5F);
    stepAt(11);
    EXPECT_FLOAT_EQ(w.bullet->x, -1.0F);
}

TEST_F(UpdateStep, HitDisarmsTheShotWhichParksOnTheNextStep) {
    w.asteroids[2]->x = 11;
    w.asteroids[2]->y = 20;
    fireAt(0);
    stepAt(1);
    stepAt(2);
    stepAt(3);  // the shot reaches x = 9.5, two units from the asteroid
    EXPECT_FALSE(w.asteroids[2]->alive);
    EXPECT_EQ(w.asteroidsRemaining, 5);
    EXPECT_FALSE(w.bullet->armed);
    EXPECT_TRUE(w.bullet->visible) << "shown until the next step parks it";

    keyPressed(w, fireKey);
    EXPECT_FALSE(w.bullet->armed) << "space is ignored while the shot shows";
    stepAt(4);
    EXPECT_FALSE(w.bullet->fired);
    EXPECT_FALSE(w.stopwatch->running);
    EXPECT_EQ(w.bullet->x, w.ship->x);
    keyPressed(w, fireKey);
    stepAt(5);
    EXPECT_TRUE(w.bullet->fired) << "the next press fires again";
}

TEST_F(UpdateStep, StruckShipFreezesWithItsShotWhileAsteroidsDriftOn) {
    fireAt(0);
    stepAt(16);
    pressAt(16, keyLeft);
    pressAt(16, keyUp);
    w.velocityX = 0.001F;
    w.ship->alive = false;
    w.asteroids[0]->speed = 9;
    const float heading = w.heading, velocityX = w.velocityX, velocityY = w.velocityY;
    const float shipX = w.ship->x, shotX = w.bullet->x, asteroidX = w.asteroids[0]->x;

    stepAt(100);
    stepAt(200);
    EXPECT_EQ(w.heading, heading);
    EXPECT_EQ(w.velocityX, velocityX);
    EXPECT_EQ(w.velocityY, velocityY);
    EXPECT_EQ(w.ship->x, shipX);
    EXPECT_EQ(w.bullet->x, shotX);
    EXPECT_TRUE(w.bullet->visible) << "a shot flying at the strike stays shown for good";
    EXPECT_EQ(w.leftStampMs, 16) << "stamps are no longer renewed";
    EXPECT_NE(w.asteroids[0]->x, asteroidX);
    EXPECT_EQ(w.lastUpdateMs, 200);
}

}  // namespace
