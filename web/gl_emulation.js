// A mend to Emscripten's fixed-function OpenGL emulation (-sLEGACY_GL_EMULATION -sGL_FFP_ONLY),
// linked into the page with --js-library.
//
// With GL_FFP_ONLY, a colour given between glBegin and glEnd turns on WebGL's colour attribute array,
// and Emscripten's glEnd never turns it off again. Every later draw then reads its colour from that
// array, stale and too short, instead of the colour set with glColor: Chromium draws the shapes as
// faint slivers, and Firefox and WebKit refuse every draw (INVALID_OPERATION). The shot, whose
// colour is given inside its glBegin, is the first such draw in the game. Here glEnd also turns off
// each array its glBegin turned on, leaving WebGL's arrays as they were before the glBegin.
mergeInto(LibraryManager.library, {
  // Emscripten's own glEnd, under another name.
  emscriptenGlEnd: LibraryManager.library.glEnd,
  emscriptenGlEnd__deps: LibraryManager.library.glEnd__deps || [],

  glEnd__deps: ['emscriptenGlEnd', '$GLImmediate', '$GL'],
  glEnd: function() {
    var used = GLImmediate.rendererComponents;
    var enabledBefore = GLImmediate.enabledClientAttributes_preBegin;
    _emscriptenGlEnd();
    for (var i = 0; i < used.length; i++) {
      if (used[i] && !enabledBefore[i]) GL.disableVertexAttribArray(i);
    }
  },
});
