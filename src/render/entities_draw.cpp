#include <array>

#include "render/picture.h"
#include "world/entities.h"

// The shapes are outlines in field units, around the entity's own origin.

namespace {

// Behind the ship, while it thrusts.
constexpr std::array<Vertex, 3> flame{{{-0.75F, -0.5F}, {-1.75F, 0}, {-0.75F, 0.5F}}};
// Nose on +x, with a notch at the rear; the nose is given first and last.
constexpr std::array<Vertex, 5> hull{{{2, 0}, {-1, -1}, {-0.5F, 0}, {-1, 1}, {2, 0}}};
// An octagon of radius 1.
constexpr std::array<Vertex, 8> rock{
    {{-1, 0}, {-0.71F, 0.71F}, {0, 1}, {0.71F, 0.71F}, {1, 0}, {0.71F, -0.71F}, {0, -1}, {-0.71F, -0.71F}}};

}  // namespace

void Ship::draw(Picture& picture, float atX, float atY, float headingDegrees, bool thrust) const {
    if (thrust) {
        picture.marks.push_back({Mark::Kind::lineStrip, red, {atX, atY}, headingDegrees, flame});
    }
    picture.marks.push_back({Mark::Kind::lineLoop, white, {atX, atY}, headingDegrees, hull});
}

void Asteroid::draw(Picture& picture, float atX, float atY, float angleDegrees) const {
    picture.marks.push_back({Mark::Kind::lineLoop, white, {atX, atY}, angleDegrees, rock});
}

void Bullet::draw(Picture& picture, float atX, float atY) const {
    picture.marks.push_back({Mark::Kind::point, white, {atX, atY}});
}
