#include <gtest/gtest.h>

#include <GL/glx.h>

#include <cmath>
#include <memory>

#include "app/game_window.h"
#include "display.h"
#include "page.h"
#include "render/glut.h"
#include "render/scene.h"
#include "world/world.h"

// Frames drawn by displayScene into the game's real window on a private X server, read back as
// pixels and checked as a player would see them.

namespace {

// The pixels within `units` field units of a point of the 50 by 50 field, which the 720 by 640
// window stretches.
Rect around(double x, double y, double units) {
    const auto px = [](double fx) { return static_cast<int>(std::lround(fx * 720 / 50)); };
    const auto py = [](double fy) { return static_cast<int>(std::lround(640 - fy * 640 / 50)); };
    return {px(x - units), py(y + units), px(x + units) + 1, py(y - units) + 1};
}

const Rect statusLine{0, 0, 720, 40};
const Rect gameOverLine{0, 250, 720, 340};

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
        for (const auto until = Clock::now() + milliseconds(10'000); window == 0 && Clock::now() < until;) {
            glutMainLoopEvent();
            window = x->waitForWindow("Bexum Asteroids Game", milliseconds(20));
        }
    }
    static void TearDownTestSuite() {
        glutExit();  // lets go of the X server before it stops
        x.reset();
        display.reset();
    }

    // A world in play: the ship at (12, 12) heading 45 degrees and thrusting, its shot at (20.3, 5.3)
    // (off the pixels' corners, where a point's edges would fall on the pixels' centres),
    // four asteroids left, and the asteroids in a row at the top right, every other one destroyed.
    void SetUp() override {
        ASSERT_NE(window, 0U) << "no window titled \"Bexum Asteroids Game\" within 10 s";
        world = World{};
        createWorld(world);
        world.ship->x = world.ship->y = 12;
        world.heading = 45;
        world.thrustHeld = world.bullet->fired = world.bullet->visible = true;
        world.bullet->x = 20.3F;
        world.bullet->y = 5.3F;
        world.asteroidsRemaining = 4;
        for (std::size_t i = 0; i < world.asteroids.size(); ++i) {
            world.asteroids[i]->x = 30.0F + 3.0F * static_cast<float>(i);
            world.asteroids[i]->y = 35;
            world.asteroids[i]->alive = i % 2 == 0;
        }
    }

    static Image drawFrame(bool scene = true) {
        scene ? displayScene() : glutSwapBuffers();
        glFinish();
        XSync(glXGetCurrentDisplay(), False);  // the frame is on the server before it is read
        return x->capture(window);
    }

    // A frame with only the words given, drawn in white at raster positions of the field with
    // GLUT's 18-point Helvetica: the game's font, the test's words.
    static Image words(std::initializer_list<std::tuple<int, int, const char*>> texts) {
        glClear(GL_COLOR_BUFFER_BIT);
        glColor3f(1, 1, 1);
        for (const auto& [fieldX, fieldY, text] : texts) {
            glRasterPos2i(fieldX, fieldY);
            for (const char* c = text; *c != '\0'; ++c) {
                glutBitmapCharacter(GLUT_BITMAP_HELVETICA_18, *c);
            }
        }
        return drawFrame(false);
    }
    static int differences(const Image& a, const Image& b, Rect area) {
        int n = 0;
        a.forEach(area, [&](int px, int py) { n += a.at(px, py) == b.at(px, py) ? 0 : 1; });
        return n;
    }

    static inline std::unique_ptr<VirtualDisplay> display;
    static inline std::unique_ptr<XSession> x;
    static inline Window window = 0;
};

TEST_F(Frame, PlayShowsTheCountTheShipItsFlameTheShotAndTheLiveAsteroidsOnTheField) {
    Image frame = drawFrame();
    // Smoothed lines and points reach their full colour only here and there.
    const auto fullWhite = [](Rgb p) { return p.r > 240 && p.g > 240 && p.b > 240; };
    EXPECT_GT(frame.count(fullWhite, around(12, 12, 2.5)), 0) << "the white ship";
    // The nose is the drawn pixel farthest from the ship's centre, two units out along the heading.
    double farthest = 0, noseX = 0, noseY = 0;
    frame.forEach(around(12, 12, 2.5), [&](int px, int py) {
        const double dx = (px + 0.5) * 50 / 720 - 12, dy = (640 - py - 0.5) * 50 / 640 - 12;
        if (isWhite(frame.at(px, py)) && std::hypot(dx, dy) > farthest) {
            std::tie(farthest, noseX, noseY) = std::tuple(std::hypot(dx, dy), dx, dy);
        }
    });
    EXPECT_NEAR(noseX, std::sqrt(2), 0.25);
    EXPECT_NEAR(noseY, std::sqrt(2), 0.25);
    const Rect flame = around(12 - 0.9, 12 - 0.9, 0.9);  // behind the ship
    EXPECT_GT(frame.count(isRed, flame), 5);
    EXPECT_EQ(frame.count(isRed), frame.count(isRed, flame)) << "red only behind the ship";
    EXPECT_GT(frame.count([](Rgb p) { return p.r > 200 && p.g < 50 && p.b < 60; }, flame), 0) << "pure red";
    EXPECT_GT(frame.count(fullWhite, around(20.3, 5.3, 0.1)), 0) << "the white shot";
    EXPECT_NEAR(frame.whiteArea(around(20.3, 5.3, 0.5)), 8, 1.5) << "a point three pixels across, smoothed";
    std::vector<Rect> shown = {statusLine, around(12, 12, 2.5), around(20.3, 5.3, 0.5)};
    for (const auto& a : world.asteroids) {
        const Rect at = around(a->x, a->y, 1.2);
        EXPECT_EQ(frame.count(fullWhite, at) > 0, a->alive) << "asteroid at " << a->x;
        shown.push_back(at);
    }
    for (const Rect& r : shown) {
        frame.forEach(r, [&](int px, int py) { frame.pixels[frame.indexOf(px, py)] = {26, 145, 204}; });
    }
    EXPECT_EQ(frame.count([](Rgb p) {
        return p == Rgb{26, 145, 204};
    }),
              720 * 640)
        << "the field colour (0.1, 0.57, 0.8) everywhere else";
}

TEST_F(Frame, StatusLineCountsEveryNumberOfAsteroidsRemaining) {
    for (const char* digit : {"6", "5", "4", "3", "2", "1"}) {
        world.asteroidsRemaining = digit[0] - '0';
        const Image frame = drawFrame();
        EXPECT_EQ(differences(frame, words({{1, 48, "Asteroids remaining: "}, {13, 48, digit}}), statusLine),
                  0)
            << "pixels unlike \"Asteroids remaining: " << digit << "\"";
    }
}

// Won or lost, the same words replace the count, the ship and the shot; the asteroids left go on
// being drawn.
TEST_F(Frame, GameOverReplacesTheCountTheShipAndTheShot) {
    const Image gameOver = words({{20, 25, "GAME OVER"}});
    for (const bool shipStruck : {true, false}) {
        world.ship->alive = !shipStruck;
        world.asteroidsRemaining = shipStruck ? 3 : 0;
        const Image frame = drawFrame();
        EXPECT_EQ(differences(frame, gameOver, gameOverLine), 0) << "pixels unlike \"GAME OVER\" at (20, 25)";
        EXPECT_EQ(frame.count(isDrawn, statusLine), 0);
        EXPECT_EQ(frame.count(isDrawn, around(12, 12, 2.5)), 0) << "no ship";
        EXPECT_EQ(frame.count(isDrawn, around(20.3, 5.3, 0.5)), 0) << "no shot";
        EXPECT_GT(frame.count(isDrawn, around(30, 35, 1.2)), 20) << "a live asteroid";
        EXPECT_EQ(frame.count(isDrawn, around(33, 35, 1.2)), 0) << "a destroyed one";
    }
}

// The page in Chromium draws what the window draws: the status line and "GAME OVER", pixel for
// pixel; on a screen of two device pixels to a CSS pixel, the same words in the same CSS pixels,
// and a shot three CSS pixels across.
TEST_F(Frame, ThePageWritesTheWindowsWordsPixelForPixelAndFiresAShotOfTheSameSize) {
    if (std::getenv("ASTEROIDS_PAGE") == nullptr) {
        GTEST_SKIP() << "ASTEROIDS_PAGE names no page";
    }
    const Image status = words({{1, 48, "Asteroids remaining: "}, {13, 48, "6"}});
    const Image gameOver = words({{20, 25, "GAME OVER"}});
    // Each CSS pixel of the page's canvas, as the mean of its device pixels.
    const auto cssPixels = [](const Image& device, int ratio) {
        Image css{device.width / ratio, device.height / ratio, {}};
        css.pixels.resize(static_cast<std::size_t>(css.width) * static_cast<std::size_t>(css.height));
        css.forEach({0, 0, css.width, css.height}, [&](int cx, int cy) {
            int r = 0, g = 0, b = 0;
            device.forEach({cx * ratio, cy * ratio, (cx + 1) * ratio, (cy + 1) * ratio}, [&](int dx, int dy) {
                r += device.at(dx, dy).r, g += device.at(dx, dy).g, b += device.at(dx, dy).b;
            });
            const int n = ratio * ratio;
            css.pixels[css.indexOf(cx, cy)] = {static_cast<std::uint8_t>(r / n),
                                               static_cast<std::uint8_t>(g / n),
                                               static_cast<std::uint8_t>(b / n)};
        });
        return css;
    };
    // The words' own box and a pixel round it; the asteroids that drift across it are waited out.
    const auto shows = [&](PageSession& page, int ratio, const Image& expected, milliseconds patience) {
        const auto inked = expected.blobs(isDrawn, {0, 0, 720, 640});
        Rect box{720, 640, 0, 0};
        for (const Blob& b : inked) {
            box = {std::min(box.left, b.bounds.left - 1), std::min(box.top, b.bounds.top - 1),
                   std::max(box.right, b.bounds.right + 1), std::max(box.bottom, b.bounds.bottom + 1)};
        }
        for (const auto deadline = Clock::now() + patience; Clock::now() < deadline;) {
            if (differences(cssPixels(page.frame(), ratio), expected, box) == 0) {
                return true;
            }
            std::this_thread::sleep_for(milliseconds(100));
        }
        return false;
    };
    {
        PageSession crisp("--ratio 2");
        const Image device = crisp.frame();
        EXPECT_EQ(device.width, 1440);
        EXPECT_EQ(device.height, 1280);
        EXPECT_TRUE(shows(crisp, 2, status, milliseconds(10'000)))
            << "pixels unlike the window's status line";
        crisp.key("space", true);
        double shot = 0;
        for (const auto until = Clock::now() + milliseconds(2'000); shot == 0 && Clock::now() < until;) {
            const Image css = cssPixels(crisp.frame(), 2);
            for (const Blob& b : css.blobs(isDrawn, {100, 40, 714, 634})) {
                if (b.bounds.right - b.bounds.left <= 6 && b.bounds.bottom - b.bounds.top <= 6 &&
                    css.count(isWhite, b.bounds) > 0) {
                    shot = css.whiteArea(
                        {b.bounds.left - 1, b.bounds.top - 1, b.bounds.right + 1, b.bounds.bottom + 1});
                }
            }
        }
        crisp.key("space", false);
        EXPECT_NEAR(shot, 8, 1.5) << "CSS pixels of white: a shot three CSS pixels across";
    }
    PageSession page;
    EXPECT_TRUE(shows(page, 1, status, milliseconds(10'000))) << "pixels unlike the window's status line";
    // A second's thrust sends the ship along its row, round and round the field, a unit a step,
    // until an asteroid drifting across the row strikes it: in seconds.
    page.key("Up", true);
    std::this_thread::sleep_for(milliseconds(1'000));
    page.key("Up", false);
    EXPECT_TRUE(shows(page, 1, gameOver, milliseconds(60'000))) << "pixels unlike the window's \"GAME OVER\"";
}

}  // namespace
