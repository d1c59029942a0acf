// The game measured from outside, as a player's machine runs it, on the X server DISPLAY names (a
// private Xvfb under xvfb-run) with real key presses: the shipped game; the same game in two other paces, one
// that never waits and one that sleeps until the step is due, deaf to input; the shipped game on displays
// that pace its swaps 60 and 144 times a second (tests/support/paced_swaps.cpp); the shipped game on screens
// scaled 1.5 and 2 times (Xft.dpi 144 and 192), its window and frame so much larger; and the Windows build
// under Wine. Prints their figures side by side, then the shipped game's over each other's. Figures only: it
// never passes or fails on time.
//
//   xvfb-run -a -s '-screen 0 1600x1400x24' game_bench [shipped] [free-running] [plain-sleep] [paced-60]
//   [paced-144] [scaled-1.5] [scaled-2] [wine]   (all by default)

#include <dirent.h>
#include <sys/utsname.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>

#include "display.h"

namespace {

using std::chrono::seconds;

// Wine takes seconds to start a program when its server is not running yet.
constexpr auto windowTimeout = seconds(30);
// Well past start-up: the first frames compile the drawing's shaders.
constexpr auto warmUp = seconds(2);
constexpr auto shortestRun = seconds(10);
// Presses of Left, which turns the ship where it stands, each after a gap drawn over a whole step
// period, so that they land at every point of the step grid; all long before an asteroid nears the
// ship (about 22 s in on glibc's layout, minutes on Windows').
constexpr int presses = 60;
// Around where the ship starts, (5, 20) on the field, in the 720 by 640 window.
constexpr Rect shipArea{32, 344, 112, 424};

// A game measured: a program, the pace it is given, the rate at which its display paces its swaps, and
// the screen's scale.
struct Contender {
    const char* name;
    std::vector<std::string> command;
    const char* pacing;                 // the benchmark build's, or nothing for the game's own
    const char* refreshRate = nullptr;  // swaps not paced, as on Xvfb
    int dpi = 96;                       // Xft.dpi: the window opens 720 by 640 times dpi / 96
};

const Contender games[] = {
    {"shipped", {ASTEROIDS_EXECUTABLE}, nullptr},
    {"free-running", {ASTEROIDS_BENCH_EXECUTABLE}, "free-running"},
    {"plain-sleep", {ASTEROIDS_BENCH_EXECUTABLE}, "plain-sleep"},
    {"paced-60", {ASTEROIDS_EXECUTABLE}, nullptr, "60"},
    {"paced-144", {ASTEROIDS_EXECUTABLE}, nullptr, "144"},
    {"scaled-1.5", {ASTEROIDS_EXECUTABLE}, nullptr, nullptr, 144},
    {"scaled-2", {ASTEROIDS_EXECUTABLE}, nullptr, nullptr, 192},
    {"wine", {ASTEROIDS_WINE, ASTEROIDS_WINDOWS_GAME}, nullptr},
};

// Nearest rank: the smallest sample that at least that share of them do not exceed.
double percentile(std::vector<double> samples, double share) {
    if (samples.empty()) {
        return NAN;
    }
    std::sort(samples.begin(), samples.end());
    const auto rank = static_cast<std::size_t>(std::ceil(share * static_cast<double>(samples.size())));
    return samples[std::max<std::size_t>(rank, 1) - 1];
}

double msBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double cpuMsOf(pid_t pid) {
    clockid_t clock{};
    timespec used{};
    if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &used) != 0) {
        return 0;  // gone
    }
    return static_cast<double>(used.tv_sec) * 1e3 + static_cast<double>(used.tv_nsec) / 1e6;
}

std::string statusOf(pid_t pid, const char* field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string name, value;
    while (status >> name && name != field) {
        status.ignore(1 << 16, '\n');
    }
    status >> value;
    return value;
}

// The other processes of the game's Wine prefix (its server and the services it starts), which
// work for the game: those with the same WINEPREFIX.
std::vector<pid_t> winePartnersOf(pid_t game) {
    const auto prefixOf = [](pid_t pid) {
        std::ifstream environment("/proc/" + std::to_string(pid) + "/environ");
        std::string entry;
        while (std::getline(environment, entry, '\0') && entry.rfind("WINEPREFIX=", 0) != 0) {
        }
        return entry.rfind("WINEPREFIX=", 0) == 0 ? entry : "";
    };
    std::vector<pid_t> partners;
    const std::string prefix = prefixOf(game);
    DIR* proc = opendir("/proc");
    for (const dirent* entry = readdir(proc); entry != nullptr && !prefix.empty(); entry = readdir(proc)) {
        const auto pid = static_cast<pid_t>(std::atoi(entry->d_name));
        if (pid > 0 && pid != game && prefixOf(pid) == prefix) {
            partners.push_back(pid);
        }
    }
    closedir(proc);
    return partners;
}

// Counts the frames that come until then.
void watchUntil(FrameWatch& frames, Clock::time_point until) {
    while (Clock::now() < until) {
        frames.waitForFrame(std::chrono::duration_cast<milliseconds>(until - Clock::now()));
    }
}

struct Figures {
    double framesPerSecond = 0;
    std::vector<double> frameIntervalsMs;
    double cpuPercent = 0;
    double partnersCpuPercent = NAN;  // Wine's other processes
    double peakResidentMiB = 0;
    double firstFrameMs = 0;  // from the exec to the first frame seen once the window shows
    std::vector<double> keyLatenciesMs;
};

Figures measure(const Contender& game, XSession& x) {
    if (game.pacing != nullptr) {
        setenv("ASTEROIDS_BENCH_PACING", game.pacing, 1);
    }
    if (game.refreshRate != nullptr) {
        setenv("ASTEROIDS_REFRESH_RATE", game.refreshRate, 1);
        setenv("LD_PRELOAD", ASTEROIDS_PACED_SWAPS, 1);
    }
    x.setResources("Xft.dpi:\t" + std::to_string(game.dpi) + "\n");
    const Clock::time_point exec = Clock::now();
    GameProcess process(game.command);
    unsetenv("ASTEROIDS_BENCH_PACING");
    unsetenv("LD_PRELOAD");
    const Window window = x.waitForWindow("Bexum Asteroids Game", windowTimeout);
    if (window == 0) {
        throw std::runtime_error(std::string("no window of the ") + game.name + " game within 30 s");
    }
    x.focus(window);
    FrameWatch frames(x, window);
    Figures f;
    frames.waitForFrame(milliseconds(2'000));
    f.firstFrameMs = msBetween(exec, frames.lastSeen);
    watchUntil(frames, Clock::now() + warmUp);

    const std::vector<pid_t> partners = winePartnersOf(process.pid());
    const auto cpuMs = [&] {
        std::vector<double> used{cpuMsOf(process.pid())};
        std::transform(partners.begin(), partners.end(), std::back_inserter(used), cpuMsOf);
        return used;
    };
    const std::vector<double> cpuFrom = cpuMs();
    const std::size_t framesFrom = frames.times.size();
    const Clock::time_point from = Clock::now();
    const auto scaled = [&](int v) { return v * game.dpi / 96; };
    const Rect ship{scaled(shipArea.left), scaled(shipArea.top), scaled(shipArea.right),
                    scaled(shipArea.bottom)};
    std::mt19937 random(1);
    std::uniform_int_distribution<int> gapUs(40'000, 56'667);
    for (int i = 0; i < presses; ++i) {
        watchUntil(frames, Clock::now() + std::chrono::microseconds(gapUs(random)));
        const Image before = x.capture(window, ship);
        const Clock::time_point pressed = Clock::now();
        x.key("Left", true);
        while (frames.waitForFrame(milliseconds(2'000))) {
            if (x.capture(window, ship).pixels != before.pixels) {
                f.keyLatenciesMs.push_back(msBetween(pressed, frames.lastSeen));
                break;
            }
        }
        x.key("Left", false);
    }
    watchUntil(frames, from + shortestRun);
    const double wallMs = msBetween(from, Clock::now());
    const std::vector<double> cpuTo = cpuMs();

    f.framesPerSecond = static_cast<double>(frames.times.size() - framesFrom) * 1e3 / wallMs;
    for (std::size_t i = framesFrom + 1; i < frames.times.size(); ++i) {
        f.frameIntervalsMs.push_back(static_cast<double>(frames.times[i] - frames.times[i - 1]));
    }
    f.cpuPercent = 100 * (cpuTo[0] - cpuFrom[0]) / wallMs;
    if (!partners.empty()) {
        f.partnersCpuPercent = 0;
        for (std::size_t i = 1; i < cpuTo.size(); ++i) {
            f.partnersCpuPercent += 100 * std::max(0.0, cpuTo[i] - cpuFrom[i]) / wallMs;
        }
    }
    f.peakResidentMiB = std::atof(statusOf(process.pid(), "VmHWM:").c_str()) / 1024;
    x.requestClose(window);
    if (process.waitForExit(seconds(10)) != 0) {
        throw std::runtime_error(std::string("the ") + game.name + " game did not end cleanly");
    }
    if (!partners.empty()) {  // Wine's services would outlive the display, and say so
        [[maybe_unused]] const int status = std::system(ASTEROIDS_WINE " wineserver -k");
    }
    return f;
}

struct Row {
    const char* label;
    std::function<double(const Figures&)> value;
};

const Row rows[] = {
    {"frames per second", [](const Figures& f) { return f.framesPerSecond; }},
    {"frame interval median (ms)", [](const Figures& f) { return percentile(f.frameIntervalsMs, 0.5); }},
    {"frame interval p99 (ms)", [](const Figures& f) { return percentile(f.frameIntervalsMs, 0.99); }},
    {"frame interval max (ms)", [](const Figures& f) { return percentile(f.frameIntervalsMs, 1); }},
    {"CPU, the game's process (% of one core)", [](const Figures& f) { return f.cpuPercent; }},
    {"CPU, Wine's other processes (% of one core)", [](const Figures& f) { return f.partnersCpuPercent; }},
    {"peak resident memory (MiB)", [](const Figures& f) { return f.peakResidentMiB; }},
    {"exec to first frame (ms)", [](const Figures& f) { return f.firstFrameMs; }},
    {"key latency median (ms)", [](const Figures& f) { return percentile(f.keyLatenciesMs, 0.5); }},
    {"key latency p99 (ms)", [](const Figures& f) { return percentile(f.keyLatenciesMs, 0.99); }},
    {"key latency max (ms)", [](const Figures& f) { return percentile(f.keyLatenciesMs, 1); }},
};

// A Markdown table: a row of figures, and a column for each game but the first unless it stands
// alone, each cell from `cell`.
void printTable(const std::string& corner, const std::vector<std::pair<const Contender*, Figures>>& measured,
                std::size_t firstColumn, const std::function<double(const Row&, const Figures&)>& cell) {
    std::printf("\n| %s |", corner.c_str());
    for (std::size_t i = firstColumn; i < measured.size(); ++i) {
        std::printf(" %s |", measured[i].first->name);
    }
    std::printf("\n|---|");
    for (std::size_t i = firstColumn; i < measured.size(); ++i) {
        std::printf("---:|");
    }
    std::printf("\n");
    for (const Row& row : rows) {
        std::printf("| %s |", row.label);
        for (std::size_t i = firstColumn; i < measured.size(); ++i) {
            const double value = cell(row, measured[i].second);
            std::printf(std::isfinite(value) ? " %.2f |" : " |", value);
        }
        std::printf("\n");
    }
}

}  // namespace

int main(int argc, char** argv) {
    try {
        std::vector<const Contender*> chosen;
        for (const Contender& game : games) {
            if (argc == 1 || std::find_if(argv + 1, argv + argc, [&](const char* a) {
                                 return std::string(a) == game.name;
                             }) != argv + argc) {
                chosen.push_back(&game);
            }
        }
        utsname machine{};
        uname(&machine);
        std::ifstream loadavg("/proc/loadavg");
        std::string load;
        loadavg >> load;
        std::printf("%s %s, %u cores; load average %s before the run\n", machine.sysname, machine.release,
                    std::thread::hardware_concurrency(), load.c_str());

        XSession x;
        std::vector<std::pair<const Contender*, Figures>> measured;
        for (const Contender* game : chosen) {
            std::printf("Running the %s game for %lld s...\n", game->name,
                        static_cast<long long>((shortestRun + warmUp).count()));
            std::fflush(stdout);
            measured.emplace_back(game, measure(*game, x));
        }
        printTable("", measured, 0, [](const Row& row, const Figures& f) { return row.value(f); });
        std::printf("\nKey latency over %d presses of Left in each.\n", presses);
        if (measured.size() > 1) {
            const Figures& first = measured.front().second;
            printTable(std::string(measured.front().first->name) + " ÷", measured, 1,
                       [&](const Row& row, const Figures& f) { return row.value(first) / row.value(f); });
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "game_bench: %s\n", e.what());
        return 1;
    }
}
