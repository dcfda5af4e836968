// Timing of the single page on a slow phone, run by hand (not a test):
// Chromium at 390×844 with the CPU slowed down four times.
//
//   MAKE_SINGLEPAGE=build/tests/browser/make_singlepage node tests/browser/bench_single.mjs
//
// 1. First question shown after opening a page of 100 questions of about
//    200 KB of HTML each: from the start of the navigation to the first
//    question's frame loaded, the pupil pressing "Teste başla" as soon as the
//    page's script runs, and for a pupil coming back to the page (reload);
//    a page of 4 small questions for comparison.
// 2. Finishing a test of 10000 questions: from the click on "Testi bitir" to
//    the scored result in the document, and to the next painted frame.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

const MAKE_SINGLEPAGE = process.env.MAKE_SINGLEPAGE;
const RUNS = Number(process.env.BENCH_RUNS || 5);
if (!MAKE_SINGLEPAGE) throw new Error('set MAKE_SINGLEPAGE to the built make_singlepage');
const root = fs.mkdtempSync(path.join(os.tmpdir(), 'dorvana-bench-'));

function makePage(name, description) {
  const json = path.join(root, `${name}.json`);
  const html = path.join(root, `${name}.html`);
  fs.writeFileSync(json, JSON.stringify(description));
  execFileSync(MAKE_SINGLEPAGE, [json, html]);
  return { url: pathToFileURL(html).href, bytes: fs.statSync(html).size };
}

const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const LETTERS = 'ABCDE';

const big = makePage('q100', {
  testName: 'Yüz soruluk deneme', stem: 'yuz', keys: 'ABCDE'.repeat(20), options: 5,
  questions: Array.from({ length: 100 }, (_, i) => ({
    kind: 'html', repeatTo: 200000,
    html: `<!doctype html><html><head><meta charset="utf-8"></head><body><h2>Soru ${i + 1}</h2></body></html>`,
  })),
});
const keys10k = Array.from({ length: 10000 }, (_, i) => LETTERS[(i * 7) % 5]).join('');
const huge = makePage('q10000', { testName: 'On bin soru', stem: 'onbin', keys: keys10k, options: 5, questions: [] });

const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', headless: true, args: ['--no-sandbox', '--disable-gpu'] });

async function slowPhone() {
  const context = await browser.newContext({ viewport: { width: 390, height: 844 }, isMobile: true, hasTouch: true });
  const page = await context.newPage();
  const cdp = await context.newCDPSession(page);
  await cdp.send('Emulation.setCPUThrottlingRate', { rate: 4 });
  return { context, page };
}

// Times taken inside the page, so the harness waiting on a busy page does not
// count: the pupil presses "Teste başla" as soon as the page's script has run,
// and the question counts as shown when its frame has loaded.
const MARKS = () => {
  window.__olcum = {};
  document.addEventListener('load', (e) => {
    if (e.target.tagName === 'IFRAME' && /^Soru 1$/.test(e.target.title) && !__olcum.soru)
      __olcum.soru = performance.now();
  }, true);
  const bekle = setInterval(() => {
    if (document.getElementById('dv-soru-1')) {
      clearInterval(bekle);
      __olcum.dugme = performance.now();
      document.getElementById('ad').value = 'Ali';
      const dugme = document.getElementById('basla');
      if (dugme.offsetParent) dugme.click();
    }
  }, 2);
};
const shown = (page) => page.waitForFunction(() => window.__olcum && __olcum.soru, null, { timeout: 60000 })
  .then((h) => h.jsonValue());

const small = makePage('q4', {
  testName: 'Küçük', stem: 'kucuk', keys: 'ABCD', options: 5,
  questions: [{ kind: 'html', html: '<!doctype html><meta charset="utf-8"><h2>Soru 1</h2>' }],
});
const firstFresh = [], firstBack = [], firstSmall = [];
for (let run = 0; run < RUNS; run++) {
  for (const [target, list] of [[big, firstFresh], [small, firstSmall]]) {
    const { context, page } = await slowPhone();
    await page.addInitScript(MARKS);
    await page.goto(target.url, { waitUntil: 'commit' });
    list.push(await shown(page));
    if (target === big) {
      // The pupil comes back: the question shows without a press.
      await page.reload({ waitUntil: 'commit' });
      firstBack.push(await shown(page));
    }
    await context.close();
  }
}

const finishSync = [], finishPaint = [];
for (let run = 0; run < RUNS; run++) {
  const { context, page } = await slowPhone();
  await page.goto(huge.url);
  await page.locator('#ad').fill('Ali');
  await page.locator('#basla').click();
  // Every question answered (a quarter of them wrong), put in the saved
  // progress and read back by a reload, as after a long session.
  await page.evaluate((keys) => {
    const id = JSON.parse(document.getElementById('dv-veri').textContent).test;
    const key = 'dorvana/' + id;
    const state = JSON.parse(localStorage.getItem(key));
    state.cevaplar = [...keys].map((k, i) => (i % 4 === 0 ? (k === 'A' ? 'B' : 'A') : k)).join('');
    localStorage.setItem(key, JSON.stringify(state));
  }, keys10k);
  await page.reload();
  await page.locator('#sayac').waitFor();
  const [sync, paint] = await page.evaluate(() => new Promise((resolve) => {
    const t0 = performance.now();
    document.getElementById('bitir').click();
    document.getElementById('evet').click();
    const t1 = performance.now();
    requestAnimationFrame(() => setTimeout(() => resolve([t1 - t0, performance.now() - t0]), 0));
  }));
  const net = await page.locator('#t-net').textContent();
  if (net !== '6666,67') throw new Error(`unexpected net ${net}`);
  finishSync.push(sync);
  finishPaint.push(paint);
  await context.close();
}
await browser.close();
fs.rmSync(root, { recursive: true, force: true });

const ms = (x) => `${Math.round(x)} ms`;
console.log(`page of 100 questions: ${(big.bytes / 1e6).toFixed(1)} MB; 10000 questions: ${(huge.bytes / 1e6).toFixed(2)} MB; ${RUNS} runs, medians`);
console.log(`first question shown, opening and pressing "Teste başla": ${ms(median(firstFresh))} (runs: ${firstFresh.map(Math.round).join(', ')})`);
console.log(`the same for a page of 4 small questions: ${ms(median(firstSmall))} (runs: ${firstSmall.map(Math.round).join(', ')})`);
console.log(`first question shown, coming back to the page: ${ms(median(firstBack))} (runs: ${firstBack.map(Math.round).join(', ')})`);
console.log(`finishing 10000 questions, scored and in the document: ${ms(median(finishSync))} (runs: ${finishSync.map(Math.round).join(', ')})`);
console.log(`finishing 10000 questions, to the next painted frame: ${ms(median(finishPaint))} (runs: ${finishPaint.map(Math.round).join(', ')})`);
