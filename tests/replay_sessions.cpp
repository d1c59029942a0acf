// Replays the scripted session and 100 random ones on the rules, and prints what went in and the
// world after every step, one line each:
//
//   L <speed> <x> <y> ...  a session starts with this layout (six asteroids, floats by their bits)
//   K <ms> <k|d|u> <code>  a key pressed (k), or a special key down (d) or up (u)
//   K <ms> w <seconds>     the wall clock set forward or back
//   S <ms> <hash>          a step, and the hash of the world after it (--words: the world's words)
//   E <hash>               the session ends: the hash of the world after every one of its steps
//
// Every build of the rules must print the same (build_matrix.sh), and rules_model.py checks every
// line against the rules written a second time. Fails when a world breaks the game's invariants,
// and when the sessions never saw a shot fly, a hit, a struck ship or a won game.

#include <algorithm>
#include <array>
#include <bit>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "session.h"

namespace {

bool inField(float v) { return v >= 0 && v <= 50; }

// What the rules may only ever take away, and what a strike freezes.
struct Kept {
    std::int32_t remaining;
    bool shipAlive;
    std::array<bool, asteroidCount> asteroidsAlive;
    std::array<float, 7> frozen;  // ship, heading, velocity, shot
};

Kept keptOf(const World& w) {
    Kept k{w.asteroidsRemaining,
           w.ship->alive,
           {},
           {w.ship->x, w.ship->y, w.heading, w.velocityX, w.velocityY, w.bullet->x, w.bullet->y}};
    std::transform(w.asteroids.begin(), w.asteroids.end(), k.asteroidsAlive.begin(),
                   [](const auto& a) { return a->alive; });
    return k;
}

// The first invariant the step from `before` to `w` breaks, or nothing.
const char* broken(const Kept& before, const World& w) {
    const Kept now = keptOf(w);
    const float numbers[] = {w.spin, w.asteroidStep, w.thrustImpulse};
    if (!std::all_of(std::begin(numbers), std::end(numbers), [](float v) { return std::isfinite(v); }) ||
        !std::all_of(now.frozen.begin(), now.frozen.end(), [](float v) { return std::isfinite(v); })) {
        return "a number is not finite";
    }
    if (!inField(w.ship->x) || !inField(w.ship->y) ||
        !std::all_of(w.asteroids.begin(), w.asteroids.end(),
                     [](const auto& a) { return inField(a->x) && inField(a->y); })) {
        return "the ship or an asteroid is outside the field";
    }
    if (now.remaining < 0 || now.remaining > before.remaining) {
        return "asteroidsRemaining rose or fell below 0";
    }
    for (std::size_t i = 0; i < now.asteroidsAlive.size(); ++i) {
        if (now.asteroidsAlive[i] && !before.asteroidsAlive[i]) {
            return "a destroyed asteroid came back";
        }
    }
    if (now.shipAlive && !before.shipAlive) {
        return "the struck ship came back";
    }
    if (!before.shipAlive && now.frozen != before.frozen) {
        return "the struck ship, its heading, its velocity or its shot moved";
    }
    return nullptr;
}

struct Seen {
    long steps = 0, shotsFlying = 0, hits = 0, struck = 0, won = 0;
};

// Plays one session, printing as it goes; false when a step breaks an invariant.
bool replay(const Session& session, bool words, Seen& seen) {
    std::printf("L");
    for (const Rock& rock : session.layout) {
        std::printf(" %08x %08x %08x", std::bit_cast<std::uint32_t>(rock.speed),
                    std::bit_cast<std::uint32_t>(rock.x), std::bit_cast<std::uint32_t>(rock.y));
    }
    std::printf("\n");
    Replay game(session.layout);
    std::uint64_t sessionHash = hashStart;
    for (const Input& input : session.inputs) {
        const Kept before = keptOf(game.world());
        game.apply(input);
        if (input.kind != InputKind::step) {
            std::printf("K %" PRId64 " %c %d\n", input.ms, static_cast<char>(input.kind), input.code);
            continue;
        }
        const World& w = game.world();
        const StateWords state = stateWords(w);
        sessionHash = hashed(sessionHash, state);
        std::printf("S %" PRId64, input.ms);
        if (words) {
            for (const std::uint32_t word : state) {
                std::printf(" %08x", word);
            }
            std::printf("\n");
        } else {
            std::printf(" %016" PRIx64 "\n", hashed(hashStart, state));
        }
        if (const char* what = broken(before, w)) {
            std::fprintf(stderr, "replay_sessions: at %" PRId64 " ms: %s\n", input.ms, what);
            return false;
        }
        ++seen.steps;
        seen.shotsFlying += w.bullet->fired ? 1 : 0;
        seen.hits += before.remaining - w.asteroidsRemaining;
        seen.struck += before.shipAlive && !w.ship->alive ? 1 : 0;
        seen.won += before.remaining > 0 && w.asteroidsRemaining == 0 ? 1 : 0;
    }
    std::printf("E %016" PRIx64 "\n", sessionHash);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const bool words = argc > 1 && std::strcmp(argv[1], "--words") == 0;
    Seen seen;
    constexpr int randomSessions = 100;
    for (int n = 0; n <= randomSessions; ++n) {
        if (!replay(n == 0 ? scriptedSession() : randomSession(static_cast<std::uint64_t>(n)), words, seen)) {
            return 1;
        }
    }
    std::fprintf(
        stderr,
        "replay_sessions: %d sessions, %ld steps: %ld with a shot flying, %ld hits, %ld ships struck, "
        "%ld games won\n",
        randomSessions + 1, seen.steps, seen.shotsFlying, seen.hits, seen.struck, seen.won);
    if (seen.shotsFlying == 0 || seen.hits == 0 || seen.struck == 0 || seen.won == 0) {
        std::fprintf(
            stderr,
            "replay_sessions: the sessions must show shots flying, hits, struck ships and won games\n");
        return 1;
    }
    return 0;
}
