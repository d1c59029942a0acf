#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "fake_clocks.h"
#include "world/world.h"

// Sessions of play replayed on the rules one input at a time, on clocks of their own. A session
// gives its own starting layout instead of drawing it from `rand`, so that every build, on every
// C library, replays the same game.

struct Rock {
    float speed, x, y;
};
using Layout = std::array<Rock, asteroidCount>;

// A key, a step, or the wall clock set forward or back by the user.
enum class InputKind : char { key = 'k', specialDown = 'd', specialUp = 'u', step = 's', wallClock = 'w' };

// What reaches the rules, and when: milliseconds of a 64-bit clock that the game reads as 32 bits.
struct Input {
    std::int64_t ms;
    InputKind kind;
    int code;  // the key, or the seconds the wall clock moves; nothing for a step
};

struct Session {
    Layout layout;
    std::vector<Input> inputs;  // in time order
};

// Four seconds at 60 steps a second: turns both ways, thrust, and six shots, one of which hits.
Session scriptedSession();

// 100 to 2000 steps of 0 to 120 ms, with keys pressed and released at odd moments between them,
// and now and then the wall clock set up to two hours either way.
// One in four is played on a shooting gallery of still asteroids in the ship's line of fire, and
// can be won; one in eight starts just before the game clock wraps, as after 24.8 days.
Session randomSession(std::uint64_t seed);

// Everything the rules change, as 32-bit words, floats by their bits; rules_model.py lists the
// same words in the same order.
constexpr std::size_t stateWordCount = 43;
using StateWords = std::array<std::uint32_t, stateWordCount>;
StateWords stateWords(const World& w);

// FNV-1a over 32-bit words.
constexpr std::uint64_t hashStart = 0xcbf29ce484222325;
std::uint64_t hashed(std::uint64_t hash, const StateWords& words);

// A session in play: the world created as the game creates it, then laid out as the session says.
class Replay {
public:
    explicit Replay(const Layout& layout);
    void apply(const Input& input);
    const World& world() const { return world_; }

private:
    FakeClocks clocks_;
    World world_;
};
