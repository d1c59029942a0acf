#include "figures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>

namespace {

constexpr std::int64_t ms = 1'000'000;

TEST(Spread, NearestRankMedianP99AndMax) {
    std::vector<double> hundred;
    for (int i = 100; i >= 1; --i) {
        hundred.push_back(i);
    }
    const Spread s = spreadOf(hundred);
    EXPECT_EQ(s.median, 50);
    EXPECT_EQ(s.p99, 99);
    EXPECT_EQ(s.max, 100);
    EXPECT_EQ(s.count, 100U);

    EXPECT_EQ(spreadOf({7}).p99, 7);
    EXPECT_EQ(spreadOf({}).count, 0U);
}

// Steps every 10 ms from 100 ms, each followed 2 ms later by its frame, the way the game's loop
// runs: a step, then the events waiting, then the frame.
GameRun steadyRun() {
    GameRun run;
    run.execNs = 40 * ms;
    for (std::int64_t t = 100 * ms; t <= 300 * ms; t += 10 * ms) {
        run.events.push_back({EventKind::step, t});
        run.events.push_back({EventKind::frame, t + 2 * ms});
    }
    run.fromNs = 150 * ms;
    run.toNs = 250 * ms;
    run.cpuNs = 5 * ms;
    run.peakResidentKiB = 3 * 1024;
    return run;
}

void insertKey(GameRun& run, std::int64_t sentNs, std::int64_t callbackNs, bool down) {
    const Event callback{down ? EventKind::keyDown : EventKind::keyUp, callbackNs};
    auto at = run.events.begin();
    while (at != run.events.end() && at->ns <= callbackNs) {
        ++at;
    }
    run.events.insert(at, callback);
    run.keys.push_back({sentNs, down});
}

TEST(Figures, RatesIntervalsCpuMemoryAndFirstFrameWithinTheMeasuredStretch) {
    const Figures f = figuresOf(steadyRun());
    EXPECT_DOUBLE_EQ(f.stepsPerSecond, 110);  // 11 steps from 150 ms to 250 ms
    EXPECT_DOUBLE_EQ(f.framesPerSecond, 100);
    EXPECT_DOUBLE_EQ(f.stepIntervalMs.median, 10);
    EXPECT_EQ(f.stepIntervalMs.count, 10U);
    EXPECT_DOUBLE_EQ(f.stepToFrameMs.p99, 2);
    EXPECT_DOUBLE_EQ(f.cpuPerWallSecond, 0.05);
    EXPECT_DOUBLE_EQ(f.peakResidentMiB, 3);
    EXPECT_DOUBLE_EQ(f.firstFrameMs, 62);
}

TEST(Figures, AKeyShowsInTheFrameAfterTheFirstStepThatSawIt) {
    GameRun run = steadyRun();
    // Seen before the step at 160 ms: its frame at 162 ms shows it.
    insertKey(run, 155 * ms, 156 * ms, true);
    // Released between the step at 170 ms and its frame: that frame is too early, the next one shows it.
    insertKey(run, 170 * ms + ms / 2, 171 * ms, false);
    // Seen between the step at 200 ms and its frame: the frame at 212 ms is the first to show it.
    insertKey(run, 200 * ms + ms / 2, 201 * ms, true);
    const Figures f = figuresOf(run);
    ASSERT_EQ(f.keyLatencyMs.count, 2U) << "only presses count";
    EXPECT_DOUBLE_EQ(f.keyLatencyMs.median, 7);
    EXPECT_DOUBLE_EQ(f.keyLatencyMs.max, 11.5);
}

TEST(Figures, RefusesKeysThatDoNotMatchTheCallbacksOrNeverShow) {
    GameRun missing = steadyRun();
    insertKey(missing, 155 * ms, 156 * ms, true);
    missing.keys.push_back({165 * ms, false});
    EXPECT_THROW(figuresOf(missing), std::runtime_error);

    GameRun swapped = steadyRun();
    insertKey(swapped, 155 * ms, 156 * ms, true);
    swapped.keys.back().down = false;
    EXPECT_THROW(figuresOf(swapped), std::runtime_error);

    GameRun unseen = steadyRun();
    insertKey(unseen, 305 * ms, 306 * ms, true);
    EXPECT_THROW(figuresOf(unseen), std::runtime_error);

    GameRun undrawn = steadyRun();
    undrawn.events.erase(std::remove_if(undrawn.events.begin(), undrawn.events.end(),
                                        [](const Event& e) { return e.kind == EventKind::frame; }),
                         undrawn.events.end());
    EXPECT_THROW(figuresOf(undrawn), std::runtime_error);
}

}  // namespace
