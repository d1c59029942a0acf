'use strict';
// Clears the canvas to the game's field colour every animation frame, on a context made as the
// game makes its own (pixels following the screen's, no multisampling, alpha or depth), so
// the two differ only in what the game does besides.
(() => {
  const canvas = document.getElementById('field');
  const ratio = window.devicePixelRatio || 1;
  canvas.width = Math.round(720 * ratio);
  canvas.height = Math.round(640 * ratio);
  const gl = canvas.getContext('webgl', { antialias: false, alpha: false, depth: false });
  gl.clearColor(0.1, 0.57, 0.8, 1);
  const frame = () => {
    gl.clear(gl.COLOR_BUFFER_BIT);
    requestAnimationFrame(frame);
  };
  requestAnimationFrame(frame);
})();
