#include <gtest/gtest.h>

#include "world/collisions.h"
#include "world/world.h"

namespace {

TEST(Collides, OnlyWithinOneQuadrantAndTwoUnitsOfTheGrid) {
    const struct {
        int x1, y1, x2, y2;
        bool expected;
        const char* why;
    } cases[] = {
        {24, 30, 26, 30, false, "two apart but either side of x = 25"},
        {23, 30, 24, 30, true, "neighbours in the upper left"},
        {30, 30, 30, 30, true, "same centre, upper right"},
        {10, 10, 10, 10, true, "same centre, lower left"},
        {30, 10, 31, 11, true, "lower right"},
        {25, 30, 25, 30, false, "x = 25 is in no quadrant"},
        {10, 25, 10, 25, false, "y = 25 is in no quadrant"},
        {10, 1, 10, 1, true, "y = 1 is in the lower half"},
        {10, 0, 10, 0, false, "y = 0 is in no quadrant"},
        {10, 49, 10, 49, true, "y = 49 is in the upper half"},
        {10, 50, 10, 50, false, "y = 50 is in no quadrant"},
        {0, 30, -2, 30, true, "a negative x counts as left"},
        {49, 30, 51, 30, true, "x of 50 and more counts as right"},
        {10, 10, 12, 12, true, "dx = dy = 2: sqrt 8 truncates to 2"},
        {10, 10, 13, 10, false, "dx = 3"},
        {10, 10, 10, 13, false, "dy = 3"},
        {12, 11, 10, 10, true, "dx = -2, dy = -1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(collides(c.x1, c.y1, 1, c.x2, c.y2, 1), c.expected) << c.why;
    }
    EXPECT_TRUE(collides(10, 10, 2, 13, 10, 1)) << "radii add up";
}

// The ship sits at (5, 20); two asteroids and the shot are placed by each case, the other
// asteroids far out of everyone's way.
TEST(ResolveCollisions, StruckShipsShotAsteroidsAndTheCount) {
    struct Rock {
        float x, y;
        bool alive;
    };
    const struct {
        float shotX, shotY;
        Rock rocks[2];
        int remaining;
        bool shipAlive;
        bool shipAliveAfter, rocksAliveAfter[2];
        int remainingAfter;
        bool armedAfter;
        const char* why;
    } cases[] = {
        // clang-format off
        {30.9F, 30.2F, {{31.5F, 32.9F, true}, {29, 30, true}}, 6, true, true, {false, false}, 4, false,
         "the shot destroys every asteroid it covers, truncated to the grid"},
        {30, 30, {{33, 30, true}, {30, 30, false}}, 6, true, true, {true, false}, 6, true,
         "three apart, or destroyed already: nothing"},
        {30, 30, {{30, 30, true}, {31, 31, true}}, 1, true, true, {false, false}, 0, false,
         "the count stops at 0"},
        {5, 20, {{6.7F, 21.2F, true}, {40, 40, true}}, 6, true, false, {false, true}, 5, false,
         "an asteroid that strikes the ship also meets its parked shot"},
        {30, 30, {{5, 20, true}, {30, 30, true}}, 6, false, false, {true, true}, 6, true,
         "once the ship is struck, nothing collides"},
        // clang-format on
    };
    for (const auto& c : cases) {
        World w;
        createWorld(w);
        for (std::size_t i = 0; i < w.asteroids.size(); ++i) {
            Asteroid& a = *w.asteroids[i];
            a.x = i < 2 ? c.rocks[i].x : 40;
            a.y = i < 2 ? c.rocks[i].y : 40;
            a.alive = i >= 2 || c.rocks[i].alive;
        }
        w.bullet->x = c.shotX;
        w.bullet->y = c.shotY;
        w.asteroidsRemaining = c.remaining;
        w.ship->alive = c.shipAlive;
        resolveCollisions(w);
        EXPECT_EQ(w.ship->alive, c.shipAliveAfter) << c.why;
        EXPECT_EQ(w.asteroids[0]->alive, c.rocksAliveAfter[0]) << c.why;
        EXPECT_EQ(w.asteroids[1]->alive, c.rocksAliveAfter[1]) << c.why;
        EXPECT_EQ(w.asteroidsRemaining, c.remainingAfter) << c.why;
        EXPECT_EQ(w.bullet->armed, c.armedAfter) << c.why;
    }
}

}  // namespace
