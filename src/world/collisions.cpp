#include "world/collisions.h"

#include <cmath>

#include "world/world.h"

namespace {

constexpr std::int32_t half = 25;
constexpr std::int32_t top = 50;
constexpr std::int32_t bottom = 0;
constexpr std::int32_t entityRadius = 1;

bool inUpperHalf(std::int32_t y) { return y > half && y < top; }
bool inLowerHalf(std::int32_t y) { return y > bottom && y < half; }

// x has no outer bound: a shot past the left edge still counts as left.
bool sameQuadrant(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
    const bool bothLeft = x1 < half && x2 < half;
    const bool bothRight = x1 > half && x2 > half;
    const bool bothUpper = inUpperHalf(y1) && inUpperHalf(y2);
    const bool bothLower = inLowerHalf(y1) && inLowerHalf(y2);
    return (bothLeft || bothRight) && (bothUpper || bothLower);
}

std::int32_t truncated(float v) { return static_cast<std::int32_t>(v); }

}  // namespace

bool collides(std::int32_t x1, std::int32_t y1, std::int32_t r1, std::int32_t x2, std::int32_t y2,
              std::int32_t r2) {
    if (!sameQuadrant(x1, y1, x2, y2)) {
        return false;
    }
    const double dx = static_cast<double>(x2) - x1;
    const double dy = static_cast<double>(y2) - y1;
    const auto distance = static_cast<std::int32_t>(std::sqrt(dx * dx + dy * dy));
    return r1 + r2 >= distance;
}

void resolveCollisions(World& w) {
    const std::int32_t shipX = truncated(w.ship->x);
    const std::int32_t shipY = truncated(w.ship->y);
    const std::int32_t shotX = truncated(w.bullet->x);
    const std::int32_t shotY = truncated(w.bullet->y);
    if (!w.ship->alive) {
        return;
    }
    for (auto& asteroid : w.asteroids) {
        if (!asteroid->alive) {
            continue;
        }
        const std::int32_t ax = truncated(asteroid->x);
        const std::int32_t ay = truncated(asteroid->y);
        if (collides(ax, ay, entityRadius, shipX, shipY, entityRadius)) {
            w.ship->alive = false;
            asteroid->alive = false;
        }
        // Tested even when the shot is parked on the ship: an asteroid that strikes the ship
        // also counts as shot.
        if (collides(ax, ay, entityRadius, shotX, shotY, entityRadius)) {
            asteroid->alive = false;
            w.bullet->armed = false;
            if (w.asteroidsRemaining != 0) {
                --w.asteroidsRemaining;
            }
        }
    }
}
