#include "render/glut.h"
#include "world/entities.h"

// The shapes are outlines in field units, drawn around the entity's own origin.

void Ship::draw(float atX, float atY, float headingDegrees, bool thrust) const {
    glPushMatrix();
    glTranslatef(atX, atY, 0);
    glRotatef(headingDegrees, 0, 0, 1);
    if (thrust) {
        glColor3f(1, 0, 0);
        glBegin(GL_LINE_STRIP);
        glVertex2f(-0.75F, -0.5F);
        glVertex2f(-1.75F, 0);
        glVertex2f(-0.75F, 0.5F);
        glEnd();
    }
    // Nose on +x, with a notch at the rear.
    glColor3f(1, 1, 1);
    glBegin(GL_LINE_LOOP);
    glVertex2f(2, 0);
    glVertex2f(-1, -1);
    glVertex2f(-0.5F, 0);
    glVertex2f(-1, 1);
    glVertex2f(2, 0);
    glEnd();
    glPopMatrix();
}

void Asteroid::draw(float atX, float atY, float angleDegrees) const {
    glPushMatrix();
    glTranslatef(atX, atY, 0);
    glRotatef(angleDegrees, 0, 0, 1);
    glColor3f(1, 1, 1);
    glBegin(GL_LINE_LOOP);
    glVertex2f(-1, 0);
    glVertex2f(-0.71F, 0.71F);
    glVertex2f(0, 1);
    glVertex2f(0.71F, 0.71F);
    glVertex2f(1, 0);
    glVertex2f(0.71F, -0.71F);
    glVertex2f(0, -1);
    glVertex2f(-0.71F, -0.71F);
    glEnd();
    glPopMatrix();
}

void Bullet::draw(float atX, float atY) const {
    glBegin(GL_POINTS);
    glColor3f(1, 1, 1);
    glVertex2f(atX, atY);
    glEnd();
}
