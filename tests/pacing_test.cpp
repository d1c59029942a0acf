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
