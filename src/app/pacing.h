#pragma once

#include <chrono>
#include <optional>

#include "world/update.h"

// Update steps run at a fixed pace of their own, whatever the machine or the display can do.
using PaceClock = std::chrono::steady_clock;

constexpr PaceClock::duration stepPeriod =
    std::chrono::duration_cast<PaceClock::duration>(std::chrono::duration<double>(1.0 / stepsPerSecond));

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

// Books the steps due by `now` and returns how many: a loop that draws at each of the display's
// refreshes runs them all, two at a refresh 30 times a second. After a stall of more than three
// steps the grid restarts from `now`, as scheduleNextStep's does.
int takeDueSteps(StepSchedule& schedule, PaceClock::time_point now);

// Whether the display paces the window's buffer swaps, so that a picture every refresh costs little:
// the game then spends most of each frame waiting on the swap. Judged from frames drawn one after
// another, each counted as its swap returns, with the processor time the process has used so far: not
// paced once they come more than 400 a second (no display refreshes so often), or once the process
// spends over half of a quarter of a second of them on the processor (drawing is what holds them).
enum class Swaps { watching, paced, unpaced };
struct SwapWatch {
    int frames = 0;  // counted since `since`
    PaceClock::time_point since{};
    std::chrono::nanoseconds processorSince{};
};
Swaps watchSwaps(SwapWatch& watch, PaceClock::time_point swapped, std::chrono::nanoseconds processorTime);
