#include <gtest/gtest.h>

#include "fake_clocks.h"
#include "world/stopwatch.h"

namespace {

TEST(Stopwatch, NeverStartedReadsTheSecondsSinceTheEpoch) {
    FakeClocks clock;
    const Stopwatch stopwatch;
    EXPECT_FALSE(stopwatch.running);
    EXPECT_EQ(stopwatch.elapsed(), static_cast<double>(FakeClocks::someEpoch));
}

TEST(Stopwatch, ReadsTicksUnderAnHourAndWholeWallClockSecondsFromAnHourOn) {
    const struct {
        std::int32_t ticksMs;
        std::int64_t wallSeconds;  // how far the wall clock moves besides the ticks
        double expected;
        const char* why;
    } cases[] = {
        {250, 0, 0.25, "ticks, in milliseconds"},
        {400, 0, 0.4, "a shot's lifetime"},
        {1, 3599, 0.001, "3599 s on the wall clock: still the ticks"},
        {1, 3600, 3600.0, "3600 s on the wall clock: whole seconds"},
        {1, 7200, 7200.0, "and beyond"},
        {250, -100, 0.25, "the wall clock set back: the ticks"},
    };
    for (const auto& c : cases) {
        FakeClocks clock;
        clock.advanceMs(12'345);
        Stopwatch stopwatch;
        stopwatch.start();
        EXPECT_TRUE(stopwatch.running);
        clock.advanceMs(c.ticksMs);
        clock.shiftEpochSeconds(c.wallSeconds);
        EXPECT_DOUBLE_EQ(stopwatch.elapsed(), c.expected) << c.why;
    }
}

TEST(Stopwatch, StopKeepsMeasuringAndStartRestarts) {
    FakeClocks clock;
    Stopwatch stopwatch;
    stopwatch.start();
    clock.advanceMs(300);
    stopwatch.stop();
    EXPECT_FALSE(stopwatch.running);
    clock.advanceMs(200);
    EXPECT_DOUBLE_EQ(stopwatch.elapsed(), 0.5);
    stopwatch.start();
    clock.advanceMs(20);
    EXPECT_DOUBLE_EQ(stopwatch.elapsed(), 0.02);
}

}  // namespace
