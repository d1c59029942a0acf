// The shipped game measured from outside, as a player's machine runs it: whatever command starts
// it (the Linux build, or the Windows build under Wine), on a private Xvfb with real key presses.
// Frames come from the X server's DAMAGE reports, CPU from the kernel's clocks of the processes
// that run the game, key latency from an XTest press of Left to the first frame that shows the
// ship turned. Prints figures only: it never passes or fails on time.
//
//   shipped_bench PROGRAM [ARGUMENTS...]

#include <dirent.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "figures.h"
#include "frame_watch.h"
#include "game_process.h"
#include "virtual_display.h"
#include "x_session.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

const char* const title = "Bexum Asteroids Game";
// Wine takes a few seconds to start a program when its server is not running yet.
constexpr auto windowTimeout = seconds(30);
constexpr auto warmUp = seconds(2);
constexpr auto shortestRun = seconds(10);
// Fewer presses than game_bench's, so that the run ends long before an asteroid nears the ship
// (about 22 s in on glibc's layout; not in the first minute on Windows').
constexpr int presses = 60;
constexpr int shortestGapUs = 40'000;
constexpr int longestGapUs = shortestGapUs + 16'667;
constexpr auto frameTimeout = seconds(2);
// Around where the ship starts, (5, 20) on the field: 72, 384 in the window's pixels.
constexpr Rect shipArea{32, 344, 112, 424};

double msBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

std::int64_t cpuNsOf(pid_t pid) {
    clockid_t clock{};
    timespec used{};
    if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &used) != 0) {
        return 0;  // gone
    }
    return static_cast<std::int64_t>(used.tv_sec) * 1'000'000'000 + used.tv_nsec;
}

// The process's WINEPREFIX setting, or "" when it has none.
std::string winePrefixOf(pid_t pid) {
    std::ifstream environment("/proc/" + std::to_string(pid) + "/environ");
    std::string entry;
    while (std::getline(environment, entry, '\0')) {
        if (entry.rfind("WINEPREFIX=", 0) == 0) {
            return entry;
        }
    }
    return "";
}

// Every other process of the game's Wine prefix: the Wine server and the services it starts.
std::vector<pid_t> winePartnersOf(pid_t game) {
    std::vector<pid_t> partners;
    const std::string prefix = winePrefixOf(game);
    if (prefix.empty()) {
        return partners;
    }
    DIR* proc = opendir("/proc");
    while (const dirent* entry = readdir(proc)) {
        const auto pid = static_cast<pid_t>(std::atoi(entry->d_name));
        if (pid > 0 && pid != game && winePrefixOf(pid) == prefix) {
            partners.push_back(pid);
        }
    }
    closedir(proc);
    return partners;
}

// CPU time of each process, for the difference over a stretch; one that ends on the way counts
// for nothing.
std::vector<std::int64_t> cpuNsOf(const std::vector<pid_t>& pids) {
    std::vector<std::int64_t> used;
    used.reserve(pids.size());
    for (const pid_t pid : pids) {
        used.push_back(cpuNsOf(pid));
    }
    return used;
}

double cpuShare(const std::vector<std::int64_t>& from, const std::vector<std::int64_t>& to, double wallNs) {
    std::int64_t sum = 0;
    for (std::size_t i = 0; i < from.size(); ++i) {
        sum += std::max<std::int64_t>(0, to[i] - from[i]);
    }
    return 100.0 * static_cast<double>(sum) / wallNs;
}

class Watch {
public:
    Watch(XSession& x, Window window) : x_(x), window_(window), frames_(x.display(), window) {}

    // Reads the server's reports until `until`; true when a frame came in.
    bool waitForFrame(Clock::time_point until) {
        const std::int64_t before = frames_.frames();
        pollfd connection{ConnectionNumber(x_.display()), POLLIN, 0};
        for (frames_.poll(); frames_.frames() == before && Clock::now() < until; frames_.poll()) {
            poll(&connection, 1, static_cast<int>(std::max(0.0, msBetween(Clock::now(), until))) + 1);
        }
        return frames_.frames() != before;
    }
    void watchUntil(Clock::time_point until) {
        while (Clock::now() < until) {
            waitForFrame(until);
        }
    }
    Image ship() { return x_.capture(window_, shipArea); }
    const FrameWatch& frames() const { return frames_; }

private:
    XSession& x_;
    Window window_;
    FrameWatch frames_;
};

struct Run {
    double framesPerSecond = 0;
    double gameCpu = 0;      // % of one core
    double partnersCpu = 0;  // % of one core, of partners.size() processes
    std::vector<pid_t> partners;
    std::vector<double> keyLatenciesMs;
};

// Lets the game warm up, then measures it while pressing Left, for at least shortestRun.
Run measure(XSession& x, Window window, pid_t game) {
    Watch watch(x, window);
    watch.watchUntil(Clock::now() + warmUp);

    Run run;
    const std::vector<pid_t> gameProcess{game};
    run.partners = winePartnersOf(game);
    const auto from = Clock::now();
    const std::int64_t framesFrom = watch.frames().frames();
    const auto gameCpuFrom = cpuNsOf(gameProcess);
    const auto partnersCpuFrom = cpuNsOf(run.partners);

    std::mt19937 random(1);
    std::uniform_int_distribution<int> gapUs(shortestGapUs, longestGapUs);
    for (int i = 0; i < presses; ++i) {
        watch.watchUntil(Clock::now() + std::chrono::microseconds(gapUs(random)));
        const Image before = watch.ship();
        const auto pressed = Clock::now();
        x.key("Left", true);
        const auto deadline = pressed + frameTimeout;
        while (watch.waitForFrame(deadline)) {
            if (watch.ship().pixels != before.pixels) {
                run.keyLatenciesMs.push_back(msBetween(pressed, watch.frames().lastFrameSeen()));
                break;
            }
        }
        x.key("Left", false);
    }
    watch.watchUntil(from + shortestRun);

    const double wallNs = msBetween(from, Clock::now()) * 1e6;
    run.framesPerSecond = static_cast<double>(watch.frames().frames() - framesFrom) * 1e9 / wallNs;
    run.gameCpu = cpuShare(gameCpuFrom, cpuNsOf(gameProcess), wallNs);
    run.partnersCpu = cpuShare(partnersCpuFrom, cpuNsOf(run.partners), wallNs);
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: shipped_bench PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    try {
        VirtualDisplay display;
        XSession x(display.name());
        GameProcess game(std::vector<std::string>(argv + 1, argv + argc), display.name());
        const Window window = x.waitForWindow(title, windowTimeout);
        if (window == 0) {
            throw std::runtime_error("no game window within 30 s");
        }
        x.focus(window);
        const Run run = measure(x, window, game.pid());
        x.requestClose(window);
        if (game.waitForExit(seconds(10)) != 0) {
            throw std::runtime_error("the game did not end cleanly when its window was closed");
        }

        const Spread latency = spreadOf(run.keyLatenciesMs);
        std::printf("%s\n\n| | |\n|---|---:|\n", argv[argc - 1]);
        std::printf("| frames per second (one a step) | %.1f |\n", run.framesPerSecond);
        std::printf("| CPU, the game's process (%% of one core) | %.2f |\n", run.gameCpu);
        if (!run.partners.empty()) {
            std::printf("| CPU, Wine's other %zu processes (%% of one core) | %.2f |\n", run.partners.size(),
                        run.partnersCpu);
        }
        std::printf("| key latency median (ms) | %.2f |\n| key latency p99 (ms) | %.2f |\n", latency.median,
                    latency.p99);
        std::printf("| key latency max (ms) | %.2f |\n\nKey latency over %zu of %d presses of Left.\n",
                    latency.max, latency.count, presses);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "shipped_bench: %s\n", e.what());
        return 1;
    }
}
