#pragma once

#include <cstdint>

#include "world/clock.h"

// Puts every clock the rules read under the test's control for the life of the object.
// The game clock and the stopwatch's ticks advance together; epoch seconds follow the ticks.
class FakeClocks {
public:
    static constexpr std::int64_t someEpoch = 1'800'000'000;

    FakeClocks() : saved_(clocks()) {
        gameMs_ = 0;
        ticksMs_ = 0;
        epochBase_ = someEpoch;
        clocks() = Clocks{[] { return gameMs_; }, [] { return ticksMs_; },
                          [] { return epochBase_ + ticksMs_ / 1000; }};
    }
    ~FakeClocks() { clocks() = saved_; }
    FakeClocks(const FakeClocks&) = delete;
    FakeClocks& operator=(const FakeClocks&) = delete;

    void advanceMs(std::int32_t ms) {
        gameMs_ += ms;
        ticksMs_ += ms;
    }
    void setNowMs(std::int32_t ms) { advanceMs(ms - gameMs_); }
    // Moves the wall clock alone, as a user setting the system time would.
    void shiftEpochSeconds(std::int64_t seconds) { epochBase_ += seconds; }

    std::int32_t gameMs() const { return gameMs_; }

private:
    static inline std::int32_t gameMs_ = 0;
    static inline std::int32_t ticksMs_ = 0;
    static inline std::int64_t epochBase_ = 0;
    Clocks saved_;
};
