#include <gtest/gtest.h>

#include <GL/glx.h>

#include <cmath>
#include <memory>
#include <string_view>
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

const char* const title = "Bexum Asteroids Game";

// The 50 by 50 field stretched over the 720 by 640 window.
int pixelX(double x) { return static_cast<int>(std::lround(x * 720 / 50)); }
int pixelY(double y) { return static_cast<int>(std::lround(640 - y * 640 / 50)); }

// The pixels within `units` field units of a point of the field.
Rect around(double x, double y, double units) {
    return {pixelX(x - units), pixelY(y + units), pixelX(x + units) + 1, pixelY(y - units) + 1};
}

const Rect statusLine{0, 0, 720, 40};
const Rect gameOverLine{0, 250, 720, 340};

// Which pixels of an area are drawn over the field.
std::vector<bool> drawnIn(const Image& frame, Rect area) {
    std::vector<bool> drawn;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            drawn.push_back(isDrawn(frame.at(x, y)));
        }
    }
    return drawn;
}

struct Text {
    int x, y;  // the raster position, in field units
    std::string_view text;
};

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
        // GLUT maps the window while it handles its first events.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (window == 0 && std::chrono::steady_clock::now() < deadline) {
            glutMainLoopEvent();
            window = x->waitForWindow(title, std::chrono::milliseconds(20));
        }
    }
    static void TearDownTestSuite() {
        glutExit();  // lets go of the X server before it stops
        x.reset();
        display.reset();
    }

    // A world in play, with the ship in the middle of the lower left quarter and every asteroid
    // in the upper right one.
    void SetUp() override {
        ASSERT_NE(window, 0U) << "no window titled \"" << title << "\" within 10 s";
        world = World{};
        createWorld(world);
        world.ship->x = world.bullet->x = 12;
        world.ship->y = world.bullet->y = 12;
        for (std::size_t i = 0; i < world.asteroids.size(); ++i) {
            world.asteroids[i]->x = 30.0F + 3.0F * static_cast<float>(i);
            world.asteroids[i]->y = 35;
        }
    }

    static Image shown() {
        glFinish();
        XSync(glXGetCurrentDisplay(), False);  // the frame is on the server before it is read
        return x->capture(window);
    }
    static Image drawFrame() {
        displayScene();
        return shown();
    }
    // The texts as GLUT's 18-point Helvetica draws them in white on a cleared frame: the game's
    // own font, with the test's own words.
    static Image textAlone(std::initializer_list<Text> texts) {
        glClear(GL_COLOR_BUFFER_BIT);
        glLoadIdentity();
        glColor3f(1, 1, 1);
        for (const Text& t : texts) {
            glRasterPos2i(t.x, t.y);
            for (const char c : t.text) {
                glutBitmapCharacter(GLUT_BITMAP_HELVETICA_18, c);
            }
        }
        glutSwapBuffers();
        return shown();
    }

    static inline std::unique_ptr<VirtualDisplay> display;
    static inline std::unique_ptr<XSession> x;
    static inline Window window = 0;
};

TEST_F(Frame, WhiteOutlinesOnTheFieldColourAndNothingElse) {
    Image frame = drawFrame();
    ASSERT_EQ(frame.width, 720);
    ASSERT_EQ(frame.height, 640);
    std::vector<Rect> shapes = {statusLine, around(12, 12, 2.5)};
    for (const auto& a : world.asteroids) {
        shapes.push_back(around(a->x, a->y, 1.2));
        EXPECT_GT(frame.count(isWhite, shapes.back()), 20) << "a white asteroid at " << a->x;
    }
    EXPECT_GT(frame.count(isWhite, shapes[1]), 40) << "the white ship";
    for (const Rect& r : shapes) {
        for (int py = r.top; py < r.bottom; ++py) {
            for (int px = r.left; px < r.right; ++px) {
                frame.pixels[frame.indexOf(px, py)] = {26, 145, 204};
            }
        }
    }
    EXPECT_EQ(frame.count(isField), 720 * 640) << "the field colour everywhere else";
}

// The drawn pixel farthest from the ship's centre is its nose, two units out along the heading.
TEST_F(Frame, ShipOutlineIsTurnedByTheHeading) {
    const struct {
        float heading;
        double noseX, noseY;  // field units from the ship's centre
    } cases[] = {{0, 2, 0}, {90, 0, 2}, {180, -2, 0}, {-90, 0, -2}, {45, 1.414, 1.414}};
    for (const auto& c : cases) {
        world.heading = c.heading;
        const Image frame = drawFrame();
        const Rect shipArea = around(12, 12, 2.5);
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

TEST_F(Frame, RedFlameBehindTheShipOnlyWhileThrustIsHeld) {
    for (const bool held : {true, false}) {
        world.thrustHeld = held;  // the ship stands still: the flame follows the key, not the motion
        const Image frame = drawFrame();
        EXPECT_EQ(frame.count(isRed) > 5, held);
        EXPECT_EQ(frame.count([](Rgb p) { return p.r > 200 && p.g < 50 && p.b < 60; }) > 0, held)
            << "pure red";
        if (held) {
            const Rect flame = frame.bounds(isRed, frame.whole());
            EXPECT_LT(flame.right, pixelX(12)) << "behind a ship heading along +x";
            EXPECT_GT(flame.left, pixelX(12 - 2));
        }
    }
}

// A shot parked on the ship is neither fired nor visible.
TEST_F(Frame, ShotIsAWhitePointOnlyWhenFiredAndVisible) {
    const struct {
        bool fired, visible, drawn;
    } cases[] = {{true, true, true}, {true, false, false}, {false, true, false}, {false, false, false}};
    world.bullet->x = 20;
    world.bullet->y = 5;
    for (const auto& c : cases) {
        world.bullet->fired = c.fired;
        world.bullet->visible = c.visible;
        const Image frame = drawFrame();
        EXPECT_EQ(frame.count(isWhite, around(20, 5, 0.1)) > 0, c.drawn) << c.fired << c.visible;
        EXPECT_LE(frame.count(isDrawn, around(20, 5, 0.5)), 16) << "a point three pixels across";
    }
}

TEST_F(Frame, OnlyLiveAsteroidsAreDrawn) {
    const bool alive[asteroidCount] = {true, false, true, false, false, true};
    for (std::size_t i = 0; i < world.asteroids.size(); ++i) {
        world.asteroids[i]->alive = alive[i];
    }
    const Image frame = drawFrame();
    for (std::size_t i = 0; i < world.asteroids.size(); ++i) {
        EXPECT_EQ(frame.count(isDrawn, around(world.asteroids[i]->x, 35, 1.2)) > 0, alive[i]) << i;
    }
}

TEST_F(Frame, StatusLineCountsTheAsteroidsRemaining) {
    for (int remaining = 6; remaining >= 1; --remaining) {
        world.asteroidsRemaining = remaining;
        const char digit[] = {static_cast<char>('0' + remaining), '\0'};
        const Image expected = textAlone({{1, 48, "Asteroids remaining: "}, {13, 48, digit}});
        EXPECT_EQ(drawnIn(drawFrame(), statusLine), drawnIn(expected, statusLine))
            << "\"Asteroids remaining: \" at (1, 48) and " << digit << " at (13, 48)";
    }
}

// Won or lost, the same words replace the status line, the ship and the shot; the asteroids left
// go on being drawn.
TEST_F(Frame, GameOverReplacesStatusShipAndShot) {
    const Image expected = textAlone({{20, 25, "GAME OVER"}});
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
        EXPECT_EQ(drawnIn(frame, gameOverLine), drawnIn(expected, gameOverLine))
            << "\"GAME OVER\" at (20, 25)";
        EXPECT_EQ(frame.count(isDrawn, statusLine), 0);
        EXPECT_EQ(frame.count(isDrawn, around(12, 12, 2.5)), 0) << "no ship";
        EXPECT_EQ(frame.count(isDrawn, around(20, 5, 0.5)), 0) << "no shot";
        EXPECT_GT(frame.count(isDrawn, around(30, 35, 1.2)), 20) << "a live asteroid";
        EXPECT_EQ(frame.count(isDrawn, around(36, 35, 1.2)), 0) << "a destroyed one";
    }
}

}  // namespace
