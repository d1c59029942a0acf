#include <gtest/gtest.h>

#include <vector>

#include "app/pacing.h"

using std::chrono::milliseconds;

TEST(StepPacing, StepsKeepAnEvenGridOfSixtiethsOfASecondAndRestartItAfterAStall) {
    const PaceClock::time_point start{std::chrono::hours(1)};
    StepSchedule schedule;
    EXPECT_LE(timeUntilNextStep(schedule, start).count(), 0) << "the first step is due at once";
    scheduleNextStep(schedule, start);
    EXPECT_EQ(timeUntilNextStep(schedule, start), stepPeriod);
    scheduleNextStep(schedule, start + stepPeriod + milliseconds(3));
    EXPECT_EQ(schedule.nextDue, start + 2 * stepPeriod) << "a step a little late does not push the next back";
    EXPECT_NEAR(std::chrono::duration<double>(60 * stepPeriod).count(), 1.0, 1e-6) << "sixty steps a second";
    const auto late = schedule.nextDue + milliseconds(500);
    scheduleNextStep(schedule, late);
    EXPECT_EQ(schedule.nextDue, late + stepPeriod) << "after a stall, no burst of steps to catch up";
}

TEST(StepPacing, TakingEveryDueStepRunsEachStepAStallHeldBackAtItsOwnTime) {
    const PaceClock::time_point start{std::chrono::hours(1)};
    StepSchedule schedule{start};
    EXPECT_FALSE(takeDueStep(schedule, start - milliseconds(1))) << "none before the first is due";
    std::vector<PaceClock::time_point> taken;
    const auto shown = start + std::chrono::seconds(2);
    while (const auto due = takeDueStep(schedule, shown)) {
        taken.push_back(*due);
    }
    ASSERT_EQ(taken.size(), 121U) << "two seconds of steps, and the first";
    for (std::size_t i = 0; i < taken.size(); ++i) {
        EXPECT_EQ(taken[i], start + static_cast<int>(i) * stepPeriod);
    }
}

// A loop that draws at every refresh runs every step due, sixty a second whatever the display's rate,
// but no burst after a stall.
TEST(StepPacing, ALoopAtTheDisplaysRefreshRunsSixtyStepsASecond) {
    const PaceClock::time_point start{std::chrono::hours(1)};
    for (const int refresh : {30, 50, 60, 144}) {
        StepSchedule schedule{start};
        int steps = 0;
        for (int k = 0; k <= refresh; ++k) {
            steps += takeDueSteps(
                schedule,
                start +
                    k * std::chrono::duration_cast<PaceClock::duration>(std::chrono::seconds(1)) / refresh);
        }
        EXPECT_EQ(steps, 61) << "a second's steps, and the first, at " << refresh << " refreshes a second";
    }
    StepSchedule stalled{start};
    EXPECT_EQ(takeDueSteps(stalled, start + std::chrono::seconds(1)), 3);
    EXPECT_EQ(stalled.nextDue, start + std::chrono::seconds(1) + stepPeriod) << "the grid restarted";
}

// Frames drawn one after another: swaps that the display paces hold them to its refresh while the
// game waits; others come as fast as they are drawn, or as slowly as drawing takes.
TEST(StepPacing, TellsSwapsTheDisplayPacesFromOthers) {
    const struct {
        const char* what;
        double frameMs, processorShare;
        Swaps verdict;
    } cases[] = {
        {"a display at 60 a second", 16.7, 0.05, Swaps::paced},
        {"a display at 240 a second", 4.2, 0.2, Swaps::paced},
        {"swaps not paced", 0.3, 1, Swaps::unpaced},
        {"drawing that takes 5 ms, swaps not paced", 5, 0.95, Swaps::unpaced},
    };
    for (const auto& c : cases) {
        SwapWatch watch;
        Swaps verdict = Swaps::watching;
        for (int frame = 0; verdict == Swaps::watching && frame < 1000; ++frame) {
            const std::chrono::duration<double, std::milli> at(frame * c.frameMs);
            verdict =
                watchSwaps(watch, PaceClock::time_point{std::chrono::duration_cast<PaceClock::duration>(at)},
                           std::chrono::duration_cast<std::chrono::nanoseconds>(at * c.processorShare));
        }
        EXPECT_EQ(verdict, c.verdict) << c.what;
    }
}
