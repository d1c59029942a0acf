#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "render/picture.h"

// The game's letters, for a window or a canvas of any size (letters.cpp). Where the field has the
// 720 by 640 window's own pixels, they are GLUT's 18-point Helvetica, pixel for pixel; at any other
// scale, the outlines of a Helvetica of the same design drawn at the scaled size, each pixel as much
// of white as the letter covers of it. The words keep the window's layout, scaled: each letter starts
// where the window's would.

// Where one glyph lies in the atlas, and where from its pen on the screen, in pixels.
struct AtlasGlyph {
    int x = 0, y = 0, width = 0, height = 0;
    int left = 0, bottom = 0;
};

// The glyphs of the game's words, drawn once for a scale side by side in one image: the coverage of
// each pixel, 0 to 255, rows from the bottom.
struct GlyphAtlas {
    double scale = 0;  // the screen's pixels to a pixel of the 720 by 640 window
    int width = 0, height = 0;
    std::vector<std::uint8_t> coverage;
    std::vector<AtlasGlyph> glyphs;  // in the order of the font's characters
};

GlyphAtlas drawGlyphs(double scale);

// A letter of the text: where on the screen, and which glyph of the atlas.
struct PlacedGlyph {
    int left, bottom;
    const AtlasGlyph* glyph;
};

// The letters of `text` whose pen starts at `pen`, in the screen's pixels from its lower left corner.
void layOutText(const GlyphAtlas& atlas, Vertex pen, std::string_view text,
                std::vector<PlacedGlyph>& letters);

// A letter's rectangle on the screen, in pixels, and in the atlas, in shares of its width and height:
// each pixel of the letter is a pixel of the atlas.
struct LetterQuad {
    float left, bottom, right, top;
    float atlasLeft, atlasBottom, atlasRight, atlasTop;
};
LetterQuad quadOf(const GlyphAtlas& atlas, const PlacedGlyph& letter);
