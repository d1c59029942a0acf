#include "world/stopwatch.h"

#include "world/clock.h"

namespace {

// From an hour on, the tick counter is no longer trusted and whole seconds of wall clock are used.
constexpr std::int64_t wallClockFromSeconds = 3600;

}  // namespace

void Stopwatch::start() {
    running = true;
    startTicks = clocks().ticksMs();
    startTime = clocks().epochSeconds();
}

void Stopwatch::stop() { running = false; }

double Stopwatch::elapsed() const {
    const std::int64_t seconds = clocks().epochSeconds() - startTime;
    if (seconds >= wallClockFromSeconds) {
        return static_cast<double>(seconds);
    }
    return msBetween(startTicks, clocks().ticksMs()) / 1000.0;
}
