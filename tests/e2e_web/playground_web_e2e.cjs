// End-to-end checks of the playground's page in headless Chromium, with the
// expectations of the desktop programs' end-to-end tests at the same client
// positions: start-up frame, keys and mouse, touch, a narrow viewport, the
// self-test, a lost context, and a browser without WebGL.
// Usage: node playground_web_e2e.cjs SCENARIO WEB_DIR WORK_DIR NODE_MODULES
// Screenshots are kept in WORK_DIR as <scenario>_<step>.png.
'use strict';
const fs = require('node:fs');
const path = require('node:path');
const {
  BACKGROUND, serve, launch, openPage, poll, sleep, pixel, countWhere, diffCount, Report,
} = require('./web_page.cjs');

const [scenario, webDir, work, modules] = process.argv.slice(2);
const report = new Report();
const VIEW = [34, 161, 672, 448];
const EMPTY_FIELD = '0,0,10';
// Light label pixels (the heading colour is 221,233,230).
const light = (r, g, b) => r > 0.6 && g > 0.6 && b > 0.6;
const cyanDye = (r, g, b) => g > 0.3 && b > 0.3 && g > r + 0.1;

// Waits for a frame that shows the background and the accent pause button.
async function firstFrame(p) {
  const ready = await poll(async () => {
    if (await p.exitStatus() !== null) return 'ended';
    const image = await p.shot('first');
    return pixel(image, 0, 0) === BACKGROUND && pixel(image, 39, 649) === '48,116,96' ? 'drawn' : null;
  }, 60000, 250);
  if (ready !== 'drawn') {
    report.fail(`no frame drawn (${ready}); page says: ${await p.statusText()} ${await p.outputText()}`);
    throw new Error('no first frame');
  }
}

// Escape ends the program: the page says so and <body> carries status 0.
async function expectEscapeEnds(p) {
  await p.page.keyboard.press('Escape');
  const status = await poll(() => p.exitStatus(), 10000);
  report.check(status === '0', `Escape: data-exit-status ${status}`);
  const words = await p.statusText();
  report.check(/ended/.test(words), `page says the program ended: "${words}"`);
}

function expectNoPageErrors(p) {
  report.check(p.errors.length === 0, `no exception on the page${p.errors.length ? ': ' + p.errors.join(' | ') : ''}`);
}

// A stroke through the middle of the view, from client (104, 300) to (604, 300).
async function dragStroke(p, touch) {
  const at = (x) => p.pagePoint(x, 300);
  let point = await at(104);
  if (touch) await p.page.touchscreen.touchStart(point.x, point.y);
  else {
    await p.page.mouse.move(point.x, point.y);
    await p.page.mouse.down();
  }
  for (let x = 124; x <= 604; x += 20) {
    point = await at(x);
    if (touch) await p.page.touchscreen.touchMove(point.x, point.y);
    else await p.page.mouse.move(point.x, point.y);
    await sleep(40);
  }
  await sleep(500);
  if (touch) await p.page.touchscreen.touchEnd();
  else await p.page.mouse.up();
}

// Clears, stops the fountains and runs: an empty, still field to paint on.
async function emptyField(p) {
  await p.page.keyboard.press('a');
  await sleep(200);
  await p.page.keyboard.press('r');
  const empty = await poll(async () => {
    const image = await p.shot('empty');
    // Inset: a canvas shown smaller blends the view's edge with the background.
    return countWhere(image, 37, 164, 666, 442, (r, g, b) => r > 0.01 || g > 0.01 || b > 0.06) === 0 ? image : null;
  }, 10000, 200);
  report.check(!!empty, 'A then R: the whole view is the empty field');
  return empty;
}

function expectStroke(image, what) {
  const lit = countWhere(image, 104, 294, 500, 12, cyanDye);
  report.check(lit > 3000, `${what}: dye along the stroke, ${lit} of 6000 pixels`);
  report.expectPixel(image, 370, 580, EMPTY_FIELD, `${what}: empty field far from the stroke`);
  report.expectPixel(image, 60, 180, EMPTY_FIELD, `${what}: empty field in the corner`);
}

const scenarios = {
  async startup(browser, base) {
    const p = await openPage(browser, base, work, scenario);
    await p.parkPointer();
    await firstFrame(p);
    await sleep(500);
    const s = await p.shot('start');
    for (const [x, y] of [[0, 0], [999, 0], [0, 699], [999, 699], [720, 140], [500, 690]]) {
      report.expectPixel(s, x, y, BACKGROUND, 'background');
    }
    const box = await p.box();
    report.check(box.width === 1000 && box.height === 700, `canvas is 1000 x 700 CSS pixels: ${box.width} x ${box.height}`);
    const magenta = countWhere(s, 34, 161, 336, 448, (r, g, b) => r > g + 0.25 && b > g + 0.15);
    const cyan = countWhere(s, 370, 161, 336, 448, (r, g, b) => g > r + 0.25 && b > r + 0.25);
    report.check(magenta > 2000, `magenta plume: ${magenta} pixels`);
    report.check(cyan > 2000, `cyan plume: ${cyan} pixels`);
    report.expectPixel(s, 39, 649, '48,116,96', 'pause button (accent)');
    report.expectPixel(s, 215, 649, '37,53,58', 'clear button');
    report.expectPixel(s, 363, 649, '37,53,58', 'fountains button');
    report.expectPixel(s, 581, 649, '37,53,58', 'colour button');
    for (const [x, y] of [[784, 649], [784, 636], [784, 662], [771, 649], [797, 649]]) {
      report.expectPixel(s, x, y, '236,93,168', 'pink swatch');
    }
    report.expectPixel(s, 770, 649, BACKGROUND, 'left of the swatch');
    // Every label is drawn and stays inside its button: light pixels in
    // each button, none in the gaps between them.
    for (const [x, w, name] of [[34, 160, 'pause'], [210, 130, 'clear'], [358, 200, 'fountains'], [576, 180, 'colour']]) {
      const ink = countWhere(s, x, 627, w, 44, light);
      report.check(ink > 40, `${name} label drawn: ${ink} light pixels`);
    }
    const spill = [[194, 16], [340, 18], [558, 18], [756, 12]]
      .reduce((n, [x, w]) => n + countWhere(s, x, 620, w, 58, light), 0);
    report.check(spill === 0, `labels stay inside their buttons (${spill} light pixels between them)`);
    const title = countWhere(s, 34, 50, 300, 45, light);
    report.check(title > 200, `title drawn: ${title} light pixels`);
    // Hovering lights the button under the pointer.
    await p.move(100, 660);
    const hovered = await poll(async () => pixel(await p.shot('hover'), 39, 649) === '60,128,108', 5000);
    report.check(hovered, 'hovered pause button 60,128,108');
    await p.parkPointer();
    const left = await poll(async () => pixel(await p.shot('left'), 39, 649) === '48,116,96', 5000);
    report.check(left, 'pointer gone: pause button back to 48,116,96');
    report.check(await p.page.title() === 'Rovovavev / Rava + Dudura fluid', 'page title');
    await expectEscapeEnds(p);
    expectNoPageErrors(p);
  },

  async controls(browser, base) {
    const p = await openPage(browser, base, work, scenario);
    await p.parkPointer();
    await firstFrame(p);
    await p.page.keyboard.press('c');
    const cyan = await poll(async () => pixel(await p.shot('cyan'), 784, 649) === '80,207,237', 5000);
    report.check(cyan, 'swatch after C: 80,207,237');
    const running = await p.shot('running');
    await sleep(300);
    const running2 = await p.shot('running2');
    const changed = diffCount(running, running2, ...VIEW);
    report.check(changed > 0, `running view changes: ${changed} pixels`);

    // Pause: the view stops changing and the first button says so.
    await p.page.keyboard.press('Space');
    await sleep(300);
    const paused1 = await p.shot('paused1');
    await sleep(500);
    const paused2 = await p.shot('paused2');
    const still = diffCount(paused1, paused2, ...VIEW);
    report.check(still === 0, `paused view is frozen (${still} pixels changed)`);
    const label = diffCount(running, paused1, 49, 630, 140, 38);
    report.check(label > 0, `pause button label changed (${label} pixels)`);
    report.expectPixel(paused1, 39, 649, '48,116,96', 'paused button keeps the accent fill');
    await p.page.keyboard.press('Space');

    await emptyField(p);
    await dragStroke(p, false);
    await p.parkPointer();
    await p.page.keyboard.press('Space');
    await sleep(300);
    expectStroke(await p.shot('drag'), 'mouse drag');
    const scrolled = await p.page.evaluate(() => window.scrollY);
    report.check(scrolled === 0, `Space did not scroll the page (scrollY ${scrolled})`);
    await expectEscapeEnds(p);
    expectNoPageErrors(p);
  },

  async touch(browser, base) {
    const p = await openPage(browser, base, work, scenario, '', { width: 1200, height: 900, hasTouch: true });
    await firstFrame(p);
    await p.page.keyboard.press('c');
    await emptyField(p);
    await dragStroke(p, true);
    await p.page.keyboard.press('Space');
    await sleep(300);
    expectStroke(await p.shot('drag'), 'touch drag');
    expectNoPageErrors(p);
  },

  async narrow(browser, base) {
    // A phone-sized viewport shorter than the page, so keys could scroll it.
    const p = await openPage(browser, base, work, scenario, '', { width: 500, height: 420, hasTouch: true });
    await firstFrame(p);
    const box = await p.box();
    report.check(box.width <= 500 && box.x >= 0 && box.x + box.width <= 500,
      `canvas fits the 500 px viewport: x ${box.x}, width ${box.width}`);
    report.check(Math.abs(box.height / box.width - 0.7) < 0.01, `aspect kept: ${box.width} x ${box.height}`);
    const backing = await p.page.$eval('canvas', (c) => [c.width, c.height]);
    report.check(backing[0] === 1000 && backing[1] === 700, `drawing buffer still 1000 x 700: ${backing}`);
    await p.page.keyboard.press('c');
    await emptyField(p);
    await dragStroke(p, true);
    const room = await p.page.evaluate(() => document.documentElement.scrollHeight - window.innerHeight);
    report.check(room > 0, `the page is taller than the viewport by ${room} px`);
    await p.page.keyboard.press('PageDown');
    await p.page.keyboard.press('Space');
    await sleep(500);  // scrolling would be animated
    const scrolled = await p.page.evaluate(() => window.scrollY);
    report.check(scrolled === 0, `PageDown and Space did not scroll the page (scrollY ${scrolled})`);
    // Back to full size, where the client pixels can be checked one to one.
    await p.page.setViewport({ width: 1200, height: 900, deviceScaleFactor: 1, hasTouch: true });
    await sleep(500);
    expectStroke(await p.shot('drag'), 'drag in the narrow viewport');
    expectNoPageErrors(p);
  },

  async self_test(browser, base) {
    const p = await openPage(browser, base, work, scenario, '?RAVA_EXAMPLE_TEST=1');
    const status = await poll(() => p.exitStatus(), 30000);
    report.check(status === '0', `self-test: data-exit-status ${status}`);
    const output = await p.outputText();
    report.check(output === 'ruved-uvizi: pass\n', `page shows the output: ${JSON.stringify(output)}`);
    report.check(p.console.includes('log: ruved-uvizi: pass'), 'console shows the output');
    expectNoPageErrors(p);
  },

  async context_loss(browser, base) {
    const p = await openPage(browser, base, work, scenario);
    await p.parkPointer();
    await firstFrame(p);
    const lost = await p.page.evaluate(() => {
      const gl = document.querySelector('canvas').getContext('webgl');
      const extension = gl && gl.getExtension('WEBGL_lose_context');
      if (!extension) return false;
      extension.loseContext();
      window.ravaLoseContext = extension;
      return true;
    });
    report.check(lost, 'context lost through WEBGL_lose_context');
    await sleep(500);
    await p.page.evaluate(() => window.ravaLoseContext.restoreContext());
    await firstFrame(p);
    const s = await p.shot('restored');
    report.expectPixel(s, 784, 649, '236,93,168', 'restored: swatch');
    const title = countWhere(s, 34, 50, 300, 45, light);
    report.check(title > 200, `restored: title drawn again, ${title} light pixels`);
    report.check(await p.exitStatus() === null, 'the program keeps running');
    await expectEscapeEnds(p);
    expectNoPageErrors(p);
  },

  async bad_input(browser, base) {
    const p = await openPage(browser, base, work, scenario);
    await p.parkPointer();
    await firstFrame(p);
    const swatch = async (step) => pixel(await p.shot(step), 784, 649);
    const settle = () => sleep(400);
    // Shortcuts stay the browser's, a composing IME keeps its keys, a key
    // held down counts once, and a hidden page hears nothing.
    await p.page.keyboard.down('Control');
    await p.page.keyboard.press('c');
    await p.page.keyboard.up('Control');
    await p.page.evaluate(() => window.dispatchEvent(new KeyboardEvent('keydown',
      { key: 'c', code: 'KeyC', isComposing: true, bubbles: true })));
    await settle();
    report.check(await swatch('shortcut') === '236,93,168', 'Control+C and a composing C leave the colour');
    await p.page.keyboard.down('c');
    await p.page.keyboard.down('c');  // the browser's repeat while held
    await p.page.keyboard.down('c');
    await settle();
    await p.page.keyboard.up('c');
    report.check(await swatch('held') === '80,207,237', 'C held down changes the colour once');
    await p.page.evaluate(() => {
      Object.defineProperty(document, 'visibilityState', { configurable: true, get: () => 'hidden' });
      document.dispatchEvent(new Event('visibilitychange'));
    });
    await p.page.keyboard.press('c');
    await settle();
    report.check(await swatch('hidden') === '80,207,237', 'a hidden page takes no keys');
    await p.page.evaluate(() => {
      delete document.visibilityState;
      document.dispatchEvent(new Event('visibilitychange'));
    });
    await p.page.keyboard.press('c');
    report.check(await poll(async () => await swatch('visible') === '244,196,66', 5000), 'visible again: C works');
    // Thousands of pointer events within one frame, some of them nonsense.
    const handled = await p.page.evaluate(() => {
      const canvas = document.querySelector('canvas');
      const box = canvas.getBoundingClientRect();
      for (let i = 0; i < 5000; ++i) {
        canvas.dispatchEvent(new PointerEvent(i % 2 ? 'pointermove' : 'pointerdown', {
          pointerId: 1 + (i % 7), pointerType: ['mouse', 'touch', 'pen'][i % 3], buttons: i % 8,
          clientX: box.left + (i * 37) % 1400 - 200, clientY: box.top + (i * 53) % 1000 - 150, bubbles: true,
        }));
      }
      for (let id = 1; id <= 7; ++id) {
        canvas.dispatchEvent(new PointerEvent('pointercancel', { pointerId: id, bubbles: true }));
      }
      window.dispatchEvent(new WheelEvent('wheel', { deltaY: 5000, bubbles: true }));
      return true;
    });
    report.check(handled, '5000 pointer events and a wheel in one task');
    await p.parkPointer();
    report.check(await poll(async () => pixel(await p.shot('after'), 39, 649) === '48,116,96', 5000),
      'still drawing, no button held or hovered');
    await expectEscapeEnds(p);
    expectNoPageErrors(p);
  },

  async hidpi(browser, base) {
    // Zooming the page changes the device pixel ratio while the program runs.
    const p = await openPage(browser, base, work, scenario);
    await p.parkPointer();
    await firstFrame(p);
    await p.page.setViewport({ width: 1200, height: 900, deviceScaleFactor: 2 });
    const backing = await poll(async () => {
      const size = await p.page.$eval('canvas', (c) => [c.width, c.height]);
      return size[0] === 2000 && size[1] === 1400 ? size : null;
    }, 10000);
    report.check(!!backing, 'drawing buffer follows the pixel ratio: 2000 x 1400');
    await sleep(500);
    const s = await p.shot('zoomed');
    report.check(s.width === 2000, `screenshot at twice the size: ${s.width}`);
    for (const [x, y] of [[0, 0], [999, 699], [720, 140]]) report.expectPixel(s, x, y, BACKGROUND, 'background');
    report.expectPixel(s, 39, 649, '48,116,96', 'pause button (accent)');
    report.expectPixel(s, 784, 649, '236,93,168', 'pink swatch');
    const spill = [[194, 16], [340, 18], [558, 18], [756, 12]]
      .reduce((n, [x, w]) => n + countWhere(s, x, 620, w, 58, light), 0);
    report.check(spill === 0, `labels stay inside their buttons (${spill} light pixels between them)`);
    const title = countWhere(s, 34, 50, 300, 45, light);
    report.check(title > 200, `title drawn at the new ratio: ${title} light pixels`);
    await expectEscapeEnds(p);
    expectNoPageErrors(p);
  },

  async no_webgl(browser, base) {
    const p = await openPage(browser, base, work, scenario);
    const status = await poll(() => p.exitStatus(), 30000);
    report.check(status === '1', `data-exit-status ${status}`);
    const words = await p.statusText();
    report.check(/no WebGL/.test(words), `page says so: "${words}"`);
    const output = await p.outputText();
    report.check(output === 'window.canvas: window/canvas WebGL is not available in this browser\n',
      `the program's message is shown: ${JSON.stringify(output)}`);
    expectNoPageErrors(p);
  },
};

async function main() {
  if (!scenarios[scenario]) {
    console.log(`unknown scenario ${scenario}`);
    process.exit(2);
  }
  fs.mkdirSync(work, { recursive: true });
  for (const f of fs.readdirSync(work)) if (f.startsWith(`${scenario}_`) && f.endsWith('.png')) fs.rmSync(path.join(work, f));
  const { server, base } = await serve(webDir);
  const flags = scenario === 'no_webgl' ? ['--disable-webgl', '--disable-3d-apis'] : [];
  const browser = await launch(modules, path.join(work, `profile-${scenario}`), flags);
  try {
    await scenarios[scenario](browser, base);
  } catch (error) {
    report.fail(`scenario stopped: ${error.stack || error}`);
  } finally {
    await browser.close();
    server.close();
  }
  console.log(`screenshots: ${work}/${scenario}_*.png`);
  process.exit(report.failures === 0 ? 0 : 1);
}

main();
