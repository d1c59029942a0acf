#pragma once

struct Picture;

// The page's backend: pictures drawn on WebGL with one small shader, as the window's 720 by 640 frame
// scaled to the canvas. Every line and the shot are as wide as the scale makes them (never less than
// a pixel) and smoothed; the letters are letters.cpp's.

// Compiles the shader and makes what it draws with, in the page's current WebGL context. False if
// the context cannot.
bool setUpRendering();

// The canvas has `width` by `height` pixels from now on.
void resizeRendering(int width, int height);

// Clears the canvas to the field and draws the picture, in one draw call.
void drawPicture(const Picture& picture);
