// scenario-tool view, driven in headless Chromium: the page of the built-in
// scenario, of a scenario without a route plan, of odd and hostile input,
// and of the longest scenario there may be.  The page must show what `dump`
// lists, cell for cell and metre for metre, answer the mouse, the keyboard
// and its address, and never reach for the network.
//
// Run by CTest (see CMakeLists.txt), which sets:
//   SCENARIO_TOOL      the scenario-tool executable
//   SYNTHETIC_TEXTS    the helper that writes the long synthetic scenario
//   BROWSER_ARTEFACTS  where the screenshots go
//   CHROMIUM           the browser (default /usr/bin/chromium)
import assert from 'node:assert/strict';
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {performance} from 'node:perf_hooks';
import {after, before, describe, test} from 'node:test';
import {pathToFileURL} from 'node:url';

const TOOL = process.env.SCENARIO_TOOL;
const SYNTHETIC_TEXTS = process.env.SYNTHETIC_TEXTS;
const ARTEFACTS =
    process.env.BROWSER_ARTEFACTS || path.join(os.tmpdir(), 'scenario-view-artefacts');
const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';
if (!TOOL || !SYNTHETIC_TEXTS) {
  throw new Error('SCENARIO_TOOL and SYNTHETIC_TEXTS must name the executables (CTest sets them)');
}

let puppeteer;
try {
  puppeteer = (await import('puppeteer-core')).default;
} catch (e) {
  throw new Error(
      `puppeteer-core is missing: run "npm ci" in tests/browser (make test does): ${e}`);
}

// Chromium as these machines run it: no sandbox for root, no GPU, and none
// of the background connections a closed network refuses.
const CHROMIUM_FLAGS = [
  '--no-sandbox',
  '--disable-gpu',
  '--disable-quic',
  '--no-first-run',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
];
const VIEWPORT = {
  width: 1400,
  height: 900
};
const MAX_PAGE_BYTES = 8 * 1024 * 1024;
const INTERACTIVE_MS = 2000;

const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'scenario-view-test-'));
let browser;

before(async () => {
  fs.mkdirSync(ARTEFACTS, {recursive: true});
  browser = await puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    userDataDir: fs.mkdtempSync(path.join(scratch, 'profile-')),
    args: CHROMIUM_FLAGS,
  });
});

after(async () => {
  await browser?.close();
  fs.rmSync(scratch, {recursive: true, force: true});
});

function tool(args) {
  return execFileSync(TOOL, args, {encoding: 'utf8', maxBuffer: 1 << 30});
}

function freshDir(name) {
  const dir = path.join(scratch, name);
  fs.mkdirSync(dir);
  return dir;
}

// Compiles two source texts in `dir` and writes the page; returns its path.
function compileAndView(dir, line, train, compileFlags = [], viewFlags = []) {
  tool([
    'compile', path.join(dir, `${line}_linea.txt`), path.join(dir, `${line}_${train}-.txt`),
    '--out', dir, ...compileFlags
  ]);
  tool(['view', dir, ...viewFlags]);
  return path.join(dir, `${line}_${train}.html`);
}

function builtInDir(name, editService = (text) => text) {
  const dir = freshDir(name);
  tool(['template', dir]);
  const service = path.join(dir, 'Milano_Lecco_L5244-.txt');
  fs.writeFileSync(service, editService(fs.readFileSync(service, 'latin1')), 'latin1');
  return dir;
}

// Opens a page and waits until it says it is ready; collects what it logs
// and every request it makes.
// `prepare` runs on the page before it loads.
async function openPage(file, hash = '', prepare = async () => {}) {
  const page = await browser.newPage();
  await page.setViewport(VIEWPORT);
  await prepare(page);
  const problems = [];
  const requests = [];
  page.on('console', (m) => {
    if (m.type() === 'error' || m.type() === 'warn') problems.push(`${m.type()}: ${m.text()}`);
  });
  page.on('pageerror', (e) => problems.push(`uncaught: ${e.message}`));
  page.on('request', (r) => requests.push(r.url()));
  const url = pathToFileURL(file).href + hash;
  const started = performance.now();
  await page.goto(url, {waitUntil: 'load'});
  await page.waitForFunction(
      () => document.documentElement.dataset.ready === 'true', {timeout: 15000});
  return {page, problems, requests, url, readyMs: performance.now() - started};
}

async function inspector(page) {
  return page.evaluate(() => {
    const fields = {};
    for (const row of document.querySelectorAll('#inspector table.fields tr[data-field]')) {
      fields[row.dataset.field] = {
        value: Number(row.querySelector('td.value').textContent),
        meaning: row.querySelector('td.meaning').textContent,
      };
    }
    return {
      title: document.getElementById('inspector-title')?.textContent ?? null,
      fields,
      text: document.getElementById('inspector').innerText,
      hash: location.hash,
    };
  });
}

async function screenshot(page, name) {
  const file = path.join(ARTEFACTS, `${name}.png`);
  await page.screenshot({path: file});
  assert.ok(fs.statSync(file).size > 10000, `${file} looks empty`);
}

async function clickProfileAt(page, metre) {
  const [x, y] = await page.evaluate(
      (m) => [window.scenarioView.profileClientX(m), window.scenarioView.profileClientY()], metre);
  await page.mouse.click(x, y);
}

// Wheel steps over the profiles at `metre`, zooming in around it.
async function zoomProfileAt(page, metre, steps) {
  for (let n = 0; n < steps; n += 1) {
    const [x, y] = await page.evaluate(
        (m) => [window.scenarioView.profileClientX(m), window.scenarioView.profileClientY()],
        metre);
    await page.mouse.move(x, y);
    await page.mouse.wheel({deltaY: -300});
    await page.evaluate(() => new Promise(requestAnimationFrame));
  }
}

// The listing `dump` gives of the segment file, as one array of the eleven
// fields per cell.
function dumpedCells(file) {
  const listing = JSON.parse(tool(['dump', file, '--format', 'json']));
  const names = [
    'kind', 'value1', 'value2', 'value3', 'value4', 'signal_time', 'approach_mark', 'tunnel_type',
    'speed_limit', 'gradient', 'adhesion'
  ];
  const cells = Array.from({length: listing.cell_count}, () => names.map(() => 0));
  for (const c of listing.cells) cells[c.index] = names.map((n) => c[n]);
  return {names, cells};
}

async function pageCells(page, names) {
  return page.evaluate((fields) => {
    const v = window.scenarioView;
    const out = [];
    for (let i = 0; i < v.data.cell_count; i += 1) {
      const c = v.cell(i);
      out.push(fields.map((f) => c[f]));
    }
    return out;
  }, names);
}

function assertSameCells(actual, expected) {
  assert.equal(actual.length, expected.length, 'cell count');
  for (let i = 0; i < expected.length; i += 1) {
    assert.deepEqual(actual[i], expected[i], `cell ${i}`);
  }
}

// The route plan as `dump` lists it, one "metre x y" line a metre, built by
// the page from what it decoded.
async function pageRoutePlanListing(page) {
  return page.evaluate(() => {
    const v = window.scenarioView;
    const lines = [];
    for (let m = 0; m <= v.data.plan.last; m += 1) {
      lines.push(`${m} ${v.coordinateText(m, 0)} ${v.coordinateText(m, 1)}`);
    }
    return lines.join('\n');
  });
}

// A number of `dump`'s listing (the shortest text that reads back as the
// same double) as the page shows it: the exact binary value rounded to
// thousandths, an exact half to the even neighbour, as printf's "%.3f" does.
function thousandths(text) {
  const x = Number(text);
  if (text === '-' || !Number.isFinite(x)) return text;
  const bits = new DataView(new ArrayBuffer(8));
  bits.setFloat64(0, x);
  const word = bits.getBigUint64(0);
  const exponentBits = Number((word >> 52n) & 0x7ffn);
  let mantissa = word & ((1n << 52n) - 1n);
  if (exponentBits !== 0) mantissa |= 1n << 52n;
  const exponent = (exponentBits === 0 ? 1 : exponentBits) - 1075;
  let numerator = mantissa * 1000n;
  let denominator = 1n;
  if (exponent >= 0)
    numerator <<= BigInt(exponent);
  else
    denominator <<= BigInt(-exponent);
  let q = numerator / denominator;
  const twice = 2n * (numerator % denominator);
  if (twice > denominator || (twice === denominator && (q & 1n) === 1n)) q += 1n;
  const digits = q.toString().padStart(4, '0');
  return `${word >> 63n ? '-' : ''}${digits.slice(0, -3)}.${digits.slice(-3)}`;
}

function dumpedRoutePlanListing(file) {
  return tool(['dump', file])
      .split('\n')
      .slice(1)
      .map((line) => line.split(' ').map((t, n) => (n === 0 ? t : thousandths(t))).join(' '))
      .join('\n')
      .trimEnd();
}

function assertSameListing(actual, expected) {
  if (actual === expected) return;
  const a = actual.split('\n');
  const e = expected.split('\n');
  const first = e.findIndex((line, n) => line !== a[n]);
  assert.fail(
      `route plan differs at line ${first}: page "${a[first]}", dump "${e[first]}"` +
      ` (${a.length} lines against ${e.length})`);
}

function onlyThePageItself(requests, url) {
  const page = url.split('#')[0];
  assert.deepEqual(
      requests.filter((r) => r.split('#')[0] !== page), [], 'the page must fetch nothing');
}

describe('the built-in scenario', () => {
  let dir;
  let file;
  before(() => {
    dir = builtInDir('built-in');
    file = compileAndView(dir, 'Milano_Lecco', 'L5244');
  });

  test('loads with no console error and no request, listing all fourteen stations', async () => {
    const {page, problems, requests, url} = await openPage(file);
    assert.deepEqual(problems, []);
    onlyThePageItself(requests, url);
    const expected =
        JSON.parse(tool(['dump', path.join(dir, 'Milano_Lecco_L5244.sim'), '--format', 'json']))
            .slots.filter((s) => s.role === 'station')
            .map((s) => s.text);
    assert.equal(expected.length, 14);
    const listed =
        await page.$$eval('#station-list button .name', (n) => n.map((e) => e.textContent));
    assert.deepEqual(listed, expected);
    const csp = await page.$eval('meta[http-equiv="Content-Security-Policy"]', (m) => m.content);
    assert.match(csp, /default-src 'none'/);
    assert.equal(await page.$eval('#failure', (e) => e.hidden), true);
    await screenshot(page, 'view-built-in');
    await page.close();
  });

  test('holds every cell and every metre exactly as dump lists them', async () => {
    const {page} = await openPage(file);
    const {names, cells} = dumpedCells(path.join(dir, 'Milano_Lecco_L5244.dat'));
    assertSameCells(await pageCells(page, names), cells);
    assertSameListing(
        await pageRoutePlanListing(page),
        dumpedRoutePlanListing(path.join(dir, 'Milano_Lecco_linea.dat')));
    await page.close();
  });

  function assertSignalOfSegment30(shown) {
    assert.equal(shown.title, 'Segment 30');
    assert.deepEqual(shown.fields.kind, {value: 1, meaning: 'signal'});
    assert.deepEqual(shown.fields.value1, {value: 42, meaning: 's1*10+d1'});
    assert.deepEqual(shown.fields.value4, {value: 8, meaning: 'rapp*10+sx*3+dx'});
    // The built-in signal is written at 1 450 m, and shown there.
    assert.match(
        shown.text,
        /signal at 1\s?450\s?m \(km\s?1\+450\): an entry written there takes the segment of position \/ 50 \+ 1/);
    assert.equal(shown.fields.speed_limit.value, 18);
    assert.match(shown.fields.speed_limit.meaning, /90 km\/h/);
    for (const name of ['signal_time', 'approach_mark', 'tunnel_type', 'gradient', 'adhesion']) {
      assert.ok(name in shown.fields, `${name} is shown`);
    }
  }

  test('a click on the profile at 1 500 m shows the signal of segment 30', async () => {
    const {page, problems} = await openPage(file);
    await zoomProfileAt(page, 1500, 12);
    const span = await page.evaluate(() => {
      const s = window.scenarioView.profileState();
      return s.m1 - s.m0;
    });
    assert.ok(span < 2000, `the wheel zoomed the profiles in (${span} m shown)`);
    await clickProfileAt(page, 1500);
    const shown = await inspector(page);
    assertSignalOfSegment30(shown);
    const metre = Number(/^#m=(\d+)$/.exec(shown.hash)?.[1]);
    assert.ok(metre >= 1490 && metre <= 1510, `the address follows the click (${shown.hash})`);
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('#m=1500 opens centred there with the signal in the inspector', async () => {
    const {page, problems} = await openPage(file, '#m=1500');
    assertSignalOfSegment30(await inspector(page));
    const centred = await page.evaluate(() => {
      const map = document.getElementById('map').getBoundingClientRect();
      const [x, y] = window.scenarioView.mapClientPoint(1500);
      const p = window.scenarioView.profileState();
      return {
        dx: x - (map.left + map.width / 2),
        dy: y - (map.top + map.height / 2),
        profileMiddle: (p.m0 + p.m1) / 2
      };
    });
    assert.ok(
        Math.abs(centred.dx) < 2 && Math.abs(centred.dy) < 2,
        `map centred on 1 500 m (${centred.dx}, ${centred.dy} px off)`);
    assert.ok(
        centred.profileMiddle > 1000 && centred.profileMiddle < 6000,
        `profiles show 1 500 m (middle ${centred.profileMiddle})`);
    await screenshot(page, 'view-built-in-m1500');
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('the address follows the selection, and the address opens that view', async () => {
    const {page} = await openPage(file, '#m=1500');
    await page.focus('#profiles');
    await page.keyboard.press('ArrowRight');
    let shown = await inspector(page);
    assert.equal(shown.title, 'Segment 31');
    assert.equal(shown.hash, '#m=1550');
    await page.keyboard.press('PageDown');
    shown = await inspector(page);
    assert.equal(shown.hash, '#m=4000', 'the next station, MILANO GRECO PIRELLI');
    await page.close();
    const again = await openPage(file, '#m=4000');
    assert.equal((await inspector(again.page)).title, 'Segment 80');
    await again.page.close();
  });

  test('positions belong to the segment they round to, a half to the even one', async () => {
    const {page} = await openPage(file);
    // A metre m is in segment m / 50 rounded; 1475 / 50 = 29.5 goes to 30,
    // 1425 / 50 = 28.5 to 28.
    for (const [metre, segment] of [
             [0, 0], [24, 0], [25, 0], [26, 1], [1425, 28], [1426, 29], [1475, 30], [1525, 30],
             [1526, 31], [1574, 31], [1575, 32], [61000, 1220]]) {
      await page.evaluate((m) => {
        location.hash = `#m=${m}`;
      }, metre);
      await page.waitForFunction((m) => window.scenarioView.selection() === m, {}, metre);
      assert.equal((await inspector(page)).title, `Segment ${segment}`, `metre ${metre}`);
    }
    await page.close();
  });

  test('zoom and pan change the map and the profiles, and fit shows everything again', async () => {
    const {page, problems} = await openPage(file);
    const map = () => page.evaluate(() => window.scenarioView.mapState());
    const profile = () => page.evaluate(() => window.scenarioView.profileState());
    const frame = () => page.evaluate(() => new Promise(requestAnimationFrame));
    const fitted = await map();
    const fittedProfile = await profile();
    const before = await page.screenshot();

    const box = await (await page.$('#map')).boundingBox();
    await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
    await page.mouse.wheel({deltaY: -400});
    const zoomed = await map();
    assert.ok(zoomed.scale > fitted.scale * 1.5, 'the wheel zooms the map in');
    await page.mouse.down();
    await page.mouse.move(box.x + box.width / 2 + 120, box.y + box.height / 2 + 60, {steps: 6});
    await page.mouse.up();
    const panned = await map();
    assert.ok(Math.abs(panned.cx - zoomed.cx) * zoomed.scale > 100, 'a drag pans the map');
    assert.ok(Math.abs(panned.cy - zoomed.cy) * zoomed.scale > 50, 'a drag pans the map');
    assert.equal(panned.scale, zoomed.scale);
    await page.click('#map-zoom-out');
    assert.ok((await map()).scale < panned.scale, 'the button zooms the map out');
    await page.click('#map-zoom-in');
    await page.click('#map-zoom-in');
    assert.ok((await map()).scale > panned.scale, 'the button zooms the map in');

    await page.click('#profile-zoom-in');
    const narrower = await profile();
    assert.ok(narrower.m1 - narrower.m0 < (fittedProfile.m1 - fittedProfile.m0) / 1.5);
    const strip = await (await page.$('#profiles')).boundingBox();
    await page.mouse.move(strip.x + strip.width / 2, strip.y + strip.height / 2);
    await page.mouse.down();
    await page.mouse.move(strip.x + strip.width / 2 - 200, strip.y + strip.height / 2, {steps: 5});
    await page.mouse.up();
    const moved = await profile();
    assert.ok(moved.m0 > narrower.m0 + 1000, 'a drag to the left moves the profiles on');
    await frame();
    const after = await page.screenshot();
    assert.ok(!before.equals(after), 'the picture changed');

    await page.click('#map-fit');
    await page.click('#profile-fit');
    assert.deepEqual(await map(), fitted);
    assert.deepEqual(await profile(), fittedProfile);
    assert.equal(
        await page.evaluate(() => window.scenarioView.selection()), null,
        'panning selects nothing');
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('the station list jumps to each station', async () => {
    const {page} = await openPage(file);
    const stations = await page.evaluate(() => window.scenarioView.data.stations);
    const buttons = await page.$$('#station-list button');
    assert.equal(buttons.length, stations.length);
    for (const [n, st] of stations.entries()) {
      await buttons[n].click();
      const shown = await inspector(page);
      assert.equal(shown.hash, `#m=${st.position}`, st.name);
      // The tool files the station into its segment with the compiler's rounding.
      assert.equal(shown.title, `Segment ${st.segment}`, st.name);
      assert.ok(await buttons[n].evaluate((b) => b.classList.contains('current')), st.name);
      const off = await page.evaluate((m) => {
        const map = document.getElementById('map').getBoundingClientRect();
        const [x, y] = window.scenarioView.mapClientPoint(m);
        return Math.hypot(x - (map.left + map.width / 2), y - (map.top + map.height / 2));
      }, st.position);
      assert.ok(off < 2, `the map is centred on ${st.name} (${off} px off)`);
    }
    await page.close();
  });

  test('the km box jumps to a km and refuses what is not one', async () => {
    const {page} = await openPage(file);
    for (const [typed, metre] of [
             ['12+350', 12350], ['12.35', 12350], ['km 7', 7000], ['0,5', 500]]) {
      await page.$eval('#goto-km', (input) => {
        input.value = '';
      });
      await page.type('#goto-km', typed);
      await page.keyboard.press('Enter');
      assert.equal(await page.evaluate(() => window.scenarioView.selection()), metre, typed);
    }
    for (const typed of ['abc', '99', '-3']) {
      await page.$eval('#goto-km', (input) => {
        input.value = '';
      });
      await page.type('#goto-km', typed);
      await page.keyboard.press('Enter');
      assert.equal(
          await page.$eval('#goto-km', (i) => i.getAttribute('aria-invalid')), 'true', typed);
      assert.notEqual(await page.$eval('#goto-error', (e) => e.textContent), '', typed);
      assert.equal(await page.evaluate(() => window.scenarioView.selection()), 500, typed);
    }
    await page.close();
  });
});

describe('a scenario compiled without a route plan', () => {
  test('shows the profiles and the inspector, and says there is no map', async () => {
    const dir = builtInDir('no-geometry');
    // Without a line geometry file the directory does not tell the line.
    const file = compileAndView(
        dir, 'Milano_Lecco', 'L5244', ['--no-geometry'], ['--line-id', 'Milano_Lecco']);
    const {page, problems} = await openPage(file);
    assert.equal(await page.$eval('#map-empty', (e) => e.hidden), false);
    for (const part of ['.map-panel .legend', '.map-panel .tools']) {
      assert.equal(await page.$eval(part, (e) => getComputedStyle(e).display), 'none', part);
    }
    await zoomProfileAt(page, 1500, 12);
    await clickProfileAt(page, 1500);
    const shown = await inspector(page);
    assert.equal(shown.title, 'Segment 30');
    assert.doesNotMatch(shown.text, /route plan at metre/);
    assert.deepEqual(problems, []);
    await page.close();
  });
});

describe('odd and hostile input', () => {
  test('a station name cannot break out of the page', async () => {
    const hostile = 'LECCO </script><!--<img src=x onerror=alert(1)> CITT\u00c0';
    const dir = builtInDir('hostile', (text) => text.replace(', LECCO\r\n', `, ${hostile}\r\n`));
    const file = compileAndView(dir, 'Milano_Lecco', 'L5244');
    const {page, problems, requests, url} = await openPage(file);
    const names =
        await page.$$eval('#station-list button .name', (n) => n.map((e) => e.textContent));
    assert.equal(names.length, 14);
    assert.equal(names[13], hostile);
    assert.equal(await page.$$eval('img', (n) => n.length), 0);
    onlyThePageItself(requests, url);
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('only the page\'s own script and style apply: nothing inserted into it runs', async () => {
    const dir = builtInDir('inserted');
    const file = compileAndView(dir, 'Milano_Lecco', 'L5244');
    const html = fs.readFileSync(file, 'utf8');
    const csp = html.match(/http-equiv="Content-Security-Policy"\s+content="([^"]*)"/)[1];
    assert.doesNotMatch(csp, /unsafe-inline/);
    assert.match(csp, /style-src 'sha256-[A-Za-z0-9+/]{43}='; script-src 'sha256-[A-Za-z0-9+/]{43}='/);
    // What a hostile text would put into the page if it ever got out of its
    // element: an image whose error runs a handler, a handler waiting for a
    // click, a script, a style.
    const inserted = [
      '<img id="img-handler" src="data:," onerror="document.documentElement.dataset.ran=\'img\'">',
      '<div id="click-handler" onclick="document.documentElement.dataset.ran=\'click\'">x</div>',
      '<script>document.documentElement.dataset.ran = \'script\';</script>',
      '<div id="styled" style="display: none">y</div>',
    ].join('');
    const tampered = path.join(dir, 'tampered.html');
    fs.writeFileSync(tampered, html.replace('</body>', `${inserted}</body>`));
    const {page, problems} = await openPage(tampered);
    await page.click('#click-handler');
    // A handler the page itself would be given as an attribute.
    await page.evaluate(() => {
      const button = document.createElement('button');
      button.setAttribute('onclick', 'document.documentElement.dataset.ran = "added"');
      document.body.append(button);
      button.click();
    });
    assert.equal(await page.evaluate(() => document.documentElement.dataset.ran), undefined);
    assert.notEqual(await page.$eval('#styled', (e) => getComputedStyle(e).display), 'none');
    // The page's own script and style still work.
    assert.equal(await page.$$eval('#station-list button .name', (n) => n.length), 14);
    assert.equal(await page.$eval('.top', (e) => getComputedStyle(e).display), 'flex');
    assert.ok(problems.length > 0, 'the browser says what it refused');
    for (const p of problems) assert.match(p, /Content Security Policy/);
    await page.close();
  });

  test('a recorded failure shows as a banner, and a UTF-8 line identifier as itself', async () => {
    const dir = builtInDir(
        'failure', (text) => text.replace(
                       '[codici]', 'segnale, 1450, 2, 4, 1, 1, 0, 2, 2,1,1, 0\r\n[codici]'));
    fs.renameSync(path.join(dir, 'Milano_Lecco_linea.txt'), path.join(dir, 'Citt\u00e0_linea.txt'));
    fs.renameSync(
        path.join(dir, 'Milano_Lecco_L5244-.txt'), path.join(dir, 'Citt\u00e0_L5244-.txt'));
    assert.throws(
        () => compileAndView(dir, 'Citt\u00e0', 'L5244'), (e) => e.status === 1,
        'compile records the failure and says so by its status');
    tool(['view', dir]);
    const {page, problems} = await openPage(path.join(dir, 'Citt\u00e0_L5244.html'));
    assert.equal(await page.$eval('#failure', (e) => e.hidden), false);
    assert.match(
        await page.$eval('#failure-text', (e) => e.textContent),
        /^Compiled with failure 16 at 1450 m: "segnale" at 1450 m/);
    assert.match(
        await page.$eval('#failure-note', (e) => e.textContent), /scenario-tool explain 16/);
    assert.equal(
        await page.$eval('#title', (e) => e.textContent), 'Citt\u00e0 \u00b7 train L5244');
    assert.match(await page.title(), /^Citt\u00e0 /);
    await screenshot(page, 'view-failure');
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('every odd route-plan value shows as dump prints it', async () => {
    // A plan of 400 metres: integers, a straight, a sharp corner, empty
    // cells in the middle and at the end, tiny negatives printed -0.000, a
    // tie at the third decimal, numbers too large to draw and not numbers.
    const metres = 400;
    const odd = new Map([
      [120, 1e300], [121, NaN], [122, -Infinity], [200, 123456789.0625], [201, -0.0004],
      [202, -0.0625], [250, 2 ** 40]
    ]);
    const columns = [[], []];
    for (let m = 0; m <= metres; m += 1) {
      let x = m < 150 ? 0.1 * m : 15 - (m - 150) * 0.7;
      let y = m < 150 ? m : 150 + (m - 150) * 0.7;
      if (odd.has(m)) x = odd.get(m);
      if (m === 300 || m === 301) y = -0.00001 * m;
      columns[0].push(m >= 160 && m < 163 ? null : x);
      columns[1].push(m >= metres - 1 ? null : y);
    }
    const cells = [];
    for (const column of columns) {
      column.forEach((v, m) => {
        if (v === null) {
          cells.push(Buffer.from([0, 0]));
        } else if (m < 2 && Number.isInteger(v)) {
          const b = Buffer.alloc(4);
          b.writeUInt16LE(2, 0);
          b.writeInt16LE(v, 2);
          cells.push(b);
        } else {
          const b = Buffer.alloc(10);
          b.writeUInt16LE(5, 0);
          b.writeDoubleLE(v, 2);
          cells.push(b);
        }
      });
    }
    const dir = builtInDir('odd-plan');
    const file = compileAndView(dir, 'Milano_Lecco', 'L5244');
    const geometry = path.join(dir, 'Milano_Lecco_linea.dat');
    fs.writeFileSync(geometry, Buffer.concat(cells));
    tool(['view', dir]);
    const {page, problems} = await openPage(file, '#m=121');
    assertSameListing(await pageRoutePlanListing(page), dumpedRoutePlanListing(geometry));
    assert.deepEqual(problems, []);
    await page.close();

    // Nothing at all to draw: the page says so and still inspects.
    const nothing = Buffer.alloc(2 * 2 * 50);  // 50 metres, every cell empty
    fs.writeFileSync(geometry, nothing);
    tool(['view', dir]);
    const empty = await openPage(file, '#m=1500');
    assert.equal(await empty.page.$eval('#map-empty', (e) => e.hidden), false);
    assert.equal((await inspector(empty.page)).title, 'Segment 30');
    assert.deepEqual(empty.problems, []);
    await empty.page.close();
  });
});

describe('the maximum-length scenario (1 000 000 m)', () => {
  let dir;
  let file;
  before(() => {
    dir = freshDir('maximum');
    execFileSync(SYNTHETIC_TEXTS, [dir, '1000000']);
    file = compileAndView(dir, 'Sintetica', 'S1');
  });

  test(`stays within 8 MB and is interactive within ${INTERACTIVE_MS} ms`, async (t) => {
    const bytes = fs.statSync(file).size;
    t.diagnostic(`page: ${bytes} bytes`);
    assert.ok(bytes < MAX_PAGE_BYTES, `${bytes} bytes`);
    const {page, problems, requests, url, readyMs} = await openPage(file);
    const started = performance.now();
    await clickProfileAt(page, 500000);
    await page.waitForFunction(() => window.scenarioView.selection() !== null);
    const interactiveMs = readyMs + (performance.now() - started);
    const inPage = await page.evaluate(() => window.scenarioView.readyAt);
    t.diagnostic(
        `ready ${readyMs.toFixed(0)} ms after navigation (${inPage.toFixed(0)} ms ` +
        `in the page), first click answered at ${interactiveMs.toFixed(0)} ms`);
    assert.ok(interactiveMs < INTERACTIVE_MS, `${interactiveMs.toFixed(0)} ms`);
    assert.deepEqual(problems, []);
    onlyThePageItself(requests, url);
    await page.keyboard.press('Escape');
    assert.equal(await page.evaluate(() => window.scenarioView.selection()), null);
    await screenshot(page, 'view-maximum');
    await page.close();
  });

  test('holds every cell and every metre exactly as dump lists them', async () => {
    const {page} = await openPage(file, '#m=500000');
    const {names, cells} = dumpedCells(path.join(dir, 'Sintetica_S1.dat'));
    assertSameCells(await pageCells(page, names), cells);
    assertSameListing(
        await pageRoutePlanListing(page),
        dumpedRoutePlanListing(path.join(dir, 'Sintetica_linea.dat')));
    await screenshot(page, 'view-maximum-m500000');
    await page.close();
  });
});

// Each object where its entry puts it: the page's inspector states every
// object of the built-in scenario at the position `dump` gives it, which is
// the position written in the source text.
describe('positions as the author writes them', () => {
  let dir;
  let file;
  before(() => {
    dir = builtInDir('positions');
    file = compileAndView(dir, 'Milano_Lecco', 'L5244');
  });

  // 14000 as the page writes it: thousands apart by a (no-break) blank.
  function metresPattern(m) {
    return String(m).replace(/\B(?=(\d{3})+(?!\d))/g, '\\s?');
  }

  test('the inspector shows every object at the position dump gives it', async () => {
    const listing = JSON.parse(
        tool(['dump', path.join(dir, 'Milano_Lecco_L5244.dat'), '--format', 'json']));
    const text = tool(['dump', path.join(dir, 'Milano_Lecco_L5244.dat')]);
    const objects = listing.cells.filter((c) => c.position !== null);
    assert.ok(objects.length > 20, `${objects.length} objects`);
    const source = fs.readFileSync(path.join(dir, 'Milano_Lecco_L5244-.txt'), 'latin1');
    const {page, problems} = await openPage(file);
    for (const c of objects) {
      assert.ok(
          text.includes(`  segment ${c.index}, at ${c.position} m: ${c.kind_name}`),
          `dump's text lists segment ${c.index} at ${c.position} m`);
      await page.evaluate((m) => {
        location.hash = `#m=${m}`;
      }, c.index * 50);
      await page.waitForFunction((m) => window.scenarioView.selection() === m, {}, c.index * 50);
      const shown = await inspector(page);
      assert.equal(shown.title, `Segment ${c.index}`);
      assert.match(
          shown.text,
          new RegExp(`${c.kind_name} at ${metresPattern(c.position)}\\s?m`),
          `segment ${c.index}`);
    }
    // A signal of the built-in service text, as written there.
    const signal = objects.find((c) => c.kind_name === 'signal');
    assert.match(source, new RegExp(`segnale,\\s*${signal.position},`));
    assert.deepEqual(problems, []);
    await page.close();
  });

  // The signal of segment 30 is written at 1 450 m and drawn there; a click
  // on it selects its own segment, not segment 29, which 1 450 m rounds to.
  test('a click where an object is drawn selects that object', async () => {
    const {page, problems} = await openPage(file);
    await zoomProfileAt(page, 1450, 12);
    await clickProfileAt(page, 1450);
    const shown = await inspector(page);
    assert.equal(shown.title, 'Segment 30');
    assert.match(shown.text, /signal at 1\s?450\s?m/);
    assert.deepEqual(problems, []);
    await page.close();
  });
});

// A newcomer's first line, written as the guide teaches: 38 km, twelve
// stations with long names, three of them within 1.3 km and three more
// within 1.2 km, tunnels (one with markers), sign boards, a slowdown and a
// code point.
const NEWCOMER_LINE = [
  '[generale]',
  'lunghezza percorso,    38000',
  'progressiva chilometrica uno,    0,    0,    0',
  'progressiva chilometrica due,    0,    0,    0',
  'progressiva chilometrica tre,    0,    0,    0',
  'sfondo uno,    0',
  'sfondo due,    1',
  'sfondo tre,    0',
  'ripetizione segnali 4 codici,    0,    36000',
  '[curve]',
  'curvad3,  3000,  2000',
  'curvas2,  9000,  3000',
  'curvad4,  20000,  1500',
  'curvas3,  30000,  2500',
  '[pendenze]',
  'pendenza,   0,    0',
  'pendenza,  12000,   8',
  'pendenza,  22000,  -4',
  '[montagne]',
  'montagna,   15000,  16200,  11',
  'montagna,   27000,  27600,  1',
  '[cartelli]',
  'indicatori_vmax,  2000,  100,  100,  100,  0,  ,  ,  ,  0',
  'indicatori_vmax,  21000,  80,  80,  80,  0,  ,  ,  ,  0',
  '[indicazioni]',
  'cartello indicatore,  9500,  BIVIO NORD',
  'cartello indicatore,  31000,  PASSAGGIO A LIVELLO',
  '[fine]',
];
const NEWCOMER_STATIONS = [
  [0, 2, 600, 'SAN GIOVANNI IN VALLE CENTRALE'],
  [1500, 22, 200, 'SAN GIOVANNI SCALO'],
  [2100, 22, 200, 'BORGO VECCHIO'],
  [6000, 22, 300, 'PONTE DI LEGNO BASSO'],
  [11000, 12, 400, 'VILLANOVA'],
  [11700, 22, 200, 'VILLANOVA FIERA'],
  [12300, 22, 200, 'VILLANOVA OSPEDALE'],
  [18500, 22, 300, 'CASTELNUOVO DEL MONTE'],
  [24000, 12, 300, 'SANTA MARIA DELLE GRAZIE'],
  [29500, 22, 300, 'RIVA'],
  [33000, 22, 200, 'MONTECCHIO SUPERIORE'],
  [37500, 2, 500, 'VALLE TERMINAL'],
];
const NEWCOMER_SERVICE = [
  '[generale]',
  'numero vetture,    3',
  'percentuale massa frenata,    110',
  'sabbia,    200',
  'orologio,    7               10            0',
  '[aderenze]',
  'aderenza,   0,    100',
  '[vel_limite]',
  'velocita,       0,    100',
  'velocita,   21000,    80',
  '[stazioni]',
  ...NEWCOMER_STATIONS.map(
      ([at, type, length, name], n) => `stazione, ${at}, ${type}, ${length}, 0, 0, 0, ` +
          `1,1,0, 4,1,1, ${n === NEWCOMER_STATIONS.length - 1 ? 0 : 30}, 7, ${10 + 3 * n}, 0, ${
                                           name}`),
  '[rallentamenti]',
  'rallentamento,   20000,    40,  600, 0,  1,  30',
  '[segnali]',
  ...[3000, 8500, 14000, 26000, 35000].map((at) => `segnale, ${at}, 2, 4, 1, 1, 0, 2, 2,1,1, 0`),
  '[codici]',
  'abbattimento,  16500,  180',
  '[fine]',
];

function newcomerDir(name) {
  const dir = freshDir(name);
  const write = (file, lines) =>
      fs.writeFileSync(path.join(dir, file), lines.join('\r\n') + '\r\n', 'latin1');
  write('Valle_linea.txt', NEWCOMER_LINE);
  write('Valle_R100-.txt', NEWCOMER_SERVICE);
  return dir;
}

// Records every rectangle filled on the profile canvas, with its colour.
async function recordProfileFills(page) {
  await page.evaluateOnNewDocument(() => {
    const fill = CanvasRenderingContext2D.prototype.fillRect;
    window.profileFills = [];
    CanvasRenderingContext2D.prototype.fillRect = function(x, y, w, h) {
      if (this.canvas.id === 'profiles') window.profileFills.push(String(this.fillStyle));
      return fill.call(this, x, y, w, h);
    };
  });
}

// The station names shown over the profiles: text, hover title, box, and
// whether the name shows whole and is the topmost thing at its middle.
async function overviewLabels(page) {
  return page.$$eval(
      '#strip-labels .strip-label', (labels) => labels.filter((l) => !l.hidden).map((l) => {
        const r = l.getBoundingClientRect();
        return {
          text: l.textContent,
          title: l.title,
          box: {left: r.left, right: r.right, top: r.top, bottom: r.bottom},
          whole: l.scrollWidth <= l.clientWidth,
          onTop: document.elementFromPoint(r.left + r.width / 2, r.top + r.height / 2) === l,
        };
      }));
}

function overlap(a, b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

async function assertStationNamesReadable(page, stations) {
  const labels = await overviewLabels(page);
  assert.deepEqual(
      labels.map((l) => l.text).sort(), stations.map((s) => s.name).sort(),
      'one name for every station');
  for (const [n, a] of labels.entries()) {
    for (const b of labels.slice(n + 1)) {
      assert.ok(!overlap(a.box, b.box), `"${a.text}" and "${b.text}" overlap`);
    }
    assert.ok(a.onTop, `"${a.text}" is hidden under something else`);
    assert.ok(a.box.right - a.box.left >= 8, `"${a.text}" is too narrow to point at`);
    assert.ok(
        a.whole || a.title.includes(a.text),
        `"${a.text}" is shortened without its full name on hover (title "${a.title}")`);
    const st = stations.find((s) => s.name === a.text);
    const x = await page.evaluate((m) => window.scenarioView.profileClientX(m), st.position);
    assert.ok(a.box.left >= x && a.box.left <= x + 4, `"${a.text}" begins at its station`);
  }
  return labels;
}

// Every colour filled on the profiles but the panels' ground is a drawn mark
// or band, and must have a legend entry of that colour that is not dimmed.
async function assertLegendExplainsFills(page, where) {
  const {fills, entries} = await page.evaluate(
      () => ({
        fills: window.profileFills,
        entries: [...document.querySelectorAll('#strip-legend li')].map(
            (li) => ({
              colour: getComputedStyle(li.querySelector('.key')).backgroundColor,
              text: li.textContent,
              dimmed: li.classList.contains('not-drawn'),
            })),
      }));
  const rgb = (hex) => `rgb(${[1, 3, 5].map((i) => parseInt(hex.slice(i, i + 2), 16)).join(', ')})`;
  const drawn = new Set(fills.filter((f) => f.startsWith('#') && f !== '#fbfbfc').map(rgb));
  assert.ok(drawn.size >= 3, `${where}: marks were drawn (${[...drawn]})`);
  for (const colour of drawn) {
    const entry = entries.find((e) => e.colour === colour);
    assert.ok(entry, `${where}: nothing in the legend is drawn in ${colour}`);
    assert.ok(entry.text.trim() !== '', `${where}: the legend entry in ${colour} says nothing`);
    assert.ok(!entry.dimmed, `${where}: "${entry.text}" is drawn but dimmed in the legend`);
  }
}

// The kinds of mark the dump lists between two metres, as the legend names
// them (a cell of no kind holds an approach mark).
function dumpedMarkNames(file, from, to) {
  const listing = JSON.parse(tool(['dump', file, '--format', 'json']));
  const names = new Set();
  for (const c of listing.cells) {
    if (c.index * 50 < from || c.index * 50 > to) continue;
    if (c.kind !== 0)
      names.add(c.kind_name);
    else if (c.approach_mark !== 0)
      names.add('approach mark');
  }
  return names;
}

describe('the overview along the line', () => {
  const scenarios = [
    {
      name: 'the built-in scenario',
      artefact: 'view-overview-built-in',
      stations: 14,
      wholeAtFirstZoom: true,
      zoomAt: 13200,
      make(use) {
        const dir = builtInDir(`overview-built-in-${use}`);
        return {
          dir,
          file: compileAndView(dir, 'Milano_Lecco', 'L5244'),
          cells: 'Milano_Lecco_L5244.dat'
        };
      },
    },
    {
      name: 'a newcomer\'s 38 km line',
      artefact: 'view-overview-newcomer',
      stations: NEWCOMER_STATIONS.length,
      wholeAtFirstZoom: false,  // two long names are shortened
      zoomAt: 17500,
      make(use) {
        const dir = newcomerDir(`overview-newcomer-${use}`);
        return {dir, file: compileAndView(dir, 'Valle', 'R100'), cells: 'Valle_R100.dat'};
      },
    },
  ];
  for (const sc of scenarios) {
    test(`${sc.name}: every station name readable at the first zoom`, async () => {
      const {file} = sc.make('names');
      const {page, problems} = await openPage(file);
      const stations = await page.evaluate(() => window.scenarioView.data.stations);
      assert.equal(stations.length, sc.stations);
      const labels = await assertStationNamesReadable(page, stations);
      if (sc.wholeAtFirstZoom) {
        assert.ok(
            labels.every((l) => l.whole), 'the whole line in view leaves room for every name');
      }
      // The wheel over a name zooms the profiles around the pointer, as beside it.
      const first = labels[0].box;
      const [x, y] = [(first.left + first.right) / 2, (first.top + first.bottom) / 2];
      const metreAt = () => page.evaluate((px) => {
        const v = window.scenarioView;
        const {m0, m1} = v.profileState();
        const left = v.profileClientX(m0);
        return m0 + ((px - left) / (v.profileClientX(m1) - left)) * (m1 - m0);
      }, x);
      const before = {
        span: await page.evaluate(() => window.scenarioView.profileState()),
        at: await metreAt()
      };
      await page.mouse.move(x, y);
      await page.mouse.wheel({deltaY: -300});
      const zoomed = await page.evaluate(() => window.scenarioView.profileState());
      assert.ok(
          zoomed.m1 - zoomed.m0 < (before.span.m1 - before.span.m0) / 1.5,
          'the wheel over a name zooms in');
      assert.ok(Math.abs((await metreAt()) - before.at) < 50, 'around the pointer');
      // A click on a name goes to its station.
      const target = stations[stations.length - 2];
      await page.evaluate((name) => {
        [...document.querySelectorAll('#strip-labels .strip-label')]
            .find((l) => l.textContent === name)
            .click();
      }, target.name);
      assert.equal(await page.evaluate(() => window.scenarioView.selection()), target.position);
      assert.deepEqual(problems, []);
      await page.close();

      // Narrower, the names are shortened rather than hidden or piled up.
      const narrow = await openPage(file, '', (p) => p.setViewport({width: 900, height: 700}));
      await assertStationNamesReadable(narrow.page, stations);
      await screenshot(narrow.page, `${sc.artefact}-narrow`);
      await narrow.page.close();
    });

    test(`${sc.name}: the legend names every mark drawn`, async () => {
      const {dir, file, cells} = sc.make('legend');
      const {page, problems} = await openPage(file, '', recordProfileFills);
      await assertLegendExplainsFills(page, 'first zoom');
      await screenshot(page, sc.artefact);

      await zoomProfileAt(page, sc.zoomAt, 3);
      await page.evaluate(() => {
        window.profileFills = [];
      });
      await zoomProfileAt(page, sc.zoomAt, 1);
      const {m0, m1} = await page.evaluate(() => window.scenarioView.profileState());
      await assertLegendExplainsFills(page, `close up (${Math.round(m0)} to ${Math.round(m1)} m)`);
      const legend = await page.$$eval(
          '#strip-legend li',
          (items) => items.map((li) => `${li.textContent} ${li.title}`).join(' | '));
      for (const name of dumpedMarkNames(path.join(dir, cells), m0, m1)) {
        assert.ok(legend.includes(name), `the legend does not name "${name}": ${legend}`);
      }
      await screenshot(page, `${sc.artefact}-close-up`);
      assert.deepEqual(problems, []);
      await page.close();
    });
  }
});
