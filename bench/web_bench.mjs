// The page in each browser engine, measured as a static host serves it, side by side with a page that
// only clears its canvas in the same engine: navigation to first frame, the CPU of the browser's
// processes, and the main thread's script time per frame, each a median with its spread; and key to
// frame; then the game's key to frame and script time per frame with its animation frames 60 and 144
// times a second from a timer, as displays that refresh so often give them. Then, in Chromium, what the page loads (gzipped, as a host would serve it), how long catching
// up after an hour or a day without callbacks takes, and the game's frame rate when the browser calls
// back as often as it can. Figures only, never a pass or a fail.
//
//   xvfb-run -a node bench/web_bench.mjs build/web [chromium] [firefox] [webkit]     (all by default)
//
// Frames, keys and their times are the page's own, as tests/support/page_hooks.js counts them.
import { execFileSync } from 'node:child_process';
import { readFileSync, readdirSync } from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { setTimeout as sleep } from 'node:timers/promises';
import zlib from 'node:zlib';

import { open, serve, until } from '../tests/support/browser.mjs';

const [pageDir, ...chosen] = process.argv.slice(2);
if (!pageDir) {
  console.error('usage: node bench/web_bench.mjs PAGE_DIR [ENGINE...]');
  process.exit(2);
}
const engines = chosen.length > 0 ? chosen : ['chromium', 'firefox', 'webkit'];
const clearDir = fileURLToPath(new URL('clear-page/', import.meta.url));
const log = (line) => console.error(`web_bench: ${line}`);

// A new browser of the engine with the page at `url`, once it has drawn its first frames.
async function openPage(engine, url, options) {
  const page = await open(engine, url, options);
  await until(page, 'testHooks.draws > 2', 30000, 'the first frames');
  return page;
}

// The value that a share `p` of `xs` is at or under (the median of 5 at 0.5, the largest at 1).
const rank = (xs, p) => [...xs].sort((a, b) => a - b)[Math.ceil(p * xs.length) - 1];
const kb = (bytes) => `${(bytes / 1024).toFixed(1)} KB`;
const ms = (x) => `${x.toFixed(1)} ms`;

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

// ---- The figures --------------------------------------------------------------------------------

// Navigation to the first frame, in each of 5 loads in a new browser (nothing cached); and the
// browser's version.
async function firstFrame(engine, url, options) {
  const times = [];
  let version;
  for (let i = 0; i < 5; i++) {
    const page = await openPage(engine, url, options);
    times.push(await page.run('return testHooks.firstDraw'));
    version = page.version;
    await page.close();
  }
  return { times, version };
}

// ArrowLeft held a moment, 40 times, 150 to 250 ms apart so the keys land at every point of a step.
async function keyToFrame(engine, url) {
  const page = await openPage(engine, url);
  for (let i = 0; i < 40; i++) {
    const spacing = 150 + Math.random() * 100;
    await page.key('Left', true);
    await sleep(40);
    await page.key('Left', false);
    await sleep(spacing - 40);
  }
  await until(page, 'testHooks.keyToFrame.length >= 40', 5000, 'a frame after each of the 40 keys');
  const times = await page.run('return testHooks.keyToFrame');
  await page.close();
  return times;
}

// In each of 5 new browsers, after 3 s of warm-up, over 5 s of the page left to play: the per cent
// of one core that all the browser's processes take, and the main thread's script time per frame in
// ms, as the page's own clock times its animation frames' callbacks and, in Chromium, as its
// DevTools count all of the page's script.
async function cpuAndScript(engine, url) {
  const runs = { cpu: [], script: [], devTools: [] };
  for (let i = 0; i < 5; i++) {
    const page = await openPage(engine, url);
    try {
      await sleep(3000);
      const scriptTime = async () => {
        const [frames, ms] = await page.run('return [testHooks.callbacks, testHooks.scriptMs]');
        const metrics = engine === 'chromium' ? (await page.devTools('Performance.getMetrics', {})).metrics : [];
        return { frames, ms, devTools: 1000 * (metrics.find((m) => m.name === 'ScriptDuration')?.value ?? 0) };
      };
      if (engine === 'chromium') await page.devTools('Performance.enable', {});
      const [cpu0, t0, s0] = [treeCpu(page.pid), performance.now(), await scriptTime()];
      await sleep(5000);
      const [cpu1, t1, s1] = [treeCpu(page.pid), performance.now(), await scriptTime()];
      runs.cpu.push((100 * (cpu1 - cpu0)) / ((t1 - t0) / 1000));
      runs.script.push((s1.ms - s0.ms) / (s1.frames - s0.frames));
      runs.devTools.push((s1.devTools - s0.devTools) / (s1.frames - s0.frames));
    } finally {
      await page.close();
    }
  }
  return runs;
}

// What the page loads until its first frames, as its own list of them has it, gzipped at level 9 as
// a static host would serve it.
async function loads(url) {
  const page = await openPage('chromium', url);
  const names = await page.run("return performance.getEntriesByType('resource').map((e) => new URL(e.name).pathname)");
  await page.close();
  const files = new Set(names.filter((name) => name !== '/test-hooks.js').map((name) => path.basename(name)));
  return ['index.html', ...files].map(sizeOf);
}
function sizeOf(name) {
  const body = readFileSync(path.join(pageDir, name));
  return { name, bytes: body.length, gzipped: zlib.gzipSync(body, { level: 9 }).length };
}

// The steps missed in a gap run at the next frame. On the page's clock, which stands still while
// the benchmark moves it by an hour or a day at once, the page gets no callback meanwhile, as a
// frozen page gets none; the figure is the wall time of the move and the frame after it, a round
// trip to the browser included (the first row).
async function catchUp(url) {
  const page = await open('chromium', `${url}#fake-clock`);
  await until(page, 'Boolean(window.Module?.pressGameKey)', 30000, 'the game to start');
  const took = {};
  let now = 1000;
  await page.run(`testHooks.advanceTo(${now})`);
  for (const [name, gap] of [['none', 0], ['hour', 3600e3], ['day', 86400e3]]) {
    now += gap + 20;
    const t0 = performance.now();
    await page.run(`testHooks.advanceTo(${now})`);
    took[name] = performance.now() - t0;
  }
  await page.close();
  return took;
}

// Animation frames the browser gives, and frames the game draws, a second over 3 s, when Chromium
// calls back as often as it can.
async function unlimited(url) {
  const page = await openPage('chromium', url, { fastCallbacks: true });
  try {
    await sleep(1000);
    const before = await page.run('return [testHooks.callbacks, testHooks.draws, performance.now()]');
    await sleep(3000);
    const after = await page.run('return [testHooks.callbacks, testHooks.draws, performance.now()]');
    const seconds = (after[2] - before[2]) / 1000;
    return { browser: (after[0] - before[0]) / seconds, game: (after[1] - before[1]) / seconds };
  } finally {
    await page.close();
  }
}

// ---- The run ------------------------------------------------------------------------------------

const loadBefore = readFileSync('/proc/loadavg', 'utf8').split(' ').slice(0, 3).join(' ');
const started = performance.now();
const game = await serve(pageDir);
const clearOnly = await serve(clearDir);
const url = `${game.origin}/index.html`;
const clearUrl = `${clearOnly.origin}/index.html`;
// A median with its spread: "median (least–most)".
const spread = (xs, unit, digits = 1) =>
  `${rank(xs, 0.5).toFixed(digits)} (${Math.min(...xs).toFixed(digits)}–${Math.max(...xs).toFixed(digits)})${unit}`;
try {
  const measured = [];
  for (const engine of engines) {
    log(`${engine}: the game and a page that only clears, each loaded 5 times and then left to play in 5 browsers for 8 s; then ArrowLeft pressed 40 times`);
    const pages = {};
    for (const [name, address] of [['game', url], ['clear', clearUrl]]) {
      pages[name] = { ...(await firstFrame(engine, address)), ...(await cpuAndScript(engine, address)) };
    }
    const refreshes = {};
    for (const rate of [60, 144]) {
      log(`${engine}: the game with animation frames ${rate} times a second, left to play in 5 browsers; then ArrowLeft pressed 40 times`);
      refreshes[rate] = { ...(await cpuAndScript(engine, `${url}#refresh-${rate}`)), keys: await keyToFrame(engine, `${url}#refresh-${rate}`) };
    }
    measured.push({ engine, version: pages.game.version, ...pages, keys: await keyToFrame(engine, url), refreshes });
  }
  console.log(`| Figure: the game / the page that only clears (median (least–most)) | ${measured.map((m) => m.engine).join(' | ')} | Goal |`);
  console.log(`|---|${measured.map(() => '---|').join('')}---|`);
  const row = (figure, cell, goal = '') => console.log(`| ${figure} | ${measured.map(cell).join(' | ')} | ${goal} |`);
  const ratio = (m, figure) => (rank(m.game[figure], 0.5) / rank(m.clear[figure], 0.5)).toFixed(2);
  row('navigation to first frame, 5 loads', (m) => `${spread(m.game.times, ' ms', 0)} / ${spread(m.clear.times, ' ms', 0)}`);
  row('navigation to first frame, game ÷ clearing', (m) => ratio(m, 'times'), 'at most 1.2');
  row('CPU of the browser\'s processes, 5 × 5 s', (m) => `${spread(m.game.cpu, ' %')} / ${spread(m.clear.cpu, ' %')}`);
  row('CPU, game ÷ clearing', (m) => ratio(m, 'cpu'), 'at most 1.2');
  row('script time per frame, timed by the page, 5 × 5 s', (m) => `${spread(m.game.script, ' ms', 3)} / ${spread(m.clear.script, ' ms', 3)}`);
  row('script time per frame, Chromium\'s DevTools (ScriptDuration)',
    (m) => (m.engine === 'chromium' ? `${spread(m.game.devTools, ' ms', 3)} / ${spread(m.clear.devTools, ' ms', 3)}` : ''));
  const keys = (times) => [0.5, 0.99, 1].map((p) => ms(rank(times, p))).join(' / ');
  row('key to frame, median / p99 / max of 40', (m) => keys(m.keys), 'a step (16.7 ms) and a frame');
  for (const rate of [60, 144]) {
    row(`frames ${rate} a second: key to frame, median / p99 / max of 40`, (m) => keys(m.refreshes[rate].keys),
      'a frame');
    row(`frames ${rate} a second: script time per frame, timed by the page, 5 × 5 s`,
      (m) => spread(m.refreshes[rate].script, ' ms', 3));
  }
  console.log(`\n${measured.map((m) => `${m.engine}: ${m.version}`).join('; ')}. CPU in per cent of one core.`);

  if (engines.includes('chromium')) {
    log('chromium: what the page loads, catching up an hour and a day, frame rates with no frame-rate limit');
    const files = await loads(url);
    const later = ['manifest.webmanifest', 'sw.js', 'icon-192.png', 'icon-512.png', 'LICENSE.txt', 'freeglut-COPYING.txt',
      'TeX-Gyre-Heros-LICENSE.txt'].map(sizeOf);
    const phone = await firstFrame('chromium', url, { width: 390, height: 844, ratio: 3, touch: true });
    const caught = await catchUp(url);
    const rates = await unlimited(url);
    const rows = [
      ...files.map((f) => [`loads ${f.name}`, `${f.bytes} B, ${f.gzipped} B gzipped`, '']),
      ['loads in all before the first frame, gzipped', kb(files.reduce((sum, f) => sum + f.gzipped, 0)), 'at most 32 KB'],
      ...later.map((f) => [`later, for installing and offline: ${f.name}`, `${f.bytes} B, ${f.gzipped} B gzipped`, '']),
      ['navigation to first frame on a phone (390 by 844, 3 pixels to 1, touch), 5 loads', spread(phone.times, ' ms', 0), ''],
      ['frame with no steps missed', ms(caught.none), ''],
      ['frame after an hour without callbacks (216,000 steps)', ms(caught.hour), ''],
      ['frame after a day without callbacks (5,184,000 steps)', ms(caught.day), ''],
      ['no frame-rate limit: browser frames / game frames a second',
        `${rates.browser.toFixed(0)} / ${rates.game.toFixed(1)}`, 'a frame at each'],
    ];
    console.log('\n| Figure, Chromium | Value | Goal |\n|---|---|---|');
    for (const r of rows) console.log(`| ${r.join(' | ')} |`);
  }
  console.log(`\nLoad average before the run ${loadBefore}; the run took ${((performance.now() - started) / 1000).toFixed(0)} s.`);
} finally {
  game.close();
  clearOnly.close();
}
