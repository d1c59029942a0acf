// Replays a scripted session and 100 random ones on the rules, and prints what went in and the
// world after every step, a line each:
//
//   L <speed> <x> <y> ...  a session starts with this layout (six asteroids, floats by their bits)
//   K <ms> <kind> <code>   a key (k: pressed; d, u: a special key down, up) or the wall clock set (w)
//   S <ms> <hash>          a step, and the hash of the world after it (--words: the world's words)
//   E <hash>               the session ends: the hash of the world after every one of its steps
//
// Sessions bring their own layouts rather than `rand`'s, so that every C library replays the same
// games. Every build must print the same (scripts/build-matrix), and rules_model.py, the rules written
// a second time, checks every line. Fails unless the sessions saw a shot fly, a hit, a struck ship and
// a won game, and the scripted one hashes as the model's "session 0" does, never a build's (GNU's cos
// and sin are part of it): `build/default/tests/replay_sessions | python3 tests/rules_model.py`.

#include <algorithm>
#include <array>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <vector>

#include "fake_clocks.h"
#include "input/keyboard.h"
#include "world/update.h"
#include "world/world.h"

namespace {

constexpr std::uint64_t scriptedSessionHash = 0x43b56c779d5d36a0;

using Rock = std::array<float, 3>;  // speed, x, y

// What reaches the rules, and when, on a 64-bit clock that the game reads as 32 bits: a key pressed
// (k), a special key down or up (d, u), a step (s), or the wall clock moved by `code` seconds (w).
struct Input {
    std::int64_t ms;
    char kind;
    int code;
};

struct Session {
    std::array<Rock, asteroidCount> layout;
    std::vector<Input> inputs;  // in the order given, until sorted by time for the replay
};

// splitmix64: the same numbers from every compiler and C library.
struct Random {
    std::uint64_t state;
    int between(int low, int high) {
        std::uint64_t z = state += 0x9e3779b97f4a7c15;
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
        z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
        return low + static_cast<int>((z ^ (z >> 31)) % static_cast<std::uint64_t>(high - low + 1));
    }
    bool oneIn(int n) { return between(1, n) == 1; }
};

// Four seconds at 60 steps a second: turns both ways, thrust, and shots in flight, one of which hits.
Session scriptedSession() {
    // The layout that GNU's C library's unseeded `rand` gives.
    Session s{{{{8, 26, 14}, {3, 35, 41}, {4, 11, 26}, {0, 12, 25}, {-5, 21, 35}, {6, 16, 28}}},
              {
                  {100, 'd', keyLeft},  {187, 'u', keyLeft},   {200, 'k', fireKey},   {700, 'd', keyUp},
                  {900, 'u', keyUp},    {1000, 'k', fireKey},  {1100, 'd', keyRight}, {1250, 'u', keyRight},
                  {1400, 'k', fireKey}, {1800, 'd', keyLeft},  {2000, 'k', fireKey},  {2100, 'u', keyLeft},
                  {2600, 'k', fireKey}, {2635, 'd', keyRight}, {2691, 'u', keyRight}, {3000, 'd', keyUp},
                  {3100, 'u', keyUp},   {3200, 'k', fireKey},  {3600, 'k', fireKey},
              }};
    for (std::int64_t n = 1; n <= 240; ++n) {
        s.inputs.push_back({n * 1000 / 60, 's', 0});
    }
    return s;
}

// Mostly space and the arrows; now and then any other key, or the wall clock set, often by just
// under, just over or exactly an hour, where the stopwatch turns to it.
Input randomInput(Random& r, std::int64_t ms, bool steers) {
    if (r.oneIn(50)) {
        return {ms, 'w', r.oneIn(2) ? 3600 - r.between(-1, 1) : r.between(-7200, 7200)};
    }
    const int other = r.between(0, 255);
    if (r.oneIn(2)) {
        return {ms, 'k', r.oneIn(8) ? other : fireKey};
    }
    const char kind = r.oneIn(2) ? 'd' : 'u';
    return {ms, kind, steers && !r.oneIn(8) ? keyLeft + r.between(0, 2) : other};
}

// 100 to 2000 steps of 0 to 120 ms, with keys pressed and released at odd moments between them,
// and now and then the wall clock set. One in four is played on a shooting gallery of still
// asteroids in the ship's line of fire, which can be won; one in eight starts just before the game
// clock wraps, as after 24.8 days.
Session randomSession(std::uint64_t seed) {
    Random r{seed};
    Session s{};
    const bool gallery = r.oneIn(4);
    const auto draw = [&](int low, int high) { return static_cast<float>(r.between(low, high)); };
    for (std::size_t i = 0; i < s.layout.size(); ++i) {
        s.layout[i] = gallery ? Rock{0, 8.0F + 3.0F * static_cast<float>(i), 20}
                              : Rock{draw(-5, 9), draw(-1, 48), draw(-1, 48)};
    }
    std::int64_t now = r.oneIn(8) ? (std::int64_t{1} << 31) - r.between(0, 20'000) : 0;
    const int keyOdds = r.between(2, 12);  // each input between two steps is followed by another in so many
    for (int steps = r.between(100, 2000); steps > 0; --steps) {
        const int gap = r.between(0, 120);
        while (r.oneIn(keyOdds)) {
            s.inputs.push_back(randomInput(r, now + r.between(0, gap), !gallery));
        }
        now += gap;
        s.inputs.push_back({now, 's', 0});
    }
    return s;
}

// Floats by their bits; flags and integers by their value, as 32 bits.
template <typename T>
std::uint32_t wordOf(T v) {
    return static_cast<std::uint32_t>(v);
}
std::uint32_t wordOf(float v) {
    static_assert(sizeof(float) == sizeof(std::uint32_t));
    std::uint32_t word = 0;
    std::memcpy(&word, &v, sizeof word);  // std::bit_cast is newer than Emscripten's C++ library
    return word;
}

// Everything the rules change, as 32-bit words, in the order rules_model.py lists them.
std::vector<std::uint32_t> stateWords(const World& w) {
    std::vector<std::uint32_t> words;
    const auto put = [&](auto... values) { (words.push_back(wordOf(values)), ...); };
    const Bullet& shot = *w.bullet;
    put(w.asteroidsRemaining, w.ship->alive, w.ship->x, w.ship->y, shot.fired, shot.visible, shot.armed,
        shot.x, shot.y, w.stopwatch->running, w.stopwatch->startTicks, w.stopwatch->startTime);
    for (const auto& a : w.asteroids) {
        put(a->alive, a->x, a->y);
    }
    put(w.heading, w.velocityX, w.velocityY, w.spin, w.asteroidStep, w.thrustImpulse, w.lastUpdateMs,
        w.leftHeld, w.rightHeld, w.thrustHeld, w.leftStampMs, w.rightStampMs, w.thrustStampMs);
    return words;
}

// FNV-1a over 32-bit words.
std::uint64_t hashed(const std::vector<std::uint32_t>& words, std::uint64_t hash = 0xcbf29ce484222325) {
    for (const std::uint32_t w : words) {
        hash = (hash ^ w) * 0x100000001b3;
    }
    return hash;
}

}  // namespace

int main(int argc, char** argv) {
    const bool words = argc > 1 && std::strcmp(argv[1], "--words") == 0;
    long steps = 0, flying = 0, hits = 0, struck = 0, won = 0;
    for (std::uint64_t n = 0; n <= 100; ++n) {
        Session session = n == 0 ? scriptedSession() : randomSession(n);
        // Equal times in the order given. Not std::ranges::stable_sort: Emscripten's C++ library lacks it.
        std::stable_sort(session.inputs.begin(), session.inputs.end(),
                         [](const Input& a, const Input& b) { return a.ms < b.ms; });
        // The world as the game creates it, laid out as the session says.
        FakeClocks clocks;
        World w;
        createWorld(w);
        std::printf("L");
        for (std::size_t i = 0; i < session.layout.size(); ++i) {
            const auto [speed, x, y] = session.layout[i];
            std::printf(" %08x %08x %08x", wordOf(speed), wordOf(x), wordOf(y));
            w.asteroids[i]->speed = speed;
            w.asteroids[i]->x = x;
            w.asteroids[i]->y = y;
        }
        std::printf("\n");
        std::uint64_t sessionHash = hashed({});
        for (const Input& input : session.inputs) {
            clocks.setNowMs(input.ms);
            switch (input.kind) {
            case 'k': keyPressed(w, static_cast<unsigned char>(input.code)); break;
            case 'd': specialKeyDown(w, input.code); break;
            case 'u': specialKeyUp(w, input.code); break;
            case 'w': clocks.shiftEpochSeconds(input.code); break;
            default: updateWorld(w); break;
            }
            if (input.kind != 's') {
                std::printf("K %" PRId64 " %c %d\n", input.ms, input.kind, input.code);
                continue;
            }
            const std::vector<std::uint32_t> state = stateWords(w);
            sessionHash = hashed(state, sessionHash);
            std::printf("S %" PRId64, input.ms);
            for (std::size_t i = 0; words && i < state.size(); ++i) {
                std::printf(" %08" PRIx32, state[i]);
            }
            if (!words) {
                std::printf(" %016" PRIx64, hashed(state));
            }
            std::printf("\n");
            ++steps;
            flying += w.bullet->fired ? 1 : 0;
        }
        std::printf("E %016" PRIx64 "\n", sessionHash);
        // The count of asteroids only falls, and a struck ship stays struck.
        hits += asteroidCount - w.asteroidsRemaining;
        struck += w.ship->alive ? 0 : 1;
        won += w.asteroidsRemaining == 0 ? 1 : 0;
        if (n == 0 && sessionHash != scriptedSessionHash) {
            std::fprintf(stderr,
                         "replay_sessions: the scripted session hashes to %016" PRIx64 ", not %016" PRIx64
                         "\n",
                         sessionHash, scriptedSessionHash);
            return 1;
        }
    }
    std::fprintf(stderr,
                 "replay_sessions: %ld steps, %ld with a shot flying, %ld hits, %ld struck, %ld won\n", steps,
                 flying, hits, struck, won);
    return flying > 0 && hits > 0 && struck > 0 && won > 0 ? 0 : 1;
}
