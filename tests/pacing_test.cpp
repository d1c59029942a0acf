#include <gtest/gtest.h>

#include "app/pacing.h"

namespace {

using std::chrono::milliseconds;

TEST(StepPacing, StepsKeepAnEvenGridOfSixtiethsOfASecond) {
    const PaceClock::time_point start{std::chrono::hours(1)};
    StepSchedule schedule;
    EXPECT_LE(timeUntilNextStep(schedule, start).count(), 0) << "the first step is due at once";
    scheduleNextStep(schedule, start);
    EXPECT_EQ(timeUntilNextStep(schedule, start), stepPeriod);

    // A step taken a little late does not push the later ones back.
    scheduleNextStep(schedule, start + stepPeriod + milliseconds(3));
    EXPECT_EQ(schedule.nextDue, start + 2 * stepPeriod);

    for (int i = 2; i < 62; ++i) {
        scheduleNextStep(schedule, schedule.nextDue);
    }
    EXPECT_NEAR(std::chrono::duration<double>(schedule.nextDue - start).count(), 62.0 / 60, 1e-6);
}

TEST(StepPacing, AfterAStallTheGridRestartsInsteadOfCatchingUp) {
    const PaceClock::time_point start{std::chrono::hours(1)};
    StepSchedule schedule{start};
    const auto late = start + milliseconds(500);
    scheduleNextStep(schedule, late);
    EXPECT_EQ(schedule.nextDue, late + stepPeriod);
}

}  // namespace
