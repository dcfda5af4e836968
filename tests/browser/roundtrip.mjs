// The class results' round trip: three pupils finish a single page written
// by make_singlepage in Chromium (from file://), save their result files as
// real downloads, and read_results reads them with the program's own code.
// The class table, summary and item analysis must equal the figures worked
// out by hand below, and the CSV the expected file byte for byte.
//
// Run by CTest as tst_browser_roundtrip, with MAKE_SINGLEPAGE and
// READ_RESULTS set to the built tools.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const HERE = path.dirname(fileURLToPath(import.meta.url));
const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';
const OUT = process.env.BROWSER_TEST_OUT || os.tmpdir();
const HINT = 'run the README\'s test command (bash scripts/test.sh), which installs chromium and the npm packages of tests/browser';
const tools = { MAKE_SINGLEPAGE: process.env.MAKE_SINGLEPAGE, READ_RESULTS: process.env.READ_RESULTS };
for (const [name, exe] of Object.entries(tools))
  if (!exe || !fs.existsSync(exe)) throw new Error(`${name} does not name the built tool (${exe}); run the test through ctest`);
if (!fs.existsSync(CHROMIUM)) throw new Error(`${CHROMIUM} is missing: ${HINT}`);
let chromium;
try {
  ({ chromium } = await import('playwright-core'));
} catch (e) {
  throw new Error(`the npm packages of tests/browser are not installed: ${HINT}\n(${e.message})`);
}

// Five questions, keys ABCDE, five options, three wrong cancel one right.
const DESCRIPTION = {
  testName: 'Türkçe deneme; 9-B', stem: 'deneme', keys: 'ABCDE', options: 5, netRule: 3, minutes: 0,
  questions: [...'12345'].map((n) => ({ kind: 'html', html: `<!doctype html><meta charset="utf-8"><p>Soru ${n}</p>` })),
};

// In the order the teacher adds them; neither by net nor by name, so that a
// median or a group taken in that order would show. Seconds from start to finish.
const PUPILS = [
  { name: 'Mehmet Öz', answers: 'AB-A-', seconds: 754 },
  { name: 'Çağrı Işık', answers: 'B-CAC', seconds: 545 },
  { name: 'Ayşe Yılmaz', answers: 'ABEDA', seconds: 3723 },
];

// Worked out by hand from the keys ABCDE:
//   Mehmet: A B right, 4th wrong, 3rd and 5th blank → 2 − 1/3
//   Çağrı:  3rd right, 1st, 4th, 5th wrong, 2nd blank → 1 − 3/3 = 0
//   Ayşe:   1st, 2nd, 4th right, 3rd and 5th wrong → 3 − 2/3
// Nets 5/3, 0, 7/3: mean 4/3, median 5/3, deviations 1/3, −4/3, 1, so the
// population standard deviation is √((1/9 + 16/9 + 9/9) / 3) = √(26/27).
// Groups of max(1, round(0.27 · 3)) = 1: upper Ayşe, lower Çağrı.
const EXPECTED = {
  rows: [
    { name: 'Mehmet Öz', answers: 'AB-A-', correct: 2, wrong: 1, blank: 2, net: 2 - 1 / 3, seconds: 754 },
    { name: 'Çağrı Işık', answers: 'B-CAC', correct: 1, wrong: 3, blank: 1, net: 0, seconds: 545 },
    { name: 'Ayşe Yılmaz', answers: 'ABEDA', correct: 3, wrong: 2, blank: 0, net: 3 - 2 / 3, seconds: 3723 },
  ],
  summary: { pupils: 3, mean: 4 / 3, median: 5 / 3, standardDeviation: Math.sqrt(26 / 27), lowest: 0, highest: 7 / 3 },
  groupSize: 1,
  // difficulty = right / 3; discrimination = (Ayşe right − Çağrı right) / 1;
  // chosen counts A to E.
  items: [
    { question: 1, key: 'A', right: 2, difficulty: 2 / 3, discrimination: 1, chosen: [2, 1, 0, 0, 0], blanks: 0, mark: '' },
    { question: 2, key: 'B', right: 2, difficulty: 2 / 3, discrimination: 1, chosen: [0, 2, 0, 0, 0], blanks: 1, mark: '' },
    { question: 3, key: 'C', right: 1, difficulty: 1 / 3, discrimination: -1, chosen: [0, 0, 1, 0, 1], blanks: 1, mark: 'ayırt ediciliği düşük' },
    { question: 4, key: 'D', right: 1, difficulty: 1 / 3, discrimination: 1, chosen: [2, 0, 0, 1, 0], blanks: 0, mark: '' },
    { question: 5, key: 'E', right: 0, difficulty: 0, discrimination: 0, chosen: [1, 0, 1, 0, 0], blanks: 1, mark: 'çok zor, ayırt ediciliği düşük' },
  ],
};
// What the page itself shows each pupil: Doğru, Yanlış, Boş, Net.
const SHOWN_TOTALS = [['2', '1', '2', '1,67'], ['1', '3', '1', '0,00'], ['3', '2', '0', '2,33']];

const root = fs.mkdtempSync(path.join(os.tmpdir(), 'dorvana-roundtrip-'));
let browser;
before(async () => {
  browser = await chromium.launch({
    executablePath: CHROMIUM, headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
  });
});
after(async () => {
  await browser?.close();
  fs.rmSync(root, { recursive: true, force: true });
});

const button = (page, name) => page.getByRole('button', { name, exact: true });

// One pupil in a fresh browser profile, on a clock that starts the test at
// 10:15:02; returns the saved result file and the page's result code.
async function takeTest(url, pupil, index) {
  const context = await browser.newContext({ viewport: { width: 1280, height: 900 }, acceptDownloads: true });
  const page = await context.newPage();
  const problems = [];
  page.on('pageerror', (e) => problems.push(`script error: ${e.message}`));
  page.on('dialog', (d) => { problems.push(`${d.type()}: ${d.message()}`); d.dismiss(); });
  try {
    await page.clock.install({ time: new Date('2026-12-09T10:15:00') });
    await page.goto(url);
    await page.clock.pauseAt(new Date('2026-12-09T10:15:02'));
    await page.getByLabel('Adınız ve soyadınız', { exact: true }).fill(pupil.name);
    await button(page, 'Teste başla').click();
    for (const [i, letter] of [...pupil.answers].entries())
      if (letter !== '-')
        await page.getByRole('radiogroup', { name: `Soru ${i + 1}`, exact: true })
          .getByRole('radio', { name: letter, exact: true }).check();
    await page.clock.fastForward(pupil.seconds * 1000);
    await button(page, 'Testi bitir').click();
    await button(page, 'Evet, bitir').click();
    assert.deepEqual(await page.locator('#toplamlar td').allTextContents(), SHOWN_TOTALS[index]);

    const [download] = await Promise.all([page.waitForEvent('download'), button(page, 'Sonucu kaydet').click()]);
    assert.equal(download.suggestedFilename(), `deneme-${pupil.name}.dvsonuc`);
    const file = path.join(root, download.suggestedFilename());
    await download.saveAs(file);
    await button(page, 'Sonuç kodu').click();
    const code = await page.locator('#kod').textContent();
    assert.deepEqual(problems, []);
    return { file, code };
  } catch (e) {
    await page.screenshot({ path: path.join(OUT, `roundtrip-${index + 1}.png`), fullPage: true }).catch(() => {});
    throw e;
  } finally {
    await context.close();
  }
}

// read_results on a new database; its report and the CSV it wrote.
function readResults(name, inputs) {
  const csv = path.join(root, `${name}.csv`);
  const stdout = execFileSync(tools.READ_RESULTS,
    [path.join(root, 'deneme.json'), path.join(root, `${name}.mdb`), csv, ...inputs], { encoding: 'utf8' });
  return { report: JSON.parse(stdout), csv: fs.readFileSync(csv) };
}

// Numbers to nine decimals, so hand fractions and the program's sums compare.
const rounded = (value) =>
  typeof value === 'number' ? Math.round(value * 1e9) / 1e9 + 0
    : Array.isArray(value) ? value.map(rounded)
      : value && typeof value === 'object' ? Object.fromEntries(Object.entries(value).map(([k, v]) => [k, rounded(v)]))
        : value;

test('three pupils\' result files and a code read back into the class results', async () => {
  const json = path.join(root, 'deneme.json');
  const html = path.join(root, 'deneme.html');
  fs.writeFileSync(json, JSON.stringify(DESCRIPTION));
  const pageIdentity = execFileSync(tools.MAKE_SINGLEPAGE, [json, html], { encoding: 'utf8' }).trim();

  const taken = [];
  for (const [i, pupil] of PUPILS.entries()) taken.push(await takeTest(pathToFileURL(html).href, pupil, i));
  for (const { file } of taken)
    assert.equal(JSON.parse(fs.readFileSync(file, 'utf8')).test, pageIdentity);

  const fromFiles = readResults('files', taken.map((t) => t.file));
  // The identity the page embeds is the one the reader computes for the test.
  const { identity, ...report } = fromFiles.report;
  assert.equal(identity, pageIdentity);
  assert.deepEqual(rounded(report), rounded(EXPECTED));
  assert.deepEqual(fromFiles.csv, fs.readFileSync(path.join(HERE, '../data/results/roundtrip.csv')));

  // Çağrı sends the code instead of the file: the same class results.
  const fromCode = readResults('code', [taken[0].file, '--code', taken[1].code, taken[2].file]);
  assert.deepEqual(fromCode.report, fromFiles.report);
  assert.deepEqual(fromCode.csv, fromFiles.csv);
});
