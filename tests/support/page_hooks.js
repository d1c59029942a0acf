'use strict';
// What the tests and the benchmark see of the page from inside it, in every browser engine. The
// test's host (browser.mjs) loads this before the page's own scripts.
//   testHooks.draws, .callbacks   frames the game drew (each begins with a clear), animation frames
//   testHooks.scriptMs            the time spent in animation frames' callbacks, by the page's clock
//   testHooks.firstDraw           when the first frame was drawn, in ms from the navigation
//   testHooks.keyToFrame          for each key pressed, the ms from its event to the next frame
//   testHooks.problems            console errors and warnings, uncaught errors and refused loads
//   testHooks.nextFrame()         the canvas's pixels at the end of the game's next draw
//   testHooks.capture()           the canvas's pixels now
//   testHooks.advanceTo(ms)       with #fake-clock: the page's clocks stand at 0 until moved, and
//                                 each move runs the animation frames due
//   testHooks.setClock(ms)        with #fake-clock: the clocks moved with no frame, as between two
//   testHooks.pad(state)          with #pad: a game pad in the first of the four slots of a stand-in
//                                 navigator.getGamepads: {id, mapping, buttons, axes} plugs it in or
//                                 changes it, null pulls it out, each announced as a browser would
//   #touch                        the page takes itself to be on a touch screen, in an engine
//                                 that cannot be made to emulate one
//   #no-gamepads, #gamepads-throw navigator.getGamepads missing, or throwing as it does for a page
//                                 not allowed pads
//   #refresh-N                    animation frames N times a second, on the grid of a display that
//                                 refreshes so often, from a timer (the benchmark)
// The flags come after the address's #, comma-separated: #fake-clock,touch.
(() => {
  const hooks = (window.testHooks = { draws: 0, callbacks: 0, scriptMs: 0, problems: [], keyToFrame: [] });
  const flags = new Set(location.hash.slice(1).split(','));
  if (flags.has('touch')) Object.defineProperty(Navigator.prototype, 'maxTouchPoints', { get: () => 5 });
  if (flags.has('no-gamepads')) delete Navigator.prototype.getGamepads;
  if (flags.has('gamepads-throw')) {
    navigator.getGamepads = () => {
      throw new DOMException('The page is not allowed game pads', 'SecurityError');
    };
  }
  if (flags.has('pad')) {
    // As browsers give a pad: a fresh object at every call, its time stamp new at each change.
    // (A GamepadEvent cannot carry a pad made here: a plain event does.)
    let pad = null;
    const announce = (type, gamepad) => window.dispatchEvent(Object.assign(new Event(type), { gamepad }));
    const buttons = (values) => values.map((value) => ({ pressed: value >= 0.5, touched: value > 0, value }));
    navigator.getGamepads = () => [pad && { ...pad, buttons: buttons(pad.buttons), axes: [...pad.axes] }, null, null, null];
    hooks.pad = (state) => {
      const was = pad;
      pad = state && { index: 0, connected: true, ...state, timestamp: (was?.timestamp ?? 0) + 1 };
      if (pad && !was) announce('gamepadconnected', pad);
      if (was && !pad) announce('gamepaddisconnected', { ...was, connected: false });
    };
  }
  // Each problem once: a fault in the drawing repeats in every frame.
  const problem = (what) => hooks.problems.includes(String(what)) || hooks.problems.push(String(what));
  for (const level of ['error', 'warn']) {
    const original = console[level];
    console[level] = (...args) => {
      problem(`console.${level}: ${args.join(' ')}`);
      original.apply(console, args);
    };
  }
  window.addEventListener('error', (event) => problem(`uncaught: ${event.message}`));
  window.addEventListener('unhandledrejection', (event) => problem(`unhandled rejection: ${event.reason}`));
  document.addEventListener('securitypolicyviolation', (event) => problem(`refused: ${event.blockedURI}`));

  // A key's time, for the benchmark's key to frame; this capture-phase listener is the first to see it.
  let keyAt = null;
  window.addEventListener('keydown', (event) => (keyAt ??= event.timeStamp), true);

  let gl = null;
  let waiting = [];
  hooks.capture = () => {
    const { drawingBufferWidth: width, drawingBufferHeight: height } = gl;
    const rgba = new Uint8Array(width * height * 4);
    gl.readPixels(0, 0, width, height, gl.RGBA, gl.UNSIGNED_BYTE, rgba);
    // Runs of one colour, as [length, 0xAABBGGRR, ...] (RGBA read as little-endian words), rows
    // from the top: the field is most of a frame.
    const words = new Uint32Array(rgba.buffer);
    const runs = [];
    let colour = words[(height - 1) * width];
    let length = 0;
    for (let y = height - 1; y >= 0; y--) {
      for (let at = y * width, end = at + width; at < end; at++) {
        if (words[at] !== colour) {
          runs.push(length, colour);
          colour = words[at];
          length = 0;
        }
        length += 1;
      }
    }
    runs.push(length, colour);
    return { width, height, runs };
  };
  // Read once the game's draw, all of it within the animation frame's callback, is done.
  hooks.nextFrame = () => new Promise((resolve) => waiting.push(resolve));

  for (const context of [self.WebGLRenderingContext, self.WebGL2RenderingContext]) {
    if (!context) continue;
    const proto = context.prototype;
    const clear = proto.clear;
    proto.clear = function (...args) {
      gl = this;
      hooks.draws += 1;
      hooks.firstDraw ??= performance.now();
      if (keyAt !== null) hooks.keyToFrame.push(performance.now() - keyAt);
      keyAt = null;
      const readers = waiting;
      waiting = [];
      if (readers.length > 0) queueMicrotask(() => readers.forEach((resolve) => resolve(hooks.capture())));
      return clear.apply(this, args);
    };
  }

  const refresh = 1000 / Number([...flags].find((flag) => flag.startsWith('refresh-'))?.slice(8));
  let due = 0;  // the next refresh
  const request = refresh ? (callback) => {
    due = Math.max(due + refresh, Math.ceil(performance.now() / refresh) * refresh);
    setTimeout(() => callback(due), due - performance.now());
  } : window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = (callback) => request((time) => {
    hooks.callbacks += 1;
    const start = performance.now();
    callback(time);
    hooks.scriptMs += performance.now() - start;
  });
  if (flags.has('fake-clock')) {
    let now = 0;
    let queued = [];
    const epoch = Date.now();
    performance.now = () => now;
    Date.now = () => epoch + now;
    window.requestAnimationFrame = (callback) => queued.push(callback);
    hooks.setClock = (ms) => {
      now = ms;
    };
    hooks.advanceTo = (ms) => {
      now = ms;
      const due = queued;
      queued = [];
      due.forEach((callback) => callback(now));
    };
  }
})();
