#pragma once

struct Picture;

// The desktop's backend: pictures drawn with fixed-function OpenGL into the game window, whose current
// context it draws with, as the 720 by 640 window's frame scaled to the window: its lines and the shot
// as wide as the scale makes them (never less than a pixel) and smoothed by GL, and its words from
// letters.cpp. At the 720 by 640 window's own scale the words are GLUT's bitmap font.

// The 50 by 50 field's projection and the render state, once the window exists.
void setUpRendering();

// The window has `width` by `height` pixels from now on: the square field stretches to fill it. The
// window's reshape callback.
void resizeRendering(int width, int height);

// Clears the window to the field and draws the picture, mark by mark.
void drawPicture(const Picture& picture);
