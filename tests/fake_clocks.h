#pragma once

#include <cstdint>

#include "world/clock.h"

// Puts every clock the rules read under the caller's control for the life of the object. One
// 64-bit millisecond count drives them all: the game clock and the stopwatch's ticks are its
// 32-bit readings, which wrap as the real ones do after 24.8 days; epoch seconds follow it.
class FakeClocks {
public:
    FakeClocks() : saved_(clocks()) {
        nowMs_ = 0;
        epochBase_ = 1'800'000'000;
        clocks() = Clocks{reading, reading, [] { return epochBase_ + nowMs_ / 1000; }};
    }
    ~FakeClocks() { clocks() = saved_; }
    FakeClocks(const FakeClocks&) = delete;
    FakeClocks& operator=(const FakeClocks&) = delete;

    void setNowMs(std::int64_t ms) { nowMs_ = ms; }
    // Moves the wall clock alone, as a user setting the system time would.
    void shiftEpochSeconds(std::int64_t seconds) { epochBase_ += seconds; }

private:
    static std::int32_t reading() { return static_cast<std::int32_t>(static_cast<std::uint32_t>(nowMs_)); }

    static inline std::int64_t nowMs_ = 0;
    static inline std::int64_t epochBase_ = 0;
    Clocks saved_;
};
