// The game's page in Debian's headless Chromium, for the display tests (page.h): serves the page's
// folder on 127.0.0.1, opens it, and answers one command a line on standard input, one line each:
//   key NAME down|up  a real key event, NAME as X names it (Left, space); a held key repeats every
//                     33 ms, as a keyboard does
//   frame             the canvas's device pixels: "frame WIDTH HEIGHT", then WIDTH*HEIGHT*3 bytes of RGB
//   js BODY           runs BODY, an async function of `page` and `driver`; answers "js JSON" with its result
// Errors answer "error MESSAGE". Options: DIR [--ratio N] [--viewport WxH] [--fast-callbacks]
// [--no-webgl] [--fake-clock].
import { createInterface } from 'node:readline';
import { inflateSync } from 'node:zlib';
import { launch, serve } from './chromium.mjs';

const [dir, ...rest] = process.argv.slice(2);
const option = (name) => rest.includes(name);
const valueOf = (name, fallback) => (rest.includes(name) ? rest[rest.indexOf(name) + 1] : fallback);

const { origin, close: stopServing } = await serve(dir);
const extra = [];
if (option('--fast-callbacks')) extra.push('--disable-frame-rate-limit', '--disable-gpu-vsync');
if (option('--no-webgl')) extra.push('--disable-3d-apis');
const { browser, close } = await launch(extra);
const [width, height] = valueOf('--viewport', '900x800').split('x').map(Number);
const ratio = Number(valueOf('--ratio', 1));
const page = await browser.newPage({ viewport: { width, height }, deviceScaleFactor: ratio });

// What the page said and asked for, and how often it drew (each frame begins with a clear) and
// how often the browser called it back, for the tests to read.
const driver = { origin, console: [], requests: [] };
page.on('console', (message) => driver.console.push(`${message.type()}: ${message.text()}`));
page.on('pageerror', (error) => driver.console.push(`error: ${error.message}`));
page.on('request', (request) => driver.requests.push(request.url()));
await page.addInitScript(() => {
  window.draws = 0;
  window.callbacks = 0;
  for (const context of [self.WebGLRenderingContext, self.WebGL2RenderingContext]) {
    const clear = context?.prototype.clear;
    if (clear) {
      context.prototype.clear = function (...mask) {
        window.draws += 1;
        return clear.apply(this, mask);
      };
    }
  }
  const request = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = (callback) => request((time) => {
    window.callbacks += 1;
    callback(time);
  });
});
// A fake clock stands still until a test moves it; the game starts once its first frame is called.
if (option('--fake-clock')) await page.clock.install({ time: 0 });
if (option('--fake-clock')) await page.clock.pauseAt(1000);
await page.goto(`${origin}/index.html`);
if (option('--fake-clock')) {
  await page.waitForFunction(() => window.Module?.calledRun, null, { timeout: 20000 });
  await page.clock.runFor(20);
}

const devTools = await page.context().newCDPSession(page);
const keyNames = { Left: 'ArrowLeft', Right: 'ArrowRight', Up: 'ArrowUp', Down: 'ArrowDown', space: ' ' };
const repeating = new Map();

// Chromium writes 8-bit RGB or RGBA PNGs, not interlaced.
function rgbOf(png) {
  let width = 0, height = 0, channels = 0;
  const data = [];
  for (let at = 8; at < png.length;) {
    const length = png.readUInt32BE(at), type = png.toString('latin1', at + 4, at + 8);
    const chunk = png.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') [width, height, channels] = [chunk.readUInt32BE(0), chunk.readUInt32BE(4), chunk[9] === 6 ? 4 : 3];
    if (type === 'IDAT') data.push(chunk);
    at += 12 + length;
  }
  const raw = inflateSync(Buffer.concat(data)), stride = width * channels, rgb = Buffer.alloc(width * height * 3);
  let above = Buffer.alloc(stride);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)], line = Buffer.from(raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1)));
    for (let i = 0; i < stride; ++i) {
      const left = i >= channels ? line[i - channels] : 0, up = above[i], corner = i >= channels ? above[i - channels] : 0;
      const guess = left + up - corner;
      const nearest = Math.abs(guess - left) <= Math.abs(guess - up) && Math.abs(guess - left) <= Math.abs(guess - corner)
        ? left : Math.abs(guess - up) <= Math.abs(guess - corner) ? up : corner;
      line[i] += [0, left, up, (left + up) >> 1, nearest][filter];
    }
    for (let x = 0; x < width; ++x) line.copy(rgb, (y * width + x) * 3, x * channels, x * channels + 3);
    above = line;
  }
  return { width, height, rgb };
}

async function run(line) {
  const [command, ...words] = line.split(' ');
  if (command === 'key') {
    const [name, state] = words, key = keyNames[name] ?? name;
    clearInterval(repeating.get(key));
    repeating.delete(key);
    if (state === 'down') {
      await page.keyboard.down(key);
      repeating.set(key, setInterval(() => page.keyboard.down(key).catch(() => {}), 33));
    } else {
      await page.keyboard.up(key);
    }
    return 'key';
  }
  if (command === 'frame') {
    // Through DevTools for its fast PNG encoding: a look at a shot in flight must take well under
    // its 0.4 s.
    const box = await page.locator('#game').boundingBox();
    const { data } = await devTools.send('Page.captureScreenshot',
      { format: 'png', clip: { ...box, scale: ratio }, optimizeForSpeed: true });
    const { width, height, rgb } = rgbOf(Buffer.from(data, 'base64'));
    process.stdout.write(`frame ${width} ${height}\n`);
    process.stdout.write(rgb);
    return null;
  }
  if (command === 'js') {
    const body = line.slice(3);
    const result = await new (Object.getPrototypeOf(async () => {}).constructor)('page', 'driver', body)(page, driver);
    return `js ${JSON.stringify(result ?? null)}`;
  }
  throw new Error(`no command "${command}"`);
}

for await (const line of createInterface({ input: process.stdin })) {
  try {
    const answer = await run(line);
    if (answer !== null) process.stdout.write(`${answer.replace(/\n/g, ' ')}\n`);
  } catch (error) {
    process.stdout.write(`error ${String(error.message).replace(/\n/g, ' ')}\n`);
  }
}
for (const timer of repeating.values()) clearInterval(timer);
await close();
stopServing();
