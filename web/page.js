'use strict';
// Starts the game on the page's canvas, or says in one sentence why it cannot.
(() => {
  const canvas = document.getElementById('game');
  const message = document.getElementById('message');
  const say = (sentence) => {
    message.textContent = sentence;
    message.hidden = false;
    canvas.hidden = true;
  };
  if (document.createElement('canvas').getContext('webgl') === null) {
    say('This browser cannot show the game: it needs WebGL, which is turned off or not available here.');
    return;
  }
  // A context the browser takes back (a graphics driver reset, too many pages drawing) does not
  // come back with the game's drawing state in it.
  canvas.addEventListener('webglcontextlost', () =>
    say('The browser took the game\'s graphics away; reload the page to play again.'));
  window.Module = {
    canvas,
    onAbort: () => say('The game could not start; reload the page to try again.'),
    // Emscripten's OpenGL emulation announces itself at every start; anything else is worth a look.
    printErr: (text) => text.startsWith('WARNING: using emscripten GL') || console.error(text),
  };
  const game = document.createElement('script');
  game.src = 'asteroids.js';
  game.onerror = () => say('The game could not be loaded; reload the page to try again.');
  document.body.appendChild(game);
})();
