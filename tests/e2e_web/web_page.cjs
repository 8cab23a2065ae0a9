// Drives the playground's page in headless Chromium (puppeteer-core with
// the system's browser): a static server on 127.0.0.1 serving the web tree
// under a sub-path, the browser with software WebGL, screenshots of the
// canvas decoded to pixels, and the checks the scenarios share.
'use strict';
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const zlib = require('node:zlib');
const { createRequire } = require('node:module');

const BACKGROUND = '17,27,34';
// Served from a folder below the root, as on a real site.
const SUB_PATH = '/games/rava fluid/';

const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.png': 'image/png' };

// Serves the files of `folder` (nothing above it) under SUB_PATH; resolves to
// { server, base } with the page's address.
function serve(folder) {
  const root = path.resolve(folder);
  const server = http.createServer((request, response) => {
    const url = new URL(request.url, 'http://127.0.0.1');
    const wanted = decodeURIComponent(url.pathname);
    if (!wanted.startsWith(SUB_PATH)) {
      response.writeHead(404).end();
      return;
    }
    const relative = wanted.slice(SUB_PATH.length) || 'index.html';
    const file = path.resolve(root, relative);
    if (!file.startsWith(root + path.sep) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream' });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => {
    server.listen(0, '127.0.0.1', () => {
      const base = `http://127.0.0.1:${server.address().port}${encodeURI(SUB_PATH)}`;
      resolve({ server, base });
    });
  });
}

function chromiumPath() {
  const candidates = [process.env.RAVA_CHROMIUM, '/usr/bin/chromium', '/usr/bin/chromium-browser'];
  const found = candidates.find((c) => c && fs.existsSync(c));
  if (!found) throw new Error('no Chromium found (set RAVA_CHROMIUM)');
  return found;
}

// The browser with a fresh profile in `profile`; `extraArgs` adds flags
// (such as --disable-webgl).
async function launch(modules, profile, extraArgs = []) {
  const puppeteer = createRequire(path.join(path.resolve(modules), 'x.js'))('puppeteer-core');
  fs.rmSync(profile, { recursive: true, force: true });
  fs.mkdirSync(profile, { recursive: true });
  return puppeteer.launch({
    executablePath: chromiumPath(),
    headless: true,
    userDataDir: profile,
    args: [
      '--no-sandbox', '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--no-first-run', '--disable-quic', '--use-gl=angle', '--use-angle=swiftshader',
      '--enable-unsafe-swiftshader', '--force-color-profile=srgb', '--hide-scrollbars', ...extraArgs,
    ],
  });
}

// ---- PNG (8-bit RGB or RGBA, not interlaced: what Chromium writes) -------

function decodePng(buffer) {
  let offset = 8;
  let width = 0, height = 0, channels = 0;
  const data = [];
  while (offset < buffer.length) {
    const length = buffer.readUInt32BE(offset);
    const type = buffer.toString('ascii', offset + 4, offset + 8);
    const body = buffer.subarray(offset + 8, offset + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      const depth = body[8], colour = body[9], interlace = body[12];
      if (depth !== 8 || interlace !== 0 || (colour !== 2 && colour !== 6)) throw new Error('unsupported PNG');
      channels = colour === 6 ? 4 : 3;
    } else if (type === 'IDAT') {
      data.push(body);
    }
    offset += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(data));
  const stride = width * channels;
  const rgba = Buffer.alloc(width * height * 4);
  let previous = Buffer.alloc(stride);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = Buffer.from(raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1)));
    for (let i = 0; i < stride; ++i) {
      const left = i >= channels ? line[i - channels] : 0;
      const up = previous[i];
      const upLeft = i >= channels ? previous[i - channels] : 0;
      let add = 0;
      if (filter === 1) add = left;
      else if (filter === 2) add = up;
      else if (filter === 3) add = (left + up) >> 1;
      else if (filter === 4) {
        const p = left + up - upLeft;
        const pa = Math.abs(p - left), pb = Math.abs(p - up), pc = Math.abs(p - upLeft);
        add = pa <= pb && pa <= pc ? left : pb <= pc ? up : upLeft;
      }
      line[i] = (line[i] + add) & 0xff;
    }
    for (let x = 0; x < width; ++x) {
      for (let c = 0; c < 3; ++c) rgba[(y * width + x) * 4 + c] = line[x * channels + c];
      rgba[(y * width + x) * 4 + 3] = channels === 4 ? line[x * channels + 3] : 255;
    }
    previous = line;
  }
  return { width, height, rgba };
}

// ---- One page of the playground -----------------------------------------

class PlaygroundPage {
  constructor(page, work, name) {
    this.page = page;
    this.work = work;
    this.name = name;
    this.errors = [];
    this.console = [];
    page.on('pageerror', (error) => this.errors.push(String(error.stack || error)));
    page.on('console', (message) => this.console.push(`${message.type()}: ${message.text()}`));
  }

  // The canvas's box on the page, in CSS pixels.
  async box() {
    return this.page.$eval('canvas', (c) => {
      const r = c.getBoundingClientRect();
      return { x: r.left, y: r.top, width: r.width, height: r.height };
    });
  }

  // A screenshot of the canvas, kept as <work>/<name>_<step>.png.
  async shot(step) {
    const box = await this.box();
    const png = await this.page.screenshot({ clip: box, type: 'png' });
    fs.writeFileSync(path.join(this.work, `${this.name}_${step}.png`), png);
    const image = decodePng(png);
    image.scale = image.width / 1000;
    return image;
  }

  // A client point (canvas pixels of the 1000 x 700 area) on the page.
  async pagePoint(x, y) {
    const box = await this.box();
    return { x: box.x + (x + 0.5) * box.width / 1000, y: box.y + (y + 0.5) * box.height / 700 };
  }

  async move(x, y) {
    const p = await this.pagePoint(x, y);
    await this.page.mouse.move(p.x, p.y);
  }

  // Away from the canvas, so that no button shows its hover fill.
  async parkPointer() {
    const box = await this.box();
    await this.page.mouse.move(box.x + box.width + 20, box.y + box.height + 20);
  }

  async exitStatus() {
    return this.page.evaluate(() => document.body.getAttribute('data-exit-status'));
  }

  async statusText() {
    return this.page.$eval('#status', (e) => e.textContent);
  }

  async outputText() {
    return this.page.$eval('#output', (e) => e.textContent);
  }
}

// Opens the page (query appended) in a new tab of `viewport` size and keeps
// it focused as a visible tab would be.
async function openPage(browser, base, work, name, query = '', viewport = { width: 1200, height: 900 }) {
  const page = await browser.newPage();
  await page.setViewport({ deviceScaleFactor: 1, ...viewport });
  const session = await page.createCDPSession();
  await session.send('Emulation.setFocusEmulationEnabled', { enabled: true });
  const playground = new PlaygroundPage(page, work, name);
  await page.goto(base + 'index.html' + query, { waitUntil: 'load' });
  return playground;
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Polls `probe` until it gives a truthy value or `ms` pass; returns the last value.
async function poll(probe, ms = 20000, every = 100) {
  const end = Date.now() + ms;
  let value = await probe();
  while (!value && Date.now() < end) {
    await sleep(every);
    value = await probe();
  }
  return value;
}

// ---- Pixel checks (client pixels, scaled when the canvas is shown smaller) --

function pixel(image, x, y) {
  const i = at(image, x, y);
  return `${image.rgba[i]},${image.rgba[i + 1]},${image.rgba[i + 2]}`;
}

// Offset of client pixel (x, y) in the image's RGBA bytes.
function at(image, x, y) {
  return (Math.floor(y * image.scale) * image.width + Math.floor(x * image.scale)) * 4;
}

// Pixels in a client rectangle whose colour (0..1 channels) satisfies `test`.
function countWhere(image, x, y, w, h, test) {
  let n = 0;
  for (let j = y; j < y + h; ++j) {
    for (let i = x; i < x + w; ++i) {
      const k = at(image, i, j);
      if (test(image.rgba[k] / 255, image.rgba[k + 1] / 255, image.rgba[k + 2] / 255)) ++n;
    }
  }
  return n;
}

function diffCount(a, b, x, y, w, h) {
  let n = 0;
  for (let j = y; j < y + h; ++j) {
    for (let i = x; i < x + w; ++i) {
      const k = at(a, i, j);
      if (a.rgba[k] !== b.rgba[k] || a.rgba[k + 1] !== b.rgba[k + 1] || a.rgba[k + 2] !== b.rgba[k + 2]) ++n;
    }
  }
  return n;
}

class Report {
  constructor() { this.failures = 0; }
  pass(text) { console.log(`ok   ${text}`); }
  fail(text) { console.log(`FAIL ${text}`); this.failures += 1; }
  check(condition, text) { if (condition) this.pass(text); else this.fail(text); }
  expectPixel(image, x, y, expected, what) {
    const got = pixel(image, x, y);
    this.check(got === expected, `${what} at (${x}, ${y}): ${got === expected ? got : `expected ${expected}, got ${got}`}`);
  }
}

module.exports = {
  BACKGROUND, serve, launch, openPage, poll, sleep, pixel, countWhere, diffCount, decodePng, Report,
};
