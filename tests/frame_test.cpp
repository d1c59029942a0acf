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
#include "virtual_pad.h"
#include "world/update.h"
#include "world/world.h"

// Frames drawn by displayScene into the game's real window on a private X server, read back as
// pixels, through a whole game played on the rules: each judged whole against what the world
// holds. With ASTEROIDS_PAGE naming the browser build's folder, the same game is played with real
// keys on the page in a browser engine, on screens of every size, and each of its frames, scaled
// back to the window's, is compared with the window's.

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

// The pixels clearly drawn in `a` (a sixth or more of the way from the field to white or red) with no
// such pixel within `reach` pixels of them in `b`: where the two draw differently, antialiasing
// aside, but for the frame's outermost pixels, where each cuts a line that leaves the field in its
// own way.
std::vector<std::pair<int, int>> strays(const Image& a, const Image& b, int reach) {
    const auto ink = [](Rgb p) {
        return std::max({std::abs(p.r - 26), std::abs(p.g - 145), std::abs(p.b - 204)}) >= 40;
    };
    std::vector<std::pair<int, int>> found;
    a.forEach({reach, reach, a.width - reach, a.height - reach}, [&](int x, int y) {
        if (ink(a.at(x, y)) && b.count(ink, {x - reach, y - reach, x + reach + 1, y + reach + 1}) == 0) {
            found.emplace_back(x, y);
        }
    });
    return found;
}

// How far a pixel is from the field to white, 0 to 1 (red's share alike: the flame counts in full).
double coverage(Rgb p) { return std::max(0, p.r - 26) / (255.0 - 26); }

// The share of the pixels drawn in an area (a tenth of the way to white or more) that are drawn in
// part (less than nine tenths): the smoothed edges of lines and letters. Drawn in stairs of whole
// pixels, they have next to none.
double smoothness(const Image& frame, Rect area) {
    int drawn = 0, part = 0;
    frame.forEach(area, [&](int x, int y) {
        const double c = coverage(frame.at(x, y));
        drawn += c >= 0.1 ? 1 : 0;
        part += c >= 0.1 && c < 0.9 ? 1 : 0;
    });
    return drawn > 0 ? static_cast<double>(part) / drawn : 0;
}

// An area of the window's frame on a frame of any size.
Rect onCanvas(const Image& canvas, Rect r) {
    const double scale = canvas.width / 720.0;
    const auto at = [&](int v) { return static_cast<int>(std::lround(v * scale)); };
    return {at(r.left), at(r.top), at(r.right), at(r.bottom)};
}

// The asteroids' outlines, in a frame of any size, have smoothed edges: those clear of the words.
void expectSmoothOutlines(const Image& frame, const World& w) {
    const Rect words = gameOver(w) ? gameOverLine : statusLine;
    for (const auto& a : w.asteroids) {
        const Rect r = around(a->x, a->y, 1.2);
        if (a->alive && (r.bottom < words.top || r.top > words.bottom)) {
            EXPECT_GT(smoothness(frame, onCanvas(frame, r)), 0.3)
                << "the edges of the asteroid at " << a->x << ", " << a->y;
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

    // The frame shows what the world holds and nothing else: the status line, or "GAME OVER", as GLUT
    // writes them (where no asteroid crosses them); every live asteroid and no destroyed one; while
    // playing, the white ship with its nose two units out along the heading and its red flame while
    // thrust is held, and the shot, three pixels across, while it flies; the field's colour
    // (0.1, 0.57, 0.8) everywhere else.
    static void expectDrawn(const Image& frame, const World& w) {
        Image rest = frame;  // what is left once each thing drawn is accounted for
        const auto accountFor = [&](Rect r) {
            rest.forEach(r, [&](int px, int py) { rest.pixels[rest.indexOf(px, py)] = {26, 145, 204}; });
        };
        // Smoothed lines and points reach their full colour only here and there.
        const auto fullWhite = [](Rgb p) { return p.r > 240 && p.g > 240 && p.b > 240; };
        std::vector<Rect> asteroids;
        for (const auto& a : w.asteroids) {
            if (a->alive) {
                asteroids.push_back(around(a->x, a->y, 1.2));
                EXPECT_GT(frame.count(fullWhite, asteroids.back()), 0)
                    << "the asteroid at " << a->x << ", " << a->y;
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
            const Rect ship = around(w.ship->x, w.ship->y, 2.5);
            EXPECT_GT(frame.count(fullWhite, ship), 0) << "the white ship";
            const Rect flame = around(w.ship->x - 0.9 * std::cos(w.heading * std::numbers::pi / 180),
                                      w.ship->y - 0.9 * std::sin(w.heading * std::numbers::pi / 180), 0.9);
            EXPECT_EQ(frame.count([](Rgb p) { return p.r > 200 && p.g < 50 && p.b < 60; }, flame) > 0,
                      w.thrustHeld)
                << "the flame, pure red behind the ship";
            double farthest = 0, noseX = 0, noseY = 0;  // the drawn pixel farthest from the ship's centre
            frame.forEach(ship, [&](int px, int py) {
                const double dx = (px + 0.5) * 50 / 720 - w.ship->x,
                             dy = (640 - py - 0.5) * 50 / 640 - w.ship->y;
                if (isWhite(frame.at(px, py)) && std::hypot(dx, dy) > farthest) {
                    std::tie(farthest, noseX, noseY) = std::tuple(std::hypot(dx, dy), dx, dy);
                }
            });
            if (w.ship->x > 2.5 && w.ship->x < 47.5 && w.ship->y > 2.5 && w.ship->y < 47.5) {
                EXPECT_NEAR(noseX, 2 * std::cos(w.heading * std::numbers::pi / 180), 0.25) << "the nose";
                EXPECT_NEAR(noseY, 2 * std::sin(w.heading * std::numbers::pi / 180), 0.25) << "the nose";
            }
            accountFor(ship);
            if (w.bullet->fired && w.bullet->visible && w.bullet->x > 0.5 && w.bullet->x < 49.5 &&
                w.bullet->y > 0.5 && w.bullet->y < 49.5) {
                const Rect shot = around(w.bullet->x, w.bullet->y, 0.5);
                EXPECT_NEAR(frame.whiteArea(shot), 8, 1.5) << "a point three pixels across, smoothed";
                accountFor(shot);
            }
        }
        expectSmoothOutlines(frame, w);
        for (const Rect& r : asteroids) {
            accountFor(r);
        }
        EXPECT_EQ(rest.count([](Rgb p) { return p == Rgb{26, 145, 204}; }), 720 * 640) << "drawn besides";
    }

    static inline std::unique_ptr<XSession> x;
    static inline Window window = 0;
};

// The screens the page is played on, as the driver makes them (page_driver.mjs): the desktop's, at
// one and two device pixels to a CSS pixel; phones upright and turned, and tablets, whose fields are
// 0.89 to 2.1 times the window's. Chromium emulates each, its phone with fingers on the touch buttons
// for keys; Firefox takes a phone's pixel ratio; WebKit's MiniBrowser takes none and is never
// narrower than some 450 pixels, and has a tablet's screen turned, at one.
struct Screen {
    const char* engines;
    const char* options;
};
constexpr Screen screens[] = {
    {"chromium firefox webkit", ""},
    {"chromium firefox", "--ratio 2"},
    {"chromium", "--touch --viewport 390x844 --ratio 3 --touch-keys"},
    {"chromium", "--touch --viewport 844x390 --ratio 3"},
    {"chromium", "--touch --viewport 320x568 --ratio 2"},
    {"chromium", "--touch --viewport 768x1024 --ratio 2"},
    {"firefox", "--touch --viewport 390x844 --ratio 3"},
    {"webkit", "--touch --viewport 1024x768"},
};

// The page's clock, in ms as the page computes them, to the last bit: step `n`'s time and more.
std::string pageMs(int n, double more = 0) {
    std::ostringstream ms;
    ms << std::setprecision(17) << n * 1000.0 / 60 + more;
    return ms.str();
}

// A whole game, played with its keys at given steps on clocks the test moves, each moment's frame
// judged whole; then the counts the game does not reach, and a game won. With a page, the game is
// played on it too, on each screen, with real keys. The page's frames come three steps apart, as a
// busy browser gives them, up to two steps short of each key, which comes 5 ms after its step is due:
// the page must run the steps due before the key, as the rules do, or a shot flies on for them and a
// turn is cut short. After the thrust, no frame comes until the last moment, as on a page hidden a
// while: the page must run every step it missed, each at its own time. Each frame, scaled back to the
// window's 720 by 640, must lie where the window's does, within a pixel or, scaled, two, the words
// included; the shot as large, its lines smoothed and as wide as the scale makes them (their white
// per area of the field the window's within a quarter), and its words, scaled, smoothed too. With
// the window's own pixels, the words are GLUT's, pixel for pixel.
TEST_F(Frame, DrawsAWholeGameAsTheWorldHoldsItAndThePageAsTheWindow) {
    ASSERT_NE(window, 0U) << "no window titled \"Bexum Asteroids Game\" within 10 s";
    std::vector<const char*> onPage{nullptr};  // the window alone
    if (std::getenv("ASTEROIDS_PAGE") != nullptr) {
        onPage.clear();
        for (const Screen& screen : screens) {
            if (std::string_view(screen.engines).find(browserEngine()) != std::string_view::npos) {
                onPage.push_back(screen.options);
            }
        }
    }
    for (const char* screen : onPage) {
        SCOPED_TRACE(std::string("the page's screen: ") + (screen != nullptr ? screen : "none"));
        std::unique_ptr<PageSession> page;
        if (screen != nullptr) {
            page = std::make_unique<PageSession>(std::string("--fake-clock ") + screen);
        }
        world = World{};
        createWorld(world);
        layOutAsThePageDoes(world);
        FakeClocks clocks;
        int step = 0, pageStep = -3;  // the last step of the rules, and of the page's last frame
        const auto playTo = [&](int last) {
            for (; step <= last; ++step) {
                clocks.setNowMs(std::chrono::duration_cast<milliseconds>(step * stepPeriod).count());
                updateWorld(world);
            }
        };
        // The page's frames, three steps apart, up to two short of `next`; none across a long gap.
        const auto pageFramesBefore = [&](int next) {
            if (page && next - pageStep < 100) {
                page->js("for (let n = " + std::to_string(pageStep + 3) + "; n <= " +
                         std::to_string(next - 2) + "; n += 3) testHooks.advanceTo(n * 1000 / 60)");
            }
        };
        const SessionKey* key = std::begin(sessionKeys);
        for (const auto& [moment, what] : moments) {
            for (; key != std::end(sessionKeys) && key->afterStep < moment; ++key) {
                playTo(key->afterStep);
                clocks.setNowMs(static_cast<std::int64_t>(std::floor(key->afterStep * 1000.0 / 60 + 5)));
                pressOnTheRules(*key);
                if (page) {
                    pageFramesBefore(key->afterStep);
                    pageStep = std::max(pageStep, key->afterStep - 2);
                    page->js("testHooks.setClock(" + pageMs(key->afterStep, 5) + ")");
                    page->key(key->key, key->down);
                }
            }
            playTo(moment);
            SCOPED_TRACE(std::string("step ") + std::to_string(moment) + ": " + what);
            const Image onWindow = drawFrame();
            expectDrawn(onWindow, world);
            if (!page) {
                continue;
            }
            pageFramesBefore(moment);
            pageStep = moment;
            const Image canvas = page->frameAt(pageMs(moment));
            const Image scaled = canvas.resampled(720, 640);
            const bool windowPixels = canvas.width == 720;
            for (const auto& [a, b, which] : {std::tuple(&onWindow, &scaled, "the window's"),
                                              std::tuple(&scaled, &onWindow, "the page's")}) {
                const auto found = strays(*a, *b, windowPixels ? 1 : 2);
                EXPECT_TRUE(found.empty()) << found.size() << " of " << which
                                           << " drawn pixels have none near in the other, the first at "
                                           << found.front().first << ", " << found.front().second;
            }
            const Rect words = gameOver(world) ? gameOverLine : statusLine;
            std::vector<Rect> asteroids;
            for (const auto& a : world.asteroids) {
                asteroids.push_back(around(a->x, a->y, 1.2));
            }
            expectSmoothOutlines(canvas, world);
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
                EXPECT_NEAR(scaled.whiteArea(around(world.bullet->x, world.bullet->y, 0.5)), 8, 1.5)
                    << "the window's pixels of white: a shot three window pixels across, scaled";
            }
        }
        EXPECT_TRUE(gameOver(world)) << "the game ends in GAME OVER";
    }
    world.ship->alive = true;
    for (const int count : {3, 2, 1}) {
        SCOPED_TRACE(std::to_string(count) + " asteroids left");
        world.asteroidsRemaining = count;
        expectDrawn(drawFrame(), world);
    }
    SCOPED_TRACE("the last asteroid destroyed");
    world.asteroidsRemaining = 0;
    for (auto& a : world.asteroids) {
        a->alive = false;
    }
    expectDrawn(drawFrame(), world);
}

// A game pad as the Linux game reads it, through SDL, the frame of the real window judged whole after
// each control.
TEST_F(Frame, PlaysWithAPadThroughSDL) {
    world = World{};
    createWorld(world);
    layOutAsThePageDoes(world);
    playAVirtualPad(world, controls, [] { expectDrawn(drawFrame(), world); });
}

}  // namespace
