#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// What the instrumented game and the harness that drives it agree on: how the harness chooses the
// pace, and the pipe on which the game sends the times of its steps, frames and key callbacks.

// The environment variables the instrumented game reads at start.
inline constexpr const char* pacingVariable = "ASTEROIDS_BENCH_PACING";
inline constexpr const char* eventsFdVariable = "ASTEROIDS_BENCH_EVENTS_FD";  // the pipe's writing end

enum class Pacing {
    shipped,      // the game's own wait: until the step is due or input arrives
    freeRunning,  // no wait: a step and a frame every time the loop is idle
    plainSleep,   // sleeps until the step is due, deaf to input meanwhile
};

std::string_view pacingName(Pacing pacing);
std::optional<Pacing> pacingNamed(std::string_view name);

enum class EventKind : char { step = 's', frame = 'f', keyDown = 'd', keyUp = 'u' };

// Sent on the pipe as they are in memory: both ends are on the same machine.
struct Event {
    EventKind kind;
    std::int64_t ns;  // CLOCK_MONOTONIC, the same clock in every process on the machine
};

std::int64_t monotonicNs();
