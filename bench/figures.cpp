#include "figures.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace {

constexpr double nsPerMs = 1e6;

double percentile(const std::vector<double>& sorted, double share) {
    const auto rank = static_cast<std::size_t>(std::ceil(share * static_cast<double>(sorted.size())));
    return sorted[std::max<std::size_t>(rank, 1) - 1];
}

bool isKey(const Event& e) { return e.kind == EventKind::keyDown || e.kind == EventKind::keyUp; }

// The index of the first event of this kind at or after `from`; the end when there is none.
std::size_t nextOf(const std::vector<Event>& events, std::size_t from, EventKind kind) {
    while (from < events.size() && events[from].kind != kind) {
        ++from;
    }
    return from;
}

std::vector<double> stepIntervalsMs(const GameRun& run) {
    std::vector<double> intervals;
    std::int64_t previous = -1;
    for (const Event& e : run.events) {
        if (e.kind != EventKind::step || e.ns < run.fromNs || e.ns > run.toNs) {
            continue;
        }
        if (previous >= 0) {
            intervals.push_back(static_cast<double>(e.ns - previous) / nsPerMs);
        }
        previous = e.ns;
    }
    return intervals;
}

std::vector<double> stepToFrameMs(const GameRun& run) {
    std::vector<double> delays;
    for (std::size_t i = 0; i < run.events.size(); ++i) {
        const Event& step = run.events[i];
        if (step.kind != EventKind::step || step.ns < run.fromNs || step.ns > run.toNs) {
            continue;
        }
        const std::size_t frame = nextOf(run.events, i, EventKind::frame);
        if (frame < run.events.size()) {
            delays.push_back(static_cast<double>(run.events[frame].ns - step.ns) / nsPerMs);
        }
    }
    return delays;
}

// Events are in the order the game's one thread recorded them, so a step after a key's callback
// saw the key, and the frame after that step shows it.
std::vector<double> keyLatenciesMs(const GameRun& run) {
    std::vector<std::size_t> callbacks;
    for (std::size_t i = 0; i < run.events.size(); ++i) {
        if (isKey(run.events[i])) {
            callbacks.push_back(i);
        }
    }
    if (callbacks.size() != run.keys.size()) {
        throw std::runtime_error(std::to_string(run.keys.size()) + " keys sent but " +
                                 std::to_string(callbacks.size()) + " key callbacks recorded");
    }
    std::vector<double> latencies;
    for (std::size_t k = 0; k < run.keys.size(); ++k) {
        const EventKind expected = run.keys[k].down ? EventKind::keyDown : EventKind::keyUp;
        if (run.events[callbacks[k]].kind != expected) {
            throw std::runtime_error("key callback " + std::to_string(k) + " is not the key sent");
        }
        if (!run.keys[k].down) {
            continue;
        }
        const std::size_t frame =
            nextOf(run.events, nextOf(run.events, callbacks[k], EventKind::step), EventKind::frame);
        if (frame == run.events.size()) {
            throw std::runtime_error("no frame shows key press " + std::to_string(k));
        }
        latencies.push_back(static_cast<double>(run.events[frame].ns - run.keys[k].ns) / nsPerMs);
    }
    return latencies;
}

double perSecondWithin(const GameRun& run, EventKind kind) {
    const auto n = std::count_if(run.events.begin(), run.events.end(), [&](const Event& e) {
        return e.kind == kind && e.ns >= run.fromNs && e.ns <= run.toNs;
    });
    return static_cast<double>(n) * 1e9 / static_cast<double>(run.toNs - run.fromNs);
}

}  // namespace

Spread spreadOf(std::vector<double> samples) {
    if (samples.empty()) {
        return {};
    }
    std::sort(samples.begin(), samples.end());
    return {percentile(samples, 0.5), percentile(samples, 0.99), samples.back(), samples.size()};
}

Figures figuresOf(const GameRun& run) {
    Figures f;
    f.stepsPerSecond = perSecondWithin(run, EventKind::step);
    f.framesPerSecond = perSecondWithin(run, EventKind::frame);
    f.stepIntervalMs = spreadOf(stepIntervalsMs(run));
    f.stepToFrameMs = spreadOf(stepToFrameMs(run));
    f.cpuPerWallSecond = static_cast<double>(run.cpuNs) / static_cast<double>(run.toNs - run.fromNs);
    f.peakResidentMiB = static_cast<double>(run.peakResidentKiB) / 1024.0;
    const std::size_t first = nextOf(run.events, 0, EventKind::frame);
    if (first == run.events.size()) {
        throw std::runtime_error("the game drew no frame");
    }
    f.firstFrameMs = static_cast<double>(run.events[first].ns - run.execNs) / nsPerMs;
    f.keyLatencyMs = spreadOf(keyLatenciesMs(run));
    return f;
}
