#include "render/scene.h"

#include "render/glut.h"
#include "render/status_text.h"
#include "world/world.h"

void displayScene() {
    const World& w = world;
    glClear(GL_COLOR_BUFFER_BIT);
    glLoadIdentity();
    if (!gameOver(w)) {
        drawRemainingLabel();
        drawRemainingDigit(w);
        w.ship->draw(w.ship->x, w.ship->y, w.heading, w.thrustHeld);
        // A parked shot lies on the ship and is not drawn.
        if (w.bullet->fired && w.bullet->visible) {
            w.bullet->draw(w.bullet->x, w.bullet->y);
        }
    } else {
        drawGameOver();
    }
    // The asteroids that are left go on drifting behind the game-over text.
    for (const auto& asteroid : w.asteroids) {
        if (asteroid->alive) {
            asteroid->draw(asteroid->x, asteroid->y, w.spin);
        }
    }
    glutSwapBuffers();
}

void setUpRendering() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 50, 0, 50, 0, 50);
    glMatrixMode(GL_MODELVIEW);

    glPointSize(3);
    glClearColor(0.1F, 0.57F, 0.8F, 1);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_POINT_SMOOTH);
}
