#include "app/pacing.h"

PaceClock::duration timeUntilNextStep(const StepSchedule& schedule, PaceClock::time_point now) {
    return schedule.nextDue - now;
}

void scheduleNextStep(StepSchedule& schedule, PaceClock::time_point now) {
    schedule.nextDue += stepPeriod;
    if (schedule.nextDue <= now) {
        schedule.nextDue = now + stepPeriod;
    }
}
