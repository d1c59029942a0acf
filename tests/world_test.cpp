#include <gtest/gtest.h>

#include <cstdlib>

#include "world/world.h"

namespace {

// Each asteroid takes four numbers from the C library's `rand`, in the order speed, a discarded
// draw, x, y; the game never seeds it, so the layout is the platform's own.
TEST(CreateWorld, PlacesTheAsteroidsFromTheUnseededGeneratorAndTheShipAtRest) {
    std::srand(1);  // the state an unseeded generator starts in
    int expected[asteroidCount][3];
    for (auto& e : expected) {
        e[0] = std::rand() % 15 - 5;
        std::rand();
        e[1] = std::rand() % 50 - 1;
        e[2] = std::rand() % 50 - 1;
    }
    std::srand(1);
    World w;
    createWorld(w);
    for (std::size_t i = 0; i < w.asteroids.size(); ++i) {
        const Asteroid& a = *w.asteroids[i];
        EXPECT_EQ(a.speed, static_cast<float>(expected[i][0])) << i;
        EXPECT_EQ(a.x, static_cast<float>(expected[i][1])) << i;
        EXPECT_EQ(a.y, static_cast<float>(expected[i][2])) << i;
    }
    EXPECT_EQ(w.asteroidsRemaining, 6);
    EXPECT_FALSE(gameOver(w));
    EXPECT_EQ(w.bullet->lifetimeSeconds, 0.4000000059604645);
}

TEST(GameOver, WhenTheShipIsStruckOrNoAsteroidIsLeft) {
    World w;
    createWorld(w);
    w.asteroidsRemaining = 0;
    EXPECT_TRUE(gameOver(w));
    w.asteroidsRemaining = 1;
    w.ship->alive = false;
    EXPECT_TRUE(gameOver(w));
}

}  // namespace
