#include "render/status_text.h"

#include <string_view>

#include "render/picture.h"
#include "world/world.h"

namespace {

void drawText(Picture& picture, float x, float y, std::string_view text) {
    picture.marks.push_back({Mark::Kind::text, white, {x, y}, 0, {}, text});
}

}  // namespace

void drawRemainingLabel(Picture& picture) { drawText(picture, 1, 48, "Asteroids remaining: "); }

// The digit's place is fixed; it does not follow the label's width.
void drawRemainingDigit(Picture& picture, const World& w) {
    constexpr std::string_view digits = "0123456";
    const bool oneDigit = w.asteroidsRemaining >= 0 && w.asteroidsRemaining <= asteroidCount;
    drawText(
        picture, 13, 48,
        oneDigit ? digits.substr(static_cast<std::size_t>(w.asteroidsRemaining), 1) : std::string_view());
}

void drawGameOver(Picture& picture) { drawText(picture, 20, 25, "GAME OVER"); }
