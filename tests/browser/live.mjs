// The live exam in real browsers: dorvana-live serves a two-booklet test with
// two sections on 127.0.0.1 (its database made by live_db); three pupils in
// Chromium (each its own device) and one in Firefox ESR join, answer, finish
// and see the program's totals; after the teacher ends the exam every page
// lists the correct answers and a late join is refused; the stored results
// hold the same nets. Run by CTest as tst_browser_live.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import readline from 'node:readline';
import { chromium } from 'playwright-core';
import puppeteer from 'puppeteer-core';

const KEYS = 'ABCDEABCDE';
const SECTIONS = [{ name: 'Türkçe', first: 1, last: 6 }, { name: 'Fen', first: 7, last: 10 }];
// Answers by the teacher's question number; booklets go out A, B, A, B.
const PUPILS = [
  { name: 'Ayşe Yılmaz', answers: 'ABCDEABCDE', booklet: 'A', browser: 'chromium' },
  { name: 'Mehmet Öz', answers: 'AB-A-EEEEE', booklet: 'B', browser: 'chromium' },
  { name: 'Çağrı Işık', answers: 'BBBBBBBBBB', booklet: 'A', browser: 'chromium' },
  { name: 'Şule Ün', answers: 'ABC-------', booklet: 'B', browser: 'firefox' },
];
const netText = (net) => (Math.round(net * 100) / 100).toFixed(2).replace('-0.00', '0.00').replace('.', ',');
function score(keys, answers) {
  const right = [...keys].filter((k, i) => answers[i] === k).length;
  const blank = [...answers].filter((c) => c === '-').length;
  const wrong = keys.length - right - blank;
  return { right, wrong, blank, net: right - wrong / 3 };
}

const root = fs.mkdtempSync(path.join(os.tmpdir(), 'dorvana-live-'));
const database = path.join(root, 'dorvana.MDB');
const lines = [];
let server, address, chromiumBrowser, firefoxBrowser;

// The first line of dorvana-live's output matching `pattern`.
async function serverLine(pattern) {
  for (let waited = 0; waited < 30000; waited += 100) {
    const found = lines.find((l) => pattern.test(l));
    if (found) return found;
    await new Promise((r) => setTimeout(r, 100));
  }
  throw new Error(`no line ${pattern} in:\n${lines.join('\n')}`);
}
async function stopServer() {
  if (!server || server.exitCode !== null || server.signalCode !== null) return;
  const exited = new Promise((resolve) => server.once('exit', resolve));
  server.kill('SIGTERM');
  await exited;
}

before(async () => {
  execFileSync(process.env.LIVE_DB, ['new', database, 'Canlı deneme', 'cd', KEYS, '2',
    ...SECTIONS.map((s) => `${s.name}:${s.first}:${s.last}`)]);
  server = spawn(process.env.DORVANA_LIVE, ['--db', database, '--folder', root, '--stem', 'cd',
    '--name', 'Canlı deneme', '--count', '10', '--listen', '127.0.0.1:0'], { stdio: ['pipe', 'pipe', 'inherit'] });
  readline.createInterface({ input: server.stdout }).on('line', (l) => lines.push(l));
  address = await serverLine(/^http:\/\/127\.0\.0\.1:\d+\/[0-9a-f]{32}\/$/);
  chromiumBrowser = await chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking'] });
  firefoxBrowser = await puppeteer.launch({ browser: 'firefox', headless: true,
    executablePath: process.env.FIREFOX || '/usr/bin/firefox-esr' });
});
after(async () => {
  await chromiumBrowser?.close();
  await firefoxBrowser?.close();
  await stopServer();
  fs.rmSync(root, { recursive: true, force: true });
});

// A pupil's device: a page with storage of its own, in either driver.
async function device(browser) {
  const page = browser === 'chromium' ? await (await chromiumBrowser.newContext()).newPage()
    : await firefoxBrowser.newPage();
  const problems = [];
  page.on('pageerror', (e) => problems.push(`script error: ${e.message}`));
  page.on('dialog', (d) => { problems.push(`dialog: ${d.message()}`); d.dismiss(); });
  return {
    page, problems,
    until: (fn) => (browser === 'chromium' ? page.waitForFunction(fn, undefined, { timeout: 30000 })
      : page.waitForFunction(fn, { timeout: 30000 })),
    click: (sel) => page.$eval(sel, (e) => e.click()),
    texts: (sel) => page.$$eval(sel, (es) => es.map((e) => e.textContent)),
  };
}
const inExam = () => !document.getElementById('soru-gorunum').hidden;

test('four pupils in two browsers, scored by the program, the key after the end', async () => {
  assert.match(await (await fetch(address)).text(), /"anahtar":"",.*"canli":true/);
  const pupils = [];
  for (const p of PUPILS) { // one at a time: the booklets go out in turn
    const d = await device(p.browser);
    await d.page.goto(address);
    await d.page.type('#ad', p.name);
    await d.click('#basla');
    await d.until(inExam);
    const veri = await d.page.$eval('#dv-veri', (e) => JSON.parse(e.textContent));
    assert.equal(veri.kitapcik || 'A', p.booklet, p.name);
    assert.equal(await d.page.evaluate(() => location.pathname.endsWith('/B')), p.booklet === 'B');
    pupils.push({ ...p, d, order: veri.sira || [...KEYS].map((_, i) => i + 1) });
  }

  for (const p of pupils)
    for (let place = 1; place <= KEYS.length; place++) {
      const letter = p.answers[p.order[place - 1] - 1];
      if (letter !== '-') await p.d.click(`input[name=s${place}][value=${letter}]`);
      if (p === pupils[0] && place === 5) { // a reload keeps the answers and goes on
        await p.d.page.reload();
        await p.d.until(inExam);
        assert.equal(await p.d.page.$eval('input[name=s5][value=E]', (e) => e.checked), true);
      }
    }

  for (const p of pupils) {
    await p.d.click('#bitir');
    await p.d.click('#evet');
    await p.d.until(() => document.getElementById('t-net').textContent !== '…');
    const whole = score(KEYS, p.answers);
    p.net = netText(whole.net);
    p.sections = SECTIONS.map((s) => netText(score(KEYS.slice(s.first - 1, s.last), p.answers.slice(s.first - 1, s.last)).net));
    assert.deepEqual(await p.d.texts('#toplamlar td'), [whole.right, whole.wrong, whole.blank].map(String).concat(p.net), p.name);
    assert.deepEqual(await p.d.texts('#bolum-satirlar td:last-child'), p.sections, p.name);
    // No correct answers while the exam is open, no result file or code.
    assert.deepEqual(await p.d.texts('#sonuc-tablosu thead th'), ['Soru', 'Cevabınız']);
    assert.deepEqual(await p.d.page.$$eval('#kaydet, #kod-goster, #yeniden', (es) => es.map((e) => e.offsetParent)),
      [null, null, null]);
    await serverLine(new RegExp(`^Bitirdi: ${p.name}\tkitapçık ${p.booklet}\tnet ${p.net}$`));
  }

  // The teacher ends the exam: each page learns the key by itself.
  server.stdin.write('bitir\n');
  await serverLine(/^Sınav bitti\.$/);
  for (const p of pupils) {
    await p.d.until(() => document.querySelectorAll('#sonuc-tablosu thead th').length === 4);
    assert.equal((await p.d.texts('#sonuc-satirlar td:nth-child(3)')).join(''),
      p.order.map((n) => KEYS[n - 1]).join(''), p.name);
    assert.deepEqual(p.d.problems, [], p.name);
  }
  const late = await device('chromium');
  await late.page.goto(address);
  await late.page.type('#ad', 'Geç Kalan');
  await late.click('#basla');
  await late.until(() => document.getElementById('canli-mesaj')?.textContent);
  assert.deepEqual(await late.texts('#canli-mesaj'), ['Sınav bitti; öğretmen sınavı kapattı.']);

  // The stored results, read once the program has let the database go.
  await stopServer();
  const stored = execFileSync(process.env.LIVE_DB, ['results', database], { encoding: 'utf8' })
    .trim().split('\n').map((l) => JSON.parse(l));
  assert.deepEqual(stored.map((r) => [r.name, r.booklet, r.net, r.sections]).sort(),
    pupils.map((p) => [p.name, p.booklet, p.net, p.sections]).sort());
});
