#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>

// The process's resident memory in KiB, as the kernel counts it; -1 once it has gone.
std::int64_t residentKiB(pid_t pid);

// Resident memory over a soak. It swings up and back as Mesa's large blocks come and go, so
// growth is measured between floors: the lowest reading in the first stretch after the warm-up
// and the lowest in the last stretch of the run. A leak lifts the floor; a passing swing does not.
class MemoryGrowth {
public:
    using Duration = std::chrono::steady_clock::duration;

    MemoryGrowth(Duration warmUp, Duration length);

    // A reading taken `elapsed` into the run.
    void sample(Duration elapsed, std::int64_t kib);

    std::int64_t startKiB() const { return startKiB_; }
    std::int64_t firstFloorKiB() const { return firstFloorKiB_; }
    std::int64_t lastFloorKiB() const { return lastFloorKiB_; }
    std::int64_t peakKiB() const { return peakKiB_; }
    std::int64_t growthKiB() const { return lastFloorKiB_ - firstFloorKiB_; }
    // How long each of the two stretches lasts.
    Duration stretch() const { return stretch_; }

private:
    Duration warmUp_;
    Duration length_;
    Duration stretch_;
    std::int64_t startKiB_ = -1;
    std::int64_t firstFloorKiB_ = -1;
    std::int64_t lastFloorKiB_ = -1;
    std::int64_t peakKiB_ = -1;
};
