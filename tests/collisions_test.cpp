#include <gtest/gtest.h>

#include <cstdlib>

#include "world/collisions.h"
#include "world/world.h"

namespace {

struct CollidesCase {
    int x1, y1, x2, y2;
    bool expected;
    const char* why;
};

TEST(Collides, QuadrantsTruncationAndRadii) {
    const CollidesCase cases[] = {
        {24, 30, 26, 30, false, "two apart but either side of x = 25"},
        {23, 30, 24, 30, true, "neighbours in the upper left"},
        {30, 30, 30, 30, true, "same centre, upper right"},
        {10, 10, 10, 10, true, "same centre, lower left"},
        {30, 10, 31, 11, true, "lower right"},
        {25, 30, 25, 30, false, "x = 25 is in no quadrant"},
        {10, 25, 10, 25, false, "y = 25 is in no quadrant"},
        {10, 0, 10, 0, false, "y = 0 is in no quadrant"},
        {10, 50, 10, 50, false, "y = 50 is in no quadrant"},
        {10, -1, 10, -1, false, "negative y is in no quadrant"},
        {0, 30, -2, 30, true, "a negative x counts as left"},
        {49, 30, 51, 30, true, "x of 50 and more counts as right"},
        {10, 24, 10, 26, false, "either side of y = 25"},
        {10, 10, 12, 12, true, "dx = dy = 2: sqrt 8 truncates to 2"},
        {10, 10, 13, 10, false, "dx = 3"},
        {10, 10, 10, 13, false, "dy = 3"},
        {10, 10, 12, 11, true, "dx = 2, dy = 1"},
        {12, 11, 10, 10, true, "the same pair the other way round"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(collides(c.x1, c.y1, 1, c.x2, c.y2, 1), c.expected) << c.why;
    }
    EXPECT_TRUE(collides(10, 10, 2, 13, 10, 1)) << "radii add up";
    EXPECT_FALSE(collides(10, 10, 0, 11, 11, 0)) << "sqrt 2 truncates to 1, above radii 0";
}

class ResolveCollisions : public ::testing::Test {
protected:
    void SetUp() override {
        createWorld(w);
        // Asteroids out of everyone's way unless a test moves them.
        for (auto& a : w.asteroids) {
            a->x = 40;
            a->y = 40;
        }
        w.ship->x = w.bullet->x = 5;
        w.ship->y = w.bullet->y = 20;
    }
    void place(int i, float x, float y) {
        w.asteroids[i]->x = x;
        w.asteroids[i]->y = y;
    }
    void aimShotAt(float x, float y) {
        w.bullet->x = x;
        w.bullet->y = y;
    }
    World w;
};

TEST_F(ResolveCollisions, ShotDestroysEveryAsteroidItCoversInOnePass) {
    aimShotAt(30.9F, 30.2F);  // truncates to (30, 30)
    place(1, 31.5F, 32.9F);   // (31, 32)
    place(4, 29.0F, 30.0F);
    place(5, 33.0F, 30.0F);  // dx = 3: missed
    resolveCollisions(w);
    EXPECT_FALSE(w.asteroids[1]->alive);
    EXPECT_FALSE(w.asteroids[4]->alive);
    EXPECT_TRUE(w.asteroids[5]->alive);
    EXPECT_EQ(w.asteroidsRemaining, 4);
    EXPECT_FALSE(w.bullet->armed);
    EXPECT_TRUE(w.ship->alive);
}

TEST_F(ResolveCollisions, DestroyedAsteroidsTakeNoPart) {
    aimShotAt(30, 30);
    place(0, 30, 30);
    w.asteroids[0]->alive = false;
    resolveCollisions(w);
    EXPECT_EQ(w.asteroidsRemaining, 6);
    EXPECT_TRUE(w.bullet->armed);
}

TEST_F(ResolveCollisions, CountNeverFallsBelowZero) {
    w.asteroidsRemaining = 1;
    aimShotAt(30, 30);
    place(0, 30, 30);
    place(1, 31, 31);
    resolveCollisions(w);
    EXPECT_EQ(w.asteroidsRemaining, 0);
    EXPECT_FALSE(w.asteroids[1]->alive);
}

TEST_F(ResolveCollisions, StrikeOnShipWithShotParkedCountsAsShotToo) {
    place(2, 6.7F, 21.2F);
    resolveCollisions(w);
    EXPECT_FALSE(w.ship->alive);
    EXPECT_FALSE(w.asteroids[2]->alive);
    EXPECT_EQ(w.asteroidsRemaining, 5);
}

TEST_F(ResolveCollisions, PassAfterShipIsStruckChangesNothing) {
    w.ship->alive = false;
    place(2, 5, 20);
    resolveCollisions(w);
    EXPECT_TRUE(w.asteroids[2]->alive);
    EXPECT_EQ(w.asteroidsRemaining, 6);
    EXPECT_TRUE(w.bullet->armed);
}

}  // namespace
