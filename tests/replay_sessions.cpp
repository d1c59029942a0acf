// Replays a scripted session and 100 random ones on the rules, and prints what went in and the
// world after every step, a line each:
//
//   L <speed> <x> <y> ...  a session starts with this layout (six asteroids, floats by their bits)
//   K <ms> <kind> <code>   a key (k: pressed; d, u: a special key down, up) or the wall clock set (w)
//   S <ms> <hash>          a step, and the hash of the world after it (--words: the world's words)
//   E <hash>               the session ends: the hash of the world after every one of its steps
//
// A session gives its own starting layout rather than drawing it from `rand`, so that every build,
// on every C library, replays the same game. Every build of the rules must print the same
// (scripts/build-matrix), and rules_model.py checks every line against the rules written a second time.
//
// It fails when the scripted session's hash is not the one the rules give, or when the sessions
// never saw a shot fly, a hit, a struck ship or a won game. The hash comes from rules_model.py,
// never from a build of this code; to derive it again (the cos and sin of GNU's C library are part
// of it; those of Windows builds have given the same so far):
//
//     build/default/tests/replay_sessions | python3 tests/rules_model.py   # its "session 0"

#include <algorithm>
#include <bit>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <functional>
#include <type_traits>
#include <vector>

#include "fake_clocks.h"
#include "input/keyboard.h"
#include "world/update.h"
#include "world/world.h"

namespace {

constexpr std::uint64_t scriptedSessionHash = 0x43b56c779d5d36a0;

struct Rock {
    float speed, x, y;
};

// A key, a step, or the wall clock set forward or back by the user.
enum class InputKind : char { key = 'k', specialDown = 'd', specialUp = 'u', step = 's', wallClock = 'w' };

// What reaches the rules, and when: milliseconds of a 64-bit clock that the game reads as 32 bits.
struct Input {
    std::int64_t ms;
    InputKind kind;
    int code;  // the key, or the seconds the wall clock moves; nothing for a step
};

struct Session {
    std::array<Rock, asteroidCount> layout;
    std::vector<Input> inputs;  // in time order
};

// splitmix64: the same numbers from every compiler and C library.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    int between(int low, int high) {
        return low + static_cast<int>(next() % static_cast<std::uint64_t>(high - low + 1));
    }
    bool oneIn(int n) { return between(1, n) == 1; }

private:
    std::uint64_t next() {
        std::uint64_t z = state_ += 0x9e3779b97f4a7c15;
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
        z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
        return z ^ (z >> 31);
    }
    std::uint64_t state_;
};

// Mostly space and the arrows; now and then any other key, or the wall clock set, often by just
// under, just over or exactly an hour, where the stopwatch turns to it.
Input randomInput(Random& r, std::int64_t ms, bool steers) {
    if (r.oneIn(50)) {
        return {ms, InputKind::wallClock, r.oneIn(2) ? 3600 - r.between(-1, 1) : r.between(-7200, 7200)};
    }
    const int other = r.between(0, 255);
    if (r.oneIn(2)) {
        return {ms, InputKind::key, r.oneIn(8) ? other : fireKey};
    }
    const InputKind kind = r.oneIn(2) ? InputKind::specialDown : InputKind::specialUp;
    return {ms, kind, steers && !r.oneIn(8) ? keyLeft + r.between(0, 2) : other};
}

// Floats by their bits; flags and integers by their value, as 32 bits.
template <typename T>
std::uint32_t wordOf(T v) {
    if constexpr (std::is_same_v<T, float>) {
        return std::bit_cast<std::uint32_t>(v);
    } else {
        return static_cast<std::uint32_t>(v);
    }
}

// Four seconds at 60 steps a second: turns both ways, thrust, and shots in flight, one of which hits.
Session scriptedSession() {
    // The layout that GNU's C library's unseeded `rand` gives.
    Session s{{{{8, 26, 14}, {3, 35, 41}, {4, 11, 26}, {0, 12, 25}, {-5, 21, 35}, {6, 16, 28}}}, {}};
    using enum InputKind;
    const Input keys[] = {
        {100, specialDown, keyLeft},   {187, specialUp, keyLeft},     {200, key, fireKey},
        {700, specialDown, keyUp},     {900, specialUp, keyUp},       {1000, key, fireKey},
        {1100, specialDown, keyRight}, {1250, specialUp, keyRight},   {1400, key, fireKey},
        {1800, specialDown, keyLeft},  {2000, key, fireKey},          {2100, specialUp, keyLeft},
        {2600, key, fireKey},          {2635, specialDown, keyRight}, {2691, specialUp, keyRight},
        {3000, specialDown, keyUp},    {3100, specialUp, keyUp},      {3200, key, fireKey},
        {3600, key, fireKey},
    };
    const Input* next = std::begin(keys);
    for (std::int64_t n = 1; n <= 240; ++n) {
        for (; next != std::end(keys) && next->ms <= n * 1000 / 60; ++next) {
            s.inputs.push_back(*next);
        }
        s.inputs.push_back({n * 1000 / 60, step, 0});
    }
    return s;
}

// 100 to 2000 steps of 0 to 120 ms, with keys pressed and released at odd moments between them,
// and now and then the wall clock set. One in four is played on a shooting gallery of still
// asteroids in the ship's line of fire, which can be won; one in eight starts just before the game
// clock wraps, as after 24.8 days.
Session randomSession(std::uint64_t seed) {
    Random r(seed);
    Session s{};
    const bool gallery = r.oneIn(4);
    for (std::size_t i = 0; i < s.layout.size(); ++i) {
        const auto at = [&] { return static_cast<float>(r.between(-1, 48)); };
        s.layout[i] = gallery ? Rock{0, 8.0F + 3.0F * static_cast<float>(i), 20}
                              : Rock{static_cast<float>(r.between(-5, 9)), at(), at()};
    }
    std::int64_t now = r.oneIn(8) ? (std::int64_t{1} << 31) - r.between(0, 20'000) : 0;
    const int keyOdds =
        r.between(2, 12);  // each input between two steps is followed by another one in so many
    for (int steps = r.between(100, 2000); steps > 0; --steps) {
        const int gap = r.between(0, 120);
        const auto first = s.inputs.size();
        while (r.oneIn(keyOdds)) {
            s.inputs.push_back(randomInput(r, now + r.between(0, gap), !gallery));
        }
        std::stable_sort(s.inputs.begin() + static_cast<std::ptrdiff_t>(first), s.inputs.end(),
                         [](const Input& a, const Input& b) { return a.ms < b.ms; });
        now += gap;
        s.inputs.push_back({now, InputKind::step, 0});
    }
    return s;
}

// Creates the world as the game does, lays it out as the session says, and feeds it the inputs,
// calling `after` after each.
void replay(const Session& session, const std::function<void(const World&, const Input&)>& after) {
    FakeClocks clocks;
    World w;
    createWorld(w);
    for (std::size_t i = 0; i < session.layout.size(); ++i) {
        w.asteroids[i]->speed = session.layout[i].speed;
        w.asteroids[i]->x = session.layout[i].x;
        w.asteroids[i]->y = session.layout[i].y;
    }
    for (const Input& input : session.inputs) {
        clocks.setNowMs(input.ms);
        switch (input.kind) {
        case InputKind::key: keyPressed(w, static_cast<unsigned char>(input.code)); break;
        case InputKind::specialDown: specialKeyDown(w, input.code); break;
        case InputKind::specialUp: specialKeyUp(w, input.code); break;
        case InputKind::step: updateWorld(w); break;
        case InputKind::wallClock: clocks.shiftEpochSeconds(input.code); break;
        }
        after(w, input);
    }
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
constexpr std::uint64_t hashStart = 0xcbf29ce484222325;
std::uint64_t hashed(std::uint64_t hash, const std::vector<std::uint32_t>& words) {
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
        const Session session = n == 0 ? scriptedSession() : randomSession(n);
        std::printf("L");
        for (const Rock& rock : session.layout) {
            for (const float v : {rock.speed, rock.x, rock.y}) {
                std::printf(" %08x", std::bit_cast<std::uint32_t>(v));
            }
        }
        std::printf("\n");
        std::uint64_t sessionHash = hashStart;
        std::int32_t remaining = asteroidCount;
        bool shipAlive = true;
        replay(session, [&](const World& w, const Input& input) {
            if (input.kind != InputKind::step) {
                std::printf("K %" PRId64 " %c %d\n", input.ms, static_cast<char>(input.kind), input.code);
                return;
            }
            const std::vector<std::uint32_t> state = stateWords(w);
            sessionHash = hashed(sessionHash, state);
            std::printf("S %" PRId64, input.ms);
            if (words) {
                for (const std::uint32_t word : state) {
                    std::printf(" %08" PRIx32, word);
                }
                std::printf("\n");
            } else {
                std::printf(" %016" PRIx64 "\n", hashed(hashStart, state));
            }
            ++steps;
            flying += w.bullet->fired ? 1 : 0;
            hits += remaining - w.asteroidsRemaining;
            struck += shipAlive && !w.ship->alive ? 1 : 0;
            won += remaining > 0 && w.asteroidsRemaining == 0 ? 1 : 0;
            remaining = w.asteroidsRemaining;
            shipAlive = w.ship->alive;
        });
        std::printf("E %016" PRIx64 "\n", sessionHash);
        if (n == 0 && sessionHash != scriptedSessionHash) {
            std::fprintf(stderr,
                         "replay_sessions: the scripted session hashes to %016" PRIx64 ", not %016" PRIx64
                         " as the rules give\n",
                         sessionHash, scriptedSessionHash);
            return 1;
        }
    }
    std::fprintf(
        stderr,
        "replay_sessions: 101 sessions, %ld steps: %ld with a shot flying, %ld hits, %ld ships struck, "
        "%ld games won\n",
        steps, flying, hits, struck, won);
    return flying > 0 && hits > 0 && struck > 0 && won > 0 ? 0 : 1;
}
