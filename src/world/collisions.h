#pragma once

#include <cstdint>

struct World;

// Whether two circles on the integer grid touch. Only centres inside one and the same quadrant
// of the field can touch; a centre on a quadrant's edge never does.
bool collides(std::int32_t x1, std::int32_t y1, std::int32_t r1, std::int32_t x2, std::int32_t y2,
              std::int32_t r2);

// The collision pass at the end of every update step: an asteroid that touches the ship destroys
// it and itself; one that touches the shot is destroyed, disarms the shot and lowers the count.
void resolveCollisions(World& w);
