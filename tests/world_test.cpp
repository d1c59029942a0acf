#include <gtest/gtest.h>

#include <cstdlib>

#include "world/world.h"

// Each asteroid takes four numbers from the C library's `rand`, in the order speed, a discarded
// draw, x, y; the game never seeds it, so the layout is the platform's own.
TEST(CreateWorld, PlacesTheAsteroidsFromTheUnseededGenerator) {
    std::srand(1);  // the state an unseeded generator starts in
    float expected[asteroidCount][3];
    for (auto& e : expected) {
        e[0] = static_cast<float>(std::rand() % 15 - 5);
        std::rand();
        e[1] = static_cast<float>(std::rand() % 50 - 1);
        e[2] = static_cast<float>(std::rand() % 50 - 1);
    }
    std::srand(1);
    World w;
    createWorld(w);
    for (std::size_t i = 0; i < w.asteroids.size(); ++i) {
        EXPECT_EQ(w.asteroids[i]->speed, expected[i][0]) << i;
        EXPECT_EQ(w.asteroids[i]->x, expected[i][1]) << i;
        EXPECT_EQ(w.asteroids[i]->y, expected[i][2]) << i;
    }
}
