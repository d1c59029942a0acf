#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "game_process.h"
#include "virtual_display.h"
#include "x_session.h"

// The built game as a player meets it: its own process on a private X server, real key events,
// and the pixels of its window. Each test starts a new game.
//
// A loaded machine may deliver a key late, so the tests hold a key until its effect shows rather
// than for a fixed time, and take their margins from the rules: turning is 0.4 degrees per
// millisecond held, a shot lives 0.4 s, and a ship that does not move is first struck about 22 s
// into the game.
//
// With ASTEROIDS_WINE_GAME naming the Windows build's asteroids.exe, the tests run that under Wine
// instead, started as the Start menu starts it: in a console window of its own, which it leaves.

namespace {

using std::chrono::milliseconds;

const char* const title = "Bexum Asteroids Game";
const char* const wineGame = std::getenv("ASTEROIDS_WINE_GAME");

std::vector<std::string> gameCommand() {
    if (wineGame == nullptr) {
        return {ASTEROIDS_EXECUTABLE};
    }
    return {ASTEROIDS_WINE, "start", "/wait", "/unix", wineGame};
}

// Where the ship starts, in the window's pixels: (5, 20) on the 50 by 50 field.
constexpr double shipStartX = 5 * 14.4;
constexpr double shipStartY = 640 - 20 * 12.8;

// Below the status line, and clear of the window's edges, where a shape cut by the edge is small.
const Rect playArea{6, 40, 714, 634};

void pause(int ms) { std::this_thread::sleep_for(milliseconds(ms)); }

// The shot is a small white point; every other shape is an outline far larger.
std::optional<Blob> findShot(const Image& frame) {
    for (const Blob& b : frame.blobs(isDrawn, playArea)) {
        const bool small = b.bounds.right - b.bounds.left <= 6 && b.bounds.bottom - b.bounds.top <= 6;
        if (small && frame.count(isWhite, b.bounds) > 0) {
            return b;
        }
    }
    return std::nullopt;
}

// The ship's outline: the largest shape near where it was last seen.
std::optional<Blob> findShip(const Image& frame, double nearX, double nearY) {
    std::optional<Blob> ship;
    for (const Blob& b : frame.blobs(isDrawn, playArea)) {
        if (std::hypot(b.centreX - nearX, b.centreY - nearY) < 40 && (!ship || b.size > ship->size)) {
            ship = b;
        }
    }
    return ship;
}

// The heading in degrees, from the ship's nose: its pixel farthest from the ship's centre, in
// field units (the window stretches the square field to 720 by 640).
double headingOf(const Image& frame, double centreX, double centreY) {
    const auto ship = findShip(frame, centreX, centreY);
    if (!ship) {
        return NAN;
    }
    double farthest = 0, heading = NAN;
    for (int py = ship->bounds.top; py < ship->bounds.bottom; ++py) {
        for (int px = ship->bounds.left; px < ship->bounds.right; ++px) {
            const double dx = (px + 0.5 - centreX) / 14.4;
            const double dy = (centreY - py - 0.5) / 12.8;
            if (isWhite(frame.at(px, py)) && std::hypot(dx, dy) > farthest) {
                farthest = std::hypot(dx, dy);
                heading = std::atan2(dy, dx) * 180 / M_PI;
            }
        }
    }
    return heading;
}

class Program : public ::testing::Test {
protected:
    void SetUp() override {
        window = x.waitForWindow(title, milliseconds(10'000));
        ASSERT_NE(window, 0U) << "no game window within 10 s";
        x.focus(window);
        // The window can show before the game's first frame is in it.
        for (int tries = 0; tries < 500 && frame().count(isField) < 720 * 640 / 2; ++tries) {
            pause(10);
        }
    }
    // Under Wine the process started is the launcher that waits for the game: ending it would
    // leave the game running. Ending the prefix's server ends them all, while their display is up.
    void TearDown() override {
        if (wineGame != nullptr) {
            // Status 1 when nothing was left to end.
            [[maybe_unused]] const int status = std::system(ASTEROIDS_WINE " wineserver -k");
        }
    }
    // Looks at the game until `seen` holds, for up to two seconds.
    template <typename Condition>
    bool waitFor(Condition seen) {
        const auto deadline = std::chrono::steady_clock::now() + milliseconds(2'000);
        while (!seen()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
        }
        return true;
    }
    Image frame() { return x.capture(window); }

    // Holds the key until the ship has turned 30 degrees either way and returns the turn,
    // counter-clockwise positive. Between two looks the ship turns far less than half a circle
    // (400 degrees a second), so each look's change is the nearest way round.
    double turnWhileHolding(const char* key) {
        double last = headingOf(frame(), shipStartX, shipStartY);
        double turned = 0;
        x.key(key, true);
        waitFor([&] {
            const double now = headingOf(frame(), shipStartX, shipStartY);
            turned += std::remainder(now - last, 360.0);
            last = now;
            return std::abs(turned) >= 30;
        });
        x.key(key, false);
        return turned;
    }

    VirtualDisplay display;
    XSession x{display.name()};
    GameProcess game{gameCommand(), display.name()};
    Window window = 0;
};

TEST_F(Program, OpensItsTitledWindowAtTheTopLeftFilledWithTheField) {
    EXPECT_EQ(x.title(window), title);
    const Rect where = x.geometry(window);
    EXPECT_EQ(where.right - where.left, 720);
    EXPECT_EQ(where.bottom - where.top, 640);
    if (wineGame == nullptr) {
        EXPECT_EQ(where.left, 0);
        EXPECT_EQ(where.top, 0);
    } else {
        // Windows puts the frame's outer corner at the top-left; the drawing sits inside the
        // frame's border and below its title bar.
        EXPECT_GT(where.left, 0);
        EXPECT_LE(where.left, 16);
        EXPECT_GT(where.top, where.left);
        EXPECT_LE(where.top, 48);
    }
    EXPECT_GT(frame().count(isField), 720 * 640 * 9 / 10);
}

TEST_F(Program, ShowsNoWindowButItsOwn) {
    const bool alone = waitFor([&] { return x.shownWindows() == std::vector<Window>{window}; });
    std::string titles;
    for (const Window w : x.shownWindows()) {
        titles += " \"" + x.title(w) + "\"";
    }
    EXPECT_TRUE(alone) << "windows shown:" << titles;
}

TEST_F(Program, LeftArrowTurnsCounterClockwiseAndRightArrowClockwise) {
    EXPECT_NEAR(headingOf(frame(), shipStartX, shipStartY), 0, 5);
    EXPECT_GT(turnWhileHolding("Left"), 0) << "counter-clockwise";
    EXPECT_LT(turnWhileHolding("Right"), 0) << "clockwise";
}

TEST_F(Program, UpArrowShowsTheFlameAndMovesTheShipWhichCoastsOnRelease) {
    EXPECT_EQ(frame().count(isRed), 0);
    x.key("Up", true);
    EXPECT_TRUE(waitFor([&] { return frame().count(isRed) > 5; })) << "the flame while thrust is held";
    pause(100);  // at least 4 units a second
    x.key("Up", false);
    EXPECT_TRUE(waitFor([&] { return frame().count(isRed) == 0; })) << "no flame once released";

    const auto first = findShip(frame(), shipStartX, shipStartY);
    ASSERT_TRUE(first);
    pause(300);
    const auto later = findShip(frame(), first->centreX, first->centreY);
    ASSERT_TRUE(later);
    EXPECT_GT(later->centreX, first->centreX + 5) << "coasting along the heading, with nothing held";
    EXPECT_NEAR(later->centreY, first->centreY, 2);
}

TEST_F(Program, SpaceFiresOneShotThatFliesAwayAndIsGoneAfterItsLifetime) {
    const auto pressed = std::chrono::steady_clock::now();
    x.key("space", true);  // held on: with key repeat off, holding fires once
    double farthest = 0;
    int sightings = 0;
    while (std::chrono::steady_clock::now() - pressed < milliseconds(1'200)) {
        if (const auto shot = findShot(frame())) {
            const double away = shot->centreX - shipStartX;
            EXPECT_GE(away, farthest - 1) << "the shot moves away from the ship";
            EXPECT_LT(std::abs(shot->centreY - shipStartY), 3) << "along the heading";
            farthest = std::max(farthest, away);
            ++sightings;
        }
    }
    x.key("space", false);
    EXPECT_GE(sightings, 2);
    // 24 steps of 1.5 units at 60 steps a second: 36 units. A shot that outlived its 0.4 s would
    // fly on off the field's edge. A loaded machine may run fewer steps in 0.4 s, and the captures
    // may miss the last ones, so the shortest flight accepted is well under half.
    EXPECT_LT(farthest / 14.4, 36 + 3);
    EXPECT_GT(farthest / 14.4, 15);
    EXPECT_FALSE(findShot(frame()));
}

TEST_F(Program, GoesOnDrawingTheDriftingAsteroidsAfterGameOver) {
    const Rect statusLine{0, 0, 720, 40};
    const Rect gameOverText{280, 290, 460, 330};
    const auto started = std::chrono::steady_clock::now();
    Image over;
    do {
        pause(250);
        over = frame();
    } while (over.count(isDrawn, statusLine) > 0 &&
             std::chrono::steady_clock::now() - started < milliseconds(60'000));
    ASSERT_EQ(over.count(isDrawn, statusLine), 0) << "the idle ship is struck about 22 s in";
    EXPECT_GT(over.count(isWhite, gameOverText), 50);

    pause(300);
    const Image later = frame();
    EXPECT_NE(later.pixels, over.pixels);  // the asteroids drift on
    EXPECT_EQ(later.count(isDrawn, statusLine), 0);
}

TEST_F(Program, ClosingTheWindowEndsTheProcessCleanly) {
    x.requestClose(window);
    EXPECT_EQ(game.waitForExit(milliseconds(10'000)), 0);
}

}  // namespace
