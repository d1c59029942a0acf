#include "session.h"

#include <algorithm>
#include <bit>

#include "input/keyboard.h"
#include "world/update.h"

namespace {

// splitmix64: the same numbers from every compiler and C library.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = state_ += 0x9e3779b97f4a7c15;
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
        z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
        return z ^ (z >> 31);
    }
    int between(int low, int high) {
        return low + static_cast<int>(next() % static_cast<std::uint64_t>(high - low + 1));
    }
    bool oneIn(int n) { return next() % static_cast<std::uint64_t>(n) == 0; }

private:
    std::uint64_t state_;
};

// Mostly space and the arrows; now and then any other key, or the wall clock set.
Input randomKey(Random& r, std::int64_t ms, bool steers) {
    const auto anyCode = [&] { return r.between(0, 255); };
    if (r.oneIn(50)) {
        return {ms, InputKind::wallClock, r.between(-7200, 7200)};
    }
    switch (r.between(0, 3)) {
    case 0: return {ms, InputKind::key, r.oneIn(8) ? anyCode() : fireKey};
    case 1: return {ms, InputKind::key, fireKey};
    default: {
        const InputKind kind = r.oneIn(2) ? InputKind::specialDown : InputKind::specialUp;
        return {ms, kind, steers && !r.oneIn(8) ? keyLeft + r.between(0, 2) : anyCode()};
    }
    }
}

std::uint32_t bits(float v) { return std::bit_cast<std::uint32_t>(v); }
std::uint32_t word(std::int64_t v) { return static_cast<std::uint32_t>(v); }

}  // namespace

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
    for (int n = 1; n <= 240; ++n) {
        const std::int64_t stepMs = n * 1000 / 60;
        for (; next != std::end(keys) && next->ms <= stepMs; ++next) {
            s.inputs.push_back(*next);
        }
        s.inputs.push_back({stepMs, step, 0});
    }
    return s;
}

Session randomSession(std::uint64_t seed) {
    Random r(seed);
    Session s{};
    const bool gallery = r.oneIn(4);
    for (std::size_t i = 0; i < s.layout.size(); ++i) {
        s.layout[i] = gallery
                          ? Rock{0, 8.0F + 3.0F * static_cast<float>(i), 20}
                          : Rock{static_cast<float>(r.between(-5, 9)), static_cast<float>(r.between(-1, 48)),
                                 static_cast<float>(r.between(-1, 48))};
    }
    std::int64_t now = r.oneIn(8) ? (std::int64_t{1} << 31) - r.between(0, 20'000) : 0;
    const int steps = r.between(100, 2000);
    const int keyOdds = r.between(2, 12);  // each key between two steps is followed by another one in so many
    for (int n = 0; n < steps; ++n) {
        const int gap = r.between(0, 120);
        std::vector<Input> keys;
        while (r.oneIn(keyOdds)) {
            keys.push_back(randomKey(r, now + r.between(0, gap), !gallery));
        }
        std::stable_sort(keys.begin(), keys.end(),
                         [](const Input& a, const Input& b) { return a.ms < b.ms; });
        s.inputs.insert(s.inputs.end(), keys.begin(), keys.end());
        now += gap;
        s.inputs.push_back({now, InputKind::step, 0});
    }
    return s;
}

StateWords stateWords(const World& w) {
    const Ship& ship = *w.ship;
    const Bullet& shot = *w.bullet;
    const Stopwatch& watch = *w.stopwatch;
    StateWords words{word(w.asteroidsRemaining),
                     ship.alive,
                     bits(ship.x),
                     bits(ship.y),
                     shot.fired,
                     shot.visible,
                     shot.armed,
                     bits(shot.x),
                     bits(shot.y),
                     watch.running,
                     word(watch.startTicks),
                     word(watch.startTime)};
    std::size_t i = 12;
    for (const auto& a : w.asteroids) {
        words[i++] = a->alive;
        words[i++] = bits(a->x);
        words[i++] = bits(a->y);
    }
    for (const float f : {w.heading, w.velocityX, w.velocityY, w.spin, w.asteroidStep, w.thrustImpulse}) {
        words[i++] = bits(f);
    }
    for (const std::int32_t v : {w.lastUpdateMs, w.leftHeld, w.rightHeld, std::int32_t{w.thrustHeld},
                                 w.leftStampMs, w.rightStampMs, w.thrustStampMs}) {
        words[i++] = word(v);
    }
    return words;
}

std::uint64_t hashed(std::uint64_t hash, const StateWords& words) {
    for (const std::uint32_t w : words) {
        hash = (hash ^ w) * 0x100000001b3;
    }
    return hash;
}

Replay::Replay(const Layout& layout) {
    createWorld(world_);
    for (std::size_t i = 0; i < layout.size(); ++i) {
        world_.asteroids[i]->speed = layout[i].speed;
        world_.asteroids[i]->x = layout[i].x;
        world_.asteroids[i]->y = layout[i].y;
    }
}

void Replay::apply(const Input& input) {
    clocks_.setNowMs(input.ms);
    switch (input.kind) {
    case InputKind::key: keyPressed(world_, static_cast<unsigned char>(input.code)); break;
    case InputKind::specialDown: specialKeyDown(world_, input.code); break;
    case InputKind::specialUp: specialKeyUp(world_, input.code); break;
    case InputKind::step: updateWorld(world_); break;
    case InputKind::wallClock: clocks_.shiftEpochSeconds(input.code); break;
    }
}
