// The single test page as a pupil takes it, opened from disk (file://) in
// today's browsers with no emulation layer: Chromium through playwright-core
// (a desktop and a phone-sized window) and Firefox ESR through WebDriver BiDi
// (puppeteer-core). Pages are written by make_singlepage with the program's
// own builders.
//
// Run by CTest as tst_browser_single, with MAKE_SINGLEPAGE set to the
// generator, READ_RESULTS to the program's result reader and BROWSER_TEST_OUT to the folder for screenshots of failures.
import { describe, test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { createHash } from 'node:crypto';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const HERE = path.dirname(fileURLToPath(import.meta.url));
const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';
const FIREFOX = process.env.FIREFOX || '/usr/bin/firefox-esr';
const MAKE_SINGLEPAGE = process.env.MAKE_SINGLEPAGE;
const READ_RESULTS = process.env.READ_RESULTS;
const OUT = process.env.BROWSER_TEST_OUT || os.tmpdir();
const HINT = 'run the README\'s test command (bash scripts/test.sh), which installs chromium, firefox-esr and the npm packages of tests/browser';

// ---- What the test needs: fail, never skip, when something is missing ----

for (const [name, tool] of [['MAKE_SINGLEPAGE', MAKE_SINGLEPAGE], ['READ_RESULTS', READ_RESULTS]])
  if (!tool || !fs.existsSync(tool))
    throw new Error(`${name} does not name the built tool (${tool}); run the test through ctest`);
for (const exe of [CHROMIUM, FIREFOX])
  if (!fs.existsSync(exe)) throw new Error(`${exe} is missing: ${HINT}`);
let chromium, puppeteer, AXE;
try {
  ({ chromium } = await import('playwright-core'));
  puppeteer = (await import('puppeteer-core')).default;
  AXE = fs.readFileSync(path.join(HERE, 'node_modules/axe-core/axe.min.js'), 'utf8');
} catch (e) {
  throw new Error(`the npm packages of tests/browser are not installed: ${HINT}\n(${e.message})`);
}

const root = fs.mkdtempSync(path.join(os.tmpdir(), 'dorvana-single-'));

// A page written by the program's builders; returns its file:// address and
// the test identity the builder embedded.
// An empty page beside the tests' pages: it shares their storage and runs nothing.
const STORAGE_PROBE = path.join(root, 'depo.html');
fs.writeFileSync(STORAGE_PROBE, '');

// setItem returns before the browser itself holds the value, and a reload straight
// after it may read the older one: reload once another page of the same browser
// reads what this one stored. Under heavy load headless Chromium has still, now
// and then, handed the reloaded document a storage without the progress: then
// the page is loaded again (twice at most). A page that has its progress in its
// storage and does not show it still fails the test.
const storedEntries = () => JSON.stringify(Object.entries(localStorage).sort());
async function reload(page) {
  const stored = await page.evaluate(storedEntries);
  const probe = await page.context().newPage();
  try {
    await probe.goto(pathToFileURL(STORAGE_PROBE).href);
    // Polled from here: a test's stopped clock holds the page's own timers.
    for (let i = 0; i < 100; i++) {
      if ((await probe.evaluate(storedEntries)) === stored) break;
      await new Promise((r) => setTimeout(r, 50));
    }
  } finally {
    await probe.close();
  }
  for (let attempt = 0; attempt < 3; attempt++) {
    await page.reload();
    if ((await page.evaluate(storedEntries)) === stored) return;
  }
  assert.fail(`the browser lost the page's storage on reload: ${stored}`);
}

function makePage(name, description) {
  const json = path.join(root, `${name}.json`);
  const html = path.join(root, `${name}.html`);
  fs.writeFileSync(json, JSON.stringify(description));
  const [identity, orders = ''] = execFileSync(MAKE_SINGLEPAGE, [json, html], { encoding: 'utf8' }).trim().split('\n');
  const booklet = (letter) => {
    const file = path.join(root, `${name}-${letter}.html`);
    return { url: pathToFileURL(file).href, file };
  };
  return {
    url: pathToFileURL(html).href, file: html, identity, json, booklet,
    orders: Object.fromEntries(orders.split(';').filter(Boolean).map((b) => [b[0], b.slice(2).split(',').map(Number)])),
  };
}

const TURKISH_NAME = 'Türkçe sınavı: ığüşöç İĞÜŞÖÇ';
const HOSTILE_NAME = '</script><script>alert(1)</script>';
const PROBE = '<!doctype html><html><head><meta charset="utf-8"></head><body><p>Birinci soru: ığüşöç</p>' +
  '<script>var r=[];' +
  'try{parent.document.title="ele geçti";r.push("belge")}catch(e){}' +
  'try{parent.localStorage.clear();r.push("depo")}catch(e){}' +
  'try{localStorage.setItem("x","y");r.push("kendi deposu")}catch(e){}' +
  'try{top.location="about:blank";r.push("yön")}catch(e){}' +
  'document.querySelector("p").insertAdjacentText("beforeend", r.length ? " ULAŞTI: "+r.join(",") : " engellendi");' +
  '</script></body></html>';

// A question that tries to send to `port` on the loopback address by fetch
// and by an image; says so when both have failed.
const BEACON = (port) => '<!doctype html><meta charset="utf-8"><p>Dördüncü soru</p><script>' +
  'var d=[];function yaz(s){d.push(s);if(d.length===2)document.querySelector("p").insertAdjacentText("beforeend"," ağ: "+d.sort().join(","))}' +
  `fetch("http://127.0.0.1:${port}/fetch").then(function(){yaz("fetch ulaştı")},function(){yaz("fetch engellendi")});` +
  'var i=new Image();i.onload=function(){yaz("resim ulaştı")};i.onerror=function(){yaz("resim engellendi")};' +
  `i.src="http://127.0.0.1:${port}/resim";</script>`;

// Four questions: HTML that tries to reach the page, a PNG, a missing one, HTML.
function fourQuestions(extra = {}) {
  return {
    testName: TURKISH_NAME, stem: 'deneme', keys: 'ABDD', options: 5, netRule: 3, minutes: 0,
    explanation: ['Her sorunun tek doğru cevabı vardır.', 'Yanlışlar doğruları götürür: <b>dikkat</b>'],
    questions: [
      { kind: 'html', html: PROBE },
      { kind: 'png', colour: '#33aa66' },
      { kind: 'missing' },
      { kind: 'html', html: '<!doctype html><meta charset="utf-8"><p>Dördüncü soru</p>' },
    ],
    ...extra,
  };
}

// Expected figures of the result file, computed here independently.
const sha256 = (lines) => createHash('sha256').update(lines.join('\n'), 'utf8').digest('hex');
function base32Decode(text) {
  const abc = 'ABCDEFGHIJKLMNOPQRSTUVWXYZ234567';
  const clean = text.replace(/[\s-]/g, '').toUpperCase();
  let bits = 0, value = 0;
  const out = [];
  for (const ch of clean) {
    const v = abc.indexOf(ch);
    assert.ok(v >= 0, `not base32: ${ch}`);
    value = (value << 5) | v;
    bits += 5;
    if (bits >= 8) {
      out.push((value >>> (bits - 8)) & 255);
      bits -= 8;
    }
  }
  return Buffer.from(out).toString('utf8');
}
const LOCAL_TIME = /^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d$/;
const SHOWN_TIME = /^\d\d\.\d\d\.\d{4} \d\d:\d\d$/;

// ---- Chromium, desktop and phone ----

let chromiumBrowser;
before(async () => {
  chromiumBrowser = await chromium.launch({
    executablePath: CHROMIUM,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
  });
});
after(async () => {
  await chromiumBrowser?.close();
  fs.rmSync(root, { recursive: true, force: true });
});

// Opens a page in a fresh context and records anything that went wrong.
async function open(url, options = {}) {
  const context = await chromiumBrowser.newContext({
    viewport: { width: 1280, height: 900 }, acceptDownloads: true, ...options.context });
  const page = await context.newPage();
  const problems = [];
  const unsettled = new Set(); // requests out of the page whose outcome is not known yet
  page.on('pageerror', (e) => problems.push(`script error: ${e.message}`));
  page.on('dialog', (d) => { problems.push(`${d.type()}: ${d.message()}`); d.dismiss(); });
  page.on('request', (r) => {
    const u = r.url();
    // chrome-extension: and chrome: are the browser's own PDF viewer and its style sheets.
    if (!/^(file|data|blob|about|chrome-extension|chrome):/.test(u)) {
      problems.push(`network: ${u}`);
      unsettled.add(r);
    }
  });
  page.on('requestfinished', (r) => unsettled.delete(r));
  // A request the page's policy stopped never left the browser.
  page.on('requestfailed', (r) => {
    unsettled.delete(r);
    const i = problems.indexOf(`network: ${r.url()}`);
    if (/BLOCKED_BY_CSP/.test(r.failure()?.errorText) && i >= 0) problems.splice(i, 1);
  });
  // A controlled clock: stands still at 10:15:02 until a test moves it.
  if (options.clock) await page.clock.install({ time: new Date('2026-12-09T10:15:00') });
  await page.goto(url);
  if (options.clock) await page.clock.pauseAt(new Date('2026-12-09T10:15:02'));
  return { page, context, problems, unsettled };
}

async function withPage(t, url, options, body) {
  const session = await open(url, options);
  try {
    await body(session);
    // A blocked request's failure may come in after the body is done: wait for it, a while at most.
    for (let i = 0; i < 50 && session.unsettled.size; i++) await new Promise((r) => setTimeout(r, 100));
    // Requests to a server that a test listens on itself: its log, not the browser's report, tells what arrived.
    const own = options.ownServer;
    assert.deepEqual(session.problems.filter((x) => !(own && x.startsWith(`network: ${own}`))), []);
  } catch (e) {
    await session.page.screenshot({ path: path.join(OUT, `single-${t.name.replace(/\W+/g, '_')}.png`), fullPage: true }).catch(() => {});
    throw e;
  } finally {
    await session.context.close();
  }
}

const button = (page, name) => page.getByRole('button', { name, exact: true });
const radio = (page, n, letter) =>
  page.getByRole('radiogroup', { name: `Soru ${n}`, exact: true }).getByRole('radio', { name: letter, exact: true });

async function start(page, pupil) {
  await page.getByLabel('Adınız ve soyadınız', { exact: true }).fill(pupil);
  await button(page, 'Teste başla').click();
  if (!pupil.trim()) await button(page, 'Yine de başla').click();
  await page.locator('#sayac').waitFor();
}

// Marks answers ("" for blank) and finishes, accepting the in-page question.
async function answerAndFinish(page, answers) {
  for (const [i, letter] of [...answers].entries())
    if (letter !== '-') await radio(page, i + 1, letter).check();
  await button(page, 'Testi bitir').click();
  await page.getByRole('dialog').waitFor();
  await button(page, 'Evet, bitir').click();
  await page.getByRole('table').first().waitFor();
}

async function totals(page) {
  const cell = (name) => page.getByRole('row', { name: new RegExp(`^${name} `) }).getByRole('cell').textContent();
  return { dogru: await cell('Doğru'), yanlis: await cell('Yanlış'), bos: await cell('Boş'), net: await cell('Net') };
}

async function axeViolations(page) {
  await page.addScriptTag({ content: AXE });
  const result = await page.evaluate(() => window.axe.run(document, { resultTypes: ['violations'] }));
  return result.violations.filter((v) => v.impact === 'serious' || v.impact === 'critical')
    .map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`);
}

describe('single page in Chromium, from file://', () => {
  test('scoring example: keys ABDD, answers A, B, blank, E', async (t) => {
    const p = makePage('scoring', fourQuestions());
    await withPage(t, p.url, {}, async ({ page }) => {
      assert.equal(await page.locator('h1:visible').textContent(), TURKISH_NAME);
      assert.equal(await page.title(), TURKISH_NAME);
      await start(page, 'Ayşe Yılmaz');
      assert.equal(await page.locator('#sayac').textContent(), '1/4');
      // The answer sheet offers A to E for each of the four questions.
      assert.equal(await page.getByRole('radiogroup').count(), 4);
      assert.equal(await page.getByRole('radiogroup', { name: 'Soru 4', exact: true }).getByRole('radio').count(), 5);
      await answerAndFinish(page, 'AB-E');
      assert.deepEqual(await totals(page), { dogru: '2', yanlis: '1', bos: '1', net: '1,67' });
      const headers = await page.locator('#sonuc-tablosu thead th').allTextContents();
      assert.deepEqual(headers, ['Soru', 'Cevabınız', 'Doğru cevap', 'Sonuç']);
      const rows = await page.locator('#sonuc-tablosu tbody tr').evaluateAll((trs) =>
        trs.map((tr) => [...tr.cells].map((c) => c.textContent)));
      assert.deepEqual(rows, [['1', 'A', 'A', 'D'], ['2', 'B', 'B', 'D'], ['3', '', 'D', 'B'], ['4', 'E', 'D', 'Y']]);
      assert.match(await page.locator('#s-basla').textContent(), SHOWN_TIME);
      assert.match(await page.locator('#s-bitis').textContent(), SHOWN_TIME);
      assert.equal(await page.locator('#s-ad').textContent(), 'Ayşe Yılmaz');
      assert.equal(await page.locator('#sure-doldu').isVisible(), false);
    });
  });

  for (const [rule, net] of [[4, '1,75'], [0, '2,00'], [3, '1,67']])
    test(`net rule ${rule || 'Götürmez'} gives net ${net}`, async (t) => {
      const p = makePage(`rule${rule}`, fourQuestions({ netRule: rule }));
      await withPage(t, p.url, {}, async ({ page }) => {
        await start(page, '');
        await answerAndFinish(page, 'AB-E');
        assert.deepEqual(await totals(page), { dogru: '2', yanlis: '1', bos: '1', net });
      });
    });

  test('a full sheet asks too; lower-case keys score as upper; correct answers kept off', async (t) => {
    const p = makePage('full', fourQuestions({ keys: 'abdd', netRule: 3, showKeys: false }));
    await withPage(t, p.url, {}, async ({ page }) => {
      await start(page, 'x');
      await answerAndFinish(page, 'CCCD');
      assert.deepEqual(await totals(page), { dogru: '1', yanlis: '3', bos: '0', net: '0,00' });
      // The pupil's own answers, no key and no mark of right or wrong.
      assert.deepEqual(await page.locator('#sonuc-tablosu thead th').allTextContents(), ['Soru', 'Cevabınız']);
      const rows = await page.locator('#sonuc-tablosu tbody tr').evaluateAll((trs) =>
        trs.map((tr) => [...tr.cells].map((c) => c.textContent)));
      assert.deepEqual(rows, [['1', 'C'], ['2', 'C'], ['3', 'C'], ['4', 'D']]);
    });
  });

  test('the questions: HTML in a sandbox, an image to the width, a missing one, no network', async (t) => {
    // A loopback server that records every request a question gets out.
    const hits = [];
    const server = http.createServer((req, res) => { hits.push(req.url); res.writeHead(204); res.end(); });
    await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
    t.after(() => server.close());
    const questions = fourQuestions().questions.slice(0, 3).concat({ kind: 'html', html: BEACON(server.address().port) });
    const p = makePage('questions', fourQuestions({ questions }));
    const ownServer = `http://127.0.0.1:${server.address().port}/`;
    await withPage(t, p.url, { ownServer }, async ({ page }) => {
      await start(page, '');
      const frame = page.frameLocator('#soru iframe');
      await frame.locator('body').filter({ hasText: 'engellendi' }).waitFor();
      assert.equal(await frame.locator('body').innerText(), 'Birinci soru: ığüşöç engellendi');
      assert.equal(await page.title(), TURKISH_NAME);
      await button(page, 'Sonraki soru').click();
      const image = page.getByRole('img', { name: 'Soru 2' });
      await image.waitFor();
      await page.waitForFunction(() => document.querySelector('#soru img').naturalWidth === 600);
      const width = await image.evaluate((img) => img.getBoundingClientRect().width);
      assert.ok(width > 100 && width <= 1280, `image width ${width}`);
      await button(page, 'Sonraki soru').click();
      assert.equal(await page.locator('#soru').textContent(), 'Soru 3 bulunamadı');
      assert.equal(await page.locator('#sayac').textContent(), '3/4');
      // The explanation is text under the question, markup shown as typed.
      assert.equal(await page.locator('.aciklama').textContent(),
        'Her sorunun tek doğru cevabı vardır.\nYanlışlar doğruları götürür: <b>dikkat</b>');
      await button(page, 'Son soru').click();
      assert.equal(await page.locator('#sayac').textContent(), '4/4');
      // The page's policy stops the question's fetch and image: the server hears nothing.
      const beacon = page.frameLocator('#soru iframe').locator('p');
      await beacon.filter({ hasText: 'ağ:' }).waitFor();
      assert.equal(await beacon.textContent(), 'Dördüncü soru ağ: fetch engellendi,resim engellendi');
      assert.deepEqual(hits, []);
      await button(page, 'İlk soru').click();
      assert.equal(await page.locator('#sayac').textContent(), '1/4');
      await button(page, 'Önceki soru').click();
      assert.equal(await page.locator('#sayac').textContent(), '1/4');
      // A row's number shows its question and marks the row.
      await page.locator('#satir-2 .no').click();
      assert.equal(await page.locator('#sayac').textContent(), '3/4');
      assert.equal(await page.locator('.satir.guncel').getAttribute('id'), 'satir-2');
    });
    assert.deepEqual(hits, []); // nothing reached the server the whole time
  });

  test('a hostile test name shows as text and runs nothing', async (t) => {
    const p = makePage('hostile', fourQuestions({ testName: HOSTILE_NAME, stem: '"><img src=x onerror=alert(2)>' }));
    await withPage(t, p.url, {}, async ({ page }) => {
      assert.equal(await page.locator('h1:visible').textContent(), HOSTILE_NAME);
      assert.equal(await page.title(), HOSTILE_NAME);
      await start(page, '<img src=x onerror=alert(3)>');
      await answerAndFinish(page, 'ABDD');
      assert.equal(await page.locator('#s-ad').textContent(), '<img src=x onerror=alert(3)>');
      assert.equal(await page.locator('img[src=x]').count(), 0);
    });
  });

  test('keyboard: arrows, Page Up/Down, letters, Delete', async (t) => {
    const p = makePage('keyboard', fourQuestions({ options: 4 }));
    await withPage(t, p.url, {}, async ({ page }) => {
      await start(page, '');
      await page.keyboard.press('b');
      assert.equal(await radio(page, 1, 'B').isChecked(), true);
      await page.keyboard.press('ArrowRight');
      assert.equal(await page.locator('#sayac').textContent(), '2/4');
      await page.keyboard.press('Shift+C');
      assert.equal(await radio(page, 2, 'C').isChecked(), true);
      await page.keyboard.press('e'); // only four options: ignored
      assert.equal(await radio(page, 2, 'C').isChecked(), true);
      await page.keyboard.press('Delete');
      assert.equal(await radio(page, 2, 'C').isChecked(), false);
      await page.keyboard.press('PageDown');
      await page.keyboard.press('PageDown');
      assert.equal(await page.locator('#sayac').textContent(), '4/4');
      await page.keyboard.press('ArrowLeft');
      await page.keyboard.press('PageUp');
      assert.equal(await page.locator('#sayac').textContent(), '2/4');
      // Typing a name letter never answers a question.
      await button(page, 'Testi bitir').focus();
      await page.keyboard.press('Enter');
      await page.getByRole('dialog').waitFor();
      assert.equal(await button(page, 'Vazgeç').evaluate((b) => b === document.activeElement), true);
      await page.keyboard.press('Escape');
      assert.equal(await page.getByRole('dialog').count(), 0);
      await button(page, 'Testi bitir').click();
      await button(page, 'Vazgeç').click();
      assert.equal(await page.locator('#sayac').isVisible(), true);
      await button(page, 'Testi bitir').click();
      await button(page, 'Evet, bitir').press('Enter');
      assert.deepEqual(await totals(page), { dogru: '0', yanlis: '1', bos: '3', net: '-0,33' });
    });
  });

  test('a reload keeps answers and the question; "Yeniden başla" clears them', async (t) => {
    const p = makePage('reload', fourQuestions());
    await withPage(t, p.url, {}, async ({ page }) => {
      await start(page, 'Çağrı Öztürk');
      await radio(page, 4, 'E').check();
      await radio(page, 1, 'A').check();
      await button(page, 'Sonraki soru').click();
      await reload(page);
      await page.locator('#sayac').waitFor();
      assert.equal(await page.locator('#sayac').textContent(), '2/4');
      assert.equal(await radio(page, 1, 'A').isChecked(), true);
      assert.equal(await radio(page, 4, 'E').isChecked(), true);
      // Changing an answer sticks too.
      await radio(page, 4, 'D').check();
      await reload(page);
      assert.equal(await radio(page, 4, 'D').isChecked(), true);
      await button(page, 'Testi bitir').click();
      await button(page, 'Evet, bitir').click();
      await reload(page);
      assert.deepEqual(await totals(page), { dogru: '2', yanlis: '0', bos: '2', net: '2,00' });
      assert.equal(await page.locator('#s-ad').textContent(), 'Çağrı Öztürk');
      await button(page, 'Yeniden başla').click();
      await button(page, 'Evet, sil').click();
      assert.equal(await page.getByLabel('Adınız ve soyadınız').inputValue(), '');
      await reload(page);
      await button(page, 'Teste başla').waitFor();
      await start(page, '');
      assert.equal(await page.locator('#sayac').textContent(), '1/4');
      assert.equal(await page.locator('input[type=radio]:checked').count(), 0);
    });
  });

  test('a time limit counts down and finishes the test with "Süre doldu"', async (t) => {
    const p = makePage('timed', fourQuestions({ minutes: 2 }));
    await withPage(t, p.url, { clock: true }, async ({ page }) => {
      await start(page, '');
      await page.clock.runFor(1000);
      assert.equal(await page.getByRole('timer').textContent(), 'Kalan süre 01:59');
      await radio(page, 1, 'A').check();
      // Time left: finishing asks first, even with nothing blank.
      await page.clock.runFor(60000);
      assert.equal(await page.getByRole('timer').textContent(), 'Kalan süre 00:59');
      // A reload keeps counting from the start, not from the reload.
      await reload(page);
      await page.clock.runFor(1000);
      assert.equal(await page.getByRole('timer').textContent(), 'Kalan süre 00:58');
      // Time runs out while the page is asking whether to finish.
      await button(page, 'Testi bitir').click();
      await page.getByRole('dialog').waitFor();
      await page.clock.runFor(60000);
      await page.getByText('Süre doldu', { exact: true }).waitFor();
      assert.deepEqual(await totals(page), { dogru: '1', yanlis: '0', bos: '3', net: '1,00' });
      assert.equal(await page.locator('#s-bitis').textContent(), '09.12.2026 10:17');
      await button(page, 'Yeniden başla').click();
      await button(page, 'Evet, sil').click();
      await start(page, '');
      assert.equal(await page.getByRole('dialog').count(), 0);
      assert.equal(await page.getByRole('timer').textContent(), 'Kalan süre 02:00');
    });
  });

  test('with time left the test asks before finishing', async (t) => {
    const p = makePage('timedfull', fourQuestions({ minutes: 5 }));
    await withPage(t, p.url, {}, async ({ page }) => {
      await start(page, '');
      for (const [i, l] of [...'ABDD'].entries()) await radio(page, i + 1, l).check();
      await button(page, 'Testi bitir').click();
      assert.match(await page.getByRole('dialog').textContent(), /Süreniz bitmedi/);
      await button(page, 'Evet, bitir').click();
      assert.deepEqual(await totals(page), { dogru: '4', yanlis: '0', bos: '0', net: '4,00' });
      assert.equal(await page.getByText('Süre doldu').isVisible(), false);
    });
  });

  test('printing gives one clean sheet', async (t) => {
    const p = makePage('print', fourQuestions());
    await withPage(t, p.url, {}, async ({ page }) => {
      await start(page, 'Ayşe');
      await answerAndFinish(page, 'AB-E');
      await page.emulateMedia({ media: 'print' });
      for (const name of ['Yazdır', 'Sonucu kaydet', 'Sonuç kodu', 'Yeniden başla'])
        assert.equal(await button(page, name).isVisible(), false, name);
      assert.equal(await page.locator('#soru-gorunum').isVisible(), false);
      for (const sel of ['h1:visible', '#s-ad', '#s-basla', '#toplamlar', '#sonuc-tablosu'])
        assert.equal(await page.locator(sel).isVisible(), true, sel);
      assert.equal(await page.locator('#sonuc-gorunum').evaluate((e) => getComputedStyle(e).backgroundColor), 'rgb(255, 255, 255)');
      const pdf = await page.pdf();
      assert.ok(pdf.subarray(0, 5).toString() === '%PDF-');
    });
  });

  test('"Sonucu kaydet" and "Sonuç kodu" carry the result as agreed', async (t) => {
    const p = makePage('result', fourQuestions({ stem: 'deneme' }));
    await withPage(t, p.url, { clock: true }, async ({ page }) => {
      await start(page, 'Ayşe: Yılmaz/3');
      await page.clock.runFor(5 * 60000 + 11000);
      await answerAndFinish(page, 'AB-E');
      const [download] = await Promise.all([page.waitForEvent('download'), button(page, 'Sonucu kaydet').click()]);
      assert.equal(download.suggestedFilename(), 'deneme-Ayşe_ Yılmaz_3.dvsonuc');
      assert.equal(await page.getByRole('status').textContent(), 'deneme-Ayşe_ Yılmaz_3.dvsonuc indirildi; öğretmeninize gönderin.');
      const raw = fs.readFileSync(await download.path());
      assert.notEqual(raw[0], 0xef, 'no byte-order mark');
      const text = raw.toString('utf8');
      const r = JSON.parse(text);
      assert.deepEqual(Object.keys(r), ['format', 'version', 'test', 'testName', 'booklet', 'name', 'answers', 'start', 'finish', 'attempt', 'check']);
      assert.equal(r.format, 'dvsonuc');
      assert.equal(r.version, 3);
      assert.equal(r.booklet, 'A');
      assert.equal(r.attempt, 1);
      assert.equal(r.test, p.identity);
      assert.equal(r.testName, TURKISH_NAME);
      assert.equal(r.name, 'Ayşe: Yılmaz/3');
      assert.equal(r.answers, 'AB-E');
      assert.equal(r.start, '2026-12-09T10:15:02');
      assert.equal(r.finish, '2026-12-09T10:20:13');
      assert.equal(r.check, sha256(['dvsonuc/3', r.test, 'A', r.name, r.answers, r.start, r.finish, '1']).slice(0, 16));
      // The identity is the digest of what was generated, the questions' bytes included.
      const html = fs.readFileSync(p.file, 'utf8');
      const digests = [1, 2, 3, 4].map((n) => {
        const embedded = new RegExp(`id="dv-soru-${n}"[^>]*>([^<]*)</script>`).exec(html);
        return embedded ? createHash('sha256').update(Buffer.from(embedded[1], 'base64')).digest('hex') : '';
      });
      assert.equal(digests.filter((d) => d).length, 3);
      assert.equal(p.identity, sha256(['dorvana-test/2', TURKISH_NAME, 'deneme', '4', 'ABDD', '5', '3', '0', '4', ...digests]).slice(0, 32));

      await button(page, 'Sonuç kodu').click();
      const code = await page.locator('#kod').textContent();
      assert.match(code, /^DV3[A-Z2-7]{2}( [A-Z2-7]{5})*( [A-Z2-7]{1,5})?$/);
      assert.ok(code.split(' ').every((g, i, all) => g.length === 5 || i === all.length - 1));
      const joined = code.replace(/ /g, '');
      assert.equal(base32Decode(joined.slice(3)),
        [r.test, 'A', r.name, r.answers, r.start, r.finish, '1', r.check].join('\n'));

      // A retake after seeing the key is the second attempt, in the file and its check.
      await button(page, 'Yeniden başla').click();
      await button(page, 'Evet, sil').click();
      await reload(page);
      await start(page, 'Ayşe: Yılmaz/3');
      await answerAndFinish(page, 'ABDD');
      const [again] = await Promise.all([page.waitForEvent('download'), button(page, 'Sonucu kaydet').click()]);
      const retake = JSON.parse(fs.readFileSync(await again.path(), 'utf8'));
      assert.equal(retake.attempt, 2);
      assert.equal(retake.check, sha256(['dvsonuc/3', retake.test, 'A', retake.name, 'ABDD', retake.start, retake.finish, '2']).slice(0, 16));
    });
  });

  test('an empty name saves as "adsiz"', async (t) => {
    const p = makePage('noname', fourQuestions({ stem: 'sınav' }));
    await withPage(t, p.url, {}, async ({ page }) => {
      await start(page, '   ');
      await answerAndFinish(page, 'ABDD');
      const [download] = await Promise.all([page.waitForEvent('download'), button(page, 'Sonucu kaydet').click()]);
      assert.equal(download.suggestedFilename(), 'sınav-adsiz.dvsonuc');
      assert.equal(JSON.parse(fs.readFileSync(await download.path(), 'utf8')).name, '');
    });
  });

  test('no serious or critical accessibility violation in any view', async (t) => {
    const p = makePage('axe', fourQuestions({ navigationImages: true }));
    await withPage(t, p.url, {}, async ({ page }) => {
      assert.deepEqual(await axeViolations(page), [], 'start view');
      await start(page, 'Ayşe');
      // The teacher's images stand in the buttons, named by the buttons.
      assert.equal(await button(page, 'İlk soru').locator('img').count(), 1);
      assert.deepEqual(await axeViolations(page), [], 'question view');
      await button(page, 'Testi bitir').click();
      assert.deepEqual(await axeViolations(page), [], 'asking before finishing');
      await button(page, 'Evet, bitir').click();
      await button(page, 'Sonuç kodu').click();
      assert.deepEqual(await axeViolations(page), [], 'result view');
    });
  });

  test('phone size 390×844: big targets, the whole test by touch', async (t) => {
    const p = makePage('phone', fourQuestions());
    await withPage(t, p.url, { context: { viewport: { width: 390, height: 844 }, isMobile: true, hasTouch: true } },
      async ({ page }) => {
        await page.getByLabel('Adınız ve soyadınız').fill('Ali');
        await button(page, 'Teste başla').tap();
        const boxes = await page.locator('.secenek, .satir .no, .gezinti button, #bitir').evaluateAll((els) =>
          els.map((e) => { const r = e.getBoundingClientRect(); return [r.width, r.height]; }));
        for (const [w, h] of boxes) assert.ok(w >= 44 && h >= 44, `target ${w}×${h}`);
        const scrollWidth = await page.evaluate(() => document.documentElement.scrollWidth);
        assert.ok(scrollWidth <= 390, `page ${scrollWidth} px wide`);
        for (const [i, l] of [...'AB'].entries()) await radio(page, i + 1, l).tap();
        await radio(page, 4, 'E').tap();
        await button(page, 'Testi bitir').tap();
        await button(page, 'Evet, bitir').tap();
        assert.deepEqual(await totals(page), { dogru: '2', yanlis: '1', bos: '1', net: '1,67' });
      });
  });

  for (const [size, context] of [['desktop', {}], ['phone', { viewport: { width: 390, height: 844 }, isMobile: true, hasTouch: true }]])
    test(`${size}: arrow keys never answer, each confirmation asks in the page, the bar stays, marks`, async (t) => {
      await withPage(t, makePage(`guard-${size}`, fourQuestions({ minutes: 5 })).url, { context }, async ({ page }) => {
        const state = async (...keys) => { // stored answers, counter, the row holding the focus
          for (const key of keys) await page.keyboard.press(key);
          return page.evaluate(() => [JSON.parse(localStorage.getItem(localStorage.key(0))).cevaplar,
            document.querySelector('#sayac').textContent, document.activeElement.closest('.satir')?.id]);
        };
        const ask = async (action, text, view) => { // "Vazgeç" has the focus; it and Escape keep the view
          for (const no of ['Escape', 'Vazgeç']) {
            await button(page, action).click();
            assert.deepEqual([await page.getByRole('dialog').innerText(), await page.locator(':focus').textContent()], [text, 'Vazgeç']);
            if (no === 'Escape') assert.deepEqual(await axeViolations(page), [], action);
            await (no === 'Escape' ? page.keyboard.press('Escape') : button(page, 'Vazgeç').click());
            assert.deepEqual([await page.getByRole('dialog').count(), await page.locator(view).isVisible()], [0, true]);
          }
        };
        await ask('Teste başla', 'Adınızı yazmadınız; öğretmeniniz sonucunuzu tanıyamaz.\n\nYine de başla\nVazgeç', '#basla-gorunum');
        await start(page, '');
        assert.deepEqual(await state('ArrowDown', 'ArrowDown', 'ArrowRight', 'ArrowDown'), ['----', '2/4', undefined]);
        await radio(page, 4, 'E').check(); // shows question 4; ← takes the focus along to row 3
        assert.deepEqual(await state('ArrowLeft'), ['---E', '3/4', 'satir-2']);
        await radio(page, 1, 'A').focus(); // not the shown question's row: ↓ scrolls; Home shows the tall question 1
        assert.deepEqual(await state('ArrowDown', 'Home'), ['---E', '1/4', 'satir-0']);
        const bar = () => { scrollTo(0, 1e6); return [scrollY > 0, document.querySelector('#cubuk').getBoundingClientRect().top]; };
        if (size === 'phone') assert.deepEqual(await page.evaluate(bar), [true, 0]); // the page scrolled, the bar stays
        await ask('Testi bitir', '3 soruyu boş bıraktınız. Süreniz bitmedi. Bitirdikten sonra cevaplarınızı değiştiremezsiniz. ' +
          'Testi bitirmek istiyor musunuz?\n\nEvet, bitir\nVazgeç', '#soru-gorunum');
        await answerAndFinish(page, '---E');
        assert.deepEqual(await page.$$eval('#lejant span, td[class]', (els) => els.map((e) => getComputedStyle(e, '::before').content + e.textContent)),
          ['"✓ " / ""D: doğru', '"✗ " / ""Y: yanlış', '"– " / ""B: boş', ...Array(3).fill('"– " / "boş" " "B'), '"✗ " / "yanlış" " "Y']);
        await ask('Yeniden başla', 'Sonucunuz silinecek. Kaydetmediyseniz öğretmeniniz göremez.\n\nEvet, sil\nVazgeç', '#sonuc-gorunum');
        assert.equal((await state())[0], '---E');
      });
    });

  test('practice exam: 120 questions in four sections, booklet B, nets read back by the program', async (t) => {
    // Hand-worked per section, in the teacher's numbers: the first `right`
    // questions of each section answered right, the next `wrong` wrong, the rest blank.
    const SECTIONS = [
      { name: 'Türkçe', first: 1, last: 40, right: 30, wrong: 8, net: '27,33' },
      { name: 'Sosyal', first: 41, last: 60, right: 12, wrong: 3, net: '11,00' },
      { name: 'Matematik', first: 61, last: 100, right: 20, wrong: 10, net: '16,67' },
      { name: 'Fen', first: 101, last: 120, right: 5, wrong: 0, net: '5,00' },
    ];
    const TABLE = SECTIONS.map((s) => [s.name, String(s.right), String(s.wrong), String(s.last - s.first + 1 - s.right - s.wrong), s.net]);
    const keys = Array.from({ length: 120 }, (_, i) => 'ABCDE'[(i * 7 + 3) % 5]).join('');
    const teacherAnswer = (t) => { // '-' for blank
      const s = SECTIONS.find((x) => t >= x.first && t <= x.last);
      const j = t - s.first;
      const key = keys[t - 1];
      return j < s.right ? key : j < s.right + s.wrong ? (key === 'A' ? 'B' : 'A') : '-';
    };
    const p = makePage('booklets', {
      testName: 'Deneme sınavı', stem: 'deneme', keys, options: 5, netRule: 3,
      questions: Array.from({ length: 120 }, (_, i) => ({ kind: 'html', html: `<!doctype html><meta charset="utf-8"><p>Öğretmenin ${i + 1}. sorusu</p>` })),
      sections: SECTIONS.map(({ name, first, last }) => ({ name, first, last, weight: 1 })),
      booklets: 2,
    });
    const order = p.orders.B;
    assert.equal(fs.existsSync(p.file), false, 'no page without a booklet letter');
    assert.notDeepEqual(order, p.orders.A);
    const answers = order.map(teacherAnswer).join(''); // in booklet B's order
    await withPage(t, p.booklet('B').url, {}, async ({ page, context }) => {
      assert.equal(await page.locator('#kitapcik-bilgi').textContent(), 'Kitapçık B');
      await start(page, 'Elif Çınar');
      assert.deepEqual(await page.locator('#satirlar h2').allTextContents(), SECTIONS.map((s) => s.name));
      // Position 1 of booklet B is the teacher's question order[0]; so is position 2.
      for (const n of [1, 2]) {
        await page.frameLocator('#soru iframe').getByText(`Öğretmenin ${order[n - 1]}. sorusu`).waitFor();
        if (n === 1) await button(page, 'Sonraki soru').click();
      }
      // By keyboard, as a pupil goes through a long booklet: a letter answers the shown question.
      await button(page, 'İlk soru').click();
      for (const letter of answers) {
        if (letter !== '-') await page.keyboard.press(letter.toLowerCase());
        await page.keyboard.press('ArrowRight');
      }
      await answerAndFinish(page, '');
      const table = await page.getByRole('table', { name: 'Bölümler' }).evaluate((tb) =>
        [...tb.rows].map((tr) => [...tr.cells].map((c) => c.textContent)));
      assert.deepEqual(table, [['Bölüm', 'Doğru', 'Yanlış', 'Boş', 'Net'], ...TABLE]);
      assert.equal(await page.getByText('Ağırlıklı toplam').isVisible(), false);
      assert.equal(await page.locator('#s-kitapcik').textContent(), 'B');
      assert.deepEqual(await totals(page), { dogru: '67', yanlis: '21', bos: '32', net: '60,00' });
      const first = await page.locator('#sonuc-tablosu tbody tr').first().evaluate((tr) => [...tr.cells].map((c) => c.textContent));
      assert.deepEqual(first, ['1', answers[0] === '-' ? '' : answers[0], keys[order[0] - 1], answers[0] === '-' ? 'B' : 'D']);
      assert.deepEqual(await axeViolations(page), [], 'result view with sections');

      const [download] = await Promise.all([page.waitForEvent('download'), button(page, 'Sonucu kaydet').click()]);
      const saved = path.join(root, 'deneme-Elif Çınar.dvsonuc');
      await download.saveAs(saved);
      const r = JSON.parse(fs.readFileSync(saved, 'utf8'));
      assert.deepEqual([r.version, r.booklet, r.answers, r.test], [3, 'B', answers, p.identity]);
      // The program maps the file back through booklet B: its class table shows the same nets.
      const report = JSON.parse(execFileSync(READ_RESULTS, [p.json, path.join(root, 'booklets.mdb'),
        path.join(root, 'booklets.csv'), saved], { encoding: 'utf8' }));
      assert.equal(report.identity, p.identity);
      assert.deepEqual(report.rows.map((row) => row.columns), [['B', ...TABLE.map((row) => row[4])]]);

      // Booklet A in the same browser starts afresh, not with booklet B's result.
      await page.goto(p.booklet('A').url);
      assert.equal(await page.locator('#basla-gorunum').isVisible(), true);
      assert.equal(await page.locator('#kitapcik-bilgi').textContent(), 'Kitapçık A');
      assert.equal(context.pages().length, 1);
    });
  });

  // A PDF printed by Chromium itself.
  async function chromiumPdf(name, html) {
    const session = await open('about:blank');
    await session.page.setContent(html);
    const file = path.join(root, name);
    fs.writeFileSync(file, await session.page.pdf());
    await session.context.close();
    return file;
  }

  test('a PDF question is shown as its page with an "Aç" link', async (t) => {
    const pdfFile = await chromiumPdf('soru.pdf', '<p>PDF soru: ığüşöç</p>');
    const p = makePage('pdf', fourQuestions({ questions: [{ kind: 'pdf', file: pdfFile }] }));
    await withPage(t, p.url, {}, async ({ page }) => {
      await start(page, '');
      const link = page.getByRole('link', { name: 'Aç', exact: true });
      assert.match(await link.getAttribute('href'), /^blob:/);
      assert.ok(await page.getByRole('img', { name: 'Soru 1', exact: true }).evaluate((i) => i.complete && i.naturalWidth > 1000));
      await button(page, 'Sonraki soru').click();
      assert.equal(await page.locator('#soru').textContent(), 'Soru 2 bulunamadı');
    });
  });

  test('booklet B printed from its start view: every question in its order, whole, within the paper', async (t) => {
    const pdfFile = await chromiumPdf('kitapcik-soru.pdf', '<p style="font-size:40px">PDFSORUMETNI</p>');
    const html = (text, extra = '') => ({ kind: 'html', html: `<!doctype html><meta charset="utf-8"><p>${text}</p>${extra}` });
    const questions = [
      html('Birinci soru metni'),
      { kind: 'png', colour: '#3366cc' },
      { kind: 'pdf', file: pdfFile },
      // Wider than the paper, and long: narrowed and printed at its full height.
      html('Dördüncü soru metni', '<table style="width:1400px"><tr><td>Geniş tablo</td><td style="text-align:right">SAGKENAR</td></tr></table>' +
        '<p>ara</p>'.repeat(60) + '<p>DORDUNCUSON</p>'),
      html('Beşinci soru metni'),
      html('Altıncı soru metni'),
    ];
    const p = makePage('baski', { testName: 'Kitapçık sınavı', stem: 'baski', keys: 'ABCDEA', booklets: 2, questions });
    const order = p.orders.B;
    assert.notDeepEqual(order, p.orders.A);
    await withPage(t, p.booklet('B').url, {}, async ({ page }) => {
      await page.evaluate(() => { window.print = () => { document.body.dataset.yazdirildi = '1'; }; });
      await button(page, 'Kitapçığı yazdır').click();
      await page.locator('body[data-yazdirildi]').waitFor({ state: 'attached' });
      // A loaded machine may print before every frame told its height (after
      // ten seconds at most): the captured PDF waits until they all did and
      // stay as they are, the later second measurement included.
      await page.waitForFunction(() => {
        const heights = [...document.querySelectorAll('.baski-soru iframe')].map((f) => (f.dataset.olculdu ? f.offsetHeight : 0));
        const same = heights.every((h) => h > 0) && heights.join() === window.dvOncekiBoylar;
        window.dvOncekiBoylar = heights.join();
        return same;
      }, null, { polling: 700, timeout: 60000 });
      await page.emulateMedia({ media: 'print' });
      const kinds = await page.locator('.baski-soru').evaluateAll((qs) => qs.map((q) =>
        [q.querySelector('h2').textContent, q.querySelector('iframe') ? 'html' : q.querySelector('img')?.alt]));
      const expected = { 1: 'html', 2: 'Soru #', 3: 'Soru #', 4: 'html', 5: 'html', 6: 'html' };
      assert.deepEqual(kinds, order.map((n, i) => [`${i + 1}.`, expected[n].replace('#', i + 1)]));
      assert.equal(await page.locator('#baski-kitapcik').textContent(), 'Kitapçık B');
      for (const name of ['Kitapçığı yazdır', 'Geri', 'Yazdır']) assert.equal(await button(page, name).isVisible(), false, name);

      const printed = path.join(root, 'baski-B.pdf');
      fs.writeFileSync(printed, await page.pdf({ preferCSSPageSize: true }));
      const text = execFileSync('pdftotext', ['-layout', printed, '-'], { encoding: 'utf8' });
      // The HTML questions in B's order, the long one to its last line; the PDF question only as an image.
      const htmlTexts = { 1: 'Birinci', 4: 'Dördüncü', 5: 'Beşinci', 6: 'Altıncı' };
      const at = order.filter((n) => htmlTexts[n]).map((n) => text.indexOf(`${htmlTexts[n]} soru metni`));
      assert.ok(at.every((x, i) => x >= 0 && (i === 0 || x > at[i - 1])), `order ${order}: ${at}`);
      assert.ok(text.includes('DORDUNCUSON') && text.includes('SAGKENAR'), text);
      assert.equal(text.includes('PDFSORUMETNI'), false);
      assert.match(text, /Kitapçık sınavı · Kitapçık B · 1 \/ \d/);
      assert.ok(Number(execFileSync('pdfimages', ['-list', printed], { encoding: 'utf8' }).trim().split('\n').length - 2) >= 2);
      // Nothing beyond the right margin: every word of every page inside A4's printable width.
      const box = execFileSync('pdftotext', ['-bbox', printed, '-'], { encoding: 'utf8' });
      const pageWidth = Number(/<page width="([\d.]+)"/.exec(box)[1]);
      const right = Math.max(...[...box.matchAll(/xMax="([\d.]+)"/g)].map((m) => Number(m[1])));
      assert.ok(right <= pageWidth - 15 / 25.4 * 72 + 1, `${right} of ${pageWidth}`);
    });
  });
});

// ---- Firefox ESR over WebDriver BiDi ----

describe('single page in Firefox ESR, from file://', () => {
  let firefox;
  before(async () => {
    firefox = await puppeteer.launch({
      browser: 'firefox', executablePath: FIREFOX, headless: true,
      extraPrefsFirefox: { 'browser.download.dir': root, 'browser.download.folderList': 2 },
    });
  });
  after(async () => { await firefox?.close(); });

  async function ffPage(url) {
    const page = await firefox.newPage();
    const problems = [];
    page.on('pageerror', (e) => problems.push(`script error: ${e.message}`));
    page.on('dialog', (d) => { problems.push(`dialog: ${d.message()}`); d.dismiss(); });
    await page.setViewport({ width: 1280, height: 900 });
    await page.goto(url);
    return { page, problems };
  }
  const text = (page, sel) => page.$eval(sel, (e) => e.textContent);
  const click = (page, sel) => page.$eval(sel, (e) => e.click());

  test('scoring example, Turkish letters, reload, sandboxed question, code', async () => {
    const p = makePage('firefox', fourQuestions());
    const { page, problems } = await ffPage(p.url);
    try {
      assert.equal(await text(page, '#baslik-basla'), TURKISH_NAME);
      assert.equal(await page.title(), TURKISH_NAME);
      await page.type('#ad', 'Şükrü Işık');
      await click(page, '#basla');
      await page.waitForSelector('#soru iframe');
      const frame = await (await page.$('#soru iframe')).contentFrame();
      await frame.waitForFunction(() => / (engellendi|ULAŞTI.*)$/.test(document.querySelector('p')?.textContent));
      assert.equal(await frame.evaluate(() => document.body.innerText.trim()), 'Birinci soru: ığüşöç engellendi');
      assert.equal(await page.title(), TURKISH_NAME);
      await click(page, 'input[name=s1][value=A]');
      await click(page, 'input[name=s2][value=B]');
      await page.reload();
      await page.waitForSelector('#sayac');
      assert.equal(await page.$eval('input[name=s2][value=B]', (e) => e.checked), true);
      await click(page, 'input[name=s4][value=E]');
      await click(page, '#bitir');
      assert.equal(await page.$eval('#onay', (e) => e.open), true);
      await click(page, '#evet');
      assert.deepEqual(await page.$$eval('#toplamlar td', (tds) => tds.map((c) => c.textContent)), ['2', '1', '1', '1,67']);
      assert.equal(await text(page, '#s-ad'), 'Şükrü Işık');
      await click(page, '#kod-goster');
      const code = (await text(page, '#kod')).replace(/ /g, '');
      const [test, booklet, name, answers, start, finish, attempt, check] = base32Decode(code.slice(3)).split('\n');
      assert.deepEqual([test, booklet, name, answers, attempt], [p.identity, 'A', 'Şükrü Işık', 'AB-E', '1']);
      assert.match(start, LOCAL_TIME);
      assert.equal(check, sha256(['dvsonuc/3', test, booklet, name, answers, start, finish, attempt]).slice(0, 16));
      await page.keyboard.press('Tab');
      await page.addScriptTag({ content: AXE });
      const serious = await page.evaluate(async () => (await window.axe.run()).violations
        .filter((v) => v.impact === 'serious' || v.impact === 'critical').map((v) => v.id));
      assert.deepEqual(serious, []);
      assert.deepEqual(problems, []);
    } finally {
      await page.close();
    }
  });

  test('booklet B with weighted sections', async () => {
    const p = makePage('ffbooklet', fourQuestions({
      sections: [{ name: 'Birinci', first: 1, last: 2, weight: 1.5 }, { name: 'İkinci', first: 3, last: 4, weight: 1 }],
      booklets: 2,
    }));
    const { page, problems } = await ffPage(p.booklet('B').url);
    try {
      assert.equal(await text(page, '#kitapcik-bilgi'), 'Kitapçık B');
      await click(page, '#basla');
      await click(page, '#evet');
      await page.waitForSelector('#sayac');
      await click(page, `input[name=s1][value=${'ABDD'[p.orders.B[0] - 1]}]`); // right, in "Birinci"
      await click(page, '#bitir');
      await click(page, '#evet');
      assert.deepEqual(await page.$$eval('#bolum-satirlar td', (tds) => tds.map((c) => c.textContent)),
        ['1', '0', '1', '1,00', '0', '0', '2', '0,00']);
      assert.equal(await text(page, '#agirlikli'), 'Ağırlıklı toplam: 1,50');
      assert.deepEqual(problems, []);
    } finally {
      await page.close();
    }
  });

  test('a hostile test name shows as text', async () => {
    const p = makePage('ffhostile', fourQuestions({ testName: HOSTILE_NAME }));
    const { page, problems } = await ffPage(p.url);
    try {
      assert.equal(await text(page, '#baslik-basla'), HOSTILE_NAME);
      assert.deepEqual(problems, []);
    } finally {
      await page.close();
    }
  });
});
