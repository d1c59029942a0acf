#include "render/scene.h"

#include "render/picture.h"
#include "render/status_text.h"
#include "world/world.h"

void describeScene(const World& w, Picture& picture) {
    picture.marks.clear();
    if (!gameOver(w)) {
        drawRemainingLabel(picture);
        drawRemainingDigit(picture, w);
        w.ship->draw(picture, w.ship->x, w.ship->y, w.heading, w.thrustHeld);
        // A parked shot lies on the ship and is not drawn.
        if (w.bullet->fired && w.bullet->visible) {
            w.bullet->draw(picture, w.bullet->x, w.bullet->y);
        }
    } else {
        drawGameOver(picture);
    }
    // The asteroids that are left go on drifting behind the game-over text.
    for (const auto& asteroid : w.asteroids) {
        if (asteroid->alive) {
            asteroid->draw(picture, asteroid->x, asteroid->y, w.spin);
        }
    }
}
