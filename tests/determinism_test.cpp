#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fake_clocks.h"
#include "input/keyboard.h"
#include "world/update.h"
#include "world/world.h"

// A scripted four-second game on the unseeded layout, stepped at 60 per second. Every float of
// the final world must match the recorded bits: any change to the order or the precision of the
// arithmetic shows here.

namespace {

enum class Action { press, release, fire };

struct ScriptedKey {
    std::int32_t ms;
    Action action;
    int key;
};

constexpr ScriptedKey script[] = {
    {100, Action::press, keyLeft},   {180, Action::release, keyLeft},   {200, Action::fire, 0},
    {700, Action::press, keyUp},     {900, Action::release, keyUp},     {1000, Action::fire, 0},
    {1100, Action::press, keyRight}, {1250, Action::release, keyRight}, {1400, Action::fire, 0},
    {1800, Action::press, keyLeft},  {2000, Action::fire, 0},           {2100, Action::release, keyLeft},
    {2600, Action::fire, 0},         {3000, Action::press, keyUp},      {3100, Action::release, keyUp},
    {3200, Action::fire, 0},         {3600, Action::fire, 0},
};

void play(World& w, FakeClocks& clock) {
    const ScriptedKey* next = std::begin(script);
    for (int step = 1; step <= 240; ++step) {
        const std::int32_t stepMs = step * 1000 / 60;
        for (; next != std::end(script) && next->ms <= stepMs; ++next) {
            clock.setNowMs(next->ms);
            switch (next->action) {
            case Action::press: specialKeyDown(w, next->key); break;
            case Action::release: specialKeyUp(w, next->key); break;
            case Action::fire: keyPressed(w, fireKey); break;
            }
        }
        clock.setNowMs(stepMs);
        updateWorld(w);
    }
}

struct Recorded {
    std::string name;
    std::uint32_t bits;
};

std::vector<Recorded> floatsOf(const World& w) {
    std::vector<Recorded> out = {
        {"heading", std::bit_cast<std::uint32_t>(w.heading)},
        {"velocityX", std::bit_cast<std::uint32_t>(w.velocityX)},
        {"velocityY", std::bit_cast<std::uint32_t>(w.velocityY)},
        {"spin", std::bit_cast<std::uint32_t>(w.spin)},
        {"asteroidStep", std::bit_cast<std::uint32_t>(w.asteroidStep)},
        {"thrustImpulse", std::bit_cast<std::uint32_t>(w.thrustImpulse)},
        {"ship.x", std::bit_cast<std::uint32_t>(w.ship->x)},
        {"ship.y", std::bit_cast<std::uint32_t>(w.ship->y)},
        {"bullet.x", std::bit_cast<std::uint32_t>(w.bullet->x)},
        {"bullet.y", std::bit_cast<std::uint32_t>(w.bullet->y)},
    };
    for (int i = 0; i < asteroidCount; ++i) {
        const std::string name = "asteroids[" + std::to_string(i) + "].";
        out.push_back({name + "x", std::bit_cast<std::uint32_t>(w.asteroids[i]->x)});
        out.push_back({name + "y", std::bit_cast<std::uint32_t>(w.asteroids[i]->y)});
    }
    return out;
}

TEST(Determinism, ScriptedSessionEndsInExactlyTheRecordedWorld) {
    FakeClocks clock;
    std::srand(1);
    World w;
    createWorld(w);
    play(w, clock);

    const std::vector<Recorded> recorded = {
        {"heading", 0x42acccce},         // 86.4000092
        {"velocityX", 0x3bddad8d},       // 0.00676507363
        {"velocityY", 0x3bd739df},       // 0.00656817807
        {"spin", 0x4348001a},            // 200.000397
        {"asteroidStep", 0x3bded289},    // 0.00680000009
        {"thrustImpulse", 0x3a324207},   // 0.000679999997
        {"ship.x", 0x41d25814},          // 26.2930069
        {"ship.y", 0x4206b186},          // 33.6733627
        {"bullet.x", 0x41d25814},        // 26.2930069
        {"bullet.y", 0x4206b186},        // 33.6733627
        {"asteroids[0].x", 0x41532ec5},  // 13.1989183
        {"asteroids[0].y", 0x41d67287},  // 26.8059216
        {"asteroids[1].x", 0x41f19754},  // 30.1988907
        {"asteroids[1].y", 0x42373948},  // 45.8059387
        {"asteroids[2].x", 0x40932a4d},  // 4.59891367
        {"asteroids[2].y", 0x42019fb5},  // 32.4059639
        {"asteroids[3].x", 0x413ffb87},  // 11.998908
        {"asteroids[3].y", 0x41c80c27},  // 25.0059338
        {"asteroids[4].x", 0x41e7fdcf},  // 28.99893
        {"asteroids[4].y", 0x41d80c16},  // 27.0059013
        {"asteroids[5].x", 0x40ccc3e3},  // 6.39891195
        {"asteroids[5].y", 0x42166c7d},  // 37.6059456
    };
    const std::vector<Recorded> actual = floatsOf(w);
    ASSERT_EQ(actual.size(), recorded.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        EXPECT_EQ(actual[i].name, recorded[i].name);
        EXPECT_EQ(actual[i].bits, recorded[i].bits)
            << actual[i].name << " is " << std::bit_cast<float>(actual[i].bits);
    }

    EXPECT_EQ(w.asteroidsRemaining, 5);
    EXPECT_TRUE(w.ship->alive);
    const bool alive[asteroidCount] = {true, true, true, true, true, false};
    for (int i = 0; i < asteroidCount; ++i) {
        EXPECT_EQ(w.asteroids[i]->alive, alive[i]) << i;
    }
    EXPECT_EQ(w.lastUpdateMs, 4000);
}

}  // namespace
