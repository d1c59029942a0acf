'use strict';
// Starts the game on the page's canvas, or says in one sentence why it cannot; fits the field to
// the screen; on a touch screen, plays the game's keys from the buttons beside it; and keeps the
// page for playing offline.
(() => {
  const canvas = document.getElementById('game');
  const message = document.getElementById('message');
  const say = (sentence) => {
    document.documentElement.classList.remove('touch');
    message.textContent = sentence;
    message.hidden = false;
    canvas.hidden = true;
  };

  // The field: the largest 720 by 640 rectangle its cell holds, in whole pixels of the screen, never
  // larger than the game's own window where a mouse plays with the keyboard, unless in full screen.
  const touch = matchMedia('(pointer: coarse)').matches || navigator.maxTouchPoints > 0;
  document.documentElement.classList.toggle('touch', touch);
  const cell = document.getElementById('field');
  const fit = () => {
    const ratio = window.devicePixelRatio || 1;
    const largest = touch || (document.fullscreenElement ?? document.webkitFullscreenElement) ? Infinity : 1;
    const scale = Math.min(cell.clientWidth / 720, cell.clientHeight / 640, largest);
    cell.style.setProperty('--field-width', `${Math.floor(720 * scale * ratio) / ratio}px`);
    cell.style.setProperty('--field-height', `${Math.floor(640 * scale * ratio) / ratio}px`);
  };
  new ResizeObserver(fit).observe(cell);
  window.addEventListener('resize', fit);
  fit();

  // Full screen, where the browser offers it (Safari on iPad under its older names; not on iPhone).
  const root = document.documentElement;
  const enter = root.requestFullscreen ?? root.webkitRequestFullscreen;
  const leave = document.exitFullscreen ?? document.webkitExitFullscreen;
  for (const button of document.querySelectorAll('.fullscreen')) {
    button.hidden = !(document.fullscreenEnabled ?? document.webkitFullscreenEnabled);
    button.addEventListener('click', () => {
      const inFullscreen = document.fullscreenElement ?? document.webkitFullscreenElement;
      Promise.resolve(inFullscreen ? leave.call(document) : enter.call(root)).catch(() => {});
    });
  }

  // The touch buttons. Each finger is followed by its pointer, wherever it goes: it holds the key of
  // the button under it, if any, and lets it go as it leaves; a key is held while any finger holds
  // it. Keys go to the game as the keyboard's do.
  const fingers = new Map();
  const held = () => new Set(fingers.values());
  const press = (key, down) => {
    document.querySelector(`[data-key="${key}"]`).classList.toggle('held', down);
    window.Module?.pressGameKey?.(Number(key), down ? 1 : 0);
  };
  const change = (update) => {
    const before = held();
    update();
    const after = held();
    before.forEach((key) => key && !after.has(key) && press(key, false));
    after.forEach((key) => key && !before.has(key) && press(key, true));
  };
  const keyUnder = (event) => document.elementFromPoint(event.clientX, event.clientY)?.closest('[data-key]')?.dataset.key;
  window.addEventListener('pointerdown', (event) => change(() => fingers.set(event.pointerId, keyUnder(event))));
  window.addEventListener('pointermove', (event) =>
    fingers.has(event.pointerId) && change(() => fingers.set(event.pointerId, keyUnder(event))));
  for (const type of ['pointerup', 'pointercancel']) {
    window.addEventListener(type, (event) => change(() => fingers.delete(event.pointerId)));
  }
  // Fingers whose lifting the page may never hear of.
  const liftAll = () => change(() => fingers.clear());
  window.addEventListener('blur', liftAll);
  document.addEventListener('visibilitychange', () => document.hidden && liftAll());
  if (touch) document.addEventListener('contextmenu', (event) => event.preventDefault());

  // Game pads. A browser shows a page a pad only once a button of it has been pressed: until then the
  // page says so, and then it names each pad, and each it cannot play with (the game plays with pads
  // laid out as the standard gamepad, as Xbox and PlayStation pads are).
  const padLine = document.getElementById('pads');
  const pads = new Map();
  const showPads = () => {
    padLine.textContent = pads.size > 0 ? [...pads.values()].join(' · ') : 'Press a button on your controller';
  };
  try {
    navigator.getGamepads();
    padLine.hidden = false;
    showPads();
    window.addEventListener('gamepadconnected', ({ gamepad }) => {
      pads.set(gamepad.index, `${gamepad.mapping === 'standard' ? 'Controller' : 'Not supported'}: ${gamepad.id}`);
      showPads();
    });
    window.addEventListener('gamepaddisconnected', ({ gamepad }) => {
      pads.delete(gamepad.index);
      showPads();
    });
  } catch {
    // No pads in this browser, or none allowed this page: it plays by keys and fingers.
  }

  // Every file of the page kept for playing offline (sw.js), once the page has loaded, so that
  // keeping them does not hold the game back; without it, the page plays online.
  window.addEventListener('load', () => navigator.serviceWorker?.register('sw.js').catch(() => {}));

  // A context the browser takes back (a graphics driver reset, too many pages drawing) does not
  // come back with the game's drawing state in it.
  canvas.addEventListener('webglcontextlost', () =>
    say('The browser took the game\'s graphics away; reload the page to play again.'));
  // The game's WebAssembly, compiled as it arrives (or, from a host that does not name its type,
  // once it has), then its script, which starts the game on it; the game says when it has no WebGL.
  const notLoaded = () => say('The game could not be loaded; reload the page to try again.');
  window.Module = {
    noWebGL: () => say('This browser cannot show the game: it needs WebGL, which is turned off or not available here.'),
  };
  WebAssembly.compileStreaming(fetch('asteroids.wasm'))
    .catch(() => fetch('asteroids.wasm').then((response) => response.arrayBuffer()).then(WebAssembly.compile))
    .then((wasm) => {
      Module.wasm = wasm;
      const game = document.createElement('script');
      game.src = 'asteroids.js';
      game.onerror = notLoaded;
      document.body.appendChild(game);
    }, notLoaded);
})();
