#pragma once

#include <cstdint>
#include <functional>
#include <vector>

struct Rgb {
    std::uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};

// A rectangle of pixels, x to the right and y downwards from the top-left corner.
struct Rect {
    int left, top, right, bottom;  // right and bottom exclusive
};

// A patch of touching pixels (8-connected).
struct Blob {
    Rect bounds;
    int size;
    double centreX, centreY;
};

// Pixels read back from a window.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;  // row by row from the top

    std::size_t indexOf(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
    }
    Rgb at(int x, int y) const { return pixels[indexOf(x, y)]; }
    Rect whole() const { return {0, 0, width, height}; }

    int count(const std::function<bool(Rgb)>& matches, Rect area) const;
    int count(const std::function<bool(Rgb)>& matches) const { return count(matches, whole()); }
    // The smallest region holding every matching pixel, or an empty one.
    Rect bounds(const std::function<bool(Rgb)>& matches, Rect area) const;
    std::vector<Blob> blobs(const std::function<bool(Rgb)>& matches, Rect area) const;
};

// What the game draws, recognised with room for the smoothing at the edges of lines and points.
bool isField(Rgb p);
bool isWhite(Rgb p);
bool isRed(Rgb p);
// Anything drawn over the field: lines, points, text.
bool isDrawn(Rgb p);
