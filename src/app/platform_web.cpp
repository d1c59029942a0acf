#include <emscripten.h>
#include <emscripten/html5.h>

#include <ctime>

#include "app/callbacks.h"
#include "app/pacing.h"
#include "app/platform.h"
#include "app/web_text.h"
#include "input/keyboard.h"
#include "render/glut.h"
#include "world/clock.h"
#include "world/update.h"
#include "world/world.h"

// The browser, through Emscripten's GLUT and its fixed-function OpenGL emulation on WebGL. A page
// must never block its thread, and a browser calls back once per display refresh (60, 120 or 144
// times a second) and not at all while the page is hidden. So the world steps on the same grid of
// sixtieths of a second as on the desktop, and a callback runs every step that has come due since
// the last one, each at its own time: a page shown again after an hour hidden is where an hour of
// play would have put it. What Emscripten's GLUT lacks of the window and its loop is supplied here,
// and of the drawing in web_text.cpp.

namespace {

// ---- The clocks ----------------------------------------------------------------------------------

PaceClock::time_point glutStart;
std::time_t epochAtStart;
// The time that the rules read: that of the step being run, or else now.
std::optional<PaceClock::time_point> stepTime;

PaceClock::time_point gameNow() { return stepTime.value_or(PaceClock::now()); }

std::int32_t gameMs() {
    return static_cast<std::int32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(gameNow() - glutStart).count());
}

std::int64_t epochSeconds() {
    return epochAtStart + std::chrono::duration_cast<std::chrono::seconds>(gameNow() - glutStart).count();
}

// ---- The loop: GLUT's idle and display callbacks, once per animation frame ----------------------

StepSchedule schedule;
void (*idleCallback)() = nullptr;
void (*displayCallback)() = nullptr;
void (*visibilityCallback)(int) = nullptr;
bool redisplayPosted = false;

void animationFrame() {
    if (idleCallback != nullptr) {
        idleCallback();
    }
    if (redisplayPosted && displayCallback != nullptr) {
        redisplayPosted = false;
        displayCallback();
    }
}

// A hidden page gets no animation frames, but its timers still run, once a second or, after some
// minutes, once a minute: the idle callback runs on one, so that the steps to run when the page
// shows again are a minute's at most, never a day's.
long hiddenTimer = 0;

void hiddenTick(void* /*data*/) {
    if (idleCallback != nullptr) {
        idleCallback();
    }
}

EM_BOOL visibilityChange(int /*type*/, const EmscriptenVisibilityChangeEvent* event, void* /*data*/) {
    if (event->hidden && hiddenTimer == 0) {
        hiddenTimer = emscripten_set_interval(hiddenTick, 1000, nullptr);
    } else if (!event->hidden && hiddenTimer != 0) {
        emscripten_clear_interval(hiddenTimer);
        hiddenTimer = 0;
    }
    if (visibilityCallback != nullptr) {
        visibilityCallback(event->hidden ? GLUT_NOT_VISIBLE : GLUT_VISIBLE);
    }
    return EM_FALSE;
}

// ---- The page's canvas and keys ------------------------------------------------------------------

// The JavaScript below is formatted as JavaScript, which clang-format would take for C++.
// clang-format off

// Takes the keys the game plays with before GLUT's own listeners see them: the arrows and space
// never scroll the page, a key the browser keeps (closing or reloading the tab, going back) stays
// the browser's, and a held key's repeats are dropped while key repeat is ignored. A key that goes
// on to the game finds the steps due before it run.
EM_JS(void, takeTheGamesKeys, (), {
    const gameKeys = ['ArrowLeft', 'ArrowUp', 'ArrowRight', 'ArrowDown', ' '];
    const filter = (event) => {
        const theGame = gameKeys.includes(event.key) && !event.ctrlKey && !event.altKey && !event.metaKey;
        if (theGame) {
            event.preventDefault();
        }
        if (!theGame || (event.repeat && Module['ignoreKeyRepeat'])) {
            event.stopImmediatePropagation();
        } else {
            _runDueSteps();
        }
    };
    window.addEventListener('keydown', filter, true);
    window.addEventListener('keyup', filter, true);
});

// The window: the canvas, with a WebGL context that has the browser's antialiasing (WebGL has no
// line smoothing). Its size on the page is the page's to choose (page.js fits it to the screen);
// its pixels are the screen's, as many as that size covers, and follow it.
EM_JS(int, createCanvasContext, (), {
    const canvas = Module['canvas'];
    Module.ctx = Browser.createContext(canvas, true, true, {antialias: true, alpha: false});
    if (!Module.ctx) {
        return 0;
    }
    const follow = () => {
        const css = canvas.getBoundingClientRect();
        const ratio = window.devicePixelRatio || 1;
        const width = Math.round(css.width * ratio);
        const height = Math.round(css.height * ratio);
        if (width > 0 && height > 0) {
            if (width !== canvas.width || height !== canvas.height) {
                canvas.width = width;  // which clears it
                canvas.height = height;
            }
            _canvasResized(width, height, width / css.width);
        }
    };
    new ResizeObserver(follow).observe(canvas);
    window.addEventListener('resize', follow);
    follow();
    return 1;
});

// clang-format on

}  // namespace

// ---- platform.h ----------------------------------------------------------------------------------

void detachConsole() {}

// The page says so itself when the browser has no WebGL.
void requireDisplay(int /*argc*/, char** /*argv*/) {}

void prepareRenderer() { takeTheGamesKeys(); }

void installClocks() {
    glutStart = PaceClock::now();
    epochAtStart = std::time(nullptr);
    schedule.nextDue = glutStart;
    clocks() = {gameMs, gameMs, epochSeconds};
}

// Runs every step due by now, each at its own time. The animation frame's callback runs them, and so
// does every key before it reaches the game: a browser late with its callback would otherwise have
// the rules read the key's time before the times of steps still to come, and a shot fired then would
// fly on for those steps too.
void updateWorld() {
    bool stepped = false;
    while ((stepTime = takeDueStep(schedule, PaceClock::now()))) {
        updateWorld(world);
        stepped = true;
    }
    if (stepped) {
        glutPostWindowRedisplay(world.windowId);
    }
}

// ---- What Emscripten's GLUT lacks ---------------------------------------------------------------

extern "C" {

// The idle callback runs once per animation frame, and the display after it when a redraw was
// posted: one draw a frame at most, of the newest world. (Emscripten's own idle loop polls every 4
// ms, and its display waits for the next frame.)
void glutIdleFunc(void (*callback)()) {
    if (idleCallback == nullptr) {
        emscripten_set_main_loop(animationFrame, 0, false);
    }
    idleCallback = callback;
}

void glutDisplayFunc(void (*callback)()) { displayCallback = callback; }

// The page has the one canvas, which is the window; its title is the page's.
int glutCreateWindow(const char* /*title*/) { return createCanvasContext(); }

void glutPostWindowRedisplay(int /*window*/) { redisplayPosted = true; }

int glutGetWindow() { return 1; }

void glutVisibilityFunc(void (*callback)(int)) {
    visibilityCallback = callback;
    emscripten_set_visibilitychange_callback(nullptr, false, visibilityChange);
}

void glutIgnoreKeyRepeat(int ignore) {
    EM_ASM({ Module['ignoreKeyRepeat'] = $0 != 0; }, ignore);
}

// ---- Called from the page ------------------------------------------------------------------------

// The canvas has `width` by `height` pixels now, `ratio` of them to a CSS pixel: drawn into whole,
// at once.
EMSCRIPTEN_KEEPALIVE void canvasResized(int width, int height, double ratio) {
    glViewport(0, 0, width, height);
    keepTextAndShotSize(ratio);
    redisplayPosted = true;
}

EMSCRIPTEN_KEEPALIVE void runDueSteps() { updateWorld(); }

// A key of the game's pressed or let go by the page's touch buttons (page.js): into the callbacks the
// keyboard's keys go to, the fire key on its press alone, as GLUT gives it.
EMSCRIPTEN_KEEPALIVE void pressGameKey(int key, int down) {
    updateWorld();
    if (key == fireKey) {
        if (down != 0) {
            keyPressed(fireKey, 0, 0);
        }
    } else if (down != 0) {
        specialKeyDown(key, 0, 0);
    } else {
        specialKeyUp(key, 0, 0);
    }
}

}  // extern "C"
