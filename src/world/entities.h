#pragma once

#include <cstdint>

// The things on the field. Heading, velocity and spin are the world's, not the entities'; each
// `draw` adds the entity's shape to a picture from its arguments alone, and is implemented with the
// rest of the drawing (src/render).

struct Picture;

class Ship {
public:
    bool alive = true;
    float x = 0;
    float y = 0;

    void draw(Picture& picture, float atX, float atY, float headingDegrees, bool thrust) const;
};

class Bullet {
public:
    bool fired = false;    // flew in the last update step
    bool visible = false;  // set and cleared with `fired`; the fire key looks at this one
    bool armed = true;     // may fly; cleared when the shot destroys an asteroid
    double lifetimeSeconds = static_cast<double>(0.4F);
    float x = 0;
    float y = 0;

    void draw(Picture& picture, float atX, float atY) const;
};

class Asteroid {
public:
    bool alive = true;
    float speed;  // signed speed factor, an integer from -5 to 9
    float x = 0;
    float y = 0;
    std::int32_t directionX = 0;
    std::int32_t directionY = 0;

    // Draws its speed from `rand`, then one more number that it throws away.
    Asteroid();

    void draw(Picture& picture, float atX, float atY, float angleDegrees) const;
};
