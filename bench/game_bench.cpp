// The whole game under a private Xvfb, once for each pace, with real key presses through the X
// server; prints the figures side by side and the ratios of the game's own pace to the others.
// Prints figures only: it never passes or fails on time.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "event_stream.h"
#include "figures.h"
#include "game_process.h"
#include "report.h"
#include "virtual_display.h"
#include "x_session.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::nanoseconds;
using std::chrono::seconds;

const char* const title = "Bexum Asteroids Game";
// Well past start-up: the first frames compile the drawing's shaders.
constexpr auto warmUp = seconds(1);
constexpr auto shortestRun = seconds(10);
constexpr std::size_t presses = 120;
// Presses and releases of Left alternate with gaps drawn over a whole step period, so that they land
// at every point of the step grid. Turning keeps the ship in place: the run ends long before the
// default layout's asteroid reaches it, about 22.5 s in.
constexpr int shortestGapUs = 40'000;
constexpr int longestGapUs = shortestGapUs + 16'667;
// Room after the last release for its frame to be drawn.
constexpr auto lastFrameRoom = milliseconds(100);
constexpr auto keyTimeout = seconds(5);

std::int64_t cpuNsOf(pid_t pid) {
    clockid_t clock{};
    timespec used{};
    if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &used) != 0) {
        throw std::runtime_error("cannot read the game's CPU time");
    }
    return static_cast<std::int64_t>(used.tv_sec) * 1'000'000'000 + used.tv_nsec;
}

std::int64_t peakResidentKiBOf(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string field;
    while (status >> field) {
        if (field == "VmHWM:") {
            std::int64_t kib = 0;
            status >> kib;
            return kib;
        }
    }
    throw std::runtime_error("no peak resident memory for the game");
}

std::int64_t nsFromNow(std::chrono::nanoseconds wait) { return monotonicNs() + wait.count(); }

GameRun runGame(const VirtualDisplay& display, XSession& x, Pacing pacing) {
    const std::string mode(pacingName(pacing));
    EventStream stream;
    setenv(pacingVariable, mode.c_str(), 1);
    setenv(eventsFdVariable, std::to_string(stream.gameEnd()).c_str(), 1);

    GameRun run;
    run.execNs = monotonicNs();
    GameProcess game({ASTEROIDS_BENCH_EXECUTABLE}, display.name());
    stream.closeGameEnd();
    const Window window = x.waitForWindow(title, seconds(10));
    if (window == 0) {
        throw std::runtime_error("no game window within 10 s");
    }
    x.focus(window);
    stream.readUntil(nsFromNow(warmUp));

    run.fromNs = monotonicNs();
    const std::int64_t cpuFrom = cpuNsOf(game.pid());
    std::mt19937 random(1);
    std::uniform_int_distribution<int> gapUs(shortestGapUs, longestGapUs);
    for (std::size_t i = 0; i < 2 * presses; ++i) {
        stream.readUntil(nsFromNow(std::chrono::microseconds(gapUs(random))));
        const bool down = i % 2 == 0;
        run.keys.push_back({monotonicNs(), down});
        x.key("Left", down);
        // One key at a time: GLUT takes a release that it reads while the key is down again for
        // the keyboard's auto-repeat, and drops it with the press after it.
        if (!stream.readUntilKeys(i + 1, nsFromNow(keyTimeout))) {
            throw std::runtime_error("the " + mode + " game missed key " + std::to_string(i));
        }
    }
    stream.readUntil(nsFromNow(lastFrameRoom));
    stream.readUntil(run.fromNs + nanoseconds(shortestRun).count());
    run.toNs = monotonicNs();
    run.cpuNs = cpuNsOf(game.pid()) - cpuFrom;
    run.peakResidentKiB = peakResidentKiBOf(game.pid());

    // Closing the window ends the game the way a player does; it sends its last events on the way out.
    x.requestClose(window);
    if (!stream.readToEnd(nsFromNow(seconds(10))) || game.waitForExit(seconds(10)) != 0) {
        throw std::runtime_error("the " + mode + " game did not end cleanly");
    }
    run.events = stream.events();
    return run;
}

// The paces named on the command line, in that order; all three, the game's own first, by default.
std::vector<Pacing> chosenPacings(int argc, char** argv) {
    if (argc < 2) {
        return {Pacing::shipped, Pacing::freeRunning, Pacing::plainSleep};
    }
    std::vector<Pacing> chosen;
    for (int i = 1; i < argc; ++i) {
        const auto pacing = pacingNamed(argv[i]);
        if (!pacing) {
            throw std::runtime_error(std::string("unknown pace ") + argv[i] +
                                     ": choose among shipped, free-running and plain-sleep");
        }
        chosen.push_back(*pacing);
    }
    return chosen;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::vector<Pacing> pacings = chosenPacings(argc, argv);
        printMachine();
        VirtualDisplay display;
        XSession x(display.name());
        std::vector<Column> columns;
        std::size_t pressesMeasured = presses;
        for (const Pacing pacing : pacings) {
            std::printf("Running the game %s for %lld s...\n", std::string(pacingName(pacing)).c_str(),
                        static_cast<long long>(shortestRun.count()));
            std::fflush(stdout);
            columns.push_back({pacing, figuresOf(runGame(display, x, pacing))});
            pressesMeasured = std::min(pressesMeasured, columns.back().figures.keyLatencyMs.count);
        }
        printFigures(columns, pressesMeasured);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "game_bench: %s\n", e.what());
        return 1;
    }
}
