// The soak: the real game on a private X server for a given time under storms of real key events.
// Fails when the game crashes, hangs (draws no frame for a second) or grows its resident memory by
// more than 2 MiB after the warm-up (see MemoryGrowth), or does not end cleanly when its window is
// closed at the end.
//
//   soak [--seconds N] [--seed S] [--no-memory-limit]
//
// --no-memory-limit still measures the memory but does not fail on it: under AddressSanitizer
// freed memory is held back in quarantine, so resident memory grows whatever the game does.

#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <random>
#include <string>
#include <thread>

#include "frame_watch.h"
#include "game_process.h"
#include "key_storm.h"
#include "resident_memory.h"
#include "virtual_display.h"
#include "x_session.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

// At 60 frames a second, a second without one is 60 frames missed: five times the longest wait
// seen under storms on a busy 2-core machine (some 200 ms), and far beyond what a scheduler
// delays a runnable process by, so only a stuck game reaches it.
constexpr milliseconds hangLimit(1000);
// A pass of the soak's own loop takes at most some 60 ms (a 50 ms pause and a burst of keys).
// Longer, and the soak itself was held up, so that the frames it did not see prove nothing.
constexpr milliseconds soakStalled(250);
constexpr std::int64_t growthLimitKiB = 2048;
constexpr milliseconds memoryEvery(250);

struct Options {
    seconds length{600};
    std::uint64_t seed = std::random_device{}();
    bool memoryLimit = true;
};

Options parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--seconds" && i + 1 < argc) {
            options.length = seconds(std::strtoll(argv[++i], nullptr, 10));
        } else if (name == "--seed" && i + 1 < argc) {
            options.seed = std::strtoull(argv[++i], nullptr, 10);
        } else if (name == "--no-memory-limit") {
            options.memoryLimit = false;
        } else {
            std::cerr << "usage: soak [--seconds N] [--seed S] [--no-memory-limit]\n";
            std::exit(2);
        }
    }
    return options;
}

// A window that has gone, or a request raced by the game's end, must not end the soak: what
// happened to the game is found out from the game itself.
int ignoreXError(Display* /*display*/, XErrorEvent* /*error*/) { return 0; }

// glibc's malloc moves its thresholds as a program runs: once Mesa has freed a block of a MiB or
// so, the heap keeps up to twice that before it gives memory back, which shows as 2 MiB or more of
// resident growth with nothing leaked. The game runs with both thresholds fixed at glibc's own
// starting values, so that the memory it holds is what grows.
void fixMallocThresholds() {
    setenv("GLIBC_TUNABLES", "glibc.malloc.mmap_threshold=131072:glibc.malloc.trim_threshold=131072", 1);
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Run {
    explicit Run(const Options& options)
        // A fifth of the run, at least 5 s and at most a minute: Mesa builds its drawing code for
        // each new kind of thing drawn, and the first few seconds see most of them.
        : warmUp(std::clamp<Clock::duration>(options.length / 5, seconds(5), seconds(60))),
          memory(warmUp, options.length) {}

    Clock::duration warmUp;
    double ranSeconds = 0;
    MemoryGrowth memory;
    std::string failure;  // empty when the game came through
};

// Storms the game with keys for the length of the soak, or until it fails, watching it all along.
Run stormAndWatch(const Options& options, GameProcess& game, KeyStorm& storm, FrameWatch& frames) {
    Run run(options);
    const Clock::time_point start = Clock::now();
    Clock::time_point lastPass = start, watchingSince = start, nextMemory = start;
    while (run.failure.empty() && Clock::now() - start < options.length) {
        storm.burst(Clock::now());
        std::this_thread::sleep_for(storm.pause());
        frames.poll();
        const Clock::time_point now = Clock::now();
        if (now - lastPass > soakStalled) {
            watchingSince = now;
        }
        lastPass = now;

        if (const auto status = game.waitForExit(milliseconds(0))) {
            run.failure = "the game ended by itself after " + std::to_string(secondsSince(start)) +
                          " s, status " + std::to_string(*status) +
                          (*status == -1 ? " (killed by a signal)" : "");
        } else if (now - std::max(frames.lastFrameSeen(), watchingSince) > hangLimit) {
            run.failure =
                "the game drew no frame for a second, after " + std::to_string(secondsSince(start)) + " s";
        } else if (now >= nextMemory) {
            nextMemory = now + memoryEvery;
            run.memory.sample(now - start, residentKiB(game.pid()));
        }
    }
    storm.releaseAll();
    frames.poll();
    run.ranSeconds = secondsSince(start);
    if (run.failure.empty() && options.memoryLimit && run.memory.growthKiB() > growthLimitKiB) {
        run.failure = "resident memory grew by more than 2 MiB after the warm-up";
    }
    return run;
}

void report(const Options& options, const Run& run, const KeyStorm& storm, const FrameWatch& frames) {
    std::cout << std::fixed << std::setprecision(1);
    std::cout << "soak: " << run.ranSeconds << " s of key storms (seed " << options.seed
              << "): " << storm.presses() + storm.releases() << " key events sent (" << storm.presses()
              << " presses, " << storm.releases() << " releases)\n";
    std::cout << "soak: " << frames.frames() << " frames drawn ("
              << static_cast<double>(frames.frames()) / run.ranSeconds
              << " a second), the longest wait between two " << frames.longestGapMs() << " ms\n";
    const MemoryGrowth& m = run.memory;
    const auto inSeconds = [](Clock::duration d) { return std::chrono::duration<double>(d).count(); };
    std::cout << "soak: resident memory " << m.startKiB() << " KiB at the start; after the "
              << inSeconds(run.warmUp) << " s warm-up never under " << m.firstFloorKiB()
              << " KiB in the next " << inSeconds(m.stretch()) << " s and " << m.lastFloorKiB()
              << " KiB in the last " << inSeconds(m.stretch()) << " s (growth " << m.growthKiB()
              << " KiB; limit " << (options.memoryLimit ? std::to_string(growthLimitKiB) + " KiB" : "none")
              << "), at most " << m.peakKiB() << " KiB\n";
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = parse(argc, argv);
    VirtualDisplay display;
    XSession x(display.name());
    XSetErrorHandler(ignoreXError);
    fixMallocThresholds();
    GameProcess game({ASTEROIDS_EXECUTABLE}, display.name());
    const Window window = x.waitForWindow("Bexum Asteroids Game", seconds(10));
    if (window == 0) {
        std::cout << "soak: FAILED: no game window within 10 s\n";
        return 1;
    }
    x.focus(window);
    FrameWatch frames(x.display(), window);
    KeyStorm storm(x, options.seed);

    Run run = stormAndWatch(options, game, storm, frames);
    report(options, run, storm, frames);
    if (run.failure.empty()) {
        x.requestClose(window);
        const auto status = game.waitForExit(seconds(10));
        if (!status) {
            run.failure = "the game did not end within 10 s of its window being closed";
        } else if (*status != 0) {
            run.failure = "closing the window ended the game with status " + std::to_string(*status);
        }
    }
    if (!run.failure.empty()) {
        std::cout << "soak: FAILED: " << run.failure << "\n";
        return 1;
    }
    std::cout << "soak: passed\n";
    return 0;
}
