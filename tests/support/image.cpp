#include "image.h"

#include <algorithm>
#include <cstdlib>

int Image::count(const std::function<bool(Rgb)>& matches, Rect area) const {
    int n = 0;
    for (int y = std::max(area.top, 0); y < std::min(area.bottom, height); ++y) {
        for (int x = std::max(area.left, 0); x < std::min(area.right, width); ++x) {
            n += matches(at(x, y)) ? 1 : 0;
        }
    }
    return n;
}

Rect Image::bounds(const std::function<bool(Rgb)>& matches, Rect area) const {
    Rect found{width, height, 0, 0};
    for (int y = std::max(area.top, 0); y < std::min(area.bottom, height); ++y) {
        for (int x = std::max(area.left, 0); x < std::min(area.right, width); ++x) {
            if (matches(at(x, y))) {
                found = {std::min(found.left, x), std::min(found.top, y), std::max(found.right, x + 1),
                         std::max(found.bottom, y + 1)};
            }
        }
    }
    return found.left < found.right ? found : Rect{0, 0, 0, 0};
}

std::vector<Blob> Image::blobs(const std::function<bool(Rgb)>& matches, Rect area) const {
    const Rect inside{std::max(area.left, 0), std::max(area.top, 0), std::min(area.right, width),
                      std::min(area.bottom, height)};
    std::vector<bool> seen(pixels.size(), false);
    std::vector<Blob> found;
    std::vector<std::pair<int, int>> pending;
    for (int y = inside.top; y < inside.bottom; ++y) {
        for (int x = inside.left; x < inside.right; ++x) {
            if (seen[indexOf(x, y)] || !matches(at(x, y))) {
                continue;
            }
            Blob blob{{x, y, x + 1, y + 1}, 0, 0, 0};
            pending.assign(1, {x, y});
            seen[indexOf(x, y)] = true;
            while (!pending.empty()) {
                const auto [px, py] = pending.back();
                pending.pop_back();
                ++blob.size;
                blob.centreX += px;
                blob.centreY += py;
                blob.bounds = {std::min(blob.bounds.left, px), std::min(blob.bounds.top, py),
                               std::max(blob.bounds.right, px + 1), std::max(blob.bounds.bottom, py + 1)};
                for (int ny = py - 1; ny <= py + 1; ++ny) {
                    for (int nx = px - 1; nx <= px + 1; ++nx) {
                        const bool within =
                            nx >= inside.left && nx < inside.right && ny >= inside.top && ny < inside.bottom;
                        if (within && !seen[indexOf(nx, ny)] && matches(at(nx, ny))) {
                            seen[indexOf(nx, ny)] = true;
                            pending.emplace_back(nx, ny);
                        }
                    }
                }
            }
            blob.centreX /= blob.size;
            blob.centreY /= blob.size;
            found.push_back(blob);
        }
    }
    return found;
}

namespace {

bool near(std::uint8_t value, int expected) { return std::abs(value - expected) <= 3; }

}  // namespace

// The field is cleared to (0.1, 0.57, 0.8).
bool isField(Rgb p) { return near(p.r, 26) && near(p.g, 145) && near(p.b, 204); }

bool isWhite(Rgb p) { return p.r > 200 && p.g > 200 && p.b > 200; }

// Red blended over the field at any coverage: more red than the field, less green and blue.
bool isRed(Rgb p) { return p.r > 60 && p.r > p.g && p.r > p.b; }

bool isDrawn(Rgb p) { return !isField(p); }
