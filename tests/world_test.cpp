#include <gtest/gtest.h>

#include <cstdlib>

#include "world/world.h"

// Each asteroid takes four numbers from the C library's `rand`, in the order speed, a discarded
// draw, x, y; the game never seeds it, so the layout is the platform's own.
TEST(CreateWorld, PlacesTheAsteroidsFromTheUnseededGenerator) {
    std::srand(1);  // the state an unseeded generator starts in
    World w;
    createWorld(w);
    std::srand(1);
    for (std::size_t i = 0; i < w.asteroids.size(); ++i) {
        EXPECT_EQ(w.asteroids[i]->speed, static_cast<float>(std::rand() % 15 - 5)) << i;
        std::rand();
        EXPECT_EQ(w.asteroids[i]->x, static_cast<float>(std::rand() % 50 - 1)) << i;
        EXPECT_EQ(w.asteroids[i]->y, static_cast<float>(std::rand() % 50 - 1)) << i;
    }
}
