#pragma once

#include <cstdint>

// Times the shot's flight, in seconds.
class Stopwatch {
public:
    bool running = false;
    std::int32_t startTicks = 0;  // tick reading at the last start
    std::int64_t startTime = 0;   // epoch seconds at the last start

    void start();
    void stop();

    // Seconds since the last start, whether or not the stopwatch is running. Never started, it
    // reads the seconds since the epoch: far past any shot's lifetime.
    double elapsed() const;
};
