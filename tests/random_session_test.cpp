#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "fake_clocks.h"
#include "input/keyboard.h"
#include "world/update.h"
#include "world/world.h"

// Random sessions: whatever keys arrive, in whatever order, and however long the gaps between
// update steps, the world stays sane. Every run draws a new seed and prints it; set
// ASTEROIDS_SEED to replay one.

namespace {

std::uint64_t sessionSeed() {
    if (const char* given = std::getenv("ASTEROIDS_SEED")) {
        return std::strtoull(given, nullptr, 10);
    }
    std::random_device device;
    return (static_cast<std::uint64_t>(device()) << 32) | device();
}

std::string replayHint(std::uint64_t seed) {
    return "seed " + std::to_string(seed) + " (ASTEROIDS_SEED=" + std::to_string(seed) + " replays it)";
}

bool inField(float v) { return v >= 0 && v <= 50; }

std::string position(float x, float y) { return "(" + std::to_string(x) + ", " + std::to_string(y) + ")"; }

// The first number in the world that is NaN or infinite, by name; empty when there is none.
std::string firstNonFinite(const World& w) {
    const std::pair<const char*, double> numbers[] = {
        {"heading", w.heading},
        {"velocityX", w.velocityX},
        {"velocityY", w.velocityY},
        {"spin", w.spin},
        {"asteroidStep", w.asteroidStep},
        {"thrustImpulse", w.thrustImpulse},
        {"ship.x", w.ship->x},
        {"ship.y", w.ship->y},
        {"bullet.x", w.bullet->x},
        {"bullet.y", w.bullet->y},
        {"bullet.lifetimeSeconds", w.bullet->lifetimeSeconds},
    };
    for (const auto& [name, value] : numbers) {
        if (!std::isfinite(value)) {
            return name;
        }
    }
    for (std::size_t i = 0; i < asteroidCount; ++i) {
        const Asteroid& a = *w.asteroids[i];
        if (!std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(a.speed)) {
            return "asteroid " + std::to_string(i) + " at " + position(a.x, a.y) + " speed " +
                   std::to_string(a.speed);
        }
    }
    return {};
}

// What a strike freezes, bit for bit, and what may only ever fall.
struct Watched {
    std::array<std::uint32_t, 7> frozenBits;  // ship, heading, velocity, shot
    bool shipAlive;
    std::int32_t remaining;
    std::array<bool, asteroidCount> asteroidsAlive;

    static Watched of(const World& w) {
        Watched s{{std::bit_cast<std::uint32_t>(w.ship->x), std::bit_cast<std::uint32_t>(w.ship->y),
                   std::bit_cast<std::uint32_t>(w.heading), std::bit_cast<std::uint32_t>(w.velocityX),
                   std::bit_cast<std::uint32_t>(w.velocityY), std::bit_cast<std::uint32_t>(w.bullet->x),
                   std::bit_cast<std::uint32_t>(w.bullet->y)},
                  w.ship->alive,
                  w.asteroidsRemaining,
                  {}};
        for (std::size_t i = 0; i < asteroidCount; ++i) {
            s.asteroidsAlive[i] = w.asteroids[i]->alive;
        }
        return s;
    }
};

// Checks the world after every step against the rules that must always hold.
class Sanity {
public:
    explicit Sanity(const World& w) : last_(Watched::of(w)) {}

    // The first broken rule, or an empty string.
    std::string after(const World& w) {
        if (std::string name = firstNonFinite(w); !name.empty()) {
            return name + " is not a finite number";
        }
        if (!inField(w.ship->x) || !inField(w.ship->y)) {
            return "the ship left the field at " + position(w.ship->x, w.ship->y);
        }
        const auto outside = [](const auto& a) { return !inField(a->x) || !inField(a->y); };
        if (const auto a = std::find_if(w.asteroids.begin(), w.asteroids.end(), outside);
            a != w.asteroids.end()) {
            return "an asteroid left the field at " + position((*a)->x, (*a)->y);
        }
        const Watched now = Watched::of(w);
        if (now.remaining < 0 || now.remaining > last_.remaining) {
            return "asteroidsRemaining went from " + std::to_string(last_.remaining) + " to " +
                   std::to_string(now.remaining);
        }
        for (std::size_t i = 0; i < asteroidCount; ++i) {
            if (now.asteroidsAlive[i] && !last_.asteroidsAlive[i]) {
                return "destroyed asteroid " + std::to_string(i) + " came back";
            }
        }
        if (now.shipAlive && !last_.shipAlive) {
            return "the destroyed ship came back";
        }
        if (!last_.shipAlive && now.frozenBits != last_.frozenBits) {
            return "the struck ship, its heading, its velocity or its shot moved";
        }
        last_ = now;
        return {};
    }

private:
    Watched last_;
};

// Plays the game as a random player would, on the fake clocks.
class RandomPlayer {
public:
    RandomPlayer(std::uint64_t seed, FakeClocks& clock) : random_(seed), clock_(clock) {}

    // Mostly 0 to 100 ms; now and then several seconds, as when the machine or the window stalls.
    std::int32_t randomGapMs() {
        if (chance(1.0 / 20'000)) {
            ++longGaps;
            return uniform(2'000, 10'000);
        }
        return uniform(0, 100);
    }

    // Any key on the keyboard, pressed or released in any order: presses need no release.
    void randomKey(World& w) {
        ++keyEvents;
        switch (uniform(0, 2)) {
        case 0: keyPressed(w, chance(0.5) ? fireKey : static_cast<unsigned char>(uniform(0, 255))); break;
        case 1: specialKeyDown(w, randomSpecialKey()); break;
        default: specialKeyUp(w, randomSpecialKey()); break;
        }
    }

    // Sends random keys at random moments of the next `gapMs`, then steps the world at its end.
    void step(World& w, std::int32_t gapMs, double keyChance) {
        const std::int32_t from = clock_.gameMs();
        moments_.clear();
        while (chance(keyChance)) {
            moments_.push_back(from + uniform(0, gapMs));
        }
        std::sort(moments_.begin(), moments_.end());
        for (const std::int32_t moment : moments_) {
            clock_.setNowMs(moment);
            randomKey(w);
        }
        // The wall clock is set by hand now and then, a day or so either way.
        if (chance(1.0 / 100'000)) {
            clock_.shiftEpochSeconds(uniform(-200'000, 200'000));
        }
        clock_.setNowMs(from + gapMs);
        updateWorld(w);
        ++steps;
    }

    unsigned randomLayoutSeed() { return static_cast<unsigned>(random_()); }

    std::int64_t steps = 0;
    std::int64_t keyEvents = 0;
    std::int64_t longGaps = 0;

private:
    bool chance(double p) { return std::bernoulli_distribution(p)(random_); }
    std::int32_t uniform(std::int32_t low, std::int32_t high) {
        return std::uniform_int_distribution<std::int32_t>(low, high)(random_);
    }
    // Mostly the arrows, which the game uses; otherwise any code, GLUT's or not.
    int randomSpecialKey() { return chance(0.6) ? keyLeft + uniform(0, 2) : uniform(0, 255); }

    std::mt19937_64 random_;
    FakeClocks& clock_;
    std::vector<std::int32_t> moments_;
};

// A new game as a new process would start it, on a layout of the seed's choosing.
void startGame(World& w, FakeClocks& clock, unsigned layoutSeed) {
    clock.setNowMs(0);
    std::srand(layoutSeed);
    w = World{};
    createWorld(w);
}

TEST(RandomSessions, AMillionStepsOfRandomKeysAndGapsKeepEveryGameSane) {
    const std::uint64_t seed = sessionSeed();
    SCOPED_TRACE(replayHint(seed));
    FakeClocks clock;
    RandomPlayer player(seed, clock);
    // A game ends soon after the first strike; each one is watched for a while after it ends,
    // and a game that goes on without end (every asteroid shot, the ship flying on) is cut off.
    constexpr int stepsWatchedAfterTheEnd = 120;
    constexpr std::int64_t longestGame = 200'000;
    int games = 0, struck = 0, cleared = 0;
    std::int64_t stepsInPlay = 0;
    while (player.steps < 1'000'000) {
        World w;
        startGame(w, clock, player.randomLayoutSeed());
        ++games;
        Sanity sanity(w);
        const std::int64_t firstStep = player.steps;
        for (int afterTheEnd = 0;
             afterTheEnd < stepsWatchedAfterTheEnd && player.steps - firstStep < longestGame;) {
            stepsInPlay += gameOver(w) ? 0 : 1;
            player.step(w, player.randomGapMs(), 0.3);
            const std::string broken = sanity.after(w);
            if (!broken.empty()) {
                FAIL() << "game " << games << ", step " << player.steps - firstStep << ": " << broken;
            }
            afterTheEnd += gameOver(w) ? 1 : 0;
        }
        struck += w.ship->alive ? 0 : 1;
        cleared += w.asteroidsRemaining == 0 ? 1 : 0;
    }
    std::printf(
        "%lld steps (%lld in play) in %d games (%d ended by a strike, %d with every asteroid destroyed), "
        "%lld key "
        "events, %lld gaps of 2 to 10 s; %s\n",
        static_cast<long long>(player.steps), static_cast<long long>(stepsInPlay), games, struck, cleared,
        static_cast<long long>(player.keyEvents), static_cast<long long>(player.longGaps),
        replayHint(seed).c_str());
}

constexpr std::int64_t stepsInAWeek = 7LL * 24 * 3600 * 60;

// The game clock at step `n` of a steady 60 steps per second.
std::int32_t sixtiethMs(std::int64_t n) { return static_cast<std::int32_t>(n * 1000 / 60); }

double hoursAt(std::int64_t n) { return static_cast<double>(n) / (60 * 3600); }

TEST(RandomSessions, AGameLeftRunningForAWeekStaysSane) {
    const std::uint64_t seed = sessionSeed();
    SCOPED_TRACE(replayHint(seed));
    FakeClocks clock;
    RandomPlayer player(seed, clock);
    World w;
    startGame(w, clock, player.randomLayoutSeed());
    Sanity sanity(w);
    for (std::int64_t n = 1; n <= stepsInAWeek; ++n) {
        // A key about twice a second.
        player.step(w, sixtiethMs(n) - clock.gameMs(), 1.0 / 30);
        const std::string broken = sanity.after(w);
        if (!broken.empty()) {
            FAIL() << "step " << n << ": " << broken;
        }
    }
    std::printf("a week of %lld steps, %lld key events; spin %g degrees; %s\n",
                static_cast<long long>(player.steps), static_cast<long long>(player.keyEvents), w.spin,
                replayHint(seed).c_str());
}

// The longest life a ship can have: every asteroid destroyed, so nothing can strike it, and the
// turn and thrust keys held down for a week while space is pressed at every step. Heading and
// velocity are never wrapped or limited; they must grow without ever becoming infinite.
TEST(RandomSessions, AShipTurningAndThrustingForAWeekStaysFinite) {
    FakeClocks clock;
    World w;
    startGame(w, clock, 1);
    for (auto& a : w.asteroids) {
        a->alive = false;
    }
    w.asteroidsRemaining = 0;
    specialKeyDown(w, keyLeft);
    specialKeyDown(w, keyUp);
    Sanity sanity(w);
    std::int64_t headingLastChanged = 0, spinLastChanged = 0;
    for (std::int64_t n = 1; n <= stepsInAWeek; ++n) {
        clock.setNowMs(sixtiethMs(n));
        keyPressed(w, fireKey);
        const float heading = w.heading, spin = w.spin;
        updateWorld(w);
        headingLastChanged = w.heading != heading ? n : headingLastChanged;
        spinLastChanged = w.spin != spin ? n : spinLastChanged;
        const std::string broken = sanity.after(w);
        if (!broken.empty()) {
            FAIL() << "step " << n << ": " << broken;
        }
    }
    EXPECT_TRUE(w.ship->alive);
    std::printf(
        "a week of %lld steps turning and thrusting: heading %g degrees (last changed after %.1f h), "
        "velocity (%g, %g) units per ms, spin %g degrees (last changed after %.1f h)\n",
        static_cast<long long>(stepsInAWeek), w.heading, hoursAt(headingLastChanged), w.velocityX,
        w.velocityY, w.spin, hoursAt(spinLastChanged));
}

}  // namespace
