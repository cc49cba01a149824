// The page in a real browser (Debian's chromium, headless, driven by
// playwright-core) against the native command line: for every file of the
// table the page's JSON and text report equal `otawrap info` byte for byte,
// its verdict and messages are the command's, and its downloads (normalized
// file, index entry) equal what the command writes. Then verification, an
// index's lint findings and match, the page opened from file://, and no
// request leaving the page's own files. Screenshots of each state go to the
// output directory. With --bench it measures instead (sizes, times, the
// 64 MiB limit) and checks nothing.
//   node browser_test.js --web DIR --otawrap BIN --cases DIR --out DIR
//        --playwright DIR [--realworld DIR] [--bench]
'use strict';

const { spawnSync } = require('child_process');
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const zlib = require('zlib');

const options = {};
for (let i = 2; i < process.argv.length; i++) {
  const name = process.argv[i].replace(/^--/, '');
  options[name] = name === 'bench' ? true : process.argv[++i];
}
const { chromium } = require(path.resolve(options.playwright, 'node_modules/playwright-core'));
const cases = path.resolve(options.cases);
const shots = path.resolve(options.out);
const caKey = fs.readFileSync(path.join(__dirname, '../../examples/test-ca-key.txt'), 'utf8').trim();

// ---- The native command line ----------------------------------------------

// `otawrap args...` run in the file's directory, so both name it alike.
function native(args, cwd) {
  const run = spawnSync(path.resolve(options.otawrap), args, { cwd, maxBuffer: 1 << 28 });
  return { code: run.status, out: run.stdout, err: run.stderr.toString('utf8') };
}

// ---- Results -----------------------------------------------------------------

let passed = 0;
const failures = [];
function check(what, ok, detail) {
  if (ok) {
    passed++;
  } else {
    failures.push(what);
    console.log('FAILED: ' + what + (detail ? '\n  ' + detail : ''));
  }
}
function same(what, got, want) {
  const equal = Buffer.isBuffer(want) ? Buffer.from(got).equals(want) : got === want;
  check(what, equal, 'page: ' + JSON.stringify(String(got)).slice(0, 400) +
        '\n  cli:  ' + JSON.stringify(String(want)).slice(0, 400));
}

// ---- The page ----------------------------------------------------------------

function serve(root) {
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm' };
  const server = http.createServer((request, response) => {
    const file = path.join(root, path.normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname)));
    if (!file.startsWith(root) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

async function launch() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'otawrap-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    acceptDownloads: true,
    viewport: { width: 1200, height: 900 },
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  await context.grantPermissions(['clipboard-read', 'clipboard-write']);
  return { context, close: async () => { await context.close(); fs.rmSync(profile, { recursive: true, force: true }); } };
}

async function open(context, url, viewport) {
  const page = await context.newPage();
  if (viewport) await page.setViewportSize(viewport);
  page.requested = [];
  page.on('request', (request) => page.requested.push(request.url()));
  page.on('pageerror', (error) => check('no script error on the page', false, String(error)));
  await page.goto(url);
  await page.waitForSelector('body.ready', { timeout: 30000 });
  return page;
}

// Picks files and waits until each has its card with a verdict.
async function pick(page, files) {
  await page.setInputFiles('#pick', files);
  const names = files.map((f) => path.basename(f));
  await page.waitForFunction((wanted) => wanted.every((name) =>
    [...document.querySelectorAll('article.card')].some((c) => c.dataset.file === name && c.dataset.exit !== undefined)), names);
}

function card(page, name) {
  return page.locator(`article.card[data-file="${name.replace(/["\\]/g, '\\$&')}"]`);
}

async function cardState(page, name) {
  return card(page, name).evaluate((c) => ({
    exit: Number(c.dataset.exit),
    json: c.querySelector('.raw-json') ? c.querySelector('.raw-json').textContent : '',
    text: c.querySelector('.text-report') ? c.querySelector('.text-report').textContent : '',
    verdict: c.querySelector('.verdict').textContent,
    error: c.querySelector('.error').hidden ? '' : c.querySelector('.error').textContent,
    checks: [...c.querySelectorAll('.checks tr')].map((r) => [...r.cells].map((d) => d.textContent)),
  }));
}

async function downloadOf(page, click) {
  const [download] = await Promise.all([page.waitForEvent('download'), click()]);
  return { name: download.suggestedFilename(), bytes: fs.readFileSync(await download.path()) };
}

function verdictFor(code) {
  return code === 0 ? 'all checks passed' : code === 1 ? 'FAILED' : 'not read';
}

// ---- The table ---------------------------------------------------------------

// One row per kind of file; entry: the index entry asked for it.
function table() {
  const rows = [
    { label: 'plain', file: 'shapes/plain.ota', entry: { format: 'herdsman', prefix: 'https://example.com/ota' } },
    { label: 'signed', file: 'signed/100B-0042-00010203.zigbee', entry: { format: 'zigpy', prefix: '' }, signed: true },
    { label: 'wrapped: signed container', file: 'shapes/signed-container.ota', entry: { format: 'herdsman', prefix: '' } },
    { label: 'wrapped: CRC-32 trailer', file: 'shapes/crc32-trailer.ota', entry: { format: 'zigpy', prefix: 'https://example.com/a b/' } },
    { label: 'wrapped: vendor prefix', file: 'shapes/vendor-prefix.ota' },
    { label: 'headless payload', file: 'shapes/crc16-payload.ota' },
    { label: 'integrity code', file: 'shapes/integrity-code.ota' },
    { label: 'damaged: truncated', file: 'shapes/truncated.ota', entry: { format: 'herdsman', prefix: '' } },
    { label: 'damaged: payload CRC', file: 'shapes/crc16-payload.flip-crc.ota' },
    { label: 'damaged: integrity code', file: 'shapes/integrity-code.flip-code.ota' },
    { label: 'not an OTA file', file: 'other/sample.raw' },
    { label: 'empty file', file: 'other/empty.ota' },
    { label: 'name in UTF-8 with spaces and quotes', file: "names/Lampe ü 'Küche' 1.zigbee", entry: { format: 'herdsman', prefix: 'https://example.com/ota' } },
    { label: 'name that looks like an option', file: 'names/--json' },
  ].map((r) => ({ ...r, file: path.join(cases, r.file) }));
  if (options.realworld && fs.existsSync(path.join(options.realworld, 'manifest.json'))) {
    // The first file of each verdict of the sample, used where it lies.
    const manifest = JSON.parse(fs.readFileSync(path.join(options.realworld, 'manifest.json'), 'utf8'));
    for (const expect of ['passes', 'fails']) {
      const sample = manifest.find((m) => m.expect === expect);
      if (sample) rows.push({ label: 'real-world file that ' + expect, file: path.join(options.realworld, 'files', sample.file), entry: { format: 'herdsman', prefix: '' } });
    }
  }
  return rows;
}

// ---- Tests -------------------------------------------------------------------

async function fileRow(page, row, index) {
  const name = path.basename(row.file);
  const dir = path.dirname(row.file);
  await pick(page, [row.file]);
  const state = await cardState(page, name);
  const json = native(['info', '--json', '--', name], dir);
  const text = native(['info', '--', name], dir);
  same(row.label + ': JSON equals info --json', state.json, json.out);
  same(row.label + ': text report equals info', state.text, text.out);
  same(row.label + ': exit code', state.exit, json.code);
  check(row.label + ': verdict', state.verdict.startsWith(verdictFor(json.code)), state.verdict);
  same(row.label + ': message', state.error, text.err.trim());
  if (json.out.length) {
    const info = JSON.parse(json.out);
    same(row.label + ': one row per check', state.checks.length, info.checks.length);
    const states = { ok: 'ok', failed: 'FAILED', 'not applicable': 'not applicable' };
    same(row.label + ': check states', state.checks.map((c) => c[1]).join(), info.checks.map((c) => states[c.result]).join());
    const lines = text.out.toString('utf8').split('\n');
    const unmatched = state.checks.filter(([name, , detail]) => !lines.some((l) => l.startsWith('  ' + name + ': ') && l.includes(detail)));
    check(row.label + ': each check in the words of its text line', unmatched.length === 0, JSON.stringify(unmatched));
  }

  // The plain OTA file.
  const c = card(page, name);
  const out = fs.mkdtempSync(path.join(os.tmpdir(), 'otawrap-normalize-'));
  const normalized = native(['normalize', '--output-dir', out, '--', name], dir);
  if (normalized.code === 0) {
    const written = normalized.out.toString('utf8').trim().split('\n').pop();
    const got = await downloadOf(page, () => c.locator('.normalize').click());
    same(row.label + ': normalized file', got.bytes, fs.readFileSync(written));
    same(row.label + ': normalized file name', got.name, path.basename(written));
  } else if (json.out.length) {
    await c.locator('.normalize').click();
    same(row.label + ': normalize refusal', await c.locator('.normalized').textContent(), normalized.err.trim());
  }
  fs.rmSync(out, { recursive: true, force: true });

  // The index entry.
  if (row.entry) {
    await c.locator('.show-entry').click();
    await c.locator('.entry-format').selectOption(row.entry.format);
    await c.locator('.entry-prefix').fill(row.entry.prefix);
    const args = ['index', '--format', row.entry.format];
    if (row.entry.prefix) args.push('--url-prefix', row.entry.prefix);
    const entry = native(args.concat('--', name), dir);
    if (entry.code === 0) {
      const got = await downloadOf(page, () => c.locator('.download-entry').click());
      same(row.label + ': index entry download', got.bytes, entry.out);
      same(row.label + ': index entry shown', await c.locator('.entry-json').textContent(), entry.out.toString('utf8'));
      same(row.label + ': index warnings', await c.locator('.entry-warning').evaluate((p) => (p.hidden ? '' : p.textContent)), entry.err.trim());
      await c.locator('.copy-entry').click();
      await c.locator('.copy-entry', { hasText: 'Copied' }).waitFor();
      same(row.label + ': index entry copied', await page.evaluate(() => navigator.clipboard.readText()), entry.out.toString('utf8'));
    } else {
      same(row.label + ': index refusal', await c.locator('.entry-json').textContent(), entry.err.trim());
    }
  }
  if (row.shot) await c.screenshot({ path: path.join(shots, row.shot) });
  return index;
}

// The key field verifies every loaded file: the card then shows verify's
// report, and the signature's verdict, key and message as verify prints them.
async function verifyRows(page, rows) {
  const signed = rows.find((r) => r.signed);
  const keys = [
    ['--ca-key', caKey, 'the CA key', signed.file],
    ['--ca-key', '02' + '11'.repeat(21), 'another CA key', signed.file],
    ['--public-key', '0200', 'a malformed key', signed.file],
    ['--ca-key', caKey, 'the CA key on an unsigned file', path.join(cases, 'shapes/plain.ota')],
  ];
  for (const [kind, key, label, file] of keys) {
    const name = path.basename(file);
    const dir = path.dirname(file);
    await page.selectOption('#key-kind', kind);
    await page.fill('#key', key);
    await page.click('#verify');
    const c = card(page, name);
    await c.locator('.signature:not([hidden])').waitFor();
    const got = await c.evaluate((node) => ({
      exit: Number(node.dataset.verifyExit),
      rows: Object.fromEntries([...node.querySelectorAll('.signature-fields tr')].map((r) => [r.cells[0].textContent, r.cells[1].textContent])),
    }));
    const state = await cardState(page, name);
    const json = native(['verify', '--json', kind, key, '--', name], dir);
    const cli = native(['verify', kind, key, '--', name], dir);
    const lines = cli.out.toString('utf8').split('\n');
    const line = (prefix) => (lines.find((l) => l.startsWith(prefix)) || '').slice(prefix.length) || undefined;
    same('verify with ' + label + ': exit code', got.exit, cli.code);
    same('verify with ' + label + ': signature verdict', got.rows.Signature, line('Signature: '));
    same('verify with ' + label + ': public key', got.rows["Signer's public key (from the certificate)"] || got.rows['Public key'], line('Public key: '));
    same('verify with ' + label + ': message', got.rows.Message, cli.err.trim() || undefined);
    if (json.code !== 2) {
      same('verify with ' + label + ': JSON equals verify --json', state.json, json.out);
      same('verify with ' + label + ': text report equals verify', state.text, cli.out);
      check('verify with ' + label + ': verdict', state.verdict.startsWith(verdictFor(json.code)), state.verdict);
    }
    if (label === 'the CA key') {
      same('verify: signer shown', got.rows.Signer, line('Signer: '));
      check('verify: the certificate\'s subject shown', /^[0-9A-F]{16}$/.test(got.rows['Certificate subject'] || ''), got.rows['Certificate subject']);
      await c.screenshot({ path: path.join(shots, '07-verified.png') });
    }
  }
}

async function indexRows(context, origin) {
  const page = await open(context, origin + '/index.html');
  const dir = path.join(cases, 'index');
  const files = ['plain.ota', 'signed-container.ota', 'integrity-code.ota'].map((n) => path.join(dir, n));
  await pick(page, [path.join(dir, 'index.json')].concat(files));
  const c = card(page, 'index.json');
  const lint = native(['lint', '--json', '--files', '.', '--', 'index.json'], dir);
  same('lint: exit code', Number(await c.getAttribute('data-exit')), lint.code);
  const findings = lint.out.toString('utf8').split('\n').filter(Boolean).map((l) => JSON.parse(l))
    .map((f) => 'entry ' + f.entry + (f.url ? ' (' + f.url + ')' : '') + ': ' + f.message);
  same('lint: findings', (await c.locator('.findings li').allTextContents()).join('\n'), findings.join('\n'));
  check('lint: some findings to show', findings.length >= 2, String(findings.length));

  const form = c.locator('form.match');
  const device = { manufacturer: '1234', 'image-type': '5678', 'file-version': '01000000', 'hardware-version': '', 'model-id': '', 'manufacturer-name': '' };
  for (const [field, value] of Object.entries(device)) await form.locator(`[name="${field}"]`).fill(value);
  await form.locator('button').click();
  await c.locator('.match-result:not([hidden])').waitFor();
  const match = native(['match', '--manufacturer', '1234', '--image-type', '5678', '--file-version', '01000000', '--', 'index.json'], dir);
  const shown = await c.locator('.match-result p:not(.command):not(.error)').allTextContents();
  same('match: lines', shown.join('\n'), match.out.toString('utf8').split('\n').filter(Boolean).map((l) => l.trim()).join('\n'));
  same('match: exit code', Number(await c.locator('.match-result').getAttribute('data-exit')), match.code);
  await c.screenshot({ path: path.join(shots, '08-index.png') });

  // An index that is no index: the command's message.
  await pick(page, [path.join(cases, 'index/broken.json')]);
  const broken = native(['lint', '--json', '--files', '.', '--', 'broken.json'], dir);
  same('lint of a broken index: message', (await card(page, 'broken.json').locator('.error').textContent()), broken.err.trim());
}

async function runTests(origin) {
  const browser = await launch();
  try {
    const page = await open(browser.context, origin + '/index.html');
    same('version', await page.textContent('#version'), native(['version']).out.toString('utf8').trim() + ', WebAssembly build');
    await page.screenshot({ path: path.join(shots, '01-start.png') });
    const rows = table();
    const shot = (label, file) => { rows.find((r) => r.label === label).shot = file; };
    shot('plain', '02-plain.png');
    shot('wrapped: signed container', '03-wrapped.png');
    shot('damaged: truncated', '04-damaged.png');
    shot('not an OTA file', '05-not-ota.png');
    shot('empty file', '06-empty.png');
    for (const row of rows) await fileRow(page, row);
    await verifyRows(page, rows);
    await page.evaluate(() => { document.activeElement.blur(); window.scrollTo(0, 0); });
    await page.screenshot({ path: path.join(shots, '09-many.png') });
    await indexRows(browser.context, origin);
    check('no request beyond the page\'s own files', page.requested.every((u) => u.startsWith(origin + '/') || /^(blob|data):/.test(u)),
      page.requested.filter((u) => !u.startsWith(origin + '/')).join(' '));

    // The overview docs/web-screenshot.png is taken from.
    const overview = await open(browser.context, origin + '/index.html', { width: 960, height: 1000 });
    await overview.fill('#key', caKey);
    await pick(overview, [path.join(cases, 'signed/100B-0042-00010203.zigbee')]);
    await overview.evaluate(() => { document.activeElement.blur(); window.scrollTo(0, 0); });
    await overview.screenshot({ path: path.join(shots, '11-overview.png') });

    // A phone.
    const phone = await open(browser.context, origin + '/index.html', { width: 390, height: 844 });
    await pick(phone, [path.join(cases, 'shapes/signed-container.ota')]);
    await phone.screenshot({ path: path.join(shots, '10-phone.png'), fullPage: true });
    const overflow = await phone.evaluate(() => document.documentElement.scrollWidth - window.innerWidth);
    check('phone: no sideways scrolling', overflow <= 0, String(overflow));

    // Opened from disk.
    const local = await open(browser.context, 'file://' + path.resolve(options.web, 'index.html'));
    const plain = path.join(cases, 'shapes/plain.ota');
    await pick(local, [plain]);
    same('file://: JSON equals info --json', (await cardState(local, 'plain.ota')).json, native(['info', '--json', '--', 'plain.ota'], path.dirname(plain)).out);
    check('file://: no request beyond the page\'s own files', local.requested.every((u) => u.startsWith('file://') || /^(blob|data):/.test(u)), local.requested.join(' '));
  } finally {
    await browser.close();
  }
}

// ---- Benchmark ---------------------------------------------------------------

const median = (values) => values.slice().sort((a, b) => a - b)[values.length >> 1];

async function runBench(origin) {
  const web = path.resolve(options.web);
  const size = (name) => fs.statSync(path.join(web, name)).size;
  const gzipped = (name) => zlib.gzipSync(fs.readFileSync(path.join(web, name)), { level: 9 }).length;
  console.log('otawrap.wasm: ' + size('otawrap.wasm') + ' bytes, ' + gzipped('otawrap.wasm') + ' gzipped (budget 300 KB, 130 KB gzipped)');
  const page = ['index.html', 'app.js', 'style.css', 'otawrap.js'];
  console.log('page without the wasm: ' + page.map(size).reduce((a, b) => a + b) + ' bytes, ' + page.map(gzipped).reduce((a, b) => a + b) + ' gzipped');

  const browser = await launch();
  try {
    const timed = async (file, runs) => {
      const results = [];
      for (let i = 0; i < runs; i++) {
        const started = Date.now();
        const p = await open(browser.context, origin + '/index.html');
        const ready = Date.now() - started;
        const picked = Date.now();
        await pick(p, [file]);
        const shown = Date.now() - picked;
        const state = await cardState(p, path.basename(file));
        results.push({ ready, shown, inPage: Number(await p.evaluate(() => document.body.dataset.lastRunMs)), state });
        await p.close();
      }
      return results;
    };
    const report = (label, results) => {
      console.log(label + ': page ready ' + median(results.map((r) => r.ready)) + ' ms; first result ' +
        median(results.map((r) => r.shown)) + ' ms from the pick (' + median(results.map((r) => r.inPage)) +
        ' ms inside the page; max ' + Math.max(...results.map((r) => r.shown)) + ' ms), verdict: ' + results[0].state.verdict +
        (results[0].state.error ? ' / ' + results[0].state.error : ''));
    };
    report('1 MiB file with an integrity code, median of 5', await timed(path.join(cases, 'bench/1mib.zigbee'), 5));
    report('64 MiB file (the limit), 1 run', await timed(path.join(cases, 'bench/64mib.zigbee'), 1));
    report('64 MiB + 1 byte, 1 run', await timed(path.join(cases, 'bench/64mib-plus-1.zigbee'), 1));
    const realworld = options.realworld && path.join(options.realworld, 'files');
    if (realworld && fs.existsSync(realworld)) {
      const files = fs.readdirSync(realworld).map((f) => path.join(realworld, f));
      const p = await open(browser.context, origin + '/index.html');
      await pick(p, files);
      const inPage = await p.evaluate(() => document.body.dataset.lastRunMs);
      const bytes = files.reduce((sum, f) => sum + fs.statSync(f).size, 0);
      console.log('the ' + files.length + ' real-world files (' + bytes + ' bytes) picked at once: ' + inPage + ' ms inside the page');
      await p.close();
    }
  } finally {
    await browser.close();
  }
}

(async () => {
  fs.mkdirSync(shots, { recursive: true });
  const server = await serve(path.resolve(options.web));
  const origin = 'http://127.0.0.1:' + server.address().port;
  try {
    if (options.bench) await runBench(origin);
    else await runTests(origin);
  } catch (error) {
    check('the run completes', false, error && error.stack ? error.stack : String(error));
  } finally {
    server.close();
  }
  if (!options.bench) {
    console.log('web: screenshots in ' + shots);
    console.log(passed + ' passed, ' + failures.length + ' failed');
  }
  process.exit(failures.length ? 1 : 0);
})();
