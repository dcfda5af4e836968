// The live exam in real browsers: dorvana-live serves a two-booklet test with
// two sections on 127.0.0.1 (its database made by live_db with the program's
// own code); three pupils in Chromium (each its own device) and one in Firefox
// ESR join by the address, answer, finish and see the totals the program
// scored; the stored results hold the same nets; after the teacher ends the
// exam every page lists the correct answers and a late join is refused.
//
// Run by CTest as tst_browser_live, with LIVE_DB and DORVANA_LIVE set.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import readline from 'node:readline';

const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';
const FIREFOX = process.env.FIREFOX || '/usr/bin/firefox-esr';
const HINT = 'run the README\'s test command (bash scripts/test.sh), which installs the browsers and the npm packages of tests/browser';
for (const name of ['LIVE_DB', 'DORVANA_LIVE'])
  if (!process.env[name] || !fs.existsSync(process.env[name])) throw new Error(`${name} does not name the built tool; run the test through ctest`);
for (const exe of [CHROMIUM, FIREFOX])
  if (!fs.existsSync(exe)) throw new Error(`${exe} is missing: ${HINT}`);
let chromium, puppeteer;
try {
  ({ chromium } = await import('playwright-core'));
  puppeteer = (await import('puppeteer-core')).default;
} catch (e) {
  throw new Error(`the npm packages of tests/browser are not installed: ${HINT}\n(${e.message})`);
}

const KEYS = 'ABCDEABCDE';
const SECTIONS = [{ name: 'Türkçe', first: 1, last: 6 }, { name: 'Fen', first: 7, last: 10 }];
// Answers by the teacher's question number ('-' blank); each page gives them
// at the places its booklet shows those questions. Booklets go A, B, A, B.
const PUPILS = [
  { name: 'Ayşe Yılmaz', answers: 'ABCDEABCDE', booklet: 'A', browser: 'chromium' },
  { name: 'Mehmet Öz', answers: 'AB-A-EEEEE', booklet: 'B', browser: 'chromium' },
  { name: 'Çağrı Işık', answers: 'BBBBBBBBBB', booklet: 'A', browser: 'chromium' },
  { name: 'Şule Ün', answers: 'ABC-------', booklet: 'B', browser: 'firefox' },
];

// The net rule's text as the page and the class table show it.
function netText(net) {
  const t = (Math.round(net * 100) / 100).toFixed(2);
  return (t === '-0.00' ? '0.00' : t).replace('.', ',');
}
function score(keys, answers) {
  let right = 0, wrong = 0, blank = 0;
  for (let i = 0; i < keys.length; i++)
    if (answers[i] === '-') blank++; else if (answers[i] === keys[i]) right++; else wrong++;
  return { right, wrong, blank, net: right - wrong / 3 };
}

const root = fs.mkdtempSync(path.join(os.tmpdir(), 'dorvana-live-'));
const database = path.join(root, 'dorvana.MDB');
let server, address, serverLines = [], chromiumBrowser, firefoxBrowser;

// Resolves with the first line of the server's output matching `pattern`.
function serverLine(pattern, ms = 30000) {
  return new Promise((resolve, reject) => {
    const found = serverLines.find((l) => pattern.test(l));
    if (found) return resolve(found);
    const timer = setTimeout(() => reject(new Error(`no line ${pattern}; got:\n${serverLines.join('\n')}`)), ms);
    server.lineWaiters.push((l) => {
      if (!pattern.test(l)) return false;
      clearTimeout(timer);
      resolve(l);
      return true;
    });
  });
}

before(async () => {
  execFileSync(process.env.LIVE_DB, ['new', database, 'Canlı deneme', 'cd', KEYS, '2',
    ...SECTIONS.map((s) => `${s.name}:${s.first}:${s.last}`)]);
  server = spawn(process.env.DORVANA_LIVE, ['--db', database, '--folder', root, '--stem', 'cd',
    '--name', 'Canlı deneme', '--count', String(KEYS.length), '--listen', '127.0.0.1:0'],
  { stdio: ['pipe', 'pipe', 'inherit'] });
  server.lineWaiters = [];
  readline.createInterface({ input: server.stdout }).on('line', (l) => {
    serverLines.push(l);
    server.lineWaiters = server.lineWaiters.filter((w) => !w(l));
  });
  address = await serverLine(/^http:\/\/127\.0\.0\.1:\d+\/[0-9a-f]{32}\/$/);
  chromiumBrowser = await chromium.launch({
    executablePath: CHROMIUM, headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
  });
  firefoxBrowser = await puppeteer.launch({ browser: 'firefox', executablePath: FIREFOX, headless: true });
});
after(async () => {
  await chromiumBrowser?.close();
  await firefoxBrowser?.close();
  await stopServer();
  fs.rmSync(root, { recursive: true, force: true });
});

async function stopServer() {
  if (server && server.exitCode === null) {
    const exited = new Promise((resolve) => server.once('exit', resolve));
    server.kill('SIGTERM');
    await exited;
  }
}

// A pupil's device: a page in a browser of its own storage, with what both
// drivers share.
async function device(browser) {
  const problems = [];
  let page;
  if (browser === 'chromium') {
    page = await (await chromiumBrowser.newContext()).newPage();
  } else {
    page = await firefoxBrowser.newPage();
    await page.setViewport({ width: 1280, height: 900 });
  }
  page.on('pageerror', (e) => problems.push(`script error: ${e.message}`));
  page.on('dialog', (d) => { problems.push(`dialog: ${d.message()}`); d.dismiss(); });
  const until = (fn) => (browser === 'chromium' ? page.waitForFunction(fn, undefined, { timeout: 30000 })
    : page.waitForFunction(fn, { timeout: 30000 }));
  return {
    page, problems, until,
    click: (sel) => page.$eval(sel, (e) => e.click()),
    text: (sel) => page.$eval(sel, (e) => e.textContent),
    texts: (sel) => page.$$eval(sel, (es) => es.map((e) => e.textContent)),
  };
}

test('four pupils in two browsers, scored by the program, the key after the end', async () => {
  const page = await (await fetch(address)).text();
  assert.match(page, /"anahtar":""/);
  assert.match(page, /"canli":true/);

  const pupils = [];
  for (const p of PUPILS) { // one at a time: the booklets go out in turn
    const d = await device(p.browser);
    await d.page.goto(address);
    await d.page.type('#ad', p.name);
    await d.click('#basla');
    await d.until(() => !document.getElementById('soru-gorunum').hidden);
    const veri = await d.page.$eval('#dv-veri', (e) => JSON.parse(e.textContent));
    assert.equal(veri.kitapcik || 'A', p.booklet, p.name);
    assert.equal(await d.page.evaluate(() => location.pathname.endsWith('/B')), p.booklet === 'B');
    pupils.push({ ...p, d, order: veri.sira || [...KEYS].map((_, i) => i + 1) });
  }

  for (const p of pupils) {
    for (let place = 1; place <= KEYS.length; place++) {
      const letter = p.answers[p.order[place - 1] - 1];
      if (letter !== '-')
        await p.d.click(`input[name=s${place}][value=${letter}]`);
      if (p.name === 'Ayşe Yılmaz' && place === 5) {
        // A reload in the middle keeps the answers and goes on sending.
        await p.d.page.reload();
        await p.d.until(() => !document.getElementById('soru-gorunum').hidden);
        assert.equal(await p.d.page.$eval('input[name=s5][value=E]', (e) => e.checked), true);
      }
    }
  }

  for (const p of pupils) {
    await p.d.click('#bitir');
    await p.d.click('#evet');
    await p.d.until(() => document.getElementById('t-net').textContent !== '…');
    assert.deepEqual(p.d.problems, [], p.name);
    const whole = score(KEYS, p.answers);
    p.net = netText(whole.net);
    p.sections = SECTIONS.map((s) => netText(score(KEYS.slice(s.first - 1, s.last), p.answers.slice(s.first - 1, s.last)).net));
    assert.deepEqual(await p.d.texts('#toplamlar td'), [whole.right, whole.wrong, whole.blank].map(String).concat(p.net), p.name);
    assert.deepEqual((await p.d.texts('#bolum-satirlar tr')).length, 2);
    assert.deepEqual(await p.d.texts('#bolum-satirlar td:last-child'), p.sections, p.name);
    // No correct answers while the exam is open: the page does not have them.
    assert.deepEqual(await p.d.texts('#sonuc-tablosu thead th'), ['Soru', 'Cevabınız']);
    // No result file or code: the program has the result.
    assert.deepEqual(await p.d.page.$$eval('#kaydet, #kod-goster, #yeniden', (es) => es.map((e) => e.offsetParent)),
      [null, null, null]);
  }

  for (const p of pupils)
    await serverLine(new RegExp(`^Bitirdi: ${p.name}\tkitapçık ${p.booklet}\tnet ${p.net}$`));

  // The teacher ends the exam: each page learns the key by itself.
  server.stdin.write('bitir\n');
  await serverLine(/^Sınav bitti\.$/);
  for (const p of pupils) {
    await p.d.until(() => document.querySelectorAll('#sonuc-tablosu thead th').length === 4);
    const rows = await p.d.page.$$eval('#sonuc-satirlar tr', (trs) => trs.map((tr) => [...tr.cells].map((c) => c.textContent)));
    assert.deepEqual(rows.map((r) => r[2]).join(''), p.order.map((n) => KEYS[n - 1]).join(''), p.name);
    assert.deepEqual(p.d.problems, [], p.name);
  }
  // A pupil who comes now is told why nothing more is taken.
  const late = await device('chromium');
  await late.page.goto(address);
  await late.page.type('#ad', 'Geç Kalan');
  await late.click('#basla');
  await late.until(() => document.getElementById('canli-mesaj')?.textContent);
  assert.equal(await late.text('#canli-mesaj'), 'Sınav bitti; öğretmen sınavı kapattı.');
  assert.equal(await late.page.$eval('#basla-gorunum', (e) => e.hidden), false);

  // The stored results, read with the program's own code once it has let the
  // database go, hold the same nets.
  await stopServer();
  const stored = execFileSync(process.env.LIVE_DB, ['results', database], { encoding: 'utf8' })
    .trim().split('\n').map((l) => JSON.parse(l));
  assert.deepEqual(stored.map((r) => [r.name, r.booklet, r.net, r.sections]).sort(),
    pupils.map((p) => [p.name, p.booklet, p.net, p.sections]).sort());
});
