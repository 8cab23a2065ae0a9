// One-shot uses of the playground's page in headless Chromium, for the tools
// rather than the tests: a screenshot of the running page, the self-test
// (?RAVA_EXAMPLE_TEST=1) and the frame-work benchmark (?bench=N).
// Usage: node page_tool.cjs screenshot URL NODE_MODULES OUT.png
//        node page_tool.cjs self-test URL NODE_MODULES
//        node page_tool.cjs bench URL NODE_MODULES [FRAMES]
// URL is the page's folder address, ending in "/", or a folder of the
// page's files, then served from 127.0.0.1 for the run. Exits 1 when the page
// fails (no frame, a failed self-test, an exception on the page).
'use strict';
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { BACKGROUND, serve, launch, openPage, poll, sleep, pixel } = require('./web_page.cjs');

const [command, where, modules, argument] = process.argv.slice(2);
let base = where;

async function screenshot(browser) {
  const p = await openPage(browser, base, os.tmpdir(), 'rava-play-web', '', { width: 1024, height: 900 });
  await p.parkPointer();
  const drawn = await poll(async () => pixel(await p.shot('first'), 0, 0) === BACKGROUND, 60000, 250);
  if (!drawn) throw new Error(`no frame drawn: ${await p.statusText()} ${await p.outputText()}`);
  // Let the opening plumes spread a little, as a user would first see them.
  await sleep(1500);
  fs.writeFileSync(argument, await p.page.screenshot({ type: 'png', fullPage: true }));
  console.log(`page-tool: screenshot in ${argument}`);
  return p;
}

async function selfTest(browser) {
  const p = await openPage(browser, base, os.tmpdir(), 'rava-self-test', '?RAVA_EXAMPLE_TEST=1');
  const status = await poll(() => p.exitStatus(), 60000);
  process.stdout.write(await p.outputText());
  if (status !== '0') throw new Error(`self-test ended with status ${status}`);
  return p;
}

async function bench(browser) {
  const frames = Number(argument || 300);
  const p = await openPage(browser, base, os.tmpdir(), 'rava-bench', `?bench=${frames}`);
  const line = await poll(async () => (await p.outputText()).split('\n').find((l) => l.startsWith('frame work')),
    Math.max(60000, frames * 200), 500);
  if (!line) throw new Error(`no benchmark line: ${await p.statusText()} ${await p.outputText()}`);
  console.log(line);
  return p;
}

async function main() {
  const run = { screenshot, 'self-test': selfTest, bench }[command];
  if (!run || !where || !modules) {
    console.error('usage: page_tool.cjs screenshot|self-test|bench URL NODE_MODULES [OUT.png|FRAMES]');
    process.exit(2);
  }
  const server = /^https?:/.test(where) ? null : await serve(where);
  if (server) base = server.base;
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'rava-page-tool-'));
  const browser = await launch(modules, profile);
  let failed = false;
  try {
    const p = await run(browser);
    if (p.errors.length) throw new Error(`exception on the page: ${p.errors.join(' | ')}`);
  } catch (error) {
    console.error(`page-tool: ${error.message || error}`);
    failed = true;
  } finally {
    await browser.close();
    if (server) server.server.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
  process.exit(failed ? 1 : 0);
}

main();
