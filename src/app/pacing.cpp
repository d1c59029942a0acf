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

int takeDueSteps(StepSchedule& schedule, PaceClock::time_point now) {
    constexpr int most = 3;
    int due = 0;
    while (due < most && takeDueStep(schedule, now)) {
        ++due;
    }
    if (schedule.nextDue <= now) {
        schedule.nextDue = now + stepPeriod;
    }
    return due;
}

Swaps watchSwaps(SwapWatch& watch, PaceClock::time_point swapped, std::chrono::nanoseconds processorTime) {
    using std::chrono::microseconds;
    using std::chrono::milliseconds;
    if (watch.frames == 0) {
        watch = {1, swapped, processorTime};
        return Swaps::watching;
    }
    const int intervals = watch.frames++;
    const auto span = swapped - watch.since;
    if (intervals >= 8 && span < intervals * microseconds(2'500)) {
        watch = {};
        return Swaps::unpaced;
    }
    if (span < milliseconds(250)) {
        return Swaps::watching;
    }
    const bool waiting = 2 * (processorTime - watch.processorSince) < span;
    watch = {};
    return waiting ? Swaps::paced : Swaps::unpaced;
}
