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

std::optional<PaceClock::time_point> takeDueStep(StepSchedule& schedule, PaceClock::time_point now) {
    if (schedule.nextDue > now) {
        return std::nullopt;
    }
    const auto due = schedule.nextDue;
    schedule.nextDue += stepPeriod;
    return due;
}
