#include <gtest/gtest.h>

#include <GL/glx.h>

#include <cmath>
#include <iomanip>
#include <memory>
#include <sstream>

#include "app/game_window.h"
#include "app/pacing.h"
#include "display.h"
#include "fake_clocks.h"
#include "input/keyboard.h"
#include "page.h"
#include "render/glut.h"
#include "render/scene.h"
#include "world/update.h"
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

class Frame : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        display = std::make_unique<VirtualDisplay>();
        // Named on the command line, as GLUT takes it: a browser the tests open keeps the display it has.
        std::string name = "frame_tests", option = "-display", server = display->name();
        int argc = 3;
        char* argv[] = {name.data(), option.data(), server.data(), nullptr};
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

// A whole game on the page's own layout, which musl, the page's C library, lays out with its unseeded
// `rand` (seed = 6364136223846793005 seed + 1, the top 31 bits); keys after given steps; the frames
// compared at given steps. Two hits, a miss, thrust, and the ship struck at step 589.
std::uint64_t muslSeed = 0;
int muslRand() {
    muslSeed = 6364136223846793005U * muslSeed + 1;
    return static_cast<int>(muslSeed >> 33);
}
void layOutAsThePageDoes(World& w) {
    muslSeed = 0;
    for (auto& a : w.asteroids) {
        a->speed = static_cast<float>(muslRand() % 15 - 5);
        muslRand();
        a->x = static_cast<float>(muslRand() % 50 - 1);
        a->y = static_cast<float>(muslRand() % 50 - 1);
    }
}
struct SessionKey {
    int afterStep;
    const char* key;
    bool down;
};
constexpr SessionKey sessionKeys[] = {{1, "Left", true},    {3, "Left", false},    {70, "space", true},
                                      {71, "space", false}, {150, "space", true},  {151, "space", false},
                                      {221, "space", true}, {222, "space", false}, {260, "Up", true},
                                      {290, "Up", false}};
constexpr std::pair<int, const char*> moments[] = {
    {60, "turned, before the first shot"}, {80, "the first shot in flight"}, {95, "after the first hit"},
    {160, "a shot in flight that misses"}, {230, "after the second hit"},    {275, "thrusting"},
    {600, "the ship struck: GAME OVER"}};

// What GLUT hands the rules for a key: space to keyPressed on its press alone.
void pressOnTheRules(const SessionKey& k) {
    if (std::string_view(k.key) == "space") {
        if (k.down) {
            keyPressed(world, fireKey);
        }
        return;
    }
    const int code = std::string_view(k.key) == "Left" ? keyLeft : keyUp;
    k.down ? specialKeyDown(world, code) : specialKeyUp(world, code);
}

// Each CSS pixel of the page's canvas, as the mean of its device pixels.
Image cssPixels(const Image& device, int ratio) {
    Image css{device.width / ratio, device.height / ratio, {}};
    css.pixels.resize(static_cast<std::size_t>(css.width) * static_cast<std::size_t>(css.height));
    css.forEach({0, 0, css.width, css.height}, [&](int cx, int cy) {
        int r = 0, g = 0, b = 0;
        device.forEach({cx * ratio, cy * ratio, (cx + 1) * ratio, (cy + 1) * ratio}, [&](int dx, int dy) {
            r += device.at(dx, dy).r, g += device.at(dx, dy).g, b += device.at(dx, dy).b;
        });
        const int n = ratio * ratio;
        css.pixels[css.indexOf(cx, cy)] = {static_cast<std::uint8_t>(r / n), static_cast<std::uint8_t>(g / n),
                                           static_cast<std::uint8_t>(b / n)};
    });
    return css;
}

// The pixels clearly drawn in `a` (a sixth or more of the way from the field to white or red) with no
// such pixel within a pixel of them in `b`: where the two draw differently, antialiasing aside, and
// the frame's outermost pixels, where each cuts a line that leaves the field in its own way.
std::vector<std::pair<int, int>> strays(const Image& a, const Image& b) {
    const auto ink = [](Rgb p) {
        return std::max({std::abs(p.r - 26), std::abs(p.g - 145), std::abs(p.b - 204)}) >= 40;
    };
    std::vector<std::pair<int, int>> found;
    a.forEach({1, 1, a.width - 1, a.height - 1}, [&](int x, int y) {
        if (ink(a.at(x, y)) && b.count(ink, {x - 1, y - 1, x + 2, y + 2}) == 0) {
            found.emplace_back(x, y);
        }
    });
    return found;
}

// The page draws what the window draws, moment by moment through a whole game played with real keys
// on both, the page's clocks moved by the test as the rules' are here: every outline within a pixel,
// the words pixel for pixel wherever the window's show exactly as GLUT writes them, and the shot as
// large. The clock moves in jumps of many steps, which a page shown after a spell hidden makes too: a
// page that ran them as one long step would put the asteroids elsewhere. On screens of one and of
// two device pixels to a CSS pixel (WebKit's MiniBrowser has no setting for it), in CSS pixels.
TEST_F(Frame, ThePageDrawsWhatTheWindowDrawsThroughAWholeGame) {
    if (std::getenv("ASTEROIDS_PAGE") == nullptr) {
        GTEST_SKIP() << "ASTEROIDS_PAGE names no page";
    }
    for (const int ratio : browserEngine() == "webkit" ? std::vector{1} : std::vector{1, 2}) {
        SCOPED_TRACE("device pixels to a CSS pixel: " + std::to_string(ratio));
        PageSession page("--fake-clock --ratio " + std::to_string(ratio));
        const auto atStep = [](int n) {
            std::ostringstream ms;
            ms << std::setprecision(17) << n * 1000.0 / 60;  // as the page computes it: to the last bit
            return ms.str();
        };
        world = World{};
        createWorld(world);
        layOutAsThePageDoes(world);
        FakeClocks clocks;
        int step = 0;
        const auto playTo = [&](int last) {
            for (; step <= last; ++step) {
                clocks.setNowMs(std::chrono::duration_cast<milliseconds>(step * stepPeriod).count());
                updateWorld(world);
            }
        };
        const SessionKey* next = std::begin(sessionKeys);
        for (const auto& [moment, what] : moments) {
            for (; next != std::end(sessionKeys) && next->afterStep < moment; ++next) {
                playTo(next->afterStep);
                page.js("testHooks.advanceTo(" + atStep(next->afterStep) + ")");
                clocks.setNowMs(next->afterStep * 1000 / 60);
                page.key(next->key, next->down);
                pressOnTheRules(*next);
            }
            playTo(moment);
            SCOPED_TRACE(std::string("step ") + std::to_string(moment) + ": " + what);
            const Image onWindow = drawFrame();
            const Image css = cssPixels(page.frameAt(atStep(moment)), ratio);
            ASSERT_EQ(css.width, 720);
            ASSERT_EQ(css.height, 640);
            for (const auto& [a, b, which] :
                 {std::tuple(&onWindow, &css, "the window's"), std::tuple(&css, &onWindow, "the page's")}) {
                const auto found = strays(*a, *b);
                EXPECT_TRUE(found.empty())
                    << found.size() << " of " << which
                    << " drawn pixels have none within a pixel in the other, the first at "
                    << found.front().first << ", " << found.front().second;
            }
            const std::string digit(1, static_cast<char>('0' + world.asteroidsRemaining));
            const Image text = gameOver(world)
                                   ? words({{20, 25, "GAME OVER"}})
                                   : words({{1, 48, "Asteroids remaining: "}, {13, 48, digit.c_str()}});
            const Rect line = gameOver(world) ? gameOverLine : statusLine;
            if (differences(onWindow, text, line) == 0) {
                EXPECT_EQ(differences(css, text, line), 0) << "pixels unlike the window's words";
            }
            if (world.bullet->fired) {
                const Rect shot = around(world.bullet->x, world.bullet->y, 0.5);
                EXPECT_NEAR(css.whiteArea(shot), 8, 1.5)
                    << "CSS pixels of white: a shot three CSS pixels across";
            }
        }
        EXPECT_TRUE(gameOver(world)) << "the session ends in GAME OVER";
    }
}

}  // namespace
