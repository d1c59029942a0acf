#include "world/entities.h"

#include <cstdlib>

Asteroid::Asteroid() : speed(static_cast<float>(std::rand() % 15 - 5)) {
    std::rand();  // thrown away, but every later draw, and so the starting layout, depends on it
}
