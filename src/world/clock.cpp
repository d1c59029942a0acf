#include "world/clock.h"

#include <chrono>
#include <ctime>

namespace {

using SteadyClock = std::chrono::steady_clock;

const SteadyClock::time_point processStart = SteadyClock::now();

std::int32_t msSinceProcessStart() {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - processStart);
    return static_cast<std::int32_t>(ms.count());
}

std::int64_t secondsSinceEpoch() { return static_cast<std::int64_t>(std::time(nullptr)); }

}  // namespace

Clocks& clocks() {
    // Until the window system is up, the game clock is the process's own.
    static Clocks theClocks{msSinceProcessStart, msSinceProcessStart, secondsSinceEpoch};
    return theClocks;
}

std::int32_t msBetween(std::int32_t earlier, std::int32_t later) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(later) - static_cast<std::uint32_t>(earlier));
}
