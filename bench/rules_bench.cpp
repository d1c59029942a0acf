// The rules' hot path, on clocks the benchmark sets: one whole update step with its collision pass,
// the collision pass alone, and `collides`.

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <cstdlib>

#include "fake_clocks.h"
#include "input/keyboard.h"
#include "world/collisions.h"
#include "world/update.h"
#include "world/world.h"

namespace {

// Ten seconds of play at 60 steps a second, well before the default layout's asteroid strikes the
// ship: the ship turns left and fires whenever it can, so every part of the step is exercised.
constexpr int stepsPerGame = 600;

void startGame(World& w, FakeClocks& clock) {
    std::srand(1);  // the game's own layout: it never seeds `rand`
    createWorld(w);
    clock.setNowMs(0);
    specialKeyDown(w, keyLeft);
}

void playStep(World& w, FakeClocks& clock, int step) {
    clock.setNowMs(step * 1000 / 60);
    keyPressed(w, fireKey);
    updateWorld(w);
}

void UpdateStep(benchmark::State& state) {
    FakeClocks clock;
    World w;
    int step = stepsPerGame;
    for (auto _ : state) {
        if (step == stepsPerGame) {
            state.PauseTiming();
            startGame(w, clock);
            step = 0;
            state.ResumeTiming();
        }
        playStep(w, clock, ++step);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(UpdateStep);

void CollisionPass(benchmark::State& state) {
    FakeClocks clock;
    World w;
    startGame(w, clock);
    for (int step = 1; step <= stepsPerGame / 2; ++step) {
        playStep(w, clock, step);
    }
    for (auto _ : state) {
        resolveCollisions(w);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(CollisionPass);

struct Pair {
    std::int32_t x1, y1, x2, y2;
};

// Other quadrants, a quadrant's edge, a near miss and touching centres.
constexpr std::array<Pair, 8> pairs = {{
    {10, 10, 40, 40},
    {10, 30, 10, 10},
    {25, 10, 24, 10},
    {10, 10, 14, 10},
    {10, 10, 11, 11},
    {30, 30, 32, 30},
    {40, 45, 40, 45},
    {-3, 10, 1, 10},
}};

void Collides(benchmark::State& state) {
    std::size_t i = 0;
    for (auto _ : state) {
        const Pair& p = pairs[i];
        benchmark::DoNotOptimize(collides(p.x1, p.y1, 1, p.x2, p.y2, 1));
        i = (i + 1) % pairs.size();
    }
}
BENCHMARK(Collides);

}  // namespace

BENCHMARK_MAIN();
