#include "render/webgl.h"

#include <GLES2/gl2.h>
#include <emscripten/console.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <vector>

#include "render/letters.h"
#include "render/picture.h"

namespace {

// Every mark becomes triangles of one kind of vertex: its place on the canvas, in pixels from the
// lower left corner; its colour; and what the shader makes of its coverage. For a line: the place
// along it and across it, its length and half its width, from which the shader finds how far the
// pixel is from the line; a point is a line of no length. For a letter: its place in the glyph atlas,
// and -1.
struct CanvasVertex {
    Vertex place;
    Colour colour;
    std::array<float, 4> shape;
};

constexpr const char* vertexShader = R"(
attribute vec2 place;
attribute vec3 colour;
attribute vec4 shape;
uniform vec2 canvas;
varying vec3 vColour;
varying vec4 vShape;
void main() {
    vColour = colour;
    vShape = shape;
    gl_Position = vec4(place / canvas * 2.0 - 1.0, 0.0, 1.0);
})";

// A pixel takes as much of the mark's colour as the mark covers of it. A line covers the pixels
// within half its width of it, and those within half a pixel more in part, as GL's smoothed lines do;
// a letter, what the atlas says.
constexpr const char* fragmentShader = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
uniform sampler2D glyphs;
varying vec3 vColour;
varying vec4 vShape;
void main() {
    float cover;
    if (vShape.z < 0.0) {
        cover = texture2D(glyphs, vShape.xy).a;
    } else {
        float beyond = max(max(-vShape.x, vShape.x - vShape.z), 0.0);
        cover = clamp(vShape.w + 0.5 - length(vec2(beyond, vShape.y)), 0.0, 1.0);
    }
    gl_FragColor = vec4(vColour, cover);
})";

enum Attribute : GLuint { place, colour, shape };

GLuint buffer = 0;
GLint canvasUniform = -1;
int canvasWidth = windowWidth, canvasHeight = windowHeight;
GlyphAtlas atlas;
std::vector<CanvasVertex> vertices;
std::vector<PlacedGlyph> letters;

// The canvas's pixels to a window pixel.
double scale() { return static_cast<double>(canvasWidth) / windowWidth; }

Vertex onCanvas(Vertex field) {
    return {field.x * static_cast<float>(canvasWidth) / fieldUnits,
            field.y * static_cast<float>(canvasHeight) / fieldUnits};
}

void quad(const std::array<Vertex, 4>& corners, Colour c, const std::array<std::array<float, 4>, 4>& shapes) {
    for (const std::size_t i : {0U, 1U, 2U, 0U, 2U, 3U}) {
        vertices.push_back({corners[i], c, shapes[i]});
    }
}

// A line of `halfWidth` from a to b, its ends rounded, on a quad that reaches past it as far as its
// smoothing does.
void segment(Vertex a, Vertex b, float halfWidth, Colour c) {
    const float length = std::hypot(b.x - a.x, b.y - a.y);
    const float reach = halfWidth + 1;
    const Vertex along = length > 0 ? Vertex{(b.x - a.x) / length, (b.y - a.y) / length} : Vertex{1, 0};
    const Vertex across{-along.y, along.x};
    const auto corner = [&](Vertex from, float u, float v) {
        return Vertex{from.x + along.x * u + across.x * v, from.y + along.y * u + across.y * v};
    };
    quad({corner(a, -reach, -reach), corner(b, reach, -reach), corner(b, reach, reach),
          corner(a, -reach, reach)},
         c,
         {{{-reach, -reach, length, halfWidth},
           {length + reach, -reach, length, halfWidth},
           {length + reach, reach, length, halfWidth},
           {-reach, reach, length, halfWidth}}});
}

// Each edge of the shape, turned and placed as GL's model-view matrix would; a line of no length
// covers nothing.
void lines(const Mark& mark, float halfWidth) {
    const double turn = mark.angleDegrees * std::numbers::pi / 180;
    const double cosine = std::cos(turn), sine = std::sin(turn);
    const auto placed = [&](Vertex v) {
        return onCanvas({mark.at.x + static_cast<float>(v.x * cosine - v.y * sine),
                         mark.at.y + static_cast<float>(v.x * sine + v.y * cosine)});
    };
    const std::size_t n = mark.outline.size();
    const std::size_t edges = n < 2 ? 0 : mark.kind == Mark::Kind::lineLoop ? n : n - 1;
    for (std::size_t i = 0; i < edges; ++i) {
        const Vertex from = placed(mark.outline[i]), to = placed(mark.outline[(i + 1) % n]);
        if (from.x != to.x || from.y != to.y) {
            segment(from, to, halfWidth, mark.colour);
        }
    }
}

void text(const Mark& mark) {
    letters.clear();
    layOutText(atlas, onCanvas(mark.at), mark.text, letters);
    for (const PlacedGlyph& letter : letters) {
        const LetterQuad q = quadOf(atlas, letter);
        quad({Vertex{q.left, q.bottom}, {q.right, q.bottom}, {q.right, q.top}, {q.left, q.top}}, mark.colour,
             {{{q.atlasLeft, q.atlasBottom, -1, 0},
               {q.atlasRight, q.atlasBottom, -1, 0},
               {q.atlasRight, q.atlasTop, -1, 0},
               {q.atlasLeft, q.atlasTop, -1, 0}}});
    }
}

// GL takes a place in the bound buffer as a pointer.
const void* bufferOffset(std::size_t bytes) {
    return reinterpret_cast<const void*>(bytes);  // NOLINT(performance-no-int-to-ptr)
}

GLuint compiled(GLenum kind, const char* source) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

}  // namespace

bool setUpRendering() {
    const GLuint program = glCreateProgram();
    glAttachShader(program, compiled(GL_VERTEX_SHADER, vertexShader));
    glAttachShader(program, compiled(GL_FRAGMENT_SHADER, fragmentShader));
    glBindAttribLocation(program, place, "place");
    glBindAttribLocation(program, colour, "colour");
    glBindAttribLocation(program, shape, "shape");
    glLinkProgram(program);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        std::array<char, 1024> log{};
        glGetProgramInfoLog(program, log.size(), nullptr, log.data());
        emscripten_console_error(log.data());
        return false;
    }
    glUseProgram(program);
    canvasUniform = glGetUniformLocation(program, "canvas");

    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    for (const Attribute a : {place, colour, shape}) {
        glEnableVertexAttribArray(a);
    }
    const auto stride = static_cast<GLsizei>(sizeof(CanvasVertex));
    glVertexAttribPointer(place, 2, GL_FLOAT, GL_FALSE, stride, bufferOffset(offsetof(CanvasVertex, place)));
    glVertexAttribPointer(colour, 3, GL_FLOAT, GL_FALSE, stride,
                          bufferOffset(offsetof(CanvasVertex, colour)));
    glVertexAttribPointer(shape, 4, GL_FLOAT, GL_FALSE, stride, bufferOffset(offsetof(CanvasVertex, shape)));

    GLuint glyphs = 0;
    glGenTextures(1, &glyphs);
    glBindTexture(GL_TEXTURE_2D, glyphs);
    // Each pixel of a letter is a pixel of the atlas.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

    glClearColor(fieldColour.red, fieldColour.green, fieldColour.blue, 1);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    resizeRendering(canvasWidth, canvasHeight);
    return true;
}

void resizeRendering(int width, int height) {
    canvasWidth = width;
    canvasHeight = height;
    glViewport(0, 0, width, height);
    glUniform2f(canvasUniform, static_cast<float>(width), static_cast<float>(height));
    if (atlas.scale != scale()) {
        atlas = drawGlyphs(scale());
        glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, atlas.width, atlas.height, 0, GL_ALPHA, GL_UNSIGNED_BYTE,
                     atlas.coverage.data());
    }
}

void drawPicture(const Picture& picture) {
    const auto halfWidth = [](float windowPixels) { return scaledPixels(windowPixels, scale()) / 2; };
    vertices.clear();
    for (const Mark& mark : picture.marks) {
        switch (mark.kind) {
        case Mark::Kind::lineLoop:
        case Mark::Kind::lineStrip: lines(mark, halfWidth(linePixels)); break;
        case Mark::Kind::point: {
            const Vertex at = onCanvas(mark.at);
            segment(at, at, halfWidth(shotPixels), mark.colour);
            break;
        }
        case Mark::Kind::text: text(mark); break;
        }
    }
    glClear(GL_COLOR_BUFFER_BIT);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(CanvasVertex)),
                 vertices.data(), GL_STREAM_DRAW);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(vertices.size()));
}
