#pragma once

struct Picture;

// The desktop's backend: pictures drawn with fixed-function OpenGL and GLUT's bitmap font into the
// game window, whose current context it draws with.

// The 50 by 50 field's projection and the render state, once the window exists. No reshape callback
// is needed: the square field stretches to fill the window at any size.
void setUpRendering();

// Clears the window to the field and draws the picture, mark by mark.
void drawPicture(const Picture& picture);
