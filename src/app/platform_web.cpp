#include <emscripten.h>
#include <emscripten/html5.h>

#include <array>
#include <cmath>
#include <ctime>

#include "app/callbacks.h"
#include "app/pacing.h"
#include "app/platform.h"
#include "render/glut.h"
#include "world/clock.h"
#include "world/update.h"
#include "world/world.h"

// The browser, through Emscripten's GLUT and its fixed-function OpenGL emulation on WebGL. A page
// must never block its thread, and a browser calls back once per display refresh (60, 120 or 144
// times a second) and not at all while the page is hidden. So the world steps on the same grid of
// sixtieths of a second as on the desktop, and a callback runs every step that has come due since
// the last one, each at its own time: a page shown again after an hour hidden is where an hour of
// play would have put it. What Emscripten's GLUT lacks, and the game uses, is supplied here.

namespace {

// The text: GLUT's 18-point Helvetica, from freeglut's font data (taken at build time from Debian's
// freeglut source package; its licence ships with the page).
struct BitmapFont {
    int height;
    float xorig, yorig;
    const GLubyte* const* characters;  // each: its advance in pixels, then rows from the bottom
};
#include "helvetica18.inc"

// The device pixels to a CSS pixel: the canvas has that many more, so lines stay sharp, while the
// text and the shot keep their size.
double pixelRatio = 1;

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
// the browser's, and a held key's repeats are dropped while key repeat is ignored. Returns the
// device pixels to a CSS pixel.
EM_JS(double, takeTheGamesKeys, (), {
    const gameKeys = ['ArrowLeft', 'ArrowUp', 'ArrowRight', 'ArrowDown', ' '];
    const filter = (event) => {
        const theGame = gameKeys.includes(event.key) && !event.ctrlKey && !event.altKey && !event.metaKey;
        if (theGame) {
            event.preventDefault();
        }
        if (!theGame || (event.repeat && Module['ignoreKeyRepeat'])) {
            event.stopImmediatePropagation();
        }
    };
    window.addEventListener('keydown', filter, true);
    window.addEventListener('keyup', filter, true);
    return window.devicePixelRatio || 1;
});

// The window: the canvas, its size in CSS pixels as GLUT was given it and its pixels the screen's,
// with a WebGL context that has the browser's antialiasing (WebGL has no line smoothing).
EM_JS(int, createCanvasContext, (double ratio), {
    const canvas = Module['canvas'];
    canvas.width = Math.round(GLUT.initWindowWidth * ratio);
    canvas.height = Math.round(GLUT.initWindowHeight * ratio);
    Module.ctx = Browser.createContext(canvas, true, true, {antialias: true, alpha: false});
    return Module.ctx ? 1 : 0;
});

// clang-format on

}  // namespace

// ---- platform.h ----------------------------------------------------------------------------------

void detachConsole() {}

// The page says so itself when the browser has no WebGL.
void requireDisplay(int /*argc*/, char** /*argv*/) {}

void prepareRenderer() { pixelRatio = takeTheGamesKeys(); }

void installClocks() {
    glutStart = PaceClock::now();
    epochAtStart = std::time(nullptr);
    schedule.nextDue = glutStart;
    clocks() = {gameMs, gameMs, epochSeconds};
}

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
int glutCreateWindow(const char* /*title*/) { return createCanvasContext(pixelRatio); }

void glutPostWindowRedisplay(int /*window*/) { redisplayPosted = true; }

int glutGetWindow() { return 1; }

void glutVisibilityFunc(void (*callback)(int)) {
    visibilityCallback = callback;
    emscripten_set_visibilitychange_callback(nullptr, false, visibilityChange);
}

void glutIgnoreKeyRepeat(int ignore) {
    EM_ASM({ Module['ignoreKeyRepeat'] = $0 != 0; }, ignore);
}

// ---- Bitmap text: glRasterPos and glutBitmapCharacter --------------------------------------------

namespace {

// The current raster position in CSS pixels from the canvas's bottom-left corner, and its colour.
struct {
    double x = 0, y = 0;
    std::array<GLfloat, 4> colour{1, 1, 1, 1};
} raster;

}  // namespace

void glRasterPos2i(GLint x, GLint y) {
    std::array<GLfloat, 16> modelView{}, projection{};
    std::array<GLint, 4> viewport{};
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView.data());
    glGetFloatv(GL_PROJECTION_MATRIX, projection.data());
    glGetIntegerv(GL_VIEWPORT, viewport.data());
    std::array<double, 4> eye{}, clip{};
    const std::array<double, 4> object{static_cast<double>(x), static_cast<double>(y), 0, 1};
    for (std::size_t row = 0; row < 4; ++row) {
        for (std::size_t k = 0; k < 4; ++k) {
            eye[row] += modelView[k * 4 + row] * object[k];
        }
    }
    for (std::size_t row = 0; row < 4; ++row) {
        for (std::size_t k = 0; k < 4; ++k) {
            clip[row] += projection[k * 4 + row] * eye[k];
        }
    }
    raster.x = (viewport[0] + (clip[0] / clip[3] + 1) / 2 * viewport[2]) / pixelRatio;
    raster.y = (viewport[1] + (clip[1] / clip[3] + 1) / 2 * viewport[3]) / pixelRatio;
    EM_ASM({ HEAPF32.set(GLImmediate.clientColor, $0 >> 2); }, raster.colour.data());
}

// Each set bit of the glyph is a square of the screen's pixels to a CSS pixel, drawn in runs along
// its rows, with the bitmap's lower-left corner where Mesa puts it: the raster position less the
// font's origin, rounded down after a ten-thousandth of a pixel is added, so that a position a
// rounding short of a whole pixel counts as that pixel. The raster position then moves on by the
// glyph's advance.
void* glutBitmapHelvetica18 = nullptr;  // its address names the font

void glutBitmapCharacter(void* font, int character) {
    if (font != GLUT_BITMAP_HELVETICA_18 || character < 1 || character > 255) {
        return;
    }
    const GLubyte* glyph = helvetica18.characters[character];
    const int width = glyph[0];
    const std::ptrdiff_t rowBytes = (width + 7) / 8;
    constexpr double epsilon = 0.0001;
    const double left = std::floor(raster.x + epsilon - helvetica18.xorig);
    const double bottom = std::floor(raster.y + epsilon - helvetica18.yorig);
    std::array<GLint, 4> viewport{};
    glGetIntegerv(GL_VIEWPORT, viewport.data());

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, viewport[2] / pixelRatio, 0, viewport[3] / pixelRatio, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    std::array<GLfloat, 4> current{};
    EM_ASM({ HEAPF32.set(GLImmediate.clientColor, $0 >> 2); }, current.data());
    glColor4f(raster.colour[0], raster.colour[1], raster.colour[2], raster.colour[3]);
    glBegin(GL_QUADS);
    for (std::ptrdiff_t row = 0; row < helvetica18.height; ++row) {
        const GLubyte* bits = glyph + 1 + row * rowBytes;
        for (int column = 0; column < width;) {
            const auto set = [&](int c) { return c < width && (bits[c / 8] & (0x80 >> (c % 8))) != 0; };
            if (!set(column)) {
                ++column;
                continue;
            }
            int end = column;
            while (set(end)) {
                ++end;
            }
            const auto x0 = static_cast<GLfloat>(left + column), x1 = static_cast<GLfloat>(left + end);
            const auto y0 = static_cast<GLfloat>(bottom + row), y1 = static_cast<GLfloat>(bottom + row + 1);
            glVertex2f(x0, y0);
            glVertex2f(x1, y0);
            glVertex2f(x1, y1);
            glVertex2f(x0, y1);
            column = end;
        }
    }
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glColor4f(current[0], current[1], current[2], current[3]);
    raster.x += width;
}

// The shot is a point the size of three CSS pixels, as wide as on the desktop at any pixel ratio.
void glPointSize(GLfloat size) {
    EM_ASM({ GLEmulation.pointSize = $0; }, size * pixelRatio);
}

}  // extern "C"
