#include <gtest/gtest.h>

#include <GL/glx.h>

#include <cmath>
#include <iomanip>
#include <memory>
#include <numbers>
#include <sstream>

#include "app/callbacks.h"
#include "app/game_window.h"
#include "app/pacing.h"
#include "display.h"
#include "fake_clocks.h"
#include "input/keyboard.h"
#include "page.h"
#include "render/glut.h"
#include "render/opengl.h"
#include "render/picture.h"
#include "render/scene.h"
#include "virtual_pad.h"
#include "world/update.h"
#include "world/world.h"

// Frames drawn by displayScene into the game's real window on a private X server, read back as
// pixels, through a whole game played on the rules: each judged whole against what the world
// holds; and again in the window resized to other sizes. With ASTEROIDS_PAGE naming the browser
// build's folder, the same game is played with real keys on the page in a browser engine, on screens
// of every size. Each frame at another size, scaled back to the window's, is compared with the
// window's.

namespace {

// The pixels within `units` field units of a point of the 50 by 50 field, which the 720 by 640
// window stretches.
Rect around(double x, double y, double units) {
    const auto px = [](double fx) { return static_cast<int>(std::lround(fx * 720 / 50)); };
    const auto py = [](double fy) { return static_cast<int>(std::lround(640 - fy * 640 / 50)); };
    return {px(x - units), py(y + units), px(x + units) + 1, py(y - units) + 1};
}

// The pixels of an area that differ between two frames, but in the areas given.
int unlike(const Image& a, const Image& b, Rect area, const std::vector<Rect>& but) {
    int n = 0;
    a.forEach(area, [&](int x, int y) {
        const auto in = [&](Rect r) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; };
        n += a.at(x, y) == b.at(x, y) || std::any_of(but.begin(), but.end(), in) ? 0 : 1;
    });
    return n;
}

// The game on the page's own layout, which musl, the page's C library, lays out with its unseeded
// `rand` (seed = 6364136223846793005 seed + 1, the top 31 bits); keys after given steps, and the
// moments looked at. A turn, two hits, a miss, thrust, and the ship struck at step 442.
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
constexpr SessionKey sessionKeys[] = {{1, "Left", true},    {4, "Left", false},    {70, "space", true},
                                      {71, "space", false}, {150, "space", true},  {151, "space", false},
                                      {221, "space", true}, {222, "space", false}, {260, "Up", true},
                                      {290, "Up", false}};
// The moments looked at: a step, and the milliseconds after it.
constexpr std::tuple<int, double, const char*> moments[] = {
    {1, 12, "turning, from Left's press after the step"},
    {60, 0, "turned, before the first shot"},
    {80, 10, "the first shot in flight"},
    {88, 10, "the first shot a step before it hits"},
    {89, 10, "the first hit: the shot where it hit"},
    {160, 10, "a shot in flight that misses"},
    {174, 10, "the missed shot's last step"},
    {175, 10, "the missed shot parked"},
    {180, 12, "an asteroid across the field's right edge"},
    {230, 0, "after the second hit"},
    {275, 10, "thrusting"},
    {418, 10, "the ship across the field's right edge"},
    {441, 10, "a step before the ship is struck"},
    {442, 10, "the ship struck: GAME OVER"}};

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

// Where the world's motions carry what moves, in straight lines, `ms` after its last step: each
// asteroid drifts 0.0004 units a millisecond for each unit of its speed along its diagonal; while the
// ship lives, it coasts at its velocity and turns 0.4 degrees a millisecond that a turn key has been
// held since the step, or since its press, and a shot that flew in the step and has hit nothing flies
// on along that heading, 1.5 units a sixtieth of a second. The ship and the asteroids wrap.
Moment straightOn(const World& w, double ms) {
    const auto wrapped = [](double v) { return static_cast<float>(v - 50 * std::floor(v / 50)); };
    Moment at{{w.ship->x, w.ship->y}, w.heading, {w.bullet->x, w.bullet->y}, w.spin, {}};
    for (std::size_t i = 0; i < at.asteroids.size(); ++i) {
        const Asteroid& a = *w.asteroids[i];
        const double drift = a.speed * 0.0004 * ms;
        at.asteroids[i] = {wrapped(a.x + a.directionX * drift), wrapped(a.y + a.directionY * drift)};
    }
    if (w.ship->alive) {
        const auto turn = [&](std::int32_t held, std::int32_t stampMs) {
            return held != 0 ? 0.4 * std::max(0.0, ms - (stampMs - w.lastUpdateMs)) : 0.0;
        };
        at.heading = static_cast<float>(w.heading + turn(w.leftHeld, w.leftStampMs) -
                                        turn(w.rightHeld, w.rightStampMs));
        at.ship = {wrapped(w.ship->x + w.velocityX * ms), wrapped(w.ship->y + w.velocityY * ms)};
        if (w.bullet->fired && w.bullet->armed) {
            const double flight = 1.5 * ms * 60 / 1000, turned = at.heading * std::numbers::pi / 180;
            at.shot = {static_cast<float>(w.bullet->x + flight * std::cos(turned)),
                       static_cast<float>(w.bullet->y + flight * std::sin(turned))};
        }
    }
    return at;
}

// The asteroids' outlines, in a frame of any size, have smoothed edges: those clear of the words.
void expectSmoothOutlines(const Image& frame, const World& w, const Moment& at) {
    const Rect words = gameOver(w) ? gameOverLine : statusLine;
    for (std::size_t i = 0; i < at.asteroids.size(); ++i) {
        const Rect r = around(at.asteroids[i].x, at.asteroids[i].y, 1.2);
        if (w.asteroids[i]->alive && (r.bottom < words.top || r.top > words.bottom)) {
            EXPECT_GT(smoothness(frame, onCanvas(frame, r)), 0.3)
                << "the edges of the asteroid at " << at.asteroids[i].x << ", " << at.asteroids[i].y;
        }
    }
}

// The white of the outlines, the flame and the shot in a frame as the window shows it: everything
// drawn but the words.
double outlineInk(const Image& frame, bool over) {
    return frame.whiteArea({0, statusLine.bottom, frame.width, frame.height}) -
           (over ? frame.whiteArea(gameOverLine) : 0);
}

class Frame : public ::testing::Test {
protected:
    // The window on the X server's second screen: a browser the tests open takes the first.
    static void SetUpTestSuite() {
        std::string name = "frame_tests", option = "-display",
                    screen =
                        std::string(std::getenv("DISPLAY") != nullptr ? std::getenv("DISPLAY") : "") + ".1";
        int argc = 3;
        char* argv[] = {name.data(), option.data(), screen.data(), nullptr};
        createWorld(world);  // the window may be drawn as soon as it shows
        openGameWindow(argc, argv);
        x = std::make_unique<XSession>(screen.c_str());
        // GLUT maps the window while it handles its first events.
        for (const auto until = Clock::now() + milliseconds(10'000); window == 0 && Clock::now() < until;) {
            glutMainLoopEvent();
            window = x->waitForWindow("Bexum Asteroids Game", milliseconds(20));
        }
    }
    static void TearDownTestSuite() {
        glutExit();  // lets go of the X server before it stops
        x.reset();
    }

    // The window's frame of the world `msSinceStep` after its last step, or of what is drawn already.
    static Image drawFrame(std::optional<double> msSinceStep) {
        if (msSinceStep) {
            static Picture picture;
            describeScene(world, *msSinceStep, picture);
            drawPicture(picture);
        }
        glutSwapBuffers();
        glFinish();
        XSync(glXGetCurrentDisplay(), False);  // the frame is on the server before it is read
        return x->capture(window);
    }

    // The frame of the world `msSinceStep` after its last step in the window resized by the window system
    // to `width` by `height`, then 720 by 640 again: GLUT hands the reshape callback the server's notice.
    static Image resizedFrame(int width, int height, double msSinceStep) {
        const auto resize = [](int w, int h) {
            XResizeWindow(x->display(), window, static_cast<unsigned>(w), static_cast<unsigned>(h));
            XSync(x->display(), False);
            XSync(glXGetCurrentDisplay(), False);
            glutMainLoopEvent();
        };
        resize(width, height);
        Image frame = drawFrame(msSinceStep);
        resize(720, 640);
        return frame;
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
        return drawFrame(std::nullopt);
    }

    // The frame shows what the world holds, with what moves where `at` puts it, and nothing else: the
    // status line, or "GAME OVER", as GLUT writes them (where no asteroid crosses them); every live
    // asteroid and no destroyed one; while playing, the white ship placed and turned as `at` has it,
    // its red flame while thrust is held, and the shot, three pixels across, while it flies; the
    // field's colour (0.1, 0.57, 0.8) everywhere else.
    static void expectDrawn(const Image& frame, const World& w, const Moment& at) {
        Image rest = frame;  // what is left once each thing drawn is accounted for
        const auto accountFor = [&](Rect r) {
            rest.forEach(r, [&](int px, int py) { rest.pixels[rest.indexOf(px, py)] = {26, 145, 204}; });
        };
        // Smoothed lines and points reach their full colour only here and there.
        const auto fullWhite = [](Rgb p) { return p.r > 240 && p.g > 240 && p.b > 240; };
        std::vector<Rect> asteroids;
        for (std::size_t i = 0; i < at.asteroids.size(); ++i) {
            if (w.asteroids[i]->alive) {
                asteroids.push_back(around(at.asteroids[i].x, at.asteroids[i].y, 1.2));
                EXPECT_GT(frame.count(fullWhite, asteroids.back()), 0)
                    << "the asteroid at " << at.asteroids[i].x << ", " << at.asteroids[i].y;
            }
        }
        const std::string digit(1, static_cast<char>('0' + w.asteroidsRemaining));
        const Image text = gameOver(w) ? words({{20, 25, "GAME OVER"}})
                                       : words({{1, 48, "Asteroids remaining: "}, {13, 48, digit.c_str()}});
        const Rect line = gameOver(w) ? gameOverLine : statusLine;
        EXPECT_GT(text.count(isWhite, line), 300) << "GLUT's words, to compare with";
        EXPECT_EQ(unlike(frame, text, line, asteroids), 0) << "pixels unlike GLUT's words";
        accountFor(line);
        if (!gameOver(w)) {
            const double heading = at.heading * std::numbers::pi / 180;
            const Rect ship = around(at.ship.x, at.ship.y, 2.5);
            EXPECT_GT(frame.count(fullWhite, ship), 0) << "the white ship";
            const Rect flame =
                around(at.ship.x - 0.9 * std::cos(heading), at.ship.y - 0.9 * std::sin(heading), 0.9);
            EXPECT_EQ(frame.count([](Rgb p) { return p.r > 200 && p.g < 50 && p.b < 60; }, flame) > 0,
                      w.thrustHeld)
                << "the flame, pure red behind the ship";
            // The ship's outline and its flame, placed and turned as `at` has them: what is drawn in the
            // ship's box lies within two pixels of them.
            Picture alone;
            w.ship->draw(alone, at.ship.x, at.ship.y, at.heading, w.thrustHeld);
            for (const Mark& m : alone.marks) {
                const double cosine = std::cos(m.angleDegrees * std::numbers::pi / 180),
                             sine = std::sin(m.angleDegrees * std::numbers::pi / 180);
                const std::size_t n = m.outline.size();
                for (std::size_t i = 0; i < (m.kind == Mark::Kind::lineLoop ? n : n - 1); ++i) {
                    const Vertex a = m.outline[i], b = m.outline[(i + 1) % n];
                    for (double t = 0; t <= 1; t += 0.02) {
                        const double u = a.x + t * (b.x - a.x), v = a.y + t * (b.y - a.y);
                        const auto px = std::lround((m.at.x + u * cosine - v * sine) * 720 / 50),
                                   py = std::lround(640 - (m.at.y + u * sine + v * cosine) * 640 / 50);
                        accountFor({static_cast<int>(px) - 2, static_cast<int>(py) - 2,
                                    static_cast<int>(px) + 3, static_cast<int>(py) + 3});
                    }
                }
            }
            if (w.bullet->fired && w.bullet->visible && at.shot.x > 0.5 && at.shot.x < 49.5 &&
                at.shot.y > 0.5 && at.shot.y < 49.5) {
                const Rect shot = around(at.shot.x, at.shot.y, 0.5);
                EXPECT_NEAR(frame.whiteArea(shot), 8, 1.5) << "a point three pixels across, smoothed";
                accountFor(shot);
            }
        }
        expectSmoothOutlines(frame, w, at);
        for (const Rect& r : asteroids) {
            accountFor(r);
        }
        EXPECT_EQ(rest.count([](Rgb p) { return p == Rgb{26, 145, 204}; }), 720 * 640) << "drawn besides";
    }

    static inline std::unique_ptr<XSession> x;
    static inline Window window = 0;
};

// The screens the game is played on: its window, 720 by 640 and resized by the window system to the
// sizes it opens at where Xft.dpi is 144 and 192 and to a smaller one; and the page's, as the driver
// makes them (page_driver.mjs), and how often the
// browser calls back: the desktop's, at one and two device pixels to a CSS pixel; phones upright and
// turned, and tablets, whose fields are 0.89 to 2.1 times the window's. Chromium emulates each, its
// phone with fingers on the touch buttons for keys; Firefox takes a phone's pixel ratio; WebKit's
// MiniBrowser takes none and is never narrower than some 450 pixels, and has a tablet's screen
// turned, at one. A busy browser calls back 20 times a second, three steps apart, and not in the two
// steps before a key or a look, so that steps come due that the page must run first; displays that
// refresh 90, 120 and 144 times a second call back right up to them.
struct Screen {
    const char* engines;  // the browser engines that play the page on it, or "window"
    const char* options;  // the driver's, or the window's size
    int callbacksPerSecond = 20;
};
constexpr Screen screens[] = {
    {"window", ""},
    {"window", "1080x960"},
    {"window", "1440x1280"},
    {"window", "630x560"},
    {"chromium firefox webkit", ""},
    {"chromium firefox webkit", "", 90},
    {"chromium firefox webkit", "", 120},
    {"chromium firefox webkit", "", 144},
    {"chromium firefox", "--ratio 2"},
    {"chromium", "--touch --viewport 390x844 --ratio 3 --touch-keys"},
    {"chromium", "--touch --viewport 844x390 --ratio 3"},
    {"chromium", "--touch --viewport 320x568 --ratio 2"},
    {"chromium", "--touch --viewport 768x1024 --ratio 2"},
    {"firefox", "--touch --viewport 390x844 --ratio 3"},
    {"webkit", "--touch --viewport 1024x768"},
};

// A time on the page's clock, in ms as the page computes them, to the last bit.
std::string pageMs(double ms) {
    std::ostringstream text;
    text << std::setprecision(17) << ms;
    return text.str();
}
double stepMs(int n) { return n * 1000.0 / 60; }

// A whole game, played with its keys at given steps on clocks the test moves, looked at between two
// steps and on them, each frame judged whole; then the counts the game does not reach, and a game
// won. In the window resized, each look is drawn at the window's size too. With a page, the game is
// played on it too, on each screen, with real keys that come 5 ms after
// their steps are due, and its animation frames at the screen's rate: the page must run the steps due
// before a key, as the rules do, or a shot flies on for them and a turn is cut short. After the
// thrust, no frame comes until the next look, as on a page hidden a while: the page must run every
// step it missed, each at its own time. Each frame, scaled back to the window's 720 by 640, must lie
// where the window's does, within a pixel or, scaled, two, the words included; the shot as large,
// its lines smoothed and as wide as the scale makes them (their white per area of the field the
// window's within a quarter), and its words, scaled, smoothed too. With the window's own pixels, the
// words are GLUT's, pixel for pixel.
TEST_F(Frame, DrawsAWholeGameAsTheWorldHoldsItAndScaledAsTheWindow) {
    ASSERT_NE(window, 0U) << "no window titled \"Bexum Asteroids Game\" within 10 s";
    const std::string engine = std::getenv("ASTEROIDS_PAGE") != nullptr ? browserEngine() : "window";
    for (const Screen& screen : screens) {
        if (std::string_view(screen.engines).find(engine) == std::string_view::npos) {
            continue;
        }
        SCOPED_TRACE(engine + "'s screen: " + screen.options + ", " +
                     std::to_string(screen.callbacksPerSecond) + " frames a second");
        std::unique_ptr<PageSession> page;
        int width = 0, height = 0;  // the window's, where the row gives a size
        std::sscanf(screen.options, "%dx%d", &width, &height);
        if (engine != "window") {
            page = std::make_unique<PageSession>(std::string("--fake-clock ") + screen.options);
        }
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
        // The page's animation frames at the screen's rate before `ms`, a key's time or a look's, but
        // for the millisecond before it (a frame then would show what the look's does, and the look's
        // would draw nothing); none across a long gap.
        double lastFrame = 0;
        const auto pageFramesBefore = [&](double ms) {
            const double period = 1000.0 / screen.callbacksPerSecond;
            const double until = ms - (screen.callbacksPerSecond == 20 ? stepMs(2) : 1);
            if (until - lastFrame < stepMs(100)) {
                page->js("for (let k = " + std::to_string(std::floor(lastFrame / period) + 1) + "; k * " +
                         pageMs(period) + " < " + pageMs(until) + "; k++) testHooks.advanceTo(k * " +
                         pageMs(period) + ")");
            }
            lastFrame = std::max(lastFrame, until);
        };
        const SessionKey* key = std::begin(sessionKeys);
        for (const auto& [moment, msAfter, what] : moments) {
            for (; key != std::end(sessionKeys) && key->afterStep < moment; ++key) {
                playTo(key->afterStep);
                clocks.setNowMs(static_cast<std::int64_t>(std::floor(stepMs(key->afterStep) + 5)));
                pressOnTheRules(*key);
                if (page) {
                    pageFramesBefore(stepMs(key->afterStep) + 5);
                    page->js("testHooks.setClock(" + pageMs(stepMs(key->afterStep) + 5) + ")");
                    page->key(key->key, key->down);
                }
            }
            playTo(moment);
            SCOPED_TRACE(std::string("step ") + std::to_string(moment) + " and " + std::to_string(msAfter) +
                         " ms: " + what);
            const Moment at = straightOn(world, msAfter);
            const Image onWindow = drawFrame(msAfter);
            expectDrawn(onWindow, world, at);
            if (page) {
                pageFramesBefore(stepMs(moment) + msAfter);
                lastFrame = stepMs(moment) + msAfter;
            } else if (width == 0) {
                continue;
            }
            const Image canvas =
                page ? page->frameAt(pageMs(lastFrame)) : resizedFrame(width, height, msAfter);
            const Image scaled = canvas.resampled(720, 640);
            const bool windowPixels = canvas.width == 720;
            for (const auto& [a, b, which] :
                 {std::tuple(&onWindow, &scaled, "the 720 by 640 window's"),
                  std::tuple(&scaled, &onWindow, page ? "the page's" : "the resized window's")}) {
                const auto found = strays(*a, *b, windowPixels ? 1 : 2);
                EXPECT_TRUE(found.empty()) << found.size() << " of " << which
                                           << " drawn pixels have none near in the other, the first at "
                                           << found.front().first << ", " << found.front().second;
            }
            const Rect words = gameOver(world) ? gameOverLine : statusLine;
            std::vector<Rect> asteroids;
            for (const Place& a : at.asteroids) {
                asteroids.push_back(around(a.x, a.y, 1.2));
            }
            expectSmoothOutlines(canvas, world, at);
            if (windowPixels) {
                EXPECT_EQ(unlike(scaled, onWindow, words, asteroids), 0)
                    << "pixels of the page's words unlike the window's";
            } else {
                EXPECT_NEAR(outlineInk(scaled, gameOver(world)) / outlineInk(onWindow, gameOver(world)), 1,
                            0.25)
                    << "the outlines' white, scaled back to the window's, against the window's";
                EXPECT_GT(smoothness(canvas, onCanvas(canvas, words)), 0.3)
                    << "the words' edges smoothed on the canvas";
            }
            if (world.bullet->fired) {
                EXPECT_NEAR(scaled.whiteArea(around(at.shot.x, at.shot.y, 0.5)), 8, 1.5)
                    << "the window's pixels of white: a shot three window pixels across, scaled";
            }
        }
        EXPECT_TRUE(gameOver(world)) << "the game ends in GAME OVER";
    }
    world.ship->alive = true;
    for (const int count : {3, 2, 1}) {
        SCOPED_TRACE(std::to_string(count) + " asteroids left");
        world.asteroidsRemaining = count;
        expectDrawn(drawFrame(0), world, straightOn(world, 0));
    }
    SCOPED_TRACE("the last asteroid destroyed");
    world.asteroidsRemaining = 0;
    for (auto& a : world.asteroids) {
        a->alive = false;
    }
    expectDrawn(drawFrame(0), world, straightOn(world, 0));
}

// A game pad as the Linux game reads it, through SDL, the frame of the real window judged whole after
// each control.
TEST_F(Frame, PlaysWithAPadThroughSDL) {
    world = World{};
    createWorld(world);
    layOutAsThePageDoes(world);
    playAVirtualPad(world, controls, [] { expectDrawn(drawFrame(0), world, straightOn(world, 0)); });
}

}  // namespace
