#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <string>

#include "x_session.h"

// Storms of real key events from the X server: bursts of presses and releases of the arrows,
// space, letters, digits, modifiers and function keys. A pressed key is held for up to a few
// seconds; now and then one is pressed again while down, or held until the storm ends.
class KeyStorm {
public:
    using Clock = std::chrono::steady_clock;

    KeyStorm(XSession& x, std::uint64_t seed);

    // Releases the keys that are due, then sends a burst of 1 to 20 events.
    void burst(Clock::time_point now);
    // Lets go of every key still held.
    void releaseAll();
    // A pause of 0 to 50 ms before the next burst.
    std::chrono::milliseconds pause();

    std::int64_t presses() const { return presses_; }
    std::int64_t releases() const { return releases_; }

private:
    void press(const std::string& key, Clock::time_point now);
    void release(const std::string& key);
    bool chance(double p) { return std::bernoulli_distribution(p)(random_); }
    int uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    std::size_t index(std::size_t count) {
        return std::uniform_int_distribution<std::size_t>(0, count - 1)(random_);
    }

    XSession& x_;
    std::mt19937_64 random_;
    // Keys held down, each with when it is let go; nothing for a key held to the end.
    std::map<std::string, std::optional<Clock::time_point>> held_;
    std::int64_t presses_ = 0;
    std::int64_t releases_ = 0;
};
