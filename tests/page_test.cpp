#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "page.h"

// The page in a browser engine (ASTEROIDS_BROWSER), as a player's browser meets it: what it loads,
// how it paces the game whatever the browser's callbacks, what the keys do to the page, and what it
// says when it cannot play. What it draws is checked with the window's (frame_test.cpp,
// program_test.cpp).

namespace {

double number(const std::string& json) { return std::stod(json); }

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

TEST(Page, IsTheGameOnItsOwnCanvasAndAsksNothingOfAnotherOrigin) {
    PageSession page;
    EXPECT_EQ(page.js("return document.title"), "\"Bexum Asteroids Game\"");
    EXPECT_EQ(
        page.js(
            "const r = document.querySelector('#game').getBoundingClientRect(); return [r.width, r.height]"),
        "[720,640]");
    const Image frame = page.frame();
    EXPECT_GT(frame.count([](Rgb p) {
        return p == Rgb{26, 145, 204};
    }),
              720 * 640 * 9 / 10)
        << "the field's colour (0.1, 0.57, 0.8), exactly";
    EXPECT_EQ(page.js("return performance.getEntriesByType('resource').map((e) => e.name)"
                      ".filter((url) => !url.startsWith(location.origin + '/'))"),
              "[]");
}

// A display refreshing 144 times a second calls back every 7 ms; the page still steps and draws sixty
// times a second, once in each callback that a step has come due by. On the page's clock, moved by
// the test as such a browser would: the steps due by 1995 ms, at 0, 16.7, ... 1983 ms, are 120; a
// page stepping at each callback would draw 286 frames.
TEST(Page, StepsSixtyTimesASecondWhenTheBrowserCallsBackMoreOften) {
    PageSession page("--fake-clock");
    EXPECT_EQ(page.js("for (let ms = 0; ms < 2000; ms += 7) testHooks.advanceTo(ms); return testHooks.draws"),
              "120");
}

TEST(Page, KeysPlayTheGameAndNeverScrollAPageSmallerThanTheCanvas) {
    PageSession page("--viewport 400x300");
    for (const char* key : {"Down", "space", "Up", "Left", "Right", "Down"}) {
        page.key(key, true);
        std::this_thread::sleep_for(milliseconds(100));  // held, so that it repeats
        page.key(key, false);
    }
    EXPECT_EQ(page.js("return [scrollX, scrollY]"), "[0,0]");
}

// Storms of keys, the game's and others, for ASTEROIDS_PAGE_STORM_SECONDS (60 by default): the page
// still drawing, and its memory as it was after a warm-up.
TEST(Page, ComesThroughStormsOfKeysWithFlatMemory) {
    if (browserEngine() != "chromium") {
        GTEST_SKIP() << "Chromium alone can be made to collect garbage and weigh the page";
    }
    const char* const given = std::getenv("ASTEROIDS_PAGE_STORM_SECONDS");
    const auto length = std::chrono::seconds(given != nullptr ? std::atoi(given) : 60);
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    PageSession page;
    // Not Tab or Enter, which the browser keeps for following the page's links.
    const char* const keys[] = {"Left", "Right", "Up",     "space", "Down",
                                "a",    "5",     "Escape", "Shift", "Control"};
    const std::string memory = "gc(); return [performance.memory.usedJSHeapSize, Module.HEAPU8.length]";
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
    const double draws = number(page.js("return testHooks.draws"));
    std::this_thread::sleep_for(milliseconds(500));
    EXPECT_GT(number(page.js("return testHooks.draws")), draws) << "the page still draws";
    double heap0 = 0, wasm0 = 0, heap1 = 0, wasm1 = 0;
    std::sscanf(warmedUp.c_str(), "[%lf,%lf]", &heap0, &wasm0);
    std::sscanf(page.js(memory).c_str(), "[%lf,%lf]", &heap1, &wasm1);
    EXPECT_EQ(wasm1, wasm0) << "bytes of the game's memory";
    EXPECT_LT(heap1 - heap0, 1 << 20) << "bytes of JavaScript heap grown";
}

// The field and, on a touch screen, the buttons, as a page laid out for the viewport: the field's
// place and size, its canvas's pixels and WebGL's viewport, the scrolling the page allows, and each
// button's place and size, in CSS pixels.
struct Layout {
    double left, top, width, height, cellWidth, cellHeight, canvasWidth, canvasHeight, viewportWidth,
        viewportHeight, scrollWidth, scrollHeight, ratio;
    std::vector<Rect> buttons;  // shown, of those named
};
Layout layoutOf(PageSession& page) {
    const std::string json = page.js(
        "const canvas = document.querySelector('#game'), f = canvas.getBoundingClientRect();"
        "const cell = document.querySelector('#field'), gl = canvas.getContext('webgl');"
        "const v = gl.getParameter(gl.VIEWPORT), s = document.scrollingElement;"
        "const names = ['Turn left', 'Turn right', 'Thrust', 'Fire'];"
        "const buttons = [...document.querySelectorAll('button')].filter((b) => "
        "names.includes(b.getAttribute('aria-label'))"
        " && b.getClientRects().length > 0).map((b) => b.getBoundingClientRect())"
        ".flatMap((r) => [r.left, r.top, r.right, r.bottom]);"
        "return [f.left, f.top, f.width, f.height, cell.clientWidth, cell.clientHeight, canvas.width, "
        "canvas.height,"
        " innerWidth, innerHeight, s.scrollWidth, s.scrollHeight, devicePixelRatio,"
        " v[2] === canvas.width && v[3] === canvas.height ? 1 : 0, ...buttons]");
    std::vector<double> n;
    std::istringstream in(json.substr(1));
    for (double value = 0; in >> value; in.ignore(1)) {
        n.push_back(value);
    }
    Layout l{n.at(0), n.at(1), n.at(2), n.at(3),  n.at(4),  n.at(5),  n.at(6),
             n.at(7), n.at(8), n.at(9), n.at(10), n.at(11), n.at(12), {}};
    EXPECT_EQ(n.at(13), 1) << "WebGL's viewport is the whole canvas";
    for (std::size_t i = 14; i + 3 < n.size(); i += 4) {
        l.buttons.push_back({static_cast<int>(std::lround(n[i])), static_cast<int>(std::lround(n[i + 1])),
                             static_cast<int>(std::lround(n[i + 2])),
                             static_cast<int>(std::lround(n[i + 3]))});
    }
    return l;
}

// On every screen the field is the largest 720 by 640 rectangle that fits beside the buttons, never
// cut, stretched or scrolled, its canvas a pixel for each of the screen's; on a desktop, no larger
// than the game's window. Phones and a tablet, upright and turned, one after another in one page as
// a player turns the phone: every button shown, at least 44 CSS pixels square, clear of the field.
TEST(Page, FitsTheFieldToEveryScreenWithTheTouchButtonsBesideIt) {
    {
        PageSession desktop;
        const Layout l = layoutOf(desktop);
        EXPECT_EQ(l.width, 720);
        EXPECT_EQ(l.height, 640);
        EXPECT_TRUE(l.buttons.empty()) << "touch buttons on a desktop";
    }
    // WebKit has no setting for the pixel ratio of a phone, and its MiniBrowser's window is never
    // narrower than some 450 pixels.
    const bool webkit = browserEngine() == "webkit";
    PageSession phone(webkit ? "--touch --viewport 844x390" : "--touch --viewport 390x844 --ratio 3");
    const auto sizes =
        webkit ? std::vector<std::pair<int, int>>{{844, 390}, {768, 1024}, {1024, 768}}
               : std::vector<std::pair<int, int>>{{390, 844}, {844, 390}, {320, 568}, {768, 1024}};
    for (const auto& [width, height] : sizes) {
        SCOPED_TRACE(std::to_string(width) + " by " + std::to_string(height));
        phone.command("resize " + std::to_string(width) + " " + std::to_string(height));
        std::this_thread::sleep_for(milliseconds(200));  // for the page to lay itself out again
        const Layout l = layoutOf(phone);
        EXPECT_EQ(l.viewportWidth, width);
        EXPECT_TRUE(l.left >= 0 && l.top >= 0 && l.left + l.width <= width && l.top + l.height <= height)
            << "the field at " << l.left << ", " << l.top << ", " << l.width << " by " << l.height;
        EXPECT_NEAR(l.height, l.width * 640 / 720, 1) << "the field's shape";
        EXPECT_TRUE(l.width >= l.cellWidth - 1 || l.height >= l.cellHeight - 1)
            << "the field as large as it fits";
        EXPECT_EQ(l.canvasWidth, std::round(l.width * l.ratio));
        EXPECT_EQ(l.canvasHeight, std::round(l.height * l.ratio));
        EXPECT_TRUE(l.scrollWidth <= width && l.scrollHeight <= height) << "the page scrolls";
        EXPECT_EQ(l.buttons.size(), 4U) << "buttons shown";
        for (const Rect& b : l.buttons) {
            EXPECT_TRUE(b.right - b.left >= 44 && b.bottom - b.top >= 44) << "a button smaller than 44 px";
            EXPECT_TRUE(b.left >= 0 && b.top >= 0 && b.right <= width && b.bottom <= height)
                << "a button cut";
            EXPECT_TRUE(b.right <= l.left || b.left >= l.left + l.width || b.bottom <= l.top ||
                        b.top >= l.top + l.height)
                << "a button on the field";
        }
    }
}

// The shots in a frame of the page, below the status line: white patches no more than 5 CSS pixels
// across.
int shotsIn(const Image& css) {
    const auto found = css.blobs(isDrawn, {0, 30, css.width, css.height});
    return static_cast<int>(std::count_if(found.begin(), found.end(), [&](const Blob& b) {
        return b.bounds.right - b.bounds.left <= 5 && b.bounds.bottom - b.bounds.top <= 5 &&
               css.count([](Rgb p) { return p.r > 150 && p.g > 150; }, b.bounds) > 0;
    }));
}

// Fingers on the touch buttons play the game's keys, as the game is given them: each finger holds
// the key of the button under it, wherever it slides, and lets it go as it leaves; and no key stays
// held once every finger is up, whatever the fingers did. Chromium alone emulates a touch screen;
// its DevTools protocol puts several fingers down at once. On the page's clock, moved by the test.
TEST(Page, PlaysWithFingersOnTheTouchButtons) {
    if (browserEngine() != "chromium") {
        GTEST_SKIP() << "Chromium alone emulates a touch screen";
    }
    PageSession phone("--touch --viewport 390x844 --ratio 3 --fake-clock");
    // Each key the game is given, pressed (its code) or let go (less its code), since the last look.
    // (Emscripten's export puts the WebAssembly function in its own place at its first call.)
    phone.js(
        "Module._pressGameKey(0, 0); window.given = []; const press = Module._pressGameKey;"
        " Module._pressGameKey = (key, down) => { given.push(down ? key : -key); press(key, down); }");
    const auto given = [&] { return phone.js("return given.splice(0)"); };
    const std::string centres = phone.js(
        "return ['Turn left', 'Turn right', 'Thrust', 'Fire'].map((name) => {"
        " const r = document.querySelector(`button[aria-label='${name}']`).getBoundingClientRect();"
        " return [r.x + r.width / 2, r.y + r.height / 2]; }).flat().concat([195, 300])");
    std::map<std::string, std::pair<double, double>> at;  // the buttons' centres, and a place on the field
    std::istringstream in(centres.substr(1));
    for (const char* name : {"left", "right", "thrust", "fire", "field"}) {
        in >> at[name].first;
        in.ignore(1);
        in >> at[name].second;
        in.ignore(1);
    }
    // A touch event with its points: the fingers that came down or moved, or were lifted.
    const auto touch = [&](const char* type, const std::vector<std::pair<int, const char*>>& fingers) {
        std::string points;
        for (const auto& [id, where] : fingers) {
            points += (points.empty() ? "" : ",") + std::string("{\"id\":") + std::to_string(id) +
                      ",\"x\":" + std::to_string(at.at(where).first) +
                      ",\"y\":" + std::to_string(at.at(where).second) + "}";
        }
        phone.devTools("Input.dispatchTouchEvent",
                       std::string("{\"type\":\"") + type + "\",\"touchPoints\":[" + points + "]}");
    };
    double ms = 0;
    const auto later = [&](double by) { return phone.frameAt(std::to_string(ms += by)); };

    touch("touchStart", {{1, "left"}, {2, "thrust"}, {3, "fire"}});
    EXPECT_EQ(given(), "[100,101,32]") << "three fingers down on turn left, thrust and fire";
    Image frame = later(200);
    EXPECT_GT(look(frame).red, 5) << "the flame";
    EXPECT_EQ(shotsIn(cssPixels(frame, 3)), 1) << "the shot";
    EXPECT_EQ(shotsIn(cssPixels(later(800), 3)), 0) << "a shot after the first one's 0.4 s, fire held";
    touch("touchEnd", {{2, "thrust"}});
    EXPECT_EQ(given(), "[-101]") << "the thrust finger lifted, the others held";
    EXPECT_EQ(look(later(100)).red, 0) << "the flame with no finger on thrust";
    touch("touchMove", {{1, "right"}});
    EXPECT_EQ(given(), "[-100,102]") << "a finger slid from turn left to turn right";
    touch("touchMove", {{1, "field"}});
    EXPECT_EQ(given(), "[-102]") << "a finger slid off the buttons";
    touch("touchCancel", {});
    EXPECT_EQ(given(), "[-32]") << "every finger cancelled";
    touch("touchStart", {{4, "left"}, {5, "thrust"}});
    phone.command("hide");
    phone.command("show");
    touch("touchEnd", {{4, "left"}, {5, "thrust"}});
    EXPECT_EQ(given(), "[100,101,-100,-101]") << "fingers down while the page was hidden";

    // Storms of up to three fingers coming down, sliding and lifting anywhere: every key given is
    // pressed, then let go, and none is held whenever no finger is down.
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const char* const places[] = {"left", "right", "thrust", "fire", "field"};
    std::map<int, const char*> down;
    std::map<int, bool> held;  // by key, from what the game was given
    for (int event = 0, next = 10; event < 300; ++event) {
        const auto finger =
            std::next(down.begin(), down.empty() ? 0 : static_cast<long>(random() % down.size()));
        if (down.empty() || (down.size() < 3 && random() % 3 == 0)) {
            down[next] = places[random() % 5];
            touch("touchStart", {{next, down[next]}});
            ++next;
        } else if (random() % 2 == 0) {
            finger->second = places[random() % 5];
            touch("touchMove", {{finger->first, finger->second}});
        } else if (random() % 10 == 0) {
            down.clear();
            touch("touchCancel", {});
        } else {
            touch("touchEnd", {{finger->first, finger->second}});
            down.erase(finger);
        }
        std::istringstream keys(given().substr(1));
        for (int key = 0; keys >> key; keys.ignore(1)) {
            EXPECT_NE(held[std::abs(key)], key > 0) << "key " << key << " given twice over";
            held[std::abs(key)] = key > 0;
        }
        if (down.empty()) {
            EXPECT_TRUE(std::none_of(held.begin(), held.end(), [](const auto& k) { return k.second; }))
                << "a key held with no finger down";
        }
    }
    touch("touchCancel", {});
    EXPECT_EQ(look(later(100)).red, 0) << "the flame once every finger is up";
}

// The page installs to a home screen and, once loaded, plays with the network gone: every file from
// its service worker's cache. A new version served later reaches a page opened once the old one is
// closed, whole; until then, pages have the old version, whole. Chromium alone says what installing
// takes.
TEST(Page, InstallsPlaysOfflineAndUpdatesWhole) {
    if (browserEngine() != "chromium") {
        GTEST_SKIP() << "Chromium alone says whether a page can be installed";
    }
    PageSession page("--touch --viewport 390x844 --ratio 3");
    EXPECT_EQ(page.devTools("Page.getInstallabilityErrors", "{}"), "{\"installabilityErrors\":[]}");
    page.js("await navigator.serviceWorker.ready");

    // Which version each text file of the page is, as the page fetches it: the second's say so.
    const std::string versions =
        "return Promise.all(['./', 'index.html', 'page.js', 'page.css', 'asteroids.js', "
        "'manifest.webmanifest']"
        ".map(async (file) => (await (await fetch(file)).text()).includes('second version') ? 2 : 1))";
    page.command("serve none");
    page.command("reload");
    page.key("Up", true);
    EXPECT_GT(look(page.frame()).red, 5) << "offline: the flame while thrust is held";
    page.key("Up", false);
    EXPECT_EQ(
        page.js(
            "return performance.getEntriesByType('resource').filter((e) => !e.name.endsWith('test-hooks.js')"
            " && e.workerStart === 0).map((e) => e.name)"),
        "[]")
        << "files not from the service worker";

    // The second version: each text file says so, and its service worker keeps its files in a cache
    // of its own, as a new version's does.
    const auto second =
        std::filesystem::temp_directory_path() / ("asteroids-second-" + std::to_string(getpid()));
    std::filesystem::remove_all(second);
    std::filesystem::copy(std::getenv("ASTEROIDS_PAGE"), second, std::filesystem::copy_options::recursive);
    for (const std::string file :
         {"index.html", "page.js", "page.css", "sw.js", "asteroids.js", "manifest.webmanifest"}) {
        std::ifstream in(second / file);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const auto put = [&](const std::string& after, const std::string& words) {
            text.insert(text.find(after) + after.size(), words);
        };
        file == "sw.js"                  ? put("bexum-asteroids-", "second-")
        : file == "manifest.webmanifest" ? put("\"description\": \"", "second version: ")
        : file == "index.html"           ? put("<body>", "<!-- second version -->")
                                         : put("", "/* second version */\n");
        std::ofstream(second / file) << text;
    }
    page.command("serve " + second.string());
    page.command("reload");
    EXPECT_EQ(page.js(versions), "[1,1,1,1,1,1]") << "with the second version on the host";
    // The browser checks for it on the reload, and installs it while the page is hidden (Chromium
    // holds the check back for a minute while a page drawn without a GPU is in front).
    page.command("hide");
    page.js(
        "const r = await navigator.serviceWorker.getRegistration();"
        "for (const until = Date.now() + 20000; !r.waiting;) { if (Date.now() > until) throw new Error("
        "'no second version waiting within 20 s'); await new Promise((s) => setTimeout(s, 50)); }");
    EXPECT_EQ(page.js(versions), "[1,1,1,1,1,1]") << "with the second version installed and waiting";
    page.command("reopen");
    EXPECT_EQ(page.js(versions), "[2,2,2,2,2,2]") << "once the first version's page was closed";
    std::filesystem::remove_all(second);
}

// Without WebGL, or when the browser takes the game's context away, a sentence in place of the canvas.
TEST(Page, SaysInOneSentenceWhenItHasNoWebGLOrLosesIt) {
    const std::string said =
        "return [document.querySelector('#game').hidden, document.querySelector('#message').textContent]";
    if (browserEngine() != "webkit") {
        PageSession none("--no-webgl");
        EXPECT_EQ(
            none.js(said),
            "[true,\"This browser cannot show the game: it needs WebGL, which is turned off or not available "
            "here.\"]");
    }
    PageSession lost;
    lost.js(
        "document.querySelector('#game').getContext('webgl').getExtension('WEBGL_lose_context').loseContext("
        ")");
    EXPECT_EQ(lost.js(said),
              "[true,\"The browser took the game's graphics away; reload the page to play again.\"]");
}

}  // namespace
