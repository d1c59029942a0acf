#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <map>
#include <numbers>
#include <random>
#include <string_view>
#include <utility>

#include "display.h"
#include "page.h"

// The built game as a player meets it, a new game in each test, with real key events and the
// pixels it shows: its own process and window on the X server; with ASTEROIDS_WINE_GAME naming the
// Windows build's asteroids.exe, that under Wine, started as the Start menu starts it (in a console
// window of its own, which it leaves); with ASTEROIDS_PAGE naming the browser build's folder, the
// page in a browser engine (page.h), played with the driver's ASTEROIDS_PAGE_OPTIONS (--pad: on a
// game pad). A loaded machine may deliver a key late, so a key is held until
// its effect shows, and margins come from the rules (turning 0.4 degrees per ms held; a shot lives
// 0.4 s).

namespace {

const char* const wineGame = std::getenv("ASTEROIDS_WINE_GAME");
// glibc's malloc moves its thresholds as a program runs, and then holds on to memory a program has
// freed; fixed at their starting values, they let the soak see what the game itself holds.
const int mallocFixed =
    setenv("GLIBC_TUNABLES", "glibc.malloc.mmap_threshold=131072:glibc.malloc.trim_threshold=131072", 1);

// The screen's dots per inch, where the test's row gives them (ASTEROIDS_SCREEN_DPI): the window
// opens that many 96ths of 720 by 640, from half to five times.
const char* const screenDpi = std::getenv("ASTEROIDS_SCREEN_DPI");
const double screenScale = std::clamp(screenDpi != nullptr ? std::atof(screenDpi) / 96 : 1, 0.5, 5.0);

// What Windows 10's display settings write for the row's DPI: LogPixels, and DpiScalingVer, with which
// Windows, and Wine, tell a program not aware of the DPI 96 and scale its window as a bitmap.
const std::pair<std::string, std::string> displaySettings[] = {
    {"LogPixels", screenDpi != nullptr ? screenDpi : ""}, {"DpiScalingVer", "0x1018"}};
// Wine's `reg` on a value of their key ("query NAME", "delete NAME /f"): the value it names, if any.
std::string desktopValue(const std::string& command, const std::string& name, const std::string& more = "") {
    const std::string line = ASTEROIDS_WINE " reg " + command + " 'HKCU\\Control Panel\\Desktop' /v " + name +
                             " " + more + " 2>/dev/null";
    FILE* reg = popen(line.c_str(), "r");
    std::array<char, 64> word{};
    std::string value;
    while (std::fscanf(reg, "%63s", word.data()) == 1) {
        value = std::string_view(word.data()).starts_with("0x") ? word.data() : value;
    }
    pclose(reg);
    return value;
}

// The game on a desktop: its process and its window, on a screen of the row's DPI as a desktop gives it,
// then as it was: on X, Xft.dpi in the server's resources (as xrdb sets them); under Wine, the registry's.
class WindowGame : public Game {
public:
    WindowGame() {
        if (window != 0) {
            x.focus(window);
        }
    }
    // Under Wine the process started is the launcher that waits for the game: ending it would
    // leave the game running. Ending the prefix's server ends them all.
    ~WindowGame() override {
        if (screenDpi != nullptr && wineGame == nullptr) {
            x.setResources("");
        }
        for (std::size_t i = 0; i < settingsBefore.size(); ++i) {
            const std::string& before = settingsBefore[i];
            desktopValue(before.empty() ? "delete" : "add", displaySettings[i].first,
                         before.empty() ? "/f" : "/t REG_DWORD /f /d " + before);
        }
        if (wineGame != nullptr) {
            [[maybe_unused]] const int status = std::system(ASTEROIDS_WINE " wineserver -k");
        }
    }
    Image frame() override { return x.capture(window).resampled(720, 640); }  // as the 720 by 640 window's
    void key(const char* name, bool down) override { x.key(name, down); }

    XSession x;
    // Each display setting's value before, if it had one.
    const std::vector<std::string> settingsBefore = [this] {
        std::vector<std::string> said;
        if (screenDpi != nullptr && wineGame == nullptr) {
            x.setResources(std::string("Xft.dpi:\t") + screenDpi + "\n");
        } else if (screenDpi != nullptr) {
            for (const auto& [name, value] : displaySettings) {
                said.push_back(desktopValue("query", name));
                desktopValue("add", name, "/t REG_DWORD /f /d " + value);
            }
        }
        return said;
    }();
    GameProcess process{wineGame == nullptr
                            ? std::vector<std::string>{ASTEROIDS_EXECUTABLE}
                            : std::vector<std::string>{ASTEROIDS_WINE, "start", "/wait", "/unix", wineGame}};
    const Window window =
        x.waitForWindow("Bexum Asteroids Game", milliseconds(30'000));  // Wine takes seconds
};

// Where the ship starts, in the window's pixels: (5, 20) on the 50 by 50 field.
constexpr double startX = 5 * 14.4, startY = 640 - 20 * 12.8;

// The shot: a small white patch below the status line, clear of the window's edges where a cut
// shape is small too.
std::optional<Blob> findShot(const Image& frame) {
    for (const Blob& b : frame.blobs(isDrawn, {0, 0, frame.width, frame.height})) {
        if (b.bounds.left >= 6 && b.bounds.top >= 40 && b.bounds.right <= 714 && b.bounds.bottom <= 634 &&
            b.bounds.right - b.bounds.left <= 6 && b.bounds.bottom - b.bounds.top <= 6 &&
            frame.count(isWhite, b.bounds) > 0) {
            return b;
        }
    }
    return std::nullopt;
}

// The heading in degrees of a ship that has not moved, from its nose: its white pixel farthest
// from where it started, in field units (the window stretches the square field to 720 by 640).
double headingOf(const Image& frame) {
    double farthest = 0, heading = NAN;
    frame.forEach({42, 354, 102, 414}, [&](int px, int py) {
        const double dx = (px + 0.5 - startX) / 14.4, dy = (startY - py - 0.5) / 12.8;
        if (isWhite(frame.at(px, py)) && std::hypot(dx, dy) > farthest) {
            farthest = std::hypot(dx, dy);
            heading = std::atan2(dy, dx) * 180 / std::numbers::pi;
        }
    });
    return heading;
}

// Looks until `seen` holds, for up to `patience`. A look reads the whole frame and a frame comes
// every 16.7 ms: looking more often would only take the cores from the game.
bool waitFor(const std::function<bool()>& seen, milliseconds patience = milliseconds(2'000)) {
    for (const auto deadline = Clock::now() + patience; !seen();) {
        if (Clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(milliseconds(10));
    }
    return true;
}

// The whole frame as a player sees it in play: the status line, and whole asteroids.
void expectInPlay(const Image& frame, const char* after) {
    const Sight seen = look(frame);
    EXPECT_GE(seen.statusLetters, 12) << "letters of the status line, after " << after;
    EXPECT_GE(seen.asteroids, 1) << "whole asteroids, after " << after;
}

class Program : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("ASTEROIDS_PAGE") != nullptr) {
            const char* options = std::getenv("ASTEROIDS_PAGE_OPTIONS");
            auto onPage = std::make_unique<PageSession>(options != nullptr ? options : "");
            // The game is played with the page's "Full screen" button focused, as once it is clicked.
            ASSERT_EQ(
                onPage->js(
                    "const b = document.querySelector('.help .fullscreen'); b.focus(); window.clicks = 0;"
                    " b.addEventListener('click', () => clicks++); return document.activeElement === b"),
                "true");
            page = onPage.get();
            game = std::move(onPage);
        } else {
            auto desktop = std::make_unique<WindowGame>();
            ASSERT_NE(desktop->window, 0U) << "no game window within 30 s";
            window = desktop.get();
            game = std::move(desktop);
        }
        ASSERT_TRUE(waitFor([&] { return frame().count(isField) > 720 * 640 / 2; }))
            << "no frame on the field";
    }
    Image frame() { return game->frame(); }
    void key(const char* name, bool down) { game->key(name, down); }

    // Holds the key until the ship has turned 30 degrees either way and returns the turn,
    // counter-clockwise positive. Between two looks less than 0.4 s apart the ship turns less than
    // half a circle (400 degrees a second), so each look's change is the nearest way round. A busy
    // machine may take longer over a look: then the turn is not known, and is measured again.
    double turnWhileHolding(const char* name) {
        for (int attempt = 0; attempt < 5; ++attempt) {
            auto looked = Clock::now();
            double last = headingOf(frame()), turned = 0;
            bool known = true;
            key(name, true);
            waitFor([&] {
                const auto before = std::exchange(looked, Clock::now());
                const double now = headingOf(frame());
                known = Clock::now() - before < milliseconds(400);
                turned += std::remainder(now - last, 360.0);
                last = now;
                return !known || std::abs(turned) >= 30;
            });
            key(name, false);
            if (known) {
                return turned;
            }
        }
        return NAN;
    }

    std::unique_ptr<Game> game;
    WindowGame* window = nullptr;
    PageSession* page = nullptr;
};

// One game, played as a player would, its whole frame judged after each thing done: turns both ways,
// a shot fired with Space held (one: a held key does not repeat), thrust with its flame, and a
// flight round the field until an asteroid strikes the ship and the game is over.
TEST_F(Program, TurnsFiresThrustsAndEndsInGameOver) {
    expectInPlay(frame(), "the start");
    EXPECT_GT(turnWhileHolding("Left"), 0) << "Left turns counter-clockwise";
    EXPECT_LT(turnWhileHolding("Right"), 0) << "Right turns clockwise";
    expectInPlay(frame(), "the turns");

    // The shot flies from the ship along its heading, 1.5 units a step for 0.4 s: 24 steps at 60 a
    // second, 36 units. One that outlived its 0.4 s, or a second one fired by a repeat of the held
    // key, would start again at the ship or fly on off the field. How many looks catch it depends
    // on how fast the frames come (a browser takes up to 100 ms to hand one over, and a busy machine
    // may take longer than the shot lives: then Space is pressed again); one that hits an asteroid in
    // its first steps may show in none, and then the count falls.
    const Image before = frame();
    const double heading = headingOf(before) * std::numbers::pi / 180;
    const Rect digit{184, 6, 200, 30};
    double farthest = 0;
    int sightings = 0, changed = 0;
    for (int attempt = 0; attempt < 5 && sightings == 0 && changed == 0; ++attempt) {
        key("space", false);
        const auto pressed = Clock::now();
        key("space", true);
        farthest = 0;
        while (Clock::now() - pressed < milliseconds(1'200)) {
            const Image now = frame();
            if (const auto shot = findShot(now)) {
                const double dx = (shot->centreX - startX) / 14.4, dy = (startY - shot->centreY) / 12.8;
                const double along = dx * std::cos(heading) + dy * std::sin(heading);
                EXPECT_GE(along, farthest - 0.1) << "the shot moves away from the ship";
                // The heading read off the nose's pixels may be some 3 degrees out.
                EXPECT_LT(std::abs(dx * std::sin(heading) - dy * std::cos(heading)), 0.5 + 0.1 * along)
                    << "along the heading";
                farthest = std::max(farthest, along);
                if (++sightings == 1) {
                    expectInPlay(now, "the shot");
                }
            }
            now.forEach(digit,
                        [&](int px, int py) { changed += now.at(px, py) == before.at(px, py) ? 0 : 1; });
        }
    }
    key("space", false);
    const Image after = frame();
    EXPECT_TRUE(sightings >= 1 || changed > 0) << "the shot in flight, or the count lowered by a hit at once";
    EXPECT_LT(farthest, 36 + 3);
    EXPECT_FALSE(findShot(after)) << "a shot 1.2 s after Space was pressed";
    expectInPlay(after, "the shot's end");

    // The flame stands for thrust, whose effect on the ship the rules' replays check: it shows while
    // Up is held, and goes with the release while the game goes on. Then a second's thrust sends the
    // ship round the field, a unit a step, until an asteroid drifting across its way strikes it: in
    // seconds.
    // Up is let go as soon as the flame shows, and that frame judged after: each look held it longer
    // sends the ship faster into the asteroids before the flame's absence is seen.
    key("Up", true);
    Image thrusting;
    EXPECT_TRUE(waitFor([&] { return look(thrusting = frame()).red > 5; }))
        << "the flame while thrust is held";
    key("Up", false);
    expectInPlay(thrusting, "thrust");
    int withoutFlame = 0;  // looks in a row: a flame cut by the field's edge does not count
    EXPECT_TRUE(waitFor([&] {
        const Sight now = look(frame());
        withoutFlame = now.red == 0 && now.statusLetters >= 12 ? withoutFlame + 1 : 0;
        return withoutFlame == 5;
    })) << "no flame once released, the game going on";
    key("Up", true);
    std::this_thread::sleep_for(milliseconds(1'000));
    key("Up", false);
    Sight over;
    EXPECT_TRUE(waitFor([&] { return (over = look(frame())).gameOverLetters >= 6; }, milliseconds(60'000)))
        << "\"GAME OVER\" within a minute";
    EXPECT_LE(over.statusLetters, 4) << "the status line at game over";
    EXPECT_EQ(over.red, 0) << "a flame at game over";
    EXPECT_GE(over.asteroids, 1) << "the asteroids left drift on behind the words";
    if (page != nullptr) {
        EXPECT_EQ(page->js("return [document.activeElement.textContent, clicks,"
                           " Boolean(document.fullscreenElement ?? document.webkitFullscreenElement)]"),
                  "[\"Full screen\",0,false]")
            << "the focused button, its clicks and full screen, after the game's keys";
    }
}

// At the screen's scale, titled as ever. Windows puts the frame's outer corner at the top left, and
// the drawing inside its border and title bar. A frame a step: the median interval by the server's clock
// stays near 16.7 ms on a loaded machine, where a late step is followed by an early one on the game's even
// grid; 30 or 90 steps a second give 33 or 11 ms. On a display that paces the swaps (ASTEROIDS_REFRESH_RATE,
// paced_swaps.cpp), a frame every refresh: 6.9 ms apart at 144 a second, and never a step's 16.7.
TEST_F(Program, OpensItsWindowAtTheTopLeftStepsSixtyTimesASecondAndEndsCleanlyWhenClosed) {
    XSession& x = window->x;
    const Rect at = x.geometry(window->window);
    EXPECT_TRUE(at.right - at.left == std::lround(720 * screenScale) &&
                at.bottom - at.top == std::lround(640 * screenScale))
        << at.right - at.left << " by " << at.bottom - at.top << " at " << screenScale << " times";
    EXPECT_TRUE(at.left >= 0 && at.top >= 0 && at.left <= (wineGame ? 16 * screenScale : 0) &&
                at.top <= (wineGame ? 48 * screenScale : 0))
        << at.left << ", " << at.top;
    EXPECT_GT(frame().count(isField), 720 * 640 * 9 / 10);
    EXPECT_TRUE(waitFor([&] { return x.shownWindows().size() == 1; }))
        << "another window shows, such as a console left open";
    FrameWatch frames(x, window->window);
    for (const auto until = Clock::now() + milliseconds(1'500); Clock::now() < until;) {
        frames.waitForFrame(milliseconds(100));
    }
    ASSERT_GT(frames.times.size(), 10U) << "frames in 1.5 s";
    std::vector<Time> intervals(frames.times.size() - 1);
    std::transform(frames.times.begin() + 1, frames.times.end(), frames.times.begin(), intervals.begin(),
                   std::minus<>());
    std::nth_element(intervals.begin(), intervals.begin() + static_cast<std::ptrdiff_t>(intervals.size() / 2),
                     intervals.end());
    const auto median = static_cast<double>(intervals[intervals.size() / 2]);
    const char* const refresh = std::getenv("ASTEROIDS_REFRESH_RATE");
    const double expected = 1000 / (refresh != nullptr ? std::atof(refresh) : 60);
    EXPECT_TRUE(median >= 0.75 * expected && median <= 1.45 * expected)
        << "median frame interval " << median << " ms, not " << expected;
    x.requestClose(window->window);
    EXPECT_EQ(window->process.waitForExit(milliseconds(10'000)), 0)
        << "closing the window ends the game cleanly";
}

// The frame scaled to the window at any size as the 720 by 640 window's is: the window resized by the
// window system from its size to 720 by 640 or, opened so, to 1.5 times that, and back, twice. Before a key
// the words and the ship stand still, the asteroids drift and turn: what a frame has as its size's frame
// before it had it, scaled back to 720 by 640, lies within two pixels of what the other size's frame taken
// between them draws, both ways. The ship's white per area (no asteroid nears it for many seconds) is the
// 720 by 640 frame's within a quarter; at the other size, the ship's and the words' edges are smoothed.
TEST_F(Program, DrawsTheFrameScaledToTheWindowsSize) {
    XSession& x = window->x;
    const Rect at = x.geometry(window->window);
    const int openedWidth = at.right - at.left;
    const std::pair<int, int> sizes[] = {{openedWidth, at.bottom - at.top},
                                         openedWidth == 720 ? std::pair(1080, 960) : std::pair(720, 640)};
    std::vector<Image> shots, back;  // at each size in turn; scaled back to 720 by 640
    FrameWatch frames(x, window->window);
    for (int i = 0; i < 4; ++i) {
        const auto [width, height] = sizes[i % 2];
        XResizeWindow(x.display(), window->window, static_cast<unsigned>(width),
                      static_cast<unsigned>(height));
        XSync(x.display(), False);
        // The frames the server reported before the resize are in; a few frames after it, the window
        // shows one drawn at its new size, which the game takes from the server's notice of it.
        frames.waitForFrame(milliseconds(0));
        for (int n = 0; n < 5; ++n) {
            ASSERT_TRUE(frames.waitForFrame(milliseconds(2'000))) << "no frame within 2 s at " << width;
        }
        shots.push_back(x.capture(window->window));
        ASSERT_TRUE(shots.back().width == width && shots.back().height == height);
        back.push_back(shots.back().resampled(720, 640));
    }
    for (const int i : {2, 3}) {
        const auto found = strays(back[i], back[i - 1], 2, &back[i - 2]);
        EXPECT_TRUE(found.empty()) << found.size() << " still pixels at " << shots[i].width
                                   << " wide have none"
                                   << " drawn near in the other, the first at " << found.front().first << ", "
                                   << found.front().second;
    }
    const Rect ship{32, 344, 112, 424};  // where it starts, at (5, 20)
    const int scaled = openedWidth == 720 ? 1 : 0;
    EXPECT_NEAR(back[scaled].whiteArea(ship) / back[1 - scaled].whiteArea(ship), 1, 0.25)
        << "the ship's white scaled back to the 720 by 640 frame's, against that frame's";
    EXPECT_GT(smoothness(shots[scaled], onCanvas(shots[scaled], ship)), 0.3) << "the ship's edges";
    EXPECT_GT(smoothness(shots[scaled], onCanvas(shots[scaled], statusLine)), 0.3) << "the words' edges";
}

// Storms of real key presses, each held up to 3 s or to the end, for ASTEROIDS_SOAK_SECONDS (30 by
// default; `make soak`: ten minutes). The game must not end, go a second without a frame (far beyond
// any scheduler's delay), or grow its resident memory by 2 MiB between the lowest readings of the
// first and last stretch after a warm-up (Mesa compiles code for each new kind of thing drawn); and
// it must end cleanly.
TEST_F(Program, ComesThroughStormsOfKeys) {
    XSession& x = window->x;
    const char* const given = std::getenv("ASTEROIDS_SOAK_SECONDS");
    const auto length = std::chrono::seconds(given != nullptr ? std::atoi(given) : 30);
    const auto warmUp =
        std::clamp<Clock::duration>(length / 5, std::chrono::seconds(5), std::chrono::seconds(60));
    const auto stretch = std::max<Clock::duration>(length / 10, std::chrono::seconds(5));
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const char* const keys[] = {"Left",   "Right",  "Up",  "space",     "Down",    "a",         "5",
                                "Return", "Escape", "Tab", "BackSpace", "Shift_L", "Control_L", "F1"};
    std::map<std::string, Clock::time_point> held;  // each key's release, or the end
    FrameWatch frames(x, window->window);
    std::int64_t firstFloor = INT64_MAX, lastFloor = INT64_MAX;  // KiB of resident memory
    const auto start = Clock::now();
    for (auto lastPass = start, watchingSince = start; Clock::now() - start < length;) {
        std::erase_if(held, [&](const auto& k) {
            return k.second <= Clock::now() && (x.key(k.first.c_str(), false), true);
        });
        for (auto n = 1 + random() % 20; n > 0; --n) {
            const char* key = keys[random() % (random() % 2 == 0 ? 4 : std::size(keys))];
            x.key(key, true);
            held.insert({key, Clock::now() + (random() % 10 == 0 ? length : milliseconds(random() % 3000))});
        }
        frames.waitForFrame(milliseconds(random() % 50));
        const auto now = Clock::now();
        const auto ran = now - start;
        // A pass held up for long means the soak itself was, not the game.
        watchingSince = now - lastPass > milliseconds(250) ? now : watchingSince;
        lastPass = now;
        ASSERT_FALSE(window->process.waitForExit(milliseconds(0))) << "the game ended by itself";
        ASSERT_LT(now - std::max(frames.lastSeen, watchingSince), milliseconds(1'000))
            << "no frame for a second";
        std::ifstream status("/proc/" + std::to_string(window->process.pid()) + "/status");
        std::int64_t kib = 0;
        for (std::string field; status >> field && field != "VmRSS:";) {
        }
        status >> kib;
        firstFloor = ran >= warmUp && ran < warmUp + stretch ? std::min(firstFloor, kib) : firstFloor;
        lastFloor = ran >= length - stretch ? std::min(lastFloor, kib) : lastFloor;
    }
    for (const auto& [key, until] : held) {
        x.key(key.c_str(), false);
    }
    std::printf(
        "soak: %zu frames in %lld s; resident memory %lld KiB after the warm-up, %lld KiB at the end\n",
        frames.times.size(), static_cast<long long>(length.count()), static_cast<long long>(firstFloor),
        static_cast<long long>(lastFloor));
    EXPECT_LE(lastFloor - firstFloor, 2048) << "KiB of resident memory grown";
    x.requestClose(window->window);
    EXPECT_EQ(window->process.waitForExit(milliseconds(10'000)), 0);
}

}  // namespace
