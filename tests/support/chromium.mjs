// Debian's headless Chromium through playwright-core, and a static host on 127.0.0.1 for a folder:
// what the page's tests (page_driver.mjs) and its benchmark (bench/web_bench.mjs) open it with.
import { readFile } from 'node:fs/promises';
import { createServer } from 'node:http';
import path from 'node:path';
import { chromium } from 'playwright-core';

const types = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.svg': 'image/svg+xml', '.txt': 'text/plain; charset=utf-8',
};

// Serves the folder's files, and nothing outside it, as any static host would.
export async function serve(dir) {
  const root = path.resolve(dir);
  const server = createServer(async (request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://host').pathname);
    const file = path.join(root, name.endsWith('/') ? `${name}index.html` : name);
    try {
      if (!file.startsWith(root + path.sep)) throw new Error('outside the folder');
      const body = await readFile(file);
      response.writeHead(200, { 'Content-Type': types[path.extname(file)] ?? 'application/octet-stream' });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return { origin: `http://127.0.0.1:${server.address().port}`, close: () => server.close() };
}

// WebGL from SwiftShader, asked for by name, as the machine has no GPU; the background services
// Chromium would otherwise reach for are off, as the network is closed; gc() for weighing memory.
const flags = ['--no-sandbox', '--disable-gpu', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
  '--disable-quic', '--no-first-run', '--disable-background-networking', '--disable-component-update',
  '--disable-sync', '--js-flags=--expose-gc'];

// Launched as a server, whose process is the browser's, for the benchmark's reading of its CPU.
export async function launch(extra = []) {
  const server = await chromium.launchServer({ executablePath: '/usr/bin/chromium', headless: true,
    args: [...flags, ...extra] });
  const browser = await chromium.connect(server.wsEndpoint());
  return { browser, pid: server.process().pid, close: () => server.close() };
}
