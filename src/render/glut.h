#pragma once

// OpenGL and GLUT, as each platform names their headers: for the drawing, and for the window
// system's side (src/app), which builds on it.
#if defined(__APPLE__)
#include <GLUT/glut.h>
#elif defined(__EMSCRIPTEN__)
#include <GL/glut.h>
#else
#include <GL/freeglut.h>
#endif
