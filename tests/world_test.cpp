#include <gtest/gtest.h>

#include <cstdlib>

#include "world/world.h"

namespace {

TEST(CreateWorld, StartsEverythingAtRestWithSixAsteroidsLeft) {
    World w;
    createWorld(w);
    EXPECT_EQ(w.asteroidsRemaining, 6);
    EXPECT_EQ(w.heading, 0);
    EXPECT_EQ(w.velocityX, 0);
    EXPECT_EQ(w.velocityY, 0);
    EXPECT_EQ(w.lastUpdateMs, 0);
    EXPECT_FALSE(w.thrustHeld);
    EXPECT_EQ(w.leftHeld + w.rightHeld, 0);
    EXPECT_FALSE(w.stopwatch->running);
    EXPECT_TRUE(w.ship->alive);
    EXPECT_EQ(w.ship->x, 5);
    EXPECT_EQ(w.ship->y, 20);
    EXPECT_EQ(w.bullet->x, 5);
    EXPECT_EQ(w.bullet->y, 20);
    EXPECT_FALSE(w.bullet->fired || w.bullet->visible);
    EXPECT_TRUE(w.bullet->armed);
    EXPECT_EQ(w.bullet->lifetimeSeconds, 0.4000000059604645);
}

// Each asteroid takes four numbers from `rand`, in the order speed, a discarded draw, x, y.
TEST(CreateWorld, PlacesTheAsteroidsFromTheUnseededGenerator) {
    std::srand(1);  // the state an unseeded generator starts in
    struct Expected {
        int speed, x, y;
    } expected[asteroidCount];
    for (auto& e : expected) {
        e.speed = std::rand() % 15 - 5;
        std::rand();
        e.x = std::rand() % 50 - 1;
        e.y = std::rand() % 50 - 1;
    }

    std::srand(1);
    World w;
    createWorld(w);
    for (int i = 0; i < asteroidCount; ++i) {
        const Asteroid& a = *w.asteroids[i];
        EXPECT_TRUE(a.alive);
        EXPECT_EQ(a.speed, static_cast<float>(expected[i].speed)) << i;
        EXPECT_EQ(a.x, static_cast<float>(expected[i].x)) << i;
        EXPECT_EQ(a.y, static_cast<float>(expected[i].y)) << i;
        EXPECT_EQ(a.directionX, -1);
        EXPECT_EQ(a.directionY, 1);
    }
}

TEST(GameOver, WhenTheShipIsStruckOrNoAsteroidIsLeft) {
    World w;
    createWorld(w);
    EXPECT_FALSE(gameOver(w));
    w.asteroidsRemaining = 0;
    EXPECT_TRUE(gameOver(w));
    w.asteroidsRemaining = 1;
    w.ship->alive = false;
    EXPECT_TRUE(gameOver(w));
}

}  // namespace
