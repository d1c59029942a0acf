#include <gtest/gtest.h>

#include "fake_clocks.h"
#include "world/stopwatch.h"

namespace {

// Started 12.345 s in; read after the ticks and the wall clock have moved.
TEST(Stopwatch, ReadsTicksUnderAnHourAndWholeWallClockSecondsFromAnHourOn) {
    const struct {
        std::int32_t ticksMs;
        std::int64_t wallSeconds;  // how far the wall clock moves besides the ticks
        bool stopAndRestart;       // stopped, then started again 500 ms before the reading
        double expected;
        const char* why;
    } cases[] = {
        {400, 0, false, 0.4, "ticks, in milliseconds"},
        {1, 3599, false, 0.001, "3599 s on the wall clock: still the ticks"},
        {1, 3600, false, 3600.0, "3600 s on the wall clock: whole seconds"},
        {250, -100, false, 0.25, "the wall clock set back: the ticks"},
        {900, 0, true, 0.5, "a new start restarts it"},
    };
    for (const auto& c : cases) {
        FakeClocks clock;
        clock.advanceMs(12'345);
        Stopwatch stopwatch;
        EXPECT_EQ(stopwatch.elapsed(), static_cast<double>(FakeClocks::someEpoch + 12)) << "never started";
        stopwatch.start();
        EXPECT_TRUE(stopwatch.running);
        if (c.stopAndRestart) {
            clock.advanceMs(c.ticksMs - 500);
            stopwatch.stop();
            EXPECT_FALSE(stopwatch.running);
            stopwatch.start();
            clock.advanceMs(500);
        } else {
            clock.advanceMs(c.ticksMs);
        }
        clock.shiftEpochSeconds(c.wallSeconds);
        EXPECT_DOUBLE_EQ(stopwatch.elapsed(), c.expected) << c.why;
    }
}

}  // namespace
