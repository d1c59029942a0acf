#include "app/web_text.h"

#include <emscripten.h>

#include <array>
#include <cmath>
#include <cstddef>

#include "render/glut.h"

// What Emscripten's GL and GLUT lack of the game's drawing: bitmap text at a raster position, and
// the size of points. Both are kept to the size they have on the desktop, in CSS pixels, on a canvas
// of any number of the screen's pixels to a CSS pixel.

namespace {

// GLUT's 18-point Helvetica, from freeglut's font data (taken at build time from Debian's freeglut
// source package; its licence ships with the page).
struct BitmapFont {
    int height;
    float xorig, yorig;
    const GLubyte* const* characters;  // each: its advance in pixels, then rows from the bottom
};
#include "helvetica18.inc"

double pixelRatio = 1;
GLfloat pointSize = 1;

// The current raster position in CSS pixels from the canvas's bottom-left corner, and its colour.
struct {
    double x = 0, y = 0;
    std::array<GLfloat, 4> colour{1, 1, 1, 1};
} raster;

}  // namespace

void keepTextAndShotSize(double devicePixelsPerCssPixel) {
    pixelRatio = devicePixelsPerCssPixel;
    glPointSize(pointSize);
}

extern "C" {

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

// A point is as many CSS pixels across as the desktop's pixels: the shot is three.
void glPointSize(GLfloat size) {
    pointSize = size;
    EM_ASM({ GLEmulation.pointSize = $0; }, size * pixelRatio);
}

}  // extern "C"
