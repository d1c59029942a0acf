#pragma once

#include <cstdint>

// Every clock the game's rules read, in one place, so that tests can set the time.
// The game installs the window system's clock as `gameMs` at start-up; the other two are
// the real clocks unless a test replaces them.
struct Clocks {
    // Milliseconds since the window system started: the update step's and the arrow keys' clock.
    std::int32_t (*gameMs)();
    // Whole milliseconds of wall-clock (steady) time since the process started: the stopwatch's ticks.
    std::int32_t (*ticksMs)();
    // Wall-clock seconds since the epoch.
    std::int64_t (*epochSeconds)();
};

Clocks& clocks();

// Milliseconds from `earlier` to `later` on a 32-bit millisecond clock, correct across its wrap.
std::int32_t msBetween(std::int32_t earlier, std::int32_t later);
