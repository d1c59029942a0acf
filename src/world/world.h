#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "world/entities.h"
#include "world/stopwatch.h"

constexpr int asteroidCount = 6;

// Everything the game remembers. The field spans 0 to 50 on both axes; angles are in degrees,
// counter-clockwise from +x; times are milliseconds of the game clock.
struct World {
    std::int32_t asteroidsRemaining = asteroidCount;  // 0 ends the game

    std::unique_ptr<Ship> ship;
    std::unique_ptr<Bullet> bullet;
    std::unique_ptr<Stopwatch> stopwatch;  // times the shot
    std::array<std::unique_ptr<Asteroid>, asteroidCount> asteroids;

    float heading = 0;    // the ship's; never wrapped
    float velocityX = 0;  // field units per millisecond; no drag, no limit
    float velocityY = 0;
    float spin = 0;           // every asteroid's rotation; never wrapped
    float asteroidStep = 0;   // this step's elapsed milliseconds x 0.0004
    float thrustImpulse = 0;  // this step's velocity change
    std::int32_t lastUpdateMs = 0;

    std::int32_t leftHeld = 0;
    std::int32_t rightHeld = 0;
    bool thrustHeld = false;
    // Game-clock readings from which the next turn or thrust is integrated.
    std::int32_t leftStampMs = 0;
    std::int32_t rightStampMs = 0;
    std::int32_t thrustStampMs = 0;

    std::int32_t windowId = 0;  // the game window, for redisplay requests
};

// The game's one world, reached by the window system's callbacks. (clang-tidy 14, analysing for
// WebAssembly, takes this declaration for a definition.)
extern World world;  // NOLINT(bugprone-dynamic-static-initializers)

// Creates the stopwatch, the ship, the shot and the six asteroids, in that order. The asteroids
// are placed by the unseeded `rand`, so every game starts with the same layout.
void createWorld(World& w);

// The game is over once the ship is struck or no asteroid is left.
bool gameOver(const World& w);
