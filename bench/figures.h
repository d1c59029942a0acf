#pragma once

#include <cstdint>
#include <vector>

#include "protocol.h"

// The figures of one run of the instrumented game, computed from the events it recorded and from
// what the harness saw and did.

struct KeySent {
    std::int64_t ns;  // just before the harness sent it
    bool down;
};

struct GameRun {
    std::vector<Event> events;
    std::vector<KeySent> keys;  // in the order sent
    std::int64_t execNs = 0;    // just before the game's process was started
    // The measured stretch of the run, and the game's CPU time (user + sys, every thread) in it.
    std::int64_t fromNs = 0;
    std::int64_t toNs = 0;
    std::int64_t cpuNs = 0;
    std::int64_t peakResidentKiB = 0;
};

struct Spread {
    double median = 0;
    double p99 = 0;
    double max = 0;
    std::size_t count = 0;
};

// Nearest rank: the smallest value that at least that share of the samples do not exceed.
Spread spreadOf(std::vector<double> samples);

struct Figures {
    double stepsPerSecond = 0;
    double framesPerSecond = 0;
    Spread stepIntervalMs;
    Spread stepToFrameMs;         // from a step to the frame after it, drawn and on the X server
    double cpuPerWallSecond = 0;  // 1 is one core kept busy
    double peakResidentMiB = 0;
    double firstFrameMs = 0;  // from the exec
    Spread keyLatencyMs;      // from each press sent to the first frame after a step that saw it
};

// Throws when the recorded key callbacks do not match the keys sent one for one, or when a press
// was never followed by a step and a frame.
Figures figuresOf(const GameRun& run);
