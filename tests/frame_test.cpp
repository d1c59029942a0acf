#include <gtest/gtest.h>

#include <GL/glx.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/game_window.h"
#include "render/glut.h"
#include "render/scene.h"
#include "virtual_display.h"
#include "world/world.h"
#include "x_session.h"

// Frames drawn by displayScene into the game's real window on a private X server, read back as
// pixels and checked as a player would see them.

namespace {

// The 50 by 50 field stretched over the 720 by 640 window.
int pixelX(double x) { return static_cast<int>(std::lround(x * 720 / 50)); }
int pixelY(double y) { return static_cast<int>(std::lround(640 - y * 640 / 50)); }

// A square of pixels around a point of the field, `units` field units out on each side.
Rect around(double x, double y, double units) {
    return {pixelX(x - units), pixelY(y + units), pixelX(x + units) + 1, pixelY(y - units) + 1};
}

const Rect statusLine{0, 0, 720, 40};
const Rect remainingDigit{184, 5, 205, 35};
const Rect gameOverText{pixelX(20) - 4, pixelY(25) - 24, pixelX(20) + 160, pixelY(25) + 8};

class Frame : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        display = std::make_unique<VirtualDisplay>();
        setenv("DISPLAY", display->name().c_str(), 1);
        int argc = 1;
        char name[] = "frame_tests";
        char* argv[] = {name, nullptr};
        createWorld(world);  // the window may be drawn as soon as it shows
        openGameWindow(argc, argv);
        x = std::make_unique<XSession>(display->name());
        do {
            glutMainLoopEvent();  // lets GLUT map the window
            window = x->waitForWindow("Bexum Asteroids Game", std::chrono::milliseconds(50));
        } while (window == 0);
    }
    static void TearDownTestSuite() {
        glutExit();  // lets go of the X server before it stops
        x.reset();
        display.reset();
    }

    // A world in play, with the ship at the middle of the lower left quarter and every asteroid
    // parked in the upper right one.
    void SetUp() override {
        world = World{};
        createWorld(world);
        world.ship->x = world.bullet->x = 12;
        world.ship->y = world.bullet->y = 12;
        for (int i = 0; i < asteroidCount; ++i) {
            world.asteroids[i]->x = 30.0F + 3.0F * static_cast<float>(i);
            world.asteroids[i]->y = 35;
        }
    }

    static Image drawFrame() {
        displayScene();
        glFinish();
        XSync(glXGetCurrentDisplay(), False);  // the frame is on the server before we read it
        return x->capture(window);
    }

    static inline std::unique_ptr<VirtualDisplay> display;
    static inline std::unique_ptr<XSession> x;
    static inline Window window = 0;
};

TEST_F(Frame, FieldColourEverywhereNothingIsDrawn) {
    const Image frame = drawFrame();
    ASSERT_EQ(frame.width, 720);
    ASSERT_EQ(frame.height, 640);
    std::vector<Rect> shapes = {statusLine, around(12, 12, 2.5)};
    for (const auto& a : world.asteroids) {
        shapes.push_back(around(a->x, a->y, 1.2));
    }
    int drawnElsewhere = 0;
    for (int py = 0; py < frame.height; ++py) {
        for (int px = 0; px < frame.width; ++px) {
            const bool inShape = std::any_of(shapes.begin(), shapes.end(), [&](const Rect& r) {
                return px >= r.left && px < r.right && py >= r.top && py < r.bottom;
            });
            drawnElsewhere += !inShape && isDrawn(frame.at(px, py)) ? 1 : 0;
        }
    }
    EXPECT_EQ(drawnElsewhere, 0);
    EXPECT_GT(frame.count(isField), 720 * 640 * 9 / 10);
}

// The drawn pixel farthest from the ship's centre is its nose, two units out along the heading.
TEST_F(Frame, ShipOutlineIsDrawnAtItsPlaceTurnedByTheHeading) {
    const struct {
        float heading;
        double noseX, noseY;  // field units from the ship's centre
    } cases[] = {{0, 2, 0}, {90, 0, 2}, {180, -2, 0}, {-90, 0, -2}, {45, 1.414, 1.414}};
    for (const auto& c : cases) {
        world.heading = c.heading;
        const Image frame = drawFrame();
        const Rect shipArea = around(12, 12, 2.5);
        ASSERT_GT(frame.count(isWhite, shipArea), 40) << c.heading;
        double farthest = 0, noseX = 0, noseY = 0;
        for (int py = shipArea.top; py < shipArea.bottom; ++py) {
            for (int px = shipArea.left; px < shipArea.right; ++px) {
                const double dx = (px + 0.5) * 50 / 720 - 12;
                const double dy = (640 - py - 0.5) * 50 / 640 - 12;
                if (isDrawn(frame.at(px, py)) && std::hypot(dx, dy) > farthest) {
                    farthest = std::hypot(dx, dy);
                    noseX = dx;
                    noseY = dy;
                }
            }
        }
        EXPECT_NEAR(noseX, c.noseX, 0.25) << c.heading;
        EXPECT_NEAR(noseY, c.noseY, 0.25) << c.heading;
    }
}

TEST_F(Frame, FlameShowsBehindTheShipOnlyWhileThrustIsHeld) {
    for (const bool held : {true, false}) {
        world.thrustHeld = held;  // the ship stands still: the flame follows the key, not the motion
        const Image frame = drawFrame();
        const int red = frame.count(isRed);
        if (held) {
            EXPECT_GT(red, 5);
            const Rect flame = frame.bounds(isRed, frame.whole());
            EXPECT_LT(flame.right, pixelX(12)) << "behind a ship heading along +x";
            EXPECT_GT(flame.left, pixelX(12 - 2));
        } else {
            EXPECT_EQ(red, 0);
        }
    }
}

TEST_F(Frame, ShotPointShowsOnlyWhenFiredAndVisible) {
    const struct {
        bool fired, visible, drawn;
    } cases[] = {{true, true, true}, {true, false, false}, {false, true, false}, {false, false, false}};
    for (const auto& c : cases) {
        world.bullet->x = 20;
        world.bullet->y = 5;
        world.bullet->fired = c.fired;
        world.bullet->visible = c.visible;
        const Image frame = drawFrame();
        const int shot = frame.count(isDrawn, around(20, 5, 0.5));
        EXPECT_EQ(shot > 0, c.drawn) << c.fired << c.visible;
        EXPECT_LE(shot, 16) << "a point three pixels across";
    }
    // A parked shot lies on the ship and is not drawn: the ship's own pixels are all there is.
    world.bullet->fired = world.bullet->visible = false;
    const int shipAlone = drawFrame().count(isDrawn, around(12, 12, 2.5));
    world.bullet->fired = world.bullet->visible = true;
    world.bullet->x = world.bullet->y = 12;
    EXPECT_GT(drawFrame().count(isDrawn, around(12, 12, 2.5)), shipAlone);
}

TEST_F(Frame, OnlyLiveAsteroidsAreDrawn) {
    const bool alive[asteroidCount] = {true, false, true, false, false, true};
    for (int i = 0; i < asteroidCount; ++i) {
        world.asteroids[i]->alive = alive[i];
    }
    const Image frame = drawFrame();
    for (int i = 0; i < asteroidCount; ++i) {
        const int drawn = frame.count(isDrawn, around(world.asteroids[i]->x, 35, 1.2));
        EXPECT_EQ(drawn > 20, alive[i]) << i;
    }
}

TEST_F(Frame, StatusLineShowsADifferentDigitForEachCount) {
    std::vector<std::vector<bool>> digits;
    for (int remaining = 6; remaining >= 1; --remaining) {
        world.asteroidsRemaining = remaining;
        const Image frame = drawFrame();
        EXPECT_GT(frame.count(isWhite, {10, 5, 180, 35}), 100) << "the label";
        std::vector<bool> digit;
        for (int py = remainingDigit.top; py < remainingDigit.bottom; ++py) {
            for (int px = remainingDigit.left; px < remainingDigit.right; ++px) {
                digit.push_back(isDrawn(frame.at(px, py)));
            }
        }
        EXPECT_GT(std::count(digit.begin(), digit.end(), true), 10) << remaining;
        for (const auto& earlier : digits) {
            EXPECT_NE(digit, earlier) << remaining;
        }
        digits.push_back(digit);
    }
}

TEST_F(Frame, GameOverReplacesStatusShipAndShotWhileLiveAsteroidsStay) {
    const struct {
        bool shipAlive;
        int remaining;
    } cases[] = {{false, 3}, {true, 0}};
    for (const auto& c : cases) {
        world.ship->alive = c.shipAlive;
        world.asteroidsRemaining = c.remaining;
        world.asteroids[2]->alive = false;
        world.bullet->x = 20;
        world.bullet->y = 5;
        world.bullet->fired = world.bullet->visible = true;
        world.thrustHeld = true;
        const Image frame = drawFrame();
        EXPECT_EQ(frame.count(isDrawn, statusLine), 0);
        EXPECT_EQ(frame.count(isDrawn, around(12, 12, 2.5)), 0) << "no ship";
        EXPECT_EQ(frame.count(isDrawn, around(20, 5, 0.5)), 0) << "no shot";
        const Rect text = frame.bounds(isWhite, gameOverText);
        EXPECT_NEAR(text.left, pixelX(20), 4);
        EXPECT_NEAR(text.bottom, pixelY(25), 4) << "written from halfway up";
        EXPECT_GT(text.right - text.left, 80) << "nine letters of 18-point text";
        EXPECT_GT(frame.count(isDrawn, around(30, 35, 1.2)), 20) << "a live asteroid";
        EXPECT_EQ(frame.count(isDrawn, around(36, 35, 1.2)), 0) << "a destroyed one";
    }
}

}  // namespace
