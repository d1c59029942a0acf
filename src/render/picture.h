#pragma once

#include <algorithm>
#include <span>
#include <string_view>
#include <vector>

// What a frame shows, described once for every platform: outlines, points and words with their
// colours, in the order they are drawn. Places are in field units, on the 50 by 50 field that the
// game's 720 by 640 window stretches; sizes are the window's pixels, which a larger screen scales
// with the field. Each platform's backend puts a picture on its screen (opengl.cpp, webgl.cpp).

struct Colour {
    float red, green, blue;
    bool operator==(const Colour&) const = default;
};

struct Vertex {
    float x, y;
    bool operator==(const Vertex&) const = default;
};

constexpr float fieldUnits = 50;  // the field's side
constexpr int windowWidth = 720;
constexpr int windowHeight = 640;
constexpr Colour fieldColour{0.1F, 0.57F, 0.8F};
constexpr Colour white{1, 1, 1};
constexpr Colour red{1, 0, 0};
constexpr float shotPixels = 3;  // the shot's width, a smoothed point
constexpr float linePixels = 1;  // every outline's width, a smoothed line

// A width of the window's pixels on a screen `scale` of whose pixels make one of the window's: never
// less than a pixel, so that the thinnest line still shows.
constexpr float scaledPixels(float windowPixels, double scale) {
    return std::max(1.0F, windowPixels * static_cast<float>(scale));
}

struct Mark {
    enum class Kind { lineLoop, lineStrip, point, text };
    Kind kind;
    Colour colour;
    // Lines: where the shape's own origin lies, and its turn about it, counter-clockwise. A point:
    // where it is. Text: where its first letter starts on the baseline, in whole field units.
    Vertex at;
    float angleDegrees = 0;
    std::span<const Vertex> outline = {};  // lines: around the shape's origin
    std::string_view text = {};

    // The same shape, colour, place and words. (Shapes are the game's constant outlines.)
    bool operator==(const Mark& other) const {
        return kind == other.kind && colour == other.colour && at == other.at &&
               angleDegrees == other.angleDegrees && outline.data() == other.outline.data() &&
               outline.size() == other.outline.size() && text == other.text;
    }
};

struct Picture {
    std::vector<Mark> marks;
    bool operator==(const Picture&) const = default;
};
