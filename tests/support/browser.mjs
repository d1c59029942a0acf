// The page in each browser engine that Debian ships, one interface for them all, for the page's tests
// (page_driver.mjs) and its benchmark (bench/web_bench.mjs):
//   serve(dir)                 a static host for the folder on 127.0.0.1, which loads page_hooks.js
//                              into the page ahead of the page's own scripts
//   open(engine, url, options) the page in a new browser: { run(body), key(name, down), close(), pid, version }
// Engines, a back-end per protocol: Chromium through the DevTools protocol and Firefox through
// WebDriver BiDi, both with puppeteer-core; WebKit (WebKitGTK's MiniBrowser, the engine of Safari)
// through WebKitWebDriver and classic WebDriver. Firefox and WebKit open windows: they need an X
// server (xvfb-run), where Firefox has WebGL from Mesa; headless Chromium draws with SwiftShader.
import { spawn } from 'node:child_process';
import { readFile } from 'node:fs/promises';
import { createServer } from 'node:http';
import path from 'node:path';
import { setTimeout as sleep } from 'node:timers/promises';
import puppeteer from 'puppeteer-core';

const hooksFile = new URL('page_hooks.js', import.meta.url);
const types = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css',
  '.webmanifest': 'application/manifest+json', '.wasm': 'application/wasm', '.svg': 'image/svg+xml',
  '.png': 'image/png', '.txt': 'text/plain; charset=utf-8',
};

// Serves the folder's files, and nothing outside it, as any static host would; `host.root` chooses
// another folder from then on, or, set to null, no files at all, as a host that is down (the hooks
// go on being served: they are the test's, not the page's).
export async function serve(dir) {
  const host = { root: path.resolve(dir) };
  const server = createServer(async (request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://host').pathname);
    const file = name === '/test-hooks.js' ? hooksFile.pathname
      : host.root && path.join(host.root, name.endsWith('/') ? `${name}index.html` : name);
    try {
      if (file !== hooksFile.pathname && !file?.startsWith(host.root + path.sep)) throw new Error('not served');
      let body = await readFile(file);
      if (file.endsWith('.html')) body = String(body).replace('<head>', '<head>\n<script src="test-hooks.js"></script>');
      response.writeHead(200, { 'Content-Type': types[path.extname(file)] ?? 'application/octet-stream' });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return Object.assign(host, { origin: `http://127.0.0.1:${server.address().port}`, close: () => server.close() });
}

// Waits, at most `ms`, for `expression` to hold in the page; says what for when it gives up.
export async function until(page, expression, ms, what) {
  for (const deadline = Date.now() + ms; !(await page.run(`return ${expression}`));) {
    if (Date.now() > deadline) throw new Error(`gave up after ${ms} ms waiting for ${what}`);
    await sleep(20);
  }
}

// What a key is called by each protocol, from X's names.
const keyNames = { Left: 'ArrowLeft', Right: 'ArrowRight', Up: 'ArrowUp', Down: 'ArrowDown', space: ' ' };
const webDriverKeys = { ArrowLeft: '\uE012', ArrowUp: '\uE013', ArrowRight: '\uE014', ArrowDown: '\uE015' };

// Chromium: WebGL from SwiftShader, asked for by name, as the machine has no GPU; the background
// services it would otherwise reach for are off, as the network is closed.
const chromiumFlags = ['--no-sandbox', '--disable-gpu', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
  '--disable-quic', '--no-first-run', '--disable-background-networking', '--disable-component-update',
  '--disable-sync'];

const launchers = {
  chromium: (o) => puppeteer.launch({ executablePath: '/usr/bin/chromium', headless: true, args: [...chromiumFlags,
    ...(o.fastCallbacks ? ['--disable-frame-rate-limit', '--disable-gpu-vsync'] : []),
    ...(o.noWebgl ? ['--disable-3d-apis'] : [])] }),
  // WebGL on Mesa's llvmpipe, which Firefox would otherwise turn down as too slow.
  firefox: (o) => puppeteer.launch({ browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: false,
    extraPrefsFirefox: { 'webgl.force-enabled': true, 'webgl.disable-fail-if-major-performance-caveat': true,
      'webgl.disabled': Boolean(o.noWebgl) } }),
};

async function puppeteerPage(engine, url, o) {
  const browser = await launchers[engine](o);
  let page = await browser.newPage();
  let devTools = null;  // one session a page: the fingers down are its own
  // Chromium on a phone or tablet: touch, and the page laid out as for one.
  const viewport = { width: o.width, height: o.height, deviceScaleFactor: o.ratio,
    ...(o.touch ? { isMobile: true, hasTouch: true } : {}) };
  const opened = async () => {
    await page.setViewport(viewport);
    await page.goto(url);
  };
  await opened();
  return {
    pid: browser.process().pid,
    version: await browser.version(),
    run: (body) => page.evaluate(`(async () => { ${body} })()`),
    key: (name, down) => (down ? page.keyboard.down(name) : page.keyboard.up(name)),
    resize: (width, height) => page.setViewport(Object.assign(viewport, { width, height })),
    reload: () => page.reload(),
    // A new tab with the page, once the old one is closed.
    reopen: async () => {
      await page.close();
      page = await browser.newPage();
      devTools = null;
      await opened();
    },
    devTools: async (method, params) => (devTools ??= await page.createCDPSession()).send(method, params),
    // Hidden behind a tab of its own, as a player's other tab hides it.
    hide: async () => (await browser.newPage()).bringToFront(),
    show: () => page.bringToFront(),
    close: () => browser.close(),
  };
}

// Every WebKitWebDriver started, and with it its MiniBrowser, ends however this process ends.
const webDrivers = new Set();
process.on('exit', () => webDrivers.forEach((driver) => driver.kill()));

// Classic WebDriver over HTTP, with WebKitWebDriver starting WebKitGTK's MiniBrowser.
async function webkitPage(url, o) {
  if (o.ratio !== 1 || o.fastCallbacks || o.noWebgl || o.touch) {
    throw new Error('WebKit takes no pixel ratio, callback rate, WebGL or touch setting');
  }
  const port = 20000 + Math.floor(Math.random() * 20000);
  const driver = spawn('WebKitWebDriver', [`--port=${port}`], { stdio: 'ignore' });
  webDrivers.add(driver);
  const call = async (method, where, body) => {
    const response = await fetch(`http://127.0.0.1:${port}${where}`, {
      method, headers: { 'Content-Type': 'application/json' }, body: body && JSON.stringify(body) });
    const { value } = await response.json();
    if (value?.error) throw new Error(`${value.error}: ${value.message}`);
    return value;
  };
  for (let tries = 0; ; tries++) {
    try {
      await call('GET', '/status');
      break;
    } catch (error) {
      if (tries === 100) throw new Error(`WebKitWebDriver did not answer on port ${port} within 10 s: ${error.message}`);
      await sleep(100);
    }
  }
  const { sessionId, capabilities } = await call('POST', '/session', { capabilities: { alwaysMatch: { 'webkitgtk:browserOptions': {
    binary: '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser', args: ['--automation'] } } } });
  const session = `/session/${sessionId}`;
  // The window is made as much larger than the page's viewport as its own frame takes.
  const [outerWidth, outerHeight] = await call('POST', `${session}/execute/sync`, {
    script: 'return [outerWidth - innerWidth, outerHeight - innerHeight]', args: [] });
  const resize = (width, height) =>
    call('POST', `${session}/window/rect`, { width: width + outerWidth, height: height + outerHeight });
  await resize(o.width, o.height);
  await call('POST', `${session}/url`, { url });
  return {
    pid: driver.pid,
    version: `WebKitGTK ${capabilities.browserVersion}`,
    resize,
    reload: () => call('POST', `${session}/refresh`, {}),
    run: async (body) => {
      const { value, error } = await call('POST', `${session}/execute/async`, { args: [], script:
        `const done = arguments[0]; (async () => { ${body} })().then((value) => done({ value }), (error) => done({ error: String(error) }));` });
      if (error) throw new Error(error);
      return value;
    },
    // WebKitWebDriver makes nothing of a second keyDown of a held key: a keyboard's repeats cannot be
    // sent, and trying only holds up the page's other commands.
    repeats: false,
    key: (name, down) => call('POST', `${session}/actions`, { actions: [{ type: 'key', id: 'keyboard',
      actions: [{ type: down ? 'keyDown' : 'keyUp', value: webDriverKeys[name] ?? name }] }] }),
    close: async () => {
      await call('DELETE', session).catch(() => {});
      driver.kill();
      webDrivers.delete(driver);
    },
  };
}

// The page at `url` in a new browser of the engine, its viewport `width` by `height` CSS pixels with
// `ratio` device pixels to one, once it has loaded. `fastCallbacks`: animation frames as often as
// Chromium can give them; `noWebgl`: a browser without WebGL; `touch`: a phone's or tablet's
// touch screen (Chromium alone). A key held down repeats every 33 ms, as a keyboard does, unless
// `repeat` is false. Besides: resize(width, height), reload(), and in Chromium reopen(), hide(),
// show() and devTools(method, params).
export async function open(engine, url, { width = 900, height = 800, ratio = 1, fastCallbacks = false, noWebgl = false,
  touch = false, repeat = true } = {}) {
  const options = { width, height, ratio, fastCallbacks, noWebgl, touch };
  const page = engine === 'webkit' ? await webkitPage(url, options) : await puppeteerPage(engine, url, options);
  const repeating = new Map();
  // One key action at a time, repeats among them: WebDriver refuses one while another is underway.
  let keys = Promise.resolve();
  const press = page.key;
  const key = (value, down) => (keys = keys.catch(() => {}).then(() => press(value, down)));
  page.key = async (name, down) => {
    const value = keyNames[name] ?? name;
    clearInterval(repeating.get(value));
    repeating.delete(value);
    await key(value, down);
    if (down && repeat && page.repeats !== false) repeating.set(value, setInterval(() => key(value, true).catch(() => {}), 33));
  };
  const close = page.close;
  page.close = () => {
    repeating.forEach(clearInterval);
    return close();
  };
  return page;
}
