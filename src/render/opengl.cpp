#include "render/opengl.h"

#include <algorithm>
#include <vector>

#include "render/glut.h"
#include "render/letters.h"
#include "render/picture.h"

namespace {

int width = windowWidth, height = windowHeight;  // the window's, in pixels
// The window's pixels to a pixel of the 720 by 640 window, for the widths of lines and the size of
// the words. The field stretches to the window's shape, but a line or a letter has one scale: the
// smaller of the two stretches, so that the words, laid out as the 720 by 640 window's, stay within
// the field's places for them (the label short of the digit, "GAME OVER" within the field) and a
// window made only wider or only taller draws its lines and words as the 720 by 640 window does.
double scale = 1;
GlyphAtlas atlas;  // the letters drawn from the outlines at the last scale but 1, where GLUT draws
GLuint glyphs = 0;
std::vector<PlacedGlyph> letters;

void setColour(Colour c) { glColor3f(c.red, c.green, c.blue); }

void drawLines(const Mark& mark) {
    glPushMatrix();
    glTranslatef(mark.at.x, mark.at.y, 0);
    glRotatef(mark.angleDegrees, 0, 0, 1);
    setColour(mark.colour);
    glBegin(mark.kind == Mark::Kind::lineLoop ? GL_LINE_LOOP : GL_LINE_STRIP);
    for (const Vertex v : mark.outline) {
        glVertex2f(v.x, v.y);
    }
    glEnd();
    glPopMatrix();
}

void drawPoint(const Mark& mark) {
    glBegin(GL_POINTS);
    setColour(mark.colour);
    glVertex2f(mark.at.x, mark.at.y);
    glEnd();
}

// GLUT's 18-point Helvetica, one character at a time from the raster position.
void drawBitmapText(const Mark& mark) {
    glPushMatrix();
    glLoadIdentity();
    setColour(mark.colour);
    glRasterPos2i(static_cast<GLint>(mark.at.x), static_cast<GLint>(mark.at.y));
    for (const char c : mark.text) {
        glutBitmapCharacter(GLUT_BITMAP_HELVETICA_18, c);
    }
    glPopMatrix();
}

// The atlas's letters, each on a quad of whole window pixels, on a projection of those pixels.
void drawScaledText(const Mark& mark) {
    letters.clear();
    layOutText(atlas,
               {mark.at.x * static_cast<float>(width) / fieldUnits,
                mark.at.y * static_cast<float>(height) / fieldUnits},
               mark.text, letters);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width, 0, height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    setColour(mark.colour);
    glBegin(GL_QUADS);
    for (const PlacedGlyph& letter : letters) {
        const LetterQuad q = quadOf(atlas, letter);
        glTexCoord2f(q.atlasLeft, q.atlasBottom);
        glVertex2f(q.left, q.bottom);
        glTexCoord2f(q.atlasRight, q.atlasBottom);
        glVertex2f(q.right, q.bottom);
        glTexCoord2f(q.atlasRight, q.atlasTop);
        glVertex2f(q.right, q.top);
        glTexCoord2f(q.atlasLeft, q.atlasTop);
        glVertex2f(q.left, q.top);
    }
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

}  // namespace

void setUpRendering() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, fieldUnits, 0, fieldUnits, 0, fieldUnits);
    glMatrixMode(GL_MODELVIEW);

    glClearColor(fieldColour.red, fieldColour.green, fieldColour.blue, 1);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_POINT_SMOOTH);

    // The letters' coverage in the texture's alpha, which takes the colour given: white.
    glGenTextures(1, &glyphs);
    glBindTexture(GL_TEXTURE_2D, glyphs);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    resizeRendering(width, height);
}

void resizeRendering(int newWidth, int newHeight) {
    width = newWidth;
    height = newHeight;
    glViewport(0, 0, width, height);
    scale = std::min(static_cast<double>(width) / windowWidth, static_cast<double>(height) / windowHeight);
    glLineWidth(scaledPixels(linePixels, scale));
    glPointSize(scaledPixels(shotPixels, scale));
    if (scale != 1 && atlas.scale != scale) {
        atlas = drawGlyphs(scale);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, atlas.width, atlas.height, 0, GL_ALPHA, GL_UNSIGNED_BYTE,
                     atlas.coverage.data());
    }
}

void drawPicture(const Picture& picture) {
    glClear(GL_COLOR_BUFFER_BIT);
    glLoadIdentity();
    for (const Mark& mark : picture.marks) {
        switch (mark.kind) {
        case Mark::Kind::lineLoop:
        case Mark::Kind::lineStrip: drawLines(mark); break;
        case Mark::Kind::point: drawPoint(mark); break;
        case Mark::Kind::text: scale == 1 ? drawBitmapText(mark) : drawScaledText(mark); break;
        }
    }
}
