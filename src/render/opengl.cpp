#include "render/opengl.h"

#include "render/glut.h"
#include "render/picture.h"

namespace {

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
void drawText(const Mark& mark) {
    glPushMatrix();
    glLoadIdentity();
    setColour(mark.colour);
    glRasterPos2i(static_cast<GLint>(mark.at.x), static_cast<GLint>(mark.at.y));
    for (const char c : mark.text) {
        glutBitmapCharacter(GLUT_BITMAP_HELVETICA_18, c);
    }
    glPopMatrix();
}

}  // namespace

void setUpRendering() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, fieldUnits, 0, fieldUnits, 0, fieldUnits);
    glMatrixMode(GL_MODELVIEW);

    glPointSize(shotPixels);
    glLineWidth(linePixels);
    glClearColor(fieldColour.red, fieldColour.green, fieldColour.blue, 1);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_POINT_SMOOTH);
}

void drawPicture(const Picture& picture) {
    glClear(GL_COLOR_BUFFER_BIT);
    glLoadIdentity();
    for (const Mark& mark : picture.marks) {
        switch (mark.kind) {
        case Mark::Kind::lineLoop:
        case Mark::Kind::lineStrip: drawLines(mark); break;
        case Mark::Kind::point: drawPoint(mark); break;
        case Mark::Kind::text: drawText(mark); break;
        }
    }
}
