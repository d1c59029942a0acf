#include <gtest/gtest.h>

#include <tuple>

#include "world/collisions.h"

// Where the grid and the quadrants decide. Everything else the rules do, step by step, is checked
// against the rules written a second time (replay_sessions, rules_model.py, scripts/build-matrix).
TEST(Collides, OnlyWithinOneQuadrantAndTwoUnitsOfTheGrid) {
    const std::tuple<int, int, int, int, bool, const char*> cases[] = {
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
    for (const auto& [x1, y1, x2, y2, expected, why] : cases) {
        EXPECT_EQ(collides(x1, y1, 1, x2, y2, 1), expected) << why;
    }
    EXPECT_TRUE(collides(10, 10, 2, 13, 10, 1)) << "radii add up";
}
