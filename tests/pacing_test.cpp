#include <gtest/gtest.h>

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
    for (int i = 2; i < 62; ++i) {
        scheduleNextStep(schedule, schedule.nextDue);
    }
    EXPECT_NEAR(std::chrono::duration<double>(schedule.nextDue - start).count(), 62.0 / 60, 1e-6);
    const auto late = schedule.nextDue + milliseconds(500);
    scheduleNextStep(schedule, late);
    EXPECT_EQ(schedule.nextDue, late + stepPeriod) << "after a stall, no burst of steps to catch up";
}
