#include "render/letters.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace {

// Both faces of the game's letters (fonts.py): GLUT's bitmaps, taken from freeglut's font
// data, and TeX Gyre Heros's outlines.
#include "fonts.inc"

// GLUT's Helvetica has 18 pixels to the em in the window; TeX Gyre Heros 1000 font units.
constexpr double emPixels = 18;
constexpr double fontUnitsPerEm = 1000;
// Atlas rows are at most this wide, which every WebGL texture can be.
constexpr int atlasRowWidth = 1024;

std::size_t indexOf(char c) { return fontCharacters.find(c); }

// The coverage of an outline, each pixel the share of it that the outline covers: the accumulation
// method of font renderers. Each edge adds, along its rows, the difference that it makes to the
// winding area from one pixel to the next; a running sum along a row then gives each pixel's.
class Coverage {
public:
    Coverage(int width, int height)
        : width_(width), height_(height), cells_(static_cast<std::size_t>((width + 2) * height)) {}

    void edge(Vertex from, Vertex to) {
        const float top = std::max(from.y, to.y), bottom = std::min(from.y, to.y);
        if (top == bottom) {
            return;  // level: it adds no winding
        }
        for (int row = std::max(0, static_cast<int>(std::floor(bottom)));
             row < std::min(height_, static_cast<int>(std::ceil(top))); ++row) {
            // The part of the edge within the row, and the height it spans there, signed by its way.
            const auto xAt = [&](float y) {
                return from.x + (to.x - from.x) * (y - from.y) / (to.y - from.y);
            };
            const float y0 = std::max(bottom, static_cast<float>(row));
            const float y1 = std::min(top, static_cast<float>(row + 1));
            const float x0 = xAt(y0), x1 = xAt(y1);
            const float span = (y1 - y0) * (to.y > from.y ? 1.0F : -1.0F);
            // The winding area that the edge gives a pixel whose right side is at `right`: the span
            // times the mean share of the row to the edge's right, up to that side.
            const auto area = [&](float right) {
                if (std::abs(x1 - x0) < 1e-6F) {
                    return span * std::clamp(right - x0, 0.0F, 1.0F);
                }
                const auto ramp = [](float t) { return t <= 0 ? 0 : t <= 1 ? t * t / 2 : t - 0.5F; };
                return span * (ramp(right - x0) - ramp(right - x1)) / (x1 - x0);
            };
            const int first = static_cast<int>(std::floor(std::min(x0, x1)));
            const int last = static_cast<int>(std::floor(std::max(x0, x1))) + 1;
            float before = 0;
            for (int column = first; column <= last; ++column) {
                const float now = area(static_cast<float>(column + 1));
                cells_[index(column, row)] += now - before;
                before = now;
            }
        }
    }

    // Rows from the bottom into `out`, `stride` bytes apart.
    void write(std::uint8_t* out, int stride) const {
        for (int row = 0; row < height_; ++row) {
            float sum = 0;
            for (int column = 0; column < width_; ++column) {
                sum += cells_[index(column, row)];
                out[row * stride + column] =
                    static_cast<std::uint8_t>(std::lround(std::min(1.0F, std::abs(sum)) * 255));
            }
        }
    }

private:
    std::size_t index(int column, int row) const {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(width_ + 2) +
               static_cast<std::size_t>(column);
    }

    int width_, height_;
    std::vector<float> cells_;
};

// Calls `visit` with each edge of a glyph's outline, in the canvas's pixels, its curves cut into
// lines a few pixels long.
template <typename Visit>
void forEachEdge(std::size_t glyph, double pixelsPerUnit, Vertex offset, Visit visit) {
    const auto at = [&](std::size_t i) {
        return Vertex{static_cast<float>(outlinePath[i] * pixelsPerUnit) + offset.x,
                      static_cast<float>(outlinePath[i + 1] * pixelsPerUnit) + offset.y};
    };
    Vertex start{}, pen{};
    for (std::size_t i = outlineStarts[glyph]; i < outlineStarts[glyph + 1];) {
        const int command = outlinePath[i];
        if (command == 0) {
            visit(pen, start);
            start = pen = at(i + 1);
            i += 3;
        } else if (command == 1) {
            const Vertex to = at(i + 1);
            visit(pen, to);
            pen = to;
            i += 3;
        } else {
            const std::array<Vertex, 4> p{pen, at(i + 1), at(i + 3), at(i + 5)};
            const float reach = std::hypot(p[1].x - p[0].x, p[1].y - p[0].y) +
                                std::hypot(p[2].x - p[1].x, p[2].y - p[1].y) +
                                std::hypot(p[3].x - p[2].x, p[3].y - p[2].y);
            const int pieces = std::clamp(static_cast<int>(reach / 3) + 2, 2, 32);
            for (int k = 1; k <= pieces; ++k) {
                const float t = static_cast<float>(k) / static_cast<float>(pieces), u = 1 - t;
                const auto mix = [&](float a, float b, float c, float d) {
                    return u * u * u * a + 3 * u * u * t * b + 3 * u * t * t * c + t * t * t * d;
                };
                const Vertex to{mix(p[0].x, p[1].x, p[2].x, p[3].x), mix(p[0].y, p[1].y, p[2].y, p[3].y)};
                visit(pen, to);
                pen = to;
            }
            i += 7;
        }
    }
    visit(pen, start);
}

// A glyph's place from its pen, and its size, on a canvas `scale` times the window's.
AtlasGlyph measure(std::size_t glyph, double scale) {
    if (scale == 1) {
        const int width = bitmapBytes[bitmapStarts[glyph]];
        return {0, 0, width, bitmapRows, -bitmapOriginX, -bitmapOriginY};
    }
    const double pixelsPerUnit = emPixels * scale / fontUnitsPerEm;
    double left = 0, bottom = 0, right = 0, top = 0;
    for (std::size_t i = outlineStarts[glyph]; i < outlineStarts[glyph + 1];) {
        const std::size_t points = outlinePath[i] == 2 ? 3 : 1;
        for (std::size_t p = 0; p < points; ++p) {
            const double x = outlinePath[i + 1 + 2 * p] * pixelsPerUnit,
                         y = outlinePath[i + 2 + 2 * p] * pixelsPerUnit;
            left = std::min(left, x), bottom = std::min(bottom, y), right = std::max(right, x),
            top = std::max(top, y);
        }
        i += 1 + 2 * points;
    }
    if (outlineStarts[glyph] == outlineStarts[glyph + 1]) {
        return {};  // a space
    }
    const int l = static_cast<int>(std::floor(left)) - 1, b = static_cast<int>(std::floor(bottom)) - 1;
    return {0, 0, static_cast<int>(std::ceil(right)) + 1 - l, static_cast<int>(std::ceil(top)) + 1 - b, l, b};
}

void draw(const GlyphAtlas& atlas, std::size_t glyph, std::uint8_t* out) {
    const AtlasGlyph& g = atlas.glyphs[glyph];
    if (atlas.scale == 1) {
        const int rowBytes = (g.width + 7) / 8;
        for (int row = 0; row < g.height; ++row) {
            for (int column = 0; column < g.width; ++column) {
                const std::uint8_t bits = bitmapBytes[bitmapStarts[glyph] + 1 +
                                                      static_cast<std::size_t>(row * rowBytes + column / 8)];
                out[row * atlas.width + column] = (bits & (0x80 >> (column % 8))) != 0 ? 255 : 0;
            }
        }
        return;
    }
    Coverage coverage(g.width, g.height);
    const Vertex offset{static_cast<float>(-g.left), static_cast<float>(-g.bottom)};
    forEachEdge(glyph, emPixels * atlas.scale / fontUnitsPerEm, offset,
                [&](Vertex a, Vertex b) { coverage.edge(a, b); });
    coverage.write(out, atlas.width);
}

}  // namespace

GlyphAtlas drawGlyphs(double scale) {
    GlyphAtlas atlas;
    atlas.scale = scale;
    // Side by side in rows, a pixel apart.
    int x = 0, y = 0, rowHeight = 0;
    for (std::size_t glyph = 0; glyph < fontCharacters.size(); ++glyph) {
        AtlasGlyph g = measure(glyph, scale);
        if (x + g.width > atlasRowWidth) {
            x = 0, y += rowHeight + 1, rowHeight = 0;
        }
        g.x = x, g.y = y;
        x += g.width + 1;
        rowHeight = std::max(rowHeight, g.height);
        atlas.width = std::max(atlas.width, x);
        atlas.glyphs.push_back(g);
    }
    atlas.height = y + rowHeight;
    atlas.coverage.assign(static_cast<std::size_t>(atlas.width) * static_cast<std::size_t>(atlas.height), 0);
    for (std::size_t glyph = 0; glyph < fontCharacters.size(); ++glyph) {
        const AtlasGlyph& g = atlas.glyphs[glyph];
        draw(atlas, glyph, atlas.coverage.data() + static_cast<std::ptrdiff_t>(g.y) * atlas.width + g.x);
    }
    return atlas;
}

// In the window GLUT puts a bitmap's lower left corner at the raster position less the font's
// origin, rounded down once a ten-thousandth of a pixel is added (so that a position a rounding short
// of a whole pixel counts as that pixel), and moves the pen on by whole pixels. Scaled, the pen moves
// on by the window's advances times the scale, and each outline is drawn from the nearest pixel.
void layOutText(const GlyphAtlas& atlas, Vertex pen, std::string_view text,
                std::vector<PlacedGlyph>& letters) {
    const bool windowPixels = atlas.scale == 1;
    const double snap = windowPixels ? 0.0001 : 0.5;
    double advanced = 0;
    for (const char c : text) {
        const std::size_t glyph = indexOf(c);
        if (glyph == std::string_view::npos) {
            continue;
        }
        const AtlasGlyph& g = atlas.glyphs[glyph];
        const int left = static_cast<int>(std::floor(pen.x + advanced + snap));
        const int bottom = static_cast<int>(std::floor(pen.y + snap));
        if (g.width > 0) {
            letters.push_back({left + g.left, bottom + g.bottom, &g});
        }
        advanced += bitmapBytes[bitmapStarts[glyph]] * atlas.scale;
    }
}

LetterQuad quadOf(const GlyphAtlas& atlas, const PlacedGlyph& letter) {
    const AtlasGlyph& g = *letter.glyph;
    const auto w = static_cast<float>(atlas.width), h = static_cast<float>(atlas.height);
    const auto left = static_cast<float>(letter.left), bottom = static_cast<float>(letter.bottom);
    return {left,
            bottom,
            left + static_cast<float>(g.width),
            bottom + static_cast<float>(g.height),
            static_cast<float>(g.x) / w,
            static_cast<float>(g.y) / h,
            static_cast<float>(g.x + g.width) / w,
            static_cast<float>(g.y + g.height) / h};
}
