#include "render/status_text.h"

#include <string_view>

#include "render/glut.h"
#include "world/world.h"

namespace {

// The digit's place is fixed; it does not follow the label's width.
void drawText(int x, int y, std::string_view text) {
    glPushMatrix();
    glLoadIdentity();
    glColor3f(1, 1, 1);
    glRasterPos2i(x, y);
    for (const char c : text) {
        glutBitmapCharacter(GLUT_BITMAP_HELVETICA_18, c);
    }
    glPopMatrix();
}

}  // namespace

void drawRemainingLabel() { drawText(1, 48, "Asteroids remaining: "); }

void drawRemainingDigit(const World& w) {
    const bool oneDigit = w.asteroidsRemaining >= 0 && w.asteroidsRemaining <= asteroidCount;
    const char digit[] = {static_cast<char>('0' + w.asteroidsRemaining), '\0'};
    drawText(13, 48, oneDigit ? std::string_view(digit) : std::string_view());
}

void drawGameOver() { drawText(20, 25, "GAME OVER"); }
