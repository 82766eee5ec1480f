// The workbench in a real browser: Debian's chromium, headless, driven by
// puppeteer-core. Loads the page of a `quorvane serve`, checks the parameter
// list against `quorvane describe`, drags Strength, presses Add Layer,
// switches the noise type, downloads the asset, opens more tabs than the
// browser keeps connections to one server, and checks that the served rock
// and the page change as they must and that the page logs no error.
//
//   node workbench_browser_test.mjs BUILD_DIR NODE_MODULES [SCREENSHOT.png]
//
// Exits 77 (skipped) with a message when chromium or puppeteer-core is missing.
import { spawn, execFileSync } from 'node:child_process';
import { createRequire } from 'node:module';
import { cpSync, existsSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import assert from 'node:assert/strict';
import { createHash } from 'node:crypto';

const [buildDir, modulesDir, screenshot] = process.argv.slice(2);
const chromium = process.env.QV_CHROMIUM || '/usr/bin/chromium';
const quorvane = join(buildDir, 'bin', 'quorvane');

function skip(why) {
  console.log(`SKIPPED: ${why}`);
  process.exit(77);
}
if (!existsSync(chromium)) skip(`no browser at ${chromium} (scripts/setup.sh installs chromium)`);
let puppeteer;
try {
  puppeteer = createRequire(join(modulesDir, '/'))('puppeteer-core');
} catch {
  skip(`puppeteer-core is not installed in ${modulesDir} (scripts/setup.sh installs it)`);
}

// ---- The server ----
function startServer(workdir, extra = []) {
  const server = spawn(quorvane, ['serve', '--port', '0', '--workdir', workdir, ...extra],
    { stdio: ['ignore', 'pipe', 'inherit'] });
  return new Promise((resolve, reject) => {
    let out = '';
    server.stdout.on('data', (chunk) => {
      out += chunk;
      const found = out.match(/http:\/\/127\.0\.0\.1:\d+\//);
      if (found) resolve({ server, url: found[0] });
    });
    server.on('exit', (code) => reject(new Error(`quorvane serve ended with ${code}: ${out}`)));
  });
}

// (id, identifier, label) of every parameter and button `describe` lists.
function describedParameters(name) {
  const text = execFileSync(quorvane, ['describe', name], { encoding: 'utf8' });
  const rows = [];
  let columns = null;
  for (const line of text.split('\n')) {
    if (/^\s+ID\s+Identifier\s+Label\s+Type/.test(line)) {
      columns = ['Identifier', 'Label', 'Type'].map((c) => line.indexOf(c));
      continue;
    }
    const id = line.match(/^\s+(\d+)\s/);
    if (!columns || !id) continue;
    const ident = line.slice(columns[0], columns[1]).trim();
    const label = line.slice(columns[1], columns[2]).trim();
    const type = line.slice(columns[2]).trim().split(/\s+/)[0];
    if (type !== 'statictext') rows.push(`${id[1]} ${ident} ${label}`);
  }
  return rows.sort();
}

function pageParameters(page, manager) {
  return page.$$eval(`#${manager} [data-id]`, (elements) => elements.map((e) =>
    `${e.dataset.id} ${e.dataset.ident} ${(e.querySelector('label') || e).textContent.trim()}`).sort());
}

const digest = (bytes) => createHash('sha256').update(bytes).digest('hex');

async function servedMesh(url) {
  return digest(Buffer.from(await (await fetch(url + 'api/mesh.glb')).arrayBuffer()));
}

async function describe(url) { return (await fetch(url + 'api/describe')).json(); }

function valueOf(described, ident, layer = 1) {
  const found = described.generator.groups.flatMap((g) => g.elements).filter((e) => e.ident === ident);
  return found[layer - 1]?.value;
}

// Waits until the page shows a full-resolution build newer than generation.
// Checked on a timer: a tab in the background draws no frames to check on.
async function waitForBuild(page, after, timeout = 60000) {
  await page.waitForFunction((after) => {
    const shown = Number(document.body.dataset.generation || 0);
    const build = document.querySelector('#figures [data-figure="Build"]');
    return shown > after && build && build.textContent.includes('full resolution');
  }, { timeout, polling: 100 }, after);
  return page.evaluate(() => Number(document.body.dataset.generation));
}

const workdir = mkdtempSync(join(tmpdir(), 'quorvane-browser-'));
const { server, url } = await startServer(workdir);
const browser = await puppeteer.launch({
  executablePath: chromium,
  headless: true,
  args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader'],
});
const problems = [];
try {
  const page = await browser.newPage();
  page.on('console', (message) => { if (message.type() === 'error') problems.push(`console: ${message.text()}`); });
  page.on('pageerror', (error) => problems.push(`page error: ${error.message}`));
  page.on('requestfailed', (request) => problems.push(`request failed: ${request.url()} (${request.failure()?.errorText})`));
  await page.setViewport({ width: 1280, height: 800 });
  await page.goto(url);
  let generation = await waitForBuild(page, 0);
  assert.equal(await page.evaluate(() => document.body.dataset.view), '3d', 'the page shows the three.js view');
  assert.ok(await page.$('#view canvas'), 'the 3D view has its canvas');

  // The attribute managers list exactly what describe lists.
  assert.deepEqual(await pageParameters(page, 'generator'), describedParameters('oxrock'));
  assert.deepEqual(await pageParameters(page, 'shader'), describedParameters('XQuorvane'));
  const removeLayer = '#generator button[data-ident="OXROCK_REMOVE_LAYER"]';
  assert.equal(await page.$eval(removeLayer, (b) => b.disabled), true, 'Remove Layer is greyed out at one layer');

  // Drag Strength: quick builds while dragging, the full one at the end.
  let mesh = await servedMesh(url);
  const slider = await page.$('#generator [data-ident="OXROCK_LAYER_STRENGTH"] input[type=range]');
  const box = await slider.boundingBox();
  const y = box.y + box.height / 2;
  await page.mouse.move(box.x + box.width * 0.4, y);
  await page.mouse.down();
  for (let step = 1; step <= 10; ++step)
    await page.mouse.move(box.x + box.width * (0.4 - step * 0.03), y);
  await page.mouse.up();
  generation = await waitForBuild(page, generation);
  const strength = valueOf(await describe(url), 'OXROCK_LAYER_STRENGTH');
  assert.ok(strength > 0 && strength < 90, `Strength was dragged down (now ${strength}%)`);
  assert.equal(Number(await page.$eval('#generator [data-ident="OXROCK_LAYER_STRENGTH"] input[type=number]',
    (input) => input.value)), strength, 'the page shows the new Strength');
  assert.notEqual(await servedMesh(url), mesh, 'the served rock changed with Strength');
  mesh = await servedMesh(url);

  // Add Layer: a second layer group with its initial values; remove enabled.
  await page.click('#generator button[data-ident="OXROCK_ADD_LAYER"]');
  await page.waitForFunction(() =>
    document.querySelectorAll('#generator [data-ident="OXROCK_LAYER_STRENGTH"]').length === 2, { timeout: 60000 });
  generation = await waitForBuild(page, generation);
  assert.equal(valueOf(await describe(url), 'OXROCK_LAYER_COUNT'), 2);
  assert.equal(valueOf(await describe(url), 'OXROCK_LAYER_STRENGTH', 2), 100, 'the new layer starts at 100 %');
  assert.equal(await page.$eval(removeLayer, (b) => b.disabled), false, 'Remove Layer is enabled at two layers');

  // Switch the first layer's noise type.
  const noise = '#generator [data-ident="OXROCK_LAYER_NOISE_TYPE"] select';
  const fbm = await page.$eval(noise, (select) => [...select.options].find((o) => o.textContent === 'fBm').value);
  await page.select(noise, fbm);
  generation = await waitForBuild(page, generation);
  assert.equal(valueOf(await describe(url), 'OXROCK_LAYER_NOISE_TYPE'), Number(fbm));
  assert.notEqual(await servedMesh(url), mesh, 'the served rock changed with the noise type');

  // A value beyond the limits is refused in the page and changes nothing.
  const flatten = '#generator [data-ident="OXROCK_LAYER_FLATTEN"] input[type=number]';
  const before = await describe(url);
  await page.$eval(flatten, (input) => { input.value = '150'; input.dispatchEvent(new Event('change')); });
  await page.waitForFunction(() => !document.getElementById('message').hidden, { timeout: 30000 });
  assert.match(await page.$eval('#message', (m) => m.textContent), /limited to/);
  assert.deepEqual((await describe(url)).generator, before.generator, 'the refused value changed nothing');

  await page.waitForFunction(() => document.querySelector('#figures [data-figure="Size"]'), { timeout: 30000 });
  assert.match(await page.$eval('#figures [data-figure="Size"]', (row) => row.textContent), /\d+\.\d+ x .* m/);
  if (screenshot) {
    await page.$eval('#message', (m) => { m.hidden = true; });
    await page.screenshot({ path: screenshot });
  }
  // The asset download: the button is busy while the server bakes, then the
  // browser saves a GLB; a refusal is shown in the page.
  const downloads = mkdtempSync(join(tmpdir(), 'quorvane-downloads-'));
  const cdp = await page.createCDPSession();
  await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  await page.click('#download-asset');
  assert.equal(await page.$eval('#download-asset', (b) => b.disabled), true, 'the asset button is busy');
  await page.waitForFunction(() => document.body.dataset.asset !== 'busy', { timeout: 240000, polling: 200 });
  assert.equal(await page.evaluate(() => document.body.dataset.asset), 'done');
  const saved = join(downloads, 'rock_asset.glb');
  for (let tries = 0; !existsSync(saved) && tries < 100; ++tries) await new Promise((r) => setTimeout(r, 100));
  const glb = readFileSync(saved);
  assert.equal(glb.toString('latin1', 0, 4), 'glTF', 'the download is a GLB');
  assert.ok(glb.includes('MSFT_lod'), 'the asset holds its levels of detail');
  rmSync(downloads, { recursive: true, force: true });
  await page.setRequestInterception(true);
  const refuse = (request) => (request.url().endsWith('/api/asset')
    ? request.respond({ status: 400, contentType: 'application/json', body: '{"error": "no asset today"}' })
    : request.continue());
  page.on('request', refuse);
  await page.click('#download-asset');
  await page.waitForFunction(() => document.body.dataset.asset === 'failed', { timeout: 30000, polling: 100 });
  assert.match(await page.$eval('#message', (m) => m.textContent), /no asset today/);
  page.off('request', refuse);
  await page.setRequestInterception(false);

  // More tabs than the browser opens connections to one server: every tab
  // loads the page and follows a change made elsewhere.
  const tabs = [];
  for (let i = 0; i < 7; ++i) {
    const tab = await browser.newPage();
    tab.on('pageerror', (error) => problems.push(`tab ${i}: ${error.message}`));
    await tab.goto(url);
    tabs.push(tab);
  }
  const shownInTabs = [];
  for (const tab of tabs) {
    await tab.bringToFront();
    shownInTabs.push(await waitForBuild(tab, 0, 180000));
  }
  const strengthId = (await describe(url)).generator.groups.flatMap((g) => g.elements)
    .find((e) => e.ident === 'OXROCK_LAYER_STRENGTH').id;
  const changed = await fetch(url + 'api/set', { method: 'POST', headers: { 'Content-Type': 'application/json' },
    body: JSON.stringify({ node: 'generator', id: strengthId, value: 40, final: true }) });
  assert.equal(changed.status, 200, 'a change from outside the page is taken');
  const newest = Math.max(generation, ...shownInTabs);
  for (const tab of [page, ...tabs]) {
    await tab.bringToFront();
    await waitForBuild(tab, newest, 180000);
    assert.equal(await tab.$eval('#generator [data-ident="OXROCK_LAYER_STRENGTH"] input[type=number]',
      (input) => Number(input.value)), 40, 'every tab shows the new Strength');
  }
  await Promise.all(tabs.map((tab) => tab.close()));
  await page.bringToFront();

  // The refused value's 400 reply is logged by the browser as a failed
  // resource; it is the one expected error.
  const unexpected = problems.filter((p) => !p.includes('status of 400'));
  assert.deepEqual(unexpected, [], 'the page logged no errors');
} finally {
  server.kill('SIGTERM');
}

// Without three.js the page still works: the view shows the preview picture.
const bare = join(workdir, 'page');
cpSync(join(buildDir, 'share', 'quorvane', 'workbench'), bare, { recursive: true, filter: (path) => !path.endsWith('/three') });
const fallback = await startServer(workdir, ['--page', bare]);
problems.length = 0;
try {
  const page = await browser.newPage();
  page.on('console', (message) => { if (message.type() === 'error') problems.push(`console: ${message.text()}`); });
  page.on('pageerror', (error) => problems.push(`page error: ${error.message}`));
  await page.goto(fallback.url);
  await waitForBuild(page, 0);
  assert.equal(await page.evaluate(() => document.body.dataset.view), 'picture');
  assert.ok(await page.$eval('#preview', (img) => !img.hidden && img.naturalWidth > 0), 'the preview picture is shown');
  assert.equal(await page.$('#view canvas'), null);
  assert.deepEqual(problems, [], 'the page without three.js logged no errors');
  console.log('workbench browser test passed');
} finally {
  await browser.close();
  fallback.server.kill('SIGTERM');
  rmSync(workdir, { recursive: true, force: true });
}
