#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "page.h"

// The page in a browser engine (ASTEROIDS_BROWSER), as a player's browser meets it: its pace
// whatever the browser's callbacks, its layout on every screen, fingers on its touch buttons,
// installing it, playing offline and updating, and what it says when it cannot play. What it draws
// is checked with the window's (frame_test.cpp, program_test.cpp).

namespace {

// A display refreshing 30 to 240 times a second calls back as often, and the page draws a new
// picture at each callback, of the world as it stands at that moment (frame_test.cpp judges where
// everything is). On the page's clock, two seconds at each rate, as such a browser would.
TEST(Page, DrawsAPictureAtEveryCallbackWhateverTheDisplaysRate) {
    PageSession page("--fake-clock");
    for (const int rate : {30, 60, 90, 120, 144, 240}) {
        EXPECT_EQ(
            page.js("const start = performance.now(), draws = testHooks.draws; for (let k = 1; k <= 2 * " +
                    std::to_string(rate) + "; k++) testHooks.advanceTo(start + k * 1000 / " +
                    std::to_string(rate) + "); return testHooks.draws - draws"),
            std::to_string(2 * rate))
            << rate << " callbacks a second";
    }
}

// What is amiss in the page's layout for a viewport of `width` by `height`: the field must be the
// largest 720 by 640 rectangle its cell holds (to a pixel), wholly in the viewport, with a canvas
// pixel for each of the screen's and WebGL's viewport the whole canvas; nothing scrolls; and on a
// touch screen each of the four buttons shows, at least 44 CSS pixels square, in the viewport and
// off the field.
std::string layoutFaults(PageSession& page, int width, int height, bool touch) {
    return page.js("const w = " + std::to_string(width) + ", h = " + std::to_string(height) +
                   ", touch = " + (touch ? "true" : "false") +
                   R"(, faults = [], c = document.querySelector('#game'), f = c.getBoundingClientRect();
        const cell = document.querySelector('#field'), gl = c.getContext('webgl'), s = document.scrollingElement;
        const fault = (bad, what) => bad && faults.push(`${what}: field ${f.left},${f.top} ${f.width}x${f.height}`);
        fault(innerWidth !== w || innerHeight !== h, `a viewport of ${innerWidth}x${innerHeight}`);
        fault(f.left < 0 || f.top < 0 || f.right > w || f.bottom > h, 'the field cut');
        fault(Math.abs(f.height - f.width * 640 / 720) > 1, 'the field stretched');
        fault(touch && f.width < cell.clientWidth - 1 && f.height < cell.clientHeight - 1, 'the field smaller than it fits');
        fault(c.width !== Math.round(f.width * devicePixelRatio) || c.height !== Math.round(f.height * devicePixelRatio),
              `a canvas of ${c.width}x${c.height}`);
        fault(String(gl.getParameter(gl.VIEWPORT)) !== String([0, 0, c.width, c.height]), 'a viewport off the canvas');
        fault(s.scrollWidth > w || s.scrollHeight > h, 'a page that scrolls');
        for (const name of ['Turn left', 'Turn right', 'Thrust', 'Fire']) {
          const b = document.querySelector(`button[aria-label='${name}']`).getBoundingClientRect();
          fault(touch !== (b.width > 0), `${name} shown on a desktop or hidden on a touch screen`);
          fault(touch && (b.width < 44 || b.height < 44 || b.left < 0 || b.top < 0 || b.right > w || b.bottom > h ||
                          !(b.right <= f.left || b.left >= f.right || b.bottom <= f.top || b.top >= f.bottom)),
                `${name} small, cut or on the field`);
        }
        return faults;)");
}

// On every screen the field is the largest 720 by 640 rectangle that fits beside the buttons; on a
// desktop, the game on its own 720 by 640 canvas, asking nothing of another origin. Phones and a
// tablet, upright and turned, one after another in one page as a player turns the phone.
TEST(Page, FitsTheFieldToEveryScreenWithTheTouchButtonsBesideIt) {
    {
        PageSession desktop;
        EXPECT_EQ(layoutFaults(desktop, 900, 800, false), "[]");
        EXPECT_EQ(
            desktop.js(
                "const r = document.querySelector('#game').getBoundingClientRect(); return [document.title,"
                " r.width, r.height, ...performance.getEntriesByType('resource').map((e) => e.name)"
                ".filter((url) => !url.startsWith(location.origin + '/'))]"),
            "[\"Bexum Asteroids Game\",720,640]");
        EXPECT_GT(desktop.frame().count([](Rgb p) {
            return p == Rgb{26, 145, 204};
        }),
                  720 * 640 * 9 / 10)
            << "the field's colour (0.1, 0.57, 0.8), exactly";
    }
    // WebKit has no setting for a phone's pixel ratio, and its MiniBrowser's window is never narrower
    // than some 450 pixels.
    const bool webkit = browserEngine() == "webkit";
    PageSession phone(webkit ? "--touch --viewport 844x390" : "--touch --viewport 390x844 --ratio 3");
    for (const auto& [width, height] :
         webkit ? std::vector<std::pair<int, int>>{{844, 390}, {768, 1024}, {1024, 768}}
                : std::vector<std::pair<int, int>>{{390, 844}, {844, 390}, {320, 568}, {768, 1024}}) {
        phone.command("resize " + std::to_string(width) + " " + std::to_string(height));
        std::this_thread::sleep_for(milliseconds(200));  // for the page to lay itself out again
        EXPECT_EQ(layoutFaults(phone, width, height, true), "[]") << width << " by " << height;
    }
}

// The shots in a frame of the page as the window shows it, below the status line: white patches at
// most 5 pixels across.
int shotsIn(const Image& frame) {
    const auto found = frame.blobs(isDrawn, {0, 30, frame.width, frame.height});
    return static_cast<int>(std::count_if(found.begin(), found.end(), [&](const Blob& b) {
        return b.bounds.right - b.bounds.left <= 5 && b.bounds.bottom - b.bounds.top <= 5 &&
               frame.count([](Rgb p) { return p.r > 150 && p.g > 150; }, b.bounds) > 0;
    }));
}

// Fingers on the touch buttons play the game's keys, as the game is given them: each finger holds
// the key of the button under it, wherever it slides, and lets it go as it leaves; no key stays held
// once every finger is up, whatever the fingers did, in storms of them too. Chromium alone emulates
// a touch screen, and its DevTools protocol puts several fingers down at once. On the page's clock.
TEST(Page, PlaysWithFingersOnTheTouchButtons) {
    if (browserEngine() != "chromium") {
        GTEST_SKIP() << "Chromium alone emulates a touch screen";
    }
    PageSession phone("--touch --viewport 390x844 --ratio 3 --fake-clock");
    // Each key the game is given, pressed (its code) or let go (less its code), since the last look.
    phone.js(
        "window.given = []; const press = Module.pressGameKey;"
        " Module.pressGameKey = (key, down) => { given.push(down ? key : -key); press(key, down); }");
    const auto given = [&] { return phone.js("return given.splice(0)"); };
    const std::vector<double> xy =
        numbers(phone.js("return ['Turn left', 'Turn right', 'Thrust', 'Fire'].flatMap((name) => { const r = "
                         "document.querySelector("
                         "`button[aria-label='${name}']`).getBoundingClientRect(); return [r.x + r.width / "
                         "2, r.y + r.height / 2]; })"));
    enum Place { left, right, thrust, fire, field };  // the buttons' centres, and a place on the field
    const auto touch = [&](const char* type, const std::vector<std::pair<int, Place>>& fingers) {
        std::string points;
        for (const auto& [id, at] : fingers) {
            const std::size_t i = 2 * static_cast<std::size_t>(at);
            const double x = at == field ? 195 : xy.at(i), y = at == field ? 300 : xy.at(i + 1);
            points += (points.empty() ? "" : ",") + ("{\"id\":" + std::to_string(id) + ",\"x\":" +
                                                     std::to_string(x) + ",\"y\":" + std::to_string(y) + "}");
        }
        phone.devTools("Input.dispatchTouchEvent",
                       std::string("{\"type\":\"") + type + "\",\"touchPoints\":[" + points + "]}");
    };
    // The frame once the page's clock has moved on, which shows the status line.
    double ms = 0;
    const auto later = [&](double by) {
        Image frame = phone.frameAt(std::to_string(ms += by));
        EXPECT_GE(look(frame.resampled(720, 640)).statusLetters, 12) << "the status line";
        return frame;
    };

    touch("touchStart", {{1, left}, {2, thrust}, {3, fire}});
    EXPECT_EQ(given(), "[100,101,32]") << "three fingers down on turn left, thrust and fire";
    const Image frame = later(200);
    EXPECT_GT(look(frame).red, 5) << "the flame";
    EXPECT_EQ(shotsIn(frame.resampled(720, 640)), 1) << "the shot";
    EXPECT_EQ(shotsIn(later(800).resampled(720, 640)), 0) << "a shot after the first one's 0.4 s, fire held";
    for (const auto& [type, fingers, expected] :
         std::initializer_list<std::tuple<const char*, std::vector<std::pair<int, Place>>, const char*>>{
             {"touchEnd", {{2, thrust}}, "[-101]"},      // the thrust finger lifted, the others held
             {"touchMove", {{1, right}}, "[-100,102]"},  // a finger slid from one button to another
             {"touchMove", {{1, field}}, "[-102]"},      // a finger slid off the buttons
             {"touchCancel", {}, "[-32]"},               // every finger cancelled
             {"touchStart", {{4, left}, {5, thrust}}, "[100,101]"}}) {
        touch(type, fingers);
        EXPECT_EQ(given(), expected) << type;
    }
    phone.command("hide");
    EXPECT_EQ(given(), "[-100,-101]") << "fingers down while the page was hidden";
    phone.command("show");
    touch("touchEnd", {{4, left}, {5, thrust}});
    EXPECT_EQ(given(), "[]") << "fingers lifted after the page let their keys go";

    // Storms of up to three fingers coming down, sliding and lifting anywhere.
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::map<int, Place> down;
    std::map<int, bool> held;  // by key, from what the game was given
    for (int event = 0, next = 10; event < 300; ++event) {
        const auto finger =
            std::next(down.begin(), down.empty() ? 0 : static_cast<long>(random() % down.size()));
        if (down.empty() || (down.size() < 3 && random() % 3 == 0)) {
            touch("touchStart", {{next, down[next] = static_cast<Place>(random() % 5)}});
            ++next;
        } else if (random() % 2 == 0) {
            touch("touchMove", {{finger->first, finger->second = static_cast<Place>(random() % 5)}});
        } else if (random() % 10 == 0) {
            down.clear();
            touch("touchCancel", {});
        } else {
            touch("touchEnd", {*finger});
            down.erase(finger);
        }
        for (const double key : numbers(given())) {
            EXPECT_NE(held[static_cast<int>(std::abs(key))], key > 0) << "key " << key << " given twice over";
            held[static_cast<int>(std::abs(key))] = key > 0;
        }
        EXPECT_TRUE(!down.empty() || std::none_of(held.begin(), held.end(), [](const auto& k) {
            return k.second;
        })) << "a key held with no finger down";
    }
    if (!down.empty()) {
        touch("touchCancel", {});
    }
    EXPECT_EQ(look(later(100)).red, 0) << "the flame once every finger is up";
}

// The page installs to a home screen and, once loaded, plays with the network gone, every file from
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
    page.command("serve none");
    page.command("reload");
    page.key("Up", true);
    EXPECT_GT(look(page.frame()).red, 5) << "offline: the flame while thrust is held";
    page.key("Up", false);
    EXPECT_EQ(page.js("return performance.getEntriesByType('resource').filter((e) => e.workerStart === 0"
                      " && !e.name.endsWith('test-hooks.js')).map((e) => e.name)"),
              "[]")
        << "files not from the service worker";

    // The second version: each text file says so, and its service worker keeps its files in a cache
    // of its own, as a new version's does.
    const auto second =
        std::filesystem::temp_directory_path() / ("asteroids-second-" + std::to_string(getpid()));
    std::filesystem::remove_all(second);
    std::filesystem::copy(std::getenv("ASTEROIDS_PAGE"), second, std::filesystem::copy_options::recursive);
    for (const auto& [file, after, words] :
         {std::tuple{"sw.js", "bexum-asteroids-", "second-"},
          {"manifest.webmanifest", "\"description\": \"", "second version: "},
          {"index.html", "<body>", "<!-- second version -->"},
          {"page.js", "", "/* second version */"},
          {"page.css", "", "/* second version */"},
          {"asteroids.js", "", "/* second version */"}}) {
        std::ifstream in(second / file);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::ofstream(second / file) << text.insert(text.find(after) + std::string(after).size(), words);
    }
    const std::string versions =
        "return Promise.all(['./', 'index.html', 'page.js', 'page.css', 'asteroids.js', "
        "'manifest.webmanifest']"
        ".map(async (file) => (await (await fetch(file)).text()).includes('second version') ? 2 : 1))";
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

// Game pads, on a stand-in for the browser's Gamepad API (page_hooks.js): until the browser shows the
// page a pad, the page asks for a button to be pressed; then it names the pad, or one of a layout it
// cannot play with as not supported, which does nothing. A browser without the Gamepad API, or one
// that refuses the page its pads, leaves it playing by keys, with no error and no word of pads; a
// key let go with Ctrl held is let go.
TEST(Page, NamesItsPadsAndPlaysWithoutThem) {
    const std::string line =
        "const p = document.querySelector('#pads'); return p.hidden ? null : p.textContent";
    {
        PageSession page("--pad");
        EXPECT_EQ(page.js(line), "\"Press a button on your controller\"");
        page.key("space", true);  // which plugs the pad in
        EXPECT_EQ(page.js(line), "\"Controller: Test pad (STANDARD GAMEPAD)\"");
        page.js(
            "testHooks.pad(null); const up = Array(17).fill(0); up[12] = 1;"
            " testHooks.pad({ id: 'Odd pad', mapping: '', buttons: up, axes: [0, 0, 0, 0] })");
        EXPECT_EQ(page.js(line), "\"Not supported: Odd pad\"");
        EXPECT_EQ(look(page.frame()).red, 0) << "the flame from the D-pad's up of a pad not supported";
    }
    for (const char* without : {"--no-gamepads", "--gamepads-throw"}) {
        PageSession page(without);
        EXPECT_EQ(page.js(line), "null") << without;
        page.key("Up", true);
        EXPECT_GT(look(page.frame()).red, 5) << "the flame while Up is held, " << without;
        page.js("window.dispatchEvent(new KeyboardEvent('keyup', {key: 'ArrowUp', ctrlKey: true}))");
        EXPECT_EQ(look(page.frame()).red, 0) << "the flame once Up is let go with Ctrl held, " << without;
    }
}

// Without WebGL, or when the browser takes the game's context away, a sentence in place of the canvas.
TEST(Page, SaysInOneSentenceWhenItHasNoWebGLOrLosesIt) {
    const std::string said =
        "return [document.querySelector('#game').hidden, document.querySelector('#message').textContent]";
    if (browserEngine() != "webkit") {
        PageSession none("--no-webgl");
        EXPECT_EQ(none.js(said),
                  "[true,\"This browser cannot show the game: it needs WebGL, which is turned off or "
                  "not available here.\"]");
    }
    PageSession lost;
    lost.js(
        "document.querySelector('#game').getContext('webgl').getExtension('WEBGL_lose_context').loseContext("
        ")");
    EXPECT_EQ(lost.js(said),
              "[true,\"The browser took the game's graphics away; reload the page to play again.\"]");
}

}  // namespace
