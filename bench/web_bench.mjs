// The page in Debian's headless Chromium, measured from outside: what it loads (and gzipped, as a
// static host would serve it), navigation to first frame, key to frame, CPU against a page that
// only clears its canvas, how long catching up after an hour or a day hidden takes, and the game's
// frame rate when the browser calls back as often as it can. Figures only, never a pass or a fail.
//
//   node bench/web_bench.mjs build/web
//
// A frame is seen as a call to the WebGL context's clear, which the game makes once a draw.
import { execFileSync } from 'node:child_process';
import { readFileSync, readdirSync } from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { setTimeout as sleep } from 'node:timers/promises';
import zlib from 'node:zlib';

import { launch, serve } from '../tests/support/chromium.mjs';

const pageDir = process.argv[2];
if (!pageDir) {
  console.error('usage: node bench/web_bench.mjs PAGE_DIR');
  process.exit(2);
}
const clearDir = fileURLToPath(new URL('clear-page/', import.meta.url));
const log = (line) => console.error(`web_bench: ${line}`);

// ---- A static host on 127.0.0.1 -----------------------------------------------------------------

// Runs before the page's own scripts: the capture-phase keydown listener on window is therefore the
// first to see a key, before the game's.
function watchDraws() {
  const draws = (window.benchDraws = { first: null, count: 0, keyAt: null, keyToFrame: [] });
  const wrap = (proto) => {
    const clear = proto.clear;
    proto.clear = function (...args) {
      const now = performance.now();
      draws.first ??= now;
      draws.count += 1;
      if (draws.keyAt !== null) {
        draws.keyToFrame.push(now - draws.keyAt);
        draws.keyAt = null;
      }
      return clear.apply(this, args);
    };
  };
  wrap(WebGLRenderingContext.prototype);
  if (typeof WebGL2RenderingContext !== 'undefined') wrap(WebGL2RenderingContext.prototype);
  window.addEventListener('keydown', (event) => { draws.keyAt = event.timeStamp; }, true);
}

// Waits, at most `limit` ms, for `test(arg)` to hold in the page; says what for when it gives up.
async function until(page, what, limit, test, arg) {
  try {
    await page.waitForFunction(test, arg, { timeout: limit, polling: 10 });
  } catch (error) {
    throw new Error(`gave up after ${limit} ms waiting for ${what} (${error.message.split('\n')[0]})`);
  }
}
const drawsPast = (page, count, what, limit = 15000) =>
  until(page, what, limit, (n) => window.benchDraws?.count > n, count);
const draws = (page) => page.evaluate(() => window.benchDraws);

// A new page of `owner` (a browser or a context) at `url`, once it has drawn its first frames;
// with `responses`, every response it receives goes in there, and with `clock`, Playwright's clock
// stands in for the page's time.
async function openPage(owner, url, { responses, clock } = {}) {
  const page = await owner.newPage();
  if (responses) page.on('response', (response) => responses.push(response));
  if (clock) await page.clock.install();
  await page.addInitScript(watchDraws);
  await page.goto(url);
  await drawsPast(page, 2, 'the first frames');
  return page;
}

// The value that a share `p` of `xs` is at or under (the median of 5 at 0.5, the largest at 1).
const rank = (xs, p) => [...xs].sort((a, b) => a - b)[Math.ceil(p * xs.length) - 1];
const kb = (bytes) => `${(bytes / 1024).toFixed(1)} KB`;
const ms = (x) => `${x.toFixed(1)} ms`;

// ---- The figures --------------------------------------------------------------------------------

// Every response from navigation to the first frames, from a fresh context each load, so nothing
// comes from a cache; the first load's responses are the page's files.
async function loads(browser, url) {
  const firsts = [];
  let files;
  for (let i = 0; i < 5; i++) {
    const context = await browser.newContext();
    const responses = [];
    const page = await openPage(context, url, { responses });
    firsts.push((await draws(page)).first);
    files ??= await Promise.all(responses.map(async (response) => {
      const body = await response.body();
      const name = new URL(response.url()).pathname;
      return { name: path.basename(name.endsWith('/') ? `${name}index.html` : name),
        bytes: body.length, gzipped: zlib.gzipSync(body, { level: 9 }).length };
    }));
    await context.close();
  }
  return { files, firstFrame: rank(firsts, 0.5) };
}

// ArrowLeft held a moment, 40 times, 150 to 250 ms apart so the keys land at every point of a step.
async function keyToFrame(browser, url) {
  const page = await openPage(browser, url);
  for (let i = 0; i < 40; i++) {
    const spacing = 150 + Math.random() * 100;
    await page.keyboard.down('ArrowLeft');
    await sleep(40);
    await page.keyboard.up('ArrowLeft');
    await sleep(spacing - 40);
  }
  await until(page, 'a frame after each of the 40 keys', 5000, () => window.benchDraws.keyToFrame.length >= 40);
  const { keyToFrame: times } = await draws(page);
  await page.close();
  return times;
}

// The CPU time, in seconds, of a process and every process under it, from /proc.
const ticksPerSecond = Number(execFileSync('getconf', ['CLK_TCK'], { encoding: 'utf8' }));
function treeCpu(rootPid) {
  const stats = new Map();
  for (const entry of readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      // The fields after the command's name, which may itself hold spaces and parentheses.
      const fields = readFileSync(`/proc/${entry}/stat`, 'utf8').replace(/^.*\) /s, '').split(' ');
      stats.set(Number(entry), { parent: Number(fields[1]), ticks: Number(fields[11]) + Number(fields[12]) });
    } catch {
      // Gone between the listing and the read.
    }
  }
  let ticks = 0;
  const tree = [rootPid];
  for (const pid of tree) {
    ticks += stats.get(pid)?.ticks ?? 0;
    for (const [child, stat] of stats) if (stat.parent === pid) tree.push(child);
  }
  return ticks / ticksPerSecond;
}

// Per cent of one core that all of a fresh browser's processes take over 20 s of the page left to
// play, after 3 s of warm-up.
async function cpu(url) {
  const { browser, pid, close } = await launch();
  try {
    await openPage(browser, url);
    await sleep(3000);
    const [cpu0, t0] = [treeCpu(pid), performance.now()];
    await sleep(20000);
    return (100 * (treeCpu(pid) - cpu0)) / ((performance.now() - t0) / 1000);
  } finally {
    await close();
  }
}

// The steps missed in a gap run at the next frame. Playwright's clock stands in for the page's
// time: jumped forward, the page stays visible, so the whole catch-up falls on the next animation
// frame; the 1-second timer that runs due steps while the page is hidden never starts.
async function catchUp(browser, url) {
  const page = await openPage(browser, url, { clock: true });
  await page.clock.runFor(1000);
  const took = {};
  for (const [name, gap] of [['none', 0], ['hour', 3600e3], ['day', 86400e3]]) {
    const count = (await draws(page)).count;
    const t0 = performance.now();
    await page.clock.fastForward(gap);
    await page.clock.runFor(20);
    await drawsPast(page, count, `the frame after a gap of ${gap} ms`, 300000);
    took[name] = performance.now() - t0;
  }
  await page.close();
  return took;
}

// Animation frames the browser gives, and frames the game draws, a second over 3 s, when the
// browser calls back as often as it can.
async function unlimited(url) {
  const { browser, close } = await launch(['--disable-frame-rate-limit', '--disable-gpu-vsync']);
  try {
    const page = await openPage(browser, url);
    await sleep(1000);
    return await page.evaluate(() => new Promise((resolve) => {
      let callbacks = 0;
      const counted = () => { callbacks += 1; requestAnimationFrame(counted); };
      requestAnimationFrame(counted);
      const [start, draws0] = [performance.now(), window.benchDraws.count];
      setTimeout(() => {
        const seconds = (performance.now() - start) / 1000;
        resolve({ browser: callbacks / seconds, game: (window.benchDraws.count - draws0) / seconds });
      }, 3000);
    }));
  } finally {
    await close();
  }
}

// ---- The run ------------------------------------------------------------------------------------

const loadBefore = readFileSync('/proc/loadavg', 'utf8').split(' ').slice(0, 3).join(' ');
const started = performance.now();
const game = await serve(pageDir);
const clearOnly = await serve(clearDir);
try {
  const { browser, close } = await launch();
  const version = browser.version();
  log('loading the page 5 times');
  const { files, firstFrame } = await loads(browser, `${game.origin}/`);
  log('pressing ArrowLeft 40 times');
  const keys = await keyToFrame(browser, `${game.origin}/`);
  log('catching up an hour and a day');
  const caught = await catchUp(browser, `${game.origin}/`);
  await close();
  log('CPU of the game, then of a page that only clears, 23 s each');
  const cpuGame = await cpu(`${game.origin}/`);
  const cpuClear = await cpu(`${clearOnly.origin}/`);
  log('frame rates with no frame-rate limit');
  const rates = await unlimited(`${game.origin}/`);

  const rows = [
    ...files.map((f) => [`loads ${f.name}`, `${f.bytes} B, ${f.gzipped} B gzipped`, '']),
    ['loads in all, gzipped', kb(files.reduce((sum, f) => sum + f.gzipped, 0)), 'at most 64 KB'],
    ['navigation to first frame, median of 5 loads', ms(firstFrame), 'within 200 ms'],
    ['key to frame, median / p99 / max of 40', [0.5, 0.99, 1].map((p) => ms(rank(keys, p))).join(' / '),
      'a step (16.7 ms) and a frame'],
    ['CPU, game, 20 s', `${cpuGame.toFixed(1)} % of a core`, ''],
    ['CPU, clearing only, 20 s', `${cpuClear.toFixed(1)} % of a core`, ''],
    ['CPU, game ÷ clearing only', (cpuGame / cpuClear).toFixed(2), 'at most 1.5'],
    ['frame with no steps missed', ms(caught.none), ''],
    ['frame after an hour hidden (216,000 steps)', ms(caught.hour), ''],
    ['frame after a day hidden (5,184,000 steps)', ms(caught.day), ''],
    ['no frame-rate limit: browser frames / game frames a second',
      `${rates.browser.toFixed(0)} / ${rates.game.toFixed(1)}`, 'game at 60'],
  ];
  console.log('| Figure | Value | Goal |\n|---|---|---|');
  for (const row of rows) console.log(`| ${row.join(' | ')} |`);
  console.log(`\nChromium ${version}; load average before the run ${loadBefore}; ` +
    `the run took ${((performance.now() - started) / 1000).toFixed(0)} s.`);
} finally {
  game.close();
  clearOnly.close();
}
