#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "page.h"

// The page in Debian's headless Chromium, as a player's browser meets it: what it loads, how it
// paces the game whatever the browser's callbacks, how it comes back from a spell without them,
// what the keys do to the page, and what it says when it cannot play. What it draws is checked
// with the window's (frame_test.cpp, program_test.cpp).

namespace {

double number(const std::string& json) { return std::stod(json); }

TEST(Page, IsTheGameOnItsOwnCanvasAndAsksNothingOfAnotherOrigin) {
    PageSession page;
    EXPECT_EQ(page.js("return await page.title()"), "\"Bexum Asteroids Game\"");
    EXPECT_EQ(page.js("return await page.evaluate(() => { const r = document.querySelector('#game')"
                      ".getBoundingClientRect(); return [r.width, r.height]; })"),
              "[720,640]");
    const Image frame = page.frame();
    EXPECT_GT(frame.count([](Rgb p) {
        return p == Rgb{26, 145, 204};
    }),
              720 * 640 * 9 / 10)
        << "the field's colour (0.1, 0.57, 0.8), exactly";
    EXPECT_EQ(page.js("return driver.requests.filter((url) => !url.startsWith(driver.origin + '/'))"), "[]");
    // Nothing refused by the page's Content-Security-Policy, no error or warning of the game's. The
    // browser's own notes on the test's reading of the frame are not the game's.
    EXPECT_EQ(page.js("return driver.console.filter((m) => !m.includes('GL Driver Message'))"), "[]");
}

// With the browser calling back as fast as it can, the page still draws a frame a step, sixty a
// second. A loaded machine may run two steps in one callback and draw once, so fewer are accepted;
// more than sixty, never.
TEST(Page, StepsSixtyTimesASecondWhenTheBrowserCallsBackFarMoreOften) {
    PageSession page("--fast-callbacks");
    const std::string counts =
        "return await page.evaluate(() => [window.draws, window.callbacks, performance.now()])";
    double draws0 = 0, callbacks0 = 0, ms0 = 0, draws1 = 0, callbacks1 = 0, ms1 = 0;
    std::sscanf(page.js(counts).c_str(), "[%lf,%lf,%lf]", &draws0, &callbacks0, &ms0);
    std::this_thread::sleep_for(milliseconds(2'000));
    std::sscanf(page.js(counts).c_str(), "[%lf,%lf,%lf]", &draws1, &callbacks1, &ms1);
    const double seconds = (ms1 - ms0) / 1000;
    ASSERT_GT((callbacks1 - callbacks0) / seconds, 66)
        << "callbacks a second: a page stepping at each would draw more than 62";
    EXPECT_LE((draws1 - draws0) / seconds, 62) << "frames a second";
    EXPECT_GE((draws1 - draws0) / seconds, 40) << "frames a second";
}

// A hidden page gets no callbacks. Shown again, it must show the world that sixty steps a second
// give, not one long step, whose asteroids' second-order push grows with the square of its length.
// Two pages on clocks the test moves: one called back every 16 ms for five seconds, one not at
// all until the five seconds have passed. Their asteroids must stand where each other's do.
TEST(Page, ShownAfterFiveSecondsWithoutCallbacksIsWhereSixtyStepsASecondPutIt) {
    PageSession played("--fake-clock"), hidden("--fake-clock");
    played.js("await page.clock.runFor(5000); await page.clock.runFor(100)");
    hidden.js("await page.clock.fastForward(5000); await page.clock.runFor(100)");
    const Rect field{0, 40, 720, 640};
    const auto asteroids = [&](const Image& frame) { return frame.blobs(isDrawn, field); };
    const auto seen = asteroids(hidden.frame());
    const auto expected = asteroids(played.frame());
    ASSERT_EQ(seen.size(), expected.size()) << "shapes on the field";
    for (const Blob& e : expected) {
        double nearest = 1e9;
        for (const Blob& s : seen) {
            nearest = std::min(nearest, std::hypot(s.centreX - e.centreX, s.centreY - e.centreY));
        }
        EXPECT_LT(nearest, 3) << "pixels from the shape at " << e.centreX << ", " << e.centreY;
    }
}

TEST(Page, KeysPlayTheGameAndNeverScrollAPageSmallerThanTheCanvas) {
    PageSession page("--viewport 400x300");
    for (const char* key : {"Down", "space", "Up", "Left", "Right", "Down"}) {
        page.key(key, true);
        std::this_thread::sleep_for(milliseconds(100));  // held, so that it repeats
        page.key(key, false);
    }
    EXPECT_EQ(page.js("return await page.evaluate(() => [scrollX, scrollY])"), "[0,0]");
}

// Storms of keys, the game's and others, for ASTEROIDS_PAGE_STORM_SECONDS (60 by default): nothing
// of the game's in the console, the page still drawing, and its memory as it was after a warm-up.
TEST(Page, ComesThroughStormsOfKeysWithAQuietConsoleAndFlatMemory) {
    const char* const given = std::getenv("ASTEROIDS_PAGE_STORM_SECONDS");
    const auto length = std::chrono::seconds(given != nullptr ? std::atoi(given) : 60);
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    PageSession page;
    // Not Tab or Enter, which the browser keeps for following the page's links.
    const char* const keys[] = {"Left", "Right", "Up",     "space", "Down",
                                "a",    "5",     "Escape", "Shift", "Control"};
    const std::string memory =
        "return await page.evaluate(() => { gc(); return [performance.memory.usedJSHeapSize, "
        "Module.HEAPU8.length]; })";
    std::string warmedUp;
    std::vector<std::pair<const char*, Clock::time_point>> held;
    const auto start = Clock::now();
    for (auto now = start; now - start < length; now = Clock::now()) {
        std::erase_if(held,
                      [&](const auto& k) { return k.second <= now && (page.key(k.first, false), true); });
        const char* key = keys[random() % std::size(keys)];
        page.key(key, true);
        held.emplace_back(key, now + milliseconds(random() % 1500));
        std::this_thread::sleep_for(milliseconds(random() % 60));
        if (warmedUp.empty() && now - start > length / 5) {
            warmedUp = page.js(memory);
        }
    }
    for (const auto& [key, until] : held) {
        page.key(key, false);
    }
    const double draws = number(page.js("return await page.evaluate(() => window.draws)"));
    std::this_thread::sleep_for(milliseconds(500));
    EXPECT_GT(number(page.js("return await page.evaluate(() => window.draws)")), draws)
        << "the page still draws";
    // The browser's own notes on the test's frame reads are not the game's.
    EXPECT_EQ(page.js("return driver.console.filter((m) => !m.includes('GL Driver Message'))"), "[]");
    double heap0 = 0, wasm0 = 0, heap1 = 0, wasm1 = 0;
    std::sscanf(warmedUp.c_str(), "[%lf,%lf]", &heap0, &wasm0);
    std::sscanf(page.js(memory).c_str(), "[%lf,%lf]", &heap1, &wasm1);
    EXPECT_EQ(wasm1, wasm0) << "bytes of the game's memory";
    EXPECT_LT(heap1 - heap0, 1 << 20) << "bytes of JavaScript heap grown";
}

// Without WebGL, or when the browser takes the game's context away, a sentence in place of the canvas.
TEST(Page, SaysInOneSentenceWhenItHasNoWebGLOrLosesIt) {
    const std::string said =
        "return await page.evaluate(() => [document.querySelector('#game').hidden, "
        "document.querySelector('#message').textContent])";
    PageSession none("--no-webgl");
    EXPECT_EQ(
        none.js(said),
        "[true,\"This browser cannot show the game: it needs WebGL, which is turned off or not available "
        "here.\"]");
    PageSession lost;
    lost.js(
        "await page.evaluate(() => document.querySelector('#game').getContext('webgl')"
        ".getExtension('WEBGL_lose_context').loseContext())");
    EXPECT_EQ(lost.js(said),
              "[true,\"The browser took the game's graphics away; reload the page to play again.\"]");
}

}  // namespace
