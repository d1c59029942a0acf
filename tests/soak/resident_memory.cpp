#include "resident_memory.h"

#include <algorithm>
#include <fstream>
#include <string>

std::int64_t residentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string field;
    while (status >> field) {
        if (field == "VmRSS:") {
            std::int64_t kib = -1;
            status >> kib;
            return kib;
        }
        status.ignore(1 << 16, '\n');
    }
    return -1;
}

namespace {

std::int64_t lower(std::int64_t floor, std::int64_t kib) { return floor < 0 ? kib : std::min(floor, kib); }

}  // namespace

// A tenth of the run, and at least 5 s.
MemoryGrowth::MemoryGrowth(Duration warmUp, Duration length)
    : warmUp_(warmUp), length_(length), stretch_(std::max<Duration>(length / 10, std::chrono::seconds(5))) {}

void MemoryGrowth::sample(Duration elapsed, std::int64_t kib) {
    startKiB_ = startKiB_ < 0 ? kib : startKiB_;
    if (elapsed < warmUp_) {
        return;
    }
    peakKiB_ = std::max(peakKiB_, kib);
    if (elapsed < warmUp_ + stretch_) {
        firstFloorKiB_ = lower(firstFloorKiB_, kib);
    }
    if (elapsed >= length_ - stretch_) {
        lastFloorKiB_ = lower(lastFloorKiB_, kib);
    }
}
