#include "render/scene.h"

#include "render/picture.h"
#include "render/status_text.h"
#include "world/update.h"
#include "world/world.h"

void describeScene(const World& w, double msSinceStep, Picture& picture) {
    const Moment now = momentAfterStep(w, msSinceStep);
    picture.marks.clear();
    if (!gameOver(w)) {
        drawRemainingLabel(picture);
        drawRemainingDigit(picture, w);
        w.ship->draw(picture, now.ship.x, now.ship.y, now.heading, w.thrustHeld);
        // A parked shot lies on the ship and is not drawn.
        if (w.bullet->fired && w.bullet->visible) {
            w.bullet->draw(picture, now.shot.x, now.shot.y);
        }
    } else {
        drawGameOver(picture);
    }
    // The asteroids that are left go on drifting behind the game-over text.
    for (std::size_t i = 0; i < w.asteroids.size(); ++i) {
        if (w.asteroids[i]->alive) {
            w.asteroids[i]->draw(picture, now.asteroids[i].x, now.asteroids[i].y, now.spin);
        }
    }
}
