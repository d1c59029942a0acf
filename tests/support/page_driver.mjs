// The game's page in a browser engine, for the display tests (page.h): serves the page's folder,
// opens it, and answers one command a line on standard input, one line each:
//   key NAME down|up  a real key event, NAME as X names it (Left, space); a held key repeats, but
//                     on the fake clock, where a keyboard's repeat has no time to come; with
//                     --touch-keys, a finger on the key's touch button, put down or lifted; with --pad,
//                     the key's control on a stand-in game pad (page_hooks.js), plugged in by the
//                     first press: Left pushes the left stick, Right the D-pad, Up the right trigger,
//                     space the bottom button, and letting go of Up pulls the pad out
//   frame [MS]        the canvas's device pixels at the end of the next draw, or, on the fake
//                     clock, once the clock is moved to MS: "frame WIDTH HEIGHT", then the RGB bytes
//   js BODY           runs BODY, an async function's body, in the page; answers "js JSON" with its result
//   resize W H        the viewport W by H CSS pixels, as a window resized or a phone turned
//   serve DIR|none    the host serves another folder from now on, or nothing, as a host that is down
//   reload, reopen    the page loaded again, in its tab or (Chromium) in a new tab once its own is closed
//   hide, show        (Chromium) another tab brought to the front, or the page's again
//   devtools METHOD JSON  (Chromium) a command of the DevTools protocol; answers "js JSON"
// Each answers its name, or "error MESSAGE".
//   node page_driver.mjs DIR ENGINE [--viewport WxH] [--ratio N] [--touch [--touch-keys]] [--pad] [--no-webgl]
//                        [--fake-clock] [--no-gamepads] [--gamepads-throw]
// --touch: a touch screen, emulated in Chromium; Firefox and WebKit cannot be made to, and the page
// is told it has one (page_hooks.js), for its layout. --touch-keys: keys are played with fingers
// (Chromium).
import { createInterface } from 'node:readline';
import { open, serve, until } from './browser.mjs';

// Ended by its test (page.h), it closes the browsers it started as on any other end.
process.on('SIGTERM', () => process.exit(1));
const [dir, engine, ...rest] = process.argv.slice(2);
const option = (name) => rest.includes(name);
const valueOf = (name, fallback) => (option(name) ? rest[rest.indexOf(name) + 1] : fallback);
const [width, height] = valueOf('--viewport', '900x800').split('x').map(Number);

const fakeClock = option('--fake-clock');
const touch = option('--touch');
const flags = [fakeClock && 'fake-clock', touch && engine !== 'chromium' && 'touch',
  ...['pad', 'no-gamepads', 'gamepads-throw'].filter((flag) => option(`--${flag}`))].filter(Boolean);
const host = await serve(dir);
const page = await open(engine, `${host.origin}/index.html${flags.length > 0 ? `#${flags}` : ''}`, {
  width, height, ratio: Number(valueOf('--ratio', 1)), noWebgl: option('--no-webgl'), touch: touch && engine === 'chromium',
  repeat: !fakeClock });
// On the fake clock the game draws nothing until the clock moves.
const started = () => until(page,
  `(${fakeClock ? 'Boolean(window.Module?.pressGameKey)' : 'testHooks.draws > 0'}) || !document.querySelector('#message').hidden`,
  20000, 'the game to start, or the page to say why it cannot');
await started();

// A finger on the touch button of a key, as X names it, put down or lifted.
const buttons = { Left: 100, Up: 101, Right: 102, space: 32 };
const finger = async (name, down) => {
  const [x, y] = await page.run(`const r = document.querySelector('[data-key="${buttons[name]}"]')
    .getBoundingClientRect(); return [r.x + r.width / 2, r.y + r.height / 2];`);
  await page.devTools('Input.dispatchTouchEvent', { type: down ? 'touchStart' : 'touchEnd',
    touchPoints: [{ id: buttons[name], x, y }] });
};

// A key's control on the stand-in pad.
const padControls = { Left: ['axes', 0, -1], Right: ['buttons', 15, 1], Up: ['buttons', 7, 1], space: ['buttons', 0, 1] };
let pad = null;
const padKey = async (name, down) => {
  if (name === 'Up' && !down) {
    pad = null;
  } else {
    pad ??= { id: 'Test pad (STANDARD GAMEPAD)', mapping: 'standard', buttons: Array(17).fill(0), axes: [0, 0, 0, 0] };
    const [kind, index, value] = padControls[name];
    pad[kind][index] = down ? value : 0;
  }
  await page.run(`testHooks.pad(${JSON.stringify(pad)})`);
};

const commands = {
  key: async ([name, state]) =>
    (option('--touch-keys') ? finger : option('--pad') ? padKey : page.key)(name, state === 'down'),
  frame: async (words) => {
    const { width: w, height: h, runs } = await page.run(words[0]
      ? `testHooks.advanceTo(${Number(words[0])}); return testHooks.capture();` : 'return await testHooks.nextFrame();');
    const rgb = Buffer.alloc(w * h * 3);
    for (let i = 0, at = 0; i < runs.length; i += 2) {
      const [r, g, b] = [runs[i + 1] & 255, (runs[i + 1] >> 8) & 255, (runs[i + 1] >> 16) & 255];
      for (const end = at + runs[i] * 3; at < end; at += 3) [rgb[at], rgb[at + 1], rgb[at + 2]] = [r, g, b];
    }
    return Buffer.concat([Buffer.from(`frame ${w} ${h}\n`), rgb]);
  },
  js: async (words) => `js ${JSON.stringify((await page.run(words.join(' '))) ?? null)}\n`,
  resize: ([w, h]) => page.resize(Number(w), Number(h)),
  serve: ([folder]) => {
    host.root = folder === 'none' ? null : folder;
  },
  reload: () => page.reload().then(started),
  reopen: () => page.reopen().then(started),
  hide: () => page.hide(),
  show: () => page.show(),
  devtools: async ([method, ...json]) => `js ${JSON.stringify(await page.devTools(method, JSON.parse(json.join(' ') || '{}')))}\n`,
};

for await (const line of createInterface({ input: process.stdin })) {
  const [command, ...words] = line.split(' ');
  try {
    if (!commands[command]) throw new Error(`no command "${command}"`);
    const answer = await commands[command](words);
    process.stdout.write(typeof answer === 'string' || Buffer.isBuffer(answer) ? answer : `${command}\n`);
  } catch (error) {
    process.stdout.write(`error ${String(error.message).replace(/\n/g, ' ')}\n`);
  }
}
await page.close();
host.close();
