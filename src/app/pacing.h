#pragma once

#include <chrono>
#include <optional>

// Update steps run at a fixed pace of their own, whatever the machine or the display can do.
// A shot flies a fixed number of steps, so its range is the same on every machine.
using PaceClock = std::chrono::steady_clock;

constexpr PaceClock::duration stepPeriod =
    std::chrono::duration_cast<PaceClock::duration>(std::chrono::duration<double>(1.0 / 60.0));

struct StepSchedule {
    PaceClock::time_point nextDue{};  // the epoch: the first step is due at once
};

// How long until the next step is due; zero or less when it is due now.
PaceClock::duration timeUntilNextStep(const StepSchedule& schedule, PaceClock::time_point now);

// Books the step taken at `now`. Steps stay on an even grid of periods; after a stall of more than
// a period the grid restarts from `now` instead of running a burst of steps to catch up.
void scheduleNextStep(StepSchedule& schedule, PaceClock::time_point now);

// Books the step due by `now`, if one is, and returns its time. The grid is never restarted: a loop
// that takes every due step after a stall runs each step that the stall held back, at its own time.
std::optional<PaceClock::time_point> takeDueStep(StepSchedule& schedule, PaceClock::time_point now);
