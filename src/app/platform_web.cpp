#include <emscripten.h>
#include <emscripten/eventloop.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <ctime>
#include <optional>
#include <string_view>

#include "app/pacing.h"
#include "input/controls.h"
#include "input/gamepad.h"
#include "render/picture.h"
#include "render/scene.h"
#include "render/webgl.h"
#include "world/clock.h"
#include "world/update.h"
#include "world/world.h"

// The page: the game in a browser, through Emscripten's html5.h and WebGL, the whole of its story
// here. A page must never block its thread, and a browser calls back once per display refresh (30 to
// 240 times a second) and not at all while the page is hidden. So the world steps on the same grid
// of sixtieths of a second as on the desktop, and a callback runs every step that has come due since
// the last one, each at its own time: a page shown again after an hour hidden is where an hour of
// play would have put it. Each callback then draws the world as it stands at that refresh, carried on
// from its last step, whenever that differs from what the canvas shows.

namespace {

// ---- The clocks ----------------------------------------------------------------------------------

PaceClock::time_point pageStart;
std::time_t epochAtStart;
// The time that the rules read: that of the step being run, or else now.
std::optional<PaceClock::time_point> stepTime;

PaceClock::time_point gameNow() { return stepTime.value_or(PaceClock::now()); }

std::int32_t gameMs() {
    return static_cast<std::int32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(gameNow() - pageStart).count());
}

std::int64_t epochSeconds() {
    return epochAtStart + std::chrono::duration_cast<std::chrono::seconds>(gameNow() - pageStart).count();
}

// ---- The steps ------------------------------------------------------------------------------------

StepSchedule schedule;
PaceClock::time_point lastStep;  // the time of the last step run

// Runs every step due by now, each at its own time. The animation frame runs them, and so does every
// key before it reaches the game: a browser late with its frame would otherwise have the rules read
// the key's time before the times of steps still to come, and a shot fired then would fly on for
// those steps too.
void runDueSteps() {
    while ((stepTime = takeDueStep(schedule, PaceClock::now()))) {
        updateWorld(world);
        lastStep = *stepTime;
    }
}

// ---- The controls: keys, touch buttons and pads --------------------------------------------------

Controls controls;

// A key of the game's, by the window system's code, pressed or let go.
void pressKey(int key, bool down, unsigned source) {
    const auto control = controlOfKey(key);
    if (!control) {
        return;
    }
    runDueSteps();
    if (down) {
        pressControl(world, controls, *control, source);
    } else {
        releaseControl(world, controls, *control, source);
    }
}

// The pads in every slot of the browser's Gamepad API, read once an animation frame: those with the
// standard layout; a slot with none, or another kind, holds nothing.
std::array<Pad, maxPads> pads;
bool padsReadable = false;

void readPads() {
    if (!padsReadable || emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) {
        return;
    }
    const int slots = emscripten_get_num_gamepads();
    for (unsigned slot = 0; slot < maxPads; ++slot) {
        EmscriptenGamepadEvent read{};
        const bool standard =
            static_cast<int>(slot) < slots &&
            emscripten_get_gamepad_status(static_cast<int>(slot), &read) == EMSCRIPTEN_RESULT_SUCCESS &&
            read.connected != 0 && std::string_view(read.mapping) == "standard";
        PadState state;
        for (std::size_t i = 0; standard && i < state.buttons.size() && static_cast<int>(i) < read.numButtons;
             ++i) {
            state.buttons[i] = static_cast<float>(read.analogButton[i]);
        }
        for (std::size_t i = 0; standard && i < state.axes.size() && static_cast<int>(i) < read.numAxes;
             ++i) {
            state.axes[i] = static_cast<float>(read.axis[i]);
        }
        const Pad now = standard ? readPad(state, pads[slot]) : Pad{};
        playPad(world, controls, pads[slot], now, firstPad + slot);
        pads[slot] = now;
    }
}

// ---- The loop: steps, pads and a frame in each animation frame -----------------------------------

Picture shown, next;  // what the canvas shows, and the picture of the moment to draw

// The world as it stands at `moment`, drawn unless the canvas shows it already (nothing has moved,
// as once every asteroid is gone) or `always` (the canvas is new).
void draw(PaceClock::time_point moment, bool always) {
    describeScene(world, std::chrono::duration<double, std::milli>(moment - lastStep).count(), next);
    if (always || next != shown) {
        drawPicture(next);
        std::swap(shown, next);
    }
}

// One draw a frame at most, of the moment of the browser's refresh, `time` on the page's clock: not
// before the last step, which a key may have run since the refresh began.
EM_BOOL animationFrame(double time, void* /*data*/) {
    runDueSteps();
    readPads();
    const auto refresh = PaceClock::time_point(
        std::chrono::duration_cast<PaceClock::duration>(std::chrono::duration<double, std::milli>(time)));
    draw(std::clamp(refresh, lastStep, PaceClock::now()), false);
    return EM_TRUE;
}

// A hidden page gets no animation frames, but its timers still run, once a second or, after some
// minutes, once a minute: the steps run on one, so that the steps to run when the page shows again
// are a minute's at most, never a day's.
long hiddenTimer = 0;

void hiddenTick(void* /*data*/) { runDueSteps(); }

// ---- The canvas ----------------------------------------------------------------------------------

// The JavaScript below is formatted as JavaScript, which clang-format would take for C++.
// clang-format off

// The canvas's size on the page is the page's to choose (page.js fits it to the screen); its pixels
// are the screen's, as many as that size covers, and follow it.
EM_JS(void, followCanvasSize, (), {
    const canvas = document.getElementById('game');
    const follow = (first) => {
        const css = canvas.getBoundingClientRect();
        const ratio = window.devicePixelRatio || 1;
        const width = Math.round(css.width * ratio);
        const height = Math.round(css.height * ratio);
        const changed = width !== canvas.width || height !== canvas.height;
        if (width > 0 && height > 0 && (first === true || changed)) {
            canvas.width = width;  // which clears it
            canvas.height = height;
            _canvasResized(width, height, first !== true);
        }
    };
    new ResizeObserver(follow).observe(canvas);
    window.addEventListener('resize', follow);
    follow(true);
});

// The keys the game takes, as browsers name them, and the codes the rules know them by (the down
// arrow, GLUT's 103, does nothing, but is the game's so that it never scrolls the page). A key held
// down gives one press and one release: the browser's repeats are dropped. The game's keys are the
// game's alone, whatever has the focus: Space does not press a focused button. A key pressed with
// Ctrl, Alt or the command key stays the browser's (closing or reloading the tab, going back), but a
// game's key let go is let go, whatever is held with it.
EM_JS(void, takeTheGamesKeys, (), {
    const codes = {'ArrowLeft': 100, 'ArrowUp': 101, 'ArrowRight': 102, 'ArrowDown': 103, ' ': 32};
    const key = (event) => {
        const code = codes[event.key];
        const down = event.type === 'keydown';
        if (code && !event.ctrlKey && !event.altKey && !event.metaKey) {
            event.preventDefault();
        } else if (!code || down) {
            return;
        }
        if (!event.repeat) _pressGameKey(code, down, 0);
    };
    window.addEventListener('keydown', key, true);
    window.addEventListener('keyup', key, true);
    document.addEventListener('visibilitychange', () => _pageHidden(document.hidden));
    // For the touch buttons; the game has started.
    Module['pressGameKey'] = (key, down) => _pressGameKey(key, down, 1);
});

// Whether the browser lets the page read its pads: some have no navigator.getGamepads, and some make
// it throw (a page in a frame that is not allowed them), which Emscripten's reading does not catch.
EM_JS(int, gamepadsCanBeRead, (), {
    try {
        navigator.getGamepads();
        return 1;
    } catch (error) {
        return 0;
    }
});

// The page says so when the browser gives the game no WebGL.
EM_JS(void, sayThereIsNoWebGL, (), { Module['noWebGL'](); });

// clang-format on

// WebGL on the page's canvas, which the game smooths itself: no multisampling, and no alpha to
// blend the page behind it.
bool openCanvas() {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_FALSE;
    attributes.antialias = EM_FALSE;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context("#game", &attributes);
    return context > 0 && emscripten_webgl_make_context_current(context) == EMSCRIPTEN_RESULT_SUCCESS &&
           setUpRendering();
}

}  // namespace

extern "C" {

// The canvas has `width` by `height` pixels now, cleared: drawn into whole, at once once the game is
// showing, so that no frame shows it empty.
EMSCRIPTEN_KEEPALIVE void canvasResized(int width, int height, int showing) {
    resizeRendering(width, height);
    if (showing != 0) {
        draw(PaceClock::now(), true);
    }
}

// A key of the game's pressed or let go, by the keyboard (source 0) or by the page's touch buttons
// (page.js, through Module.pressGameKey: source 1).
EMSCRIPTEN_KEEPALIVE void pressGameKey(int key, int down, int source) {
    pressKey(key, down != 0, source == 0 ? keyboard : touchButtons);
}

// The page hidden behind another tab or shown again.
EMSCRIPTEN_KEEPALIVE void pageHidden(int hidden) {
    if (hidden != 0 && hiddenTimer == 0) {
        hiddenTimer = emscripten_set_interval(hiddenTick, 1000, nullptr);
    } else if (hidden == 0 && hiddenTimer != 0) {
        emscripten_clear_interval(hiddenTimer);
        hiddenTimer = 0;
    }
}

}  // extern "C"

int main() {
    createWorld(world);
    pageStart = PaceClock::now();
    epochAtStart = std::time(nullptr);
    schedule.nextDue = pageStart;
    clocks() = {gameMs, gameMs, epochSeconds};
    if (!openCanvas()) {
        sayThereIsNoWebGL();
        return 1;
    }
    followCanvasSize();
    takeTheGamesKeys();
    padsReadable = gamepadsCanBeRead() != 0;
    runDueSteps();  // the first frame at once, not at the display's next refresh
    draw(PaceClock::now(), true);
    emscripten_request_animation_frame_loop(animationFrame, nullptr);
}
