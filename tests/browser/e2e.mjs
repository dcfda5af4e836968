// The generated test as a pupil takes it, in headless Chromium: page sets
// written by make_pageset (the program's own page builders) are served over
// HTTP on 127.0.0.1, the pupil pages through the questions, marks answers and
// presses the finish button, and the result page's marks and totals are read.
//
// Run by CTest as tst_browser_pages, with MAKE_PAGESET set to the generator
// and BROWSER_TEST_OUT to the folder for screenshots of failed scenarios.
import { describe, test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const HERE = path.dirname(fileURLToPath(import.meta.url));
const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';
const MAKE_PAGESET = process.env.MAKE_PAGESET;
const OUT = process.env.BROWSER_TEST_OUT || os.tmpdir();
const QUESTION_FILE = path.join(HERE, '../data/questions/chromium.mht');
const HINT = 'run the README\'s test command (bash scripts/test.sh), which installs chromium and the npm packages of tests/browser';

// ---- What the test needs: fail, never skip, when something is missing ----

if (!MAKE_PAGESET || !fs.existsSync(MAKE_PAGESET))
  throw new Error(`MAKE_PAGESET does not name the built make_pageset (${MAKE_PAGESET}); run the test through ctest`);
if (!fs.existsSync(CHROMIUM))
  throw new Error(`${CHROMIUM} is missing: ${HINT}`);
let chromium;
try {
  ({ chromium } = await import('playwright-core'));
} catch (e) {
  throw new Error(`playwright-core is not installed in tests/browser/node_modules: ${HINT}\n(${e.message})`);
}

// ---- The folder of page sets, served on a free loopback port ----

const root = fs.mkdtempSync(path.join(os.tmpdir(), 'dorvana-pages-'));

// The pages carry no character set: a Turkish system reads them in its code
// page, Windows-1254. The data file is read by XML's own rules (UTF-8).
const TYPES = {
  '.htm': 'text/html; charset=windows-1254',
  // Question files are real MHTML, saved by Chromium (tests/data/questions),
  // served with their own type as a web server would: no current browser shows
  // them inside a frame, so the question frame's content is not checked.
  '.mht': 'multipart/related',
  '.xml': 'application/xml',
  '.gif': 'image/png', // make_pageset writes PNG images under the names the page uses
};

const server = http.createServer((req, res) => {
  let file;
  try {
    file = path.resolve(root, '.' + decodeURIComponent(new URL(req.url, 'http://x').pathname));
  } catch {
    res.writeHead(400).end();
    return;
  }
  if (!file.startsWith(root + path.sep) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
    res.writeHead(404).end('not found');
    return;
  }
  const type = TYPES[path.extname(file).toLowerCase()] || 'application/octet-stream';
  res.writeHead(200, { 'Content-Type': type, 'Cache-Control': 'no-store' });
  res.end(fs.readFileSync(file));
});

let browser;
let baseUrl;

before(async () => {
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  baseUrl = `http://127.0.0.1:${server.address().port}`;
  browser = await chromium.launch({
    executablePath: CHROMIUM,
    headless: true, // with a fresh profile folder of playwright's own
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
});

after(async () => {
  await browser?.close();
  await new Promise((resolve) => server.close(resolve));
  fs.rmSync(root, { recursive: true, force: true });
});

// ---- The pupil ----

const LETTERS = 'ABCDE';

// Writes a page set into its own folder and opens its frameset page.
async function openTest(name, { stem, questions, options, keys, testName }) {
  const folder = path.join(root, name);
  fs.mkdirSync(folder);
  const args = [folder, stem, String(questions), String(options), keys];
  if (testName !== undefined) args.push(testName);
  execFileSync(MAKE_PAGESET, args, {
    stdio: ['ignore', 'inherit', 'inherit'],
    env: { ...process.env, QUESTION_FILE: QUESTION_FILE },
  });

  const context = await browser.newContext({ viewport: { width: 1280, height: 900 } });
  await context.addInitScript({ path: path.join(HERE, 'compat.js') });
  const page = await context.newPage();
  const problems = [];
  page.on('pageerror', (e) => problems.push(`script error: ${e.message}`));
  page.on('dialog', (d) => { problems.push(`${d.type()}: ${d.message()}`); d.dismiss(); });
  page.on('console', (m) => {
    if (m.type() === 'error' && m.text().startsWith('compat:')) problems.push(`console: ${m.text()}`);
  });
  page.on('response', (r) => {
    if (r.status() >= 400 && !r.url().endsWith('/favicon.ico')) problems.push(`HTTP ${r.status()}: ${r.url()}`);
  });

  await page.goto(`${baseUrl}/${name}/${encodeURIComponent(stem)}ind.htm`);
  const sol = page.frame({ name: 'sol' });
  const sag = page.frame({ name: 'sag' });
  await sol.waitForLoadState('load');
  await sag.waitForLoadState('load');
  return { name, page, context, sol, sag, problems };
}

// The counter and the question the inline frame shows.
async function shownQuestion(t) {
  return t.sol.evaluate(() => {
    const frame = document.querySelector('iframe');
    return { counter: document.bilgi.kac.value, src: frame.getAttribute('src') || '' };
  });
}

// Clicks a navigation image and waits until the inline frame is pointed at
// question `expected` (its src names it). What the frame then shows is the
// browser's business: a real MHTML file inside a frame shows in none.
async function navigate(t, image, expected, stem) {
  await t.sol.click(`img[src="${image}.gif"]`);
  await t.sol.waitForFunction(
    (src) => document.querySelector('iframe').getAttribute('src') === src,
    `${stem}s${expected}.mht`, { timeout: 15000 });
  return shownQuestion(t);
}

// Marks answers on the answer sheet: [question, letter] pairs, clicked in the
// order given.
async function mark(t, answers) {
  for (const [question, letter] of answers)
    await t.sag.locator(`input[name="s${question}"]`).nth(LETTERS.indexOf(letter)).click();
}

// Presses the finish button and reads what the result page shows.
async function finish(t) {
  await t.sag.click('button');
  await t.sag.waitForURL(/son\.htm$/);
  await t.sag.waitForLoadState('load');
  return readResult(t);
}

async function readResult(t) {
  return t.sag.evaluate(() => {
    const f = document.bilgi;
    const rows = [];
    for (let n = 1; f && f['no' + n]; n++)
      rows.push({ no: f['no' + n].value, cev: f['cev' + n].value, dog: f['dog' + n].value, dur: f['dur' + n].value });
    return {
      page: location.pathname,
      sent: parent.sol.document.bilgi.gonder.value,
      tableRows: document.querySelectorAll('table[border] tr').length - 1,
      totals: f ? { dogru: f.dogrum.value, yanlis: f.yanlism.value, bos: f.bosm.value, net: f.netm.value } : null,
      rows,
    };
  });
}

// The result page as text: the totals, then one "number answer key mark"
// entry per question, ten to a line.
function describeResult(seen) {
  if (typeof seen === 'string') return seen;
  const lines = [`page ${seen.page}, answer string sent "${seen.sent}"`,
    seen.totals ? `correct ${seen.totals.dogru}, wrong ${seen.totals.yanlis}, blank ${seen.totals.bos}, net ${seen.totals.net}`
      : 'no totals (no form "bilgi")'];
  for (let i = 0; i < seen.rows.length; i += 10) {
    lines.push(seen.rows.slice(i, i + 10)
      .map((r) => `${r.no} ${r.cev || '-'} ${r.dog || '-'} ${r.dur || ' '}`).join(' | '));
  }
  return lines.join('\n');
}

// Runs a scenario; when it fails, prints what the pupil saw and keeps a
// screenshot of the right frame (the result page once it is open).
async function scenario(name, options, body) {
  const t = await openTest(name, options);
  try {
    await body(t);
    const expected = options.tolerate ?? [];
    assert.deepEqual(t.problems.filter((p) => !expected.some((re) => re.test(p))), [],
      'no script error, alert or failed load');
  } catch (e) {
    let seen;
    try { seen = await readResult(t); } catch (inner) { seen = `(could not read the page: ${inner.message})`; }
    const shot = path.join(OUT, `browser-${name}.png`);
    try {
      await (await t.sag.frameElement()).screenshot({ path: shot });
      console.error(`screenshot: ${shot}`);
    } catch (inner) { console.error(`no screenshot: ${inner.message}`); }
    console.error(`scenario ${name}: what the pupil saw:\n${describeResult(seen)}`);
    if (t.problems.length) console.error(`problems: ${t.problems.join('\n')}`);
    throw e;
  } finally {
    await t.context.close();
  }
}

// Compares the result page with the expected marks ("" right, "Y" wrong,
// "B" blank) and totals; the net as a number, however many decimals it shows.
function checkResult(result, { answers, keys, marks, dogru, yanlis, bos, net }) {
  assert.equal(result.rows.length, keys.length, 'one result row per question');
  assert.equal(result.tableRows, keys.length, 'no other row in the result table');
  assert.deepEqual(result.rows.map((r) => r.no), keys.split('').map((_, i) => String(i + 1)));
  assert.deepEqual(result.rows.map((r) => r.cev).join(''), answers, 'answers shown');
  assert.deepEqual(result.rows.map((r) => r.dog).join(''), keys.toUpperCase(), 'keys shown, upper case');
  assert.deepEqual(result.rows.map((r) => r.dur), marks, 'marks');
  assert.deepEqual([result.totals.dogru, result.totals.yanlis, result.totals.bos].map(Number),
    [dogru, yanlis, bos], 'correct, wrong, blank');
  assert.ok(result.totals.net !== '' && Math.abs(Number(result.totals.net) - net) < 1e-9,
    `net ${result.totals.net}, expected ${net}`);
}

// ---- Scenarios ----

// Each scenario has its own browser context; three run at a time.
describe('the pupil takes the test', { concurrency: 3 }, () => {

test('four questions: a change of mind, a blank and a wrong letter', async () => {
  const stem = 'test01';
  await scenario('four', { stem, questions: 4, options: 5, keys: 'ABDD' }, async (t) => {
    // Five options: the header and every row hold A to E.
    assert.equal(await t.sag.locator('tr').first().locator('td').count(), 6);
    assert.equal(await t.sag.locator('input[name="s4"]').count(), 5);

    assert.deepEqual(await shownQuestion(t), { counter: '1', src: `${stem}s1.mht` });
    assert.equal((await navigate(t, 'ileri', 2, stem)).counter, '2/4');
    // Question 1 first marked C, then A: the later letter counts.
    await mark(t, [[1, 'C'], [2, 'B'], [4, 'E'], [1, 'A']]);
    assert.equal((await navigate(t, 'son', 4, stem)).counter, '4/4');

    const result = await finish(t);
    assert.equal(result.sent, 'AB.E');
    checkResult(result, {
      answers: 'AB.E', keys: 'ABDD', marks: ['', '', 'B', 'Y'], dogru: 2, yanlis: 1, bos: 1, net: 2 - 1 / 3,
    });
    // The question page is still there beside the result.
    assert.equal((await shownQuestion(t)).counter, '4/4');
  });
});

test('ten questions: paging at both ends, two wrong and one blank', async () => {
  // A Turkish stem with "&": the data file carries it escaped, in UTF-8.
  const stem = 'sınav&1';
  await scenario('ten', { stem, questions: 10, options: 5, keys: 'ABCDEABCDE', testName: 'Türkçe <b>deneme</b>' },
    async (t) => {
      // The pages are read in the Turkish code page: the test name (its markup
      // taking effect), the heading and the explanation show their letters.
      assert.match(await t.sol.locator('body').innerText(), /^Türkçe deneme\n[\s\S]*Açıklama/);
      assert.equal(await t.sol.locator('textarea').inputValue(),
        'Her soru için bir şık işaretleyiniz.\n\nÜç yanlış bir doğruyu götürür.\n');
      const steps = [
        ['ileri', 2, '2/10'], ['ileri', 3, '3/10'], ['son', 10, '10/10'], ['ileri', 10, '10/10'],
        ['geri', 9, '9/10'], ['ilk', 1, '1/10'], ['geri', 1, '1/10'], ['ileri', 2, '2/10'],
      ];
      for (const [image, question, counter] of steps) {
        const shown = await navigate(t, image, question, stem);
        assert.equal(shown.counter, counter, `after ${image}`);
      }
      // 7 right, question 3 and 8 wrong, question 6 blank.
      await mark(t, [[1, 'A'], [2, 'B'], [3, 'A'], [4, 'D'], [5, 'E'], [7, 'B'], [8, 'E'], [9, 'D'], [10, 'E']]);
      const result = await finish(t);
      checkResult(result, {
        answers: 'ABADE.BEDE', keys: 'ABCDEABCDE',
        marks: ['', '', 'Y', '', '', 'B', '', 'Y', '', ''],
        dogru: 7, yanlis: 2, bos: 1, net: 10 - 2 - 1 - 2 / 3,
      });
    });
});

test('keys stored in lower case match the marked letters', async () => {
  await scenario('lower', { stem: 'kucuk', questions: 4, options: 4, keys: 'abcD' }, async (t) => {
    assert.equal(await t.sag.locator('input[name="s1"]').count(), 4);
    await mark(t, [[1, 'A'], [2, 'B'], [3, 'D'], [4, 'D']]);
    checkResult(await finish(t), {
      answers: 'ABDD', keys: 'abcD', marks: ['', '', 'Y', ''], dogru: 3, yanlis: 1, bos: 0, net: 3 - 1 / 3,
    });
  });
});

test('two options: columns A and B only', async () => {
  await scenario('two', { stem: 'iki', questions: 3, options: 2, keys: 'BAB' }, async (t) => {
    assert.deepEqual(await t.sag.locator('tr').first().locator('td').allTextContents(), ['', 'A', 'B']);
    for (let n = 1; n <= 3; n++) assert.equal(await t.sag.locator(`input[name="s${n}"]`).count(), 2);
    await mark(t, [[1, 'B'], [2, 'B']]);
    checkResult(await finish(t), {
      answers: 'BB.', keys: 'BAB', marks: ['', 'Y', 'B'], dogru: 1, yanlis: 1, bos: 1, net: 1 - 1 / 3,
    });
  });
});

test('zero questions: the finish button still opens the result page', async () => {
  // The result page's script takes the count from the first record of the
  // data file; with no record it stops there, and the totals stay empty.
  const tolerate = [/^script error: .*getElementsByTagName/];
  await scenario('zero', { stem: 'bos', questions: 0, options: 5, keys: '', tolerate }, async (t) => {
    assert.equal(await t.sag.locator('input[type="radio"]').count(), 0);
    assert.equal(await t.sag.locator('tr').count(), 1, 'header row alone');
    const result = await finish(t);
    assert.equal(result.sent, '');
    assert.equal(result.tableRows, 0);
    assert.deepEqual(result.rows, []);
    for (const total of Object.values(result.totals)) assert.ok(['', '0'].includes(total), `total ${total}`);
  });
});

// 120 questions as a teacher's long test; 160 also passes the 150 characters
// that the result page once cut the answers at.
for (const questions of [120, 160]) {
test(`${questions} questions: answers from question 100 on are scored`, async () => {
  const keys = Array.from({ length: questions }, (_, i) => LETTERS[(i * 7 + 3) % 4]).join('');
  await scenario(`long-${questions}`, { stem: 'uzun', questions, options: 4, keys }, async (t) => {
    // Questions 12 and 16 right (12 and 16 are what the names s120 and s160 read
    // as when only two digits are taken), 99 wrong, 100 to the last right.
    const answered = new Map([[12, keys[11]], [16, keys[15]], [99, keys[98] === 'A' ? 'B' : 'A']]);
    for (let n = 100; n <= questions; n++) answered.set(n, keys[n - 1]);
    await mark(t, [...answered]);
    await navigate(t, 'son', questions, 'uzun');

    const answers = keys.split('').map((_, i) => answered.get(i + 1) ?? '.').join('');
    const marks = answers.split('').map((a, i) => (a === '.' ? 'B' : a === keys[i] ? '' : 'Y'));
    const result = await finish(t);
    assert.equal(result.sent, answers);
    const right = answered.size - 1;
    const blank = questions - answered.size;
    checkResult(result, { answers, keys, marks, dogru: right, yanlis: 1, bos: blank, net: right - 1 / 3 });
  });
});
}
});
