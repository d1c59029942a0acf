#include "world/world.h"

#include <cstdlib>

World world;

namespace {

constexpr float shipStartX = 5;
constexpr float shipStartY = 20;

// An integer from -1 to 48: a -1 is brought into the field by the first update step.
float randomStartCoordinate() { return static_cast<float>(std::rand() % 50 - 1); }

}  // namespace

void createWorld(World& w) {
    w.stopwatch = std::make_unique<Stopwatch>();
    w.ship = std::make_unique<Ship>();
    w.ship->x = shipStartX;
    w.ship->y = shipStartY;
    w.bullet = std::make_unique<Bullet>();
    w.bullet->x = shipStartX;
    w.bullet->y = shipStartY;
    for (auto& asteroid : w.asteroids) {
        asteroid = std::make_unique<Asteroid>();
        asteroid->x = randomStartCoordinate();
        asteroid->y = randomStartCoordinate();
        // Every asteroid drifts along the same diagonal, its speed's sign choosing the way.
        asteroid->directionX = -1;
        asteroid->directionY = 1;
    }
}

bool gameOver(const World& w) { return !w.ship->alive || w.asteroidsRemaining == 0; }
