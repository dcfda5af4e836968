// Makes the question files of tests/data/questions with real tools, so that
// the C++ tests read what a teacher's programs write, without a browser:
//
//   cd tests/browser && npm ci && node make_fixtures.mjs
//
// then commit what changed in tests/data/questions. What it writes:
//  - sayfa/: a small question page in UTF-8 (Turkish text, a style sheet that
//    draws a background image, an image in an image folder); the images are
//    drawn by Chromium on a canvas.
//  - chromium.mht: that page saved by Chromium itself as MHTML
//    (Page.captureSnapshot); chromium-buyuk.mht the same with a larger image
//    (about 200 KB), for the benchmark.
//  - chromium.pdf (page.pdf), chromium.png and chromium.jpg (screenshots),
//    chromium.webp and chromium.svg (canvas.toDataURL and the page's own SVG).
//  - eski-1254.mht: the page in Windows-1254 (converted by iconv), served to
//    Chromium with that charset and saved by it as MHTML; Chromium keeps the
//    page's own charset in the saved HTML part.
//  - eski-1254.htm and eski-8859-9.htm: plain HTML in Windows-1254 and
//    ISO-8859-9 (iconv), declared only by the page's <meta>, as old question
//    files saved under a ".mht" name are.
// The page is served from http://dorvana.test/ through request interception,
// so that the saved addresses are the same on every run.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

const HERE = path.dirname(fileURLToPath(import.meta.url));
const OUT = path.resolve(HERE, '../data/questions');
const SITE = 'http://dorvana.test/';

const TURKISH = 'Işık şeması: ığüşöç İĞÜŞÖÇ';

function pageHtml({ charset, image }) {
  return `<!DOCTYPE html>
<html lang="tr">
<head>
<meta charset="${charset}">
<title>Soru 1</title>
<link rel="stylesheet" href="stil.css">
</head>
<body>
<h2 class="baslik">${TURKISH}</h2>
<p>Aşağıdaki şekilde kaç üçgen vardır? Ağaç, dağ, göl ve çiçek.</p>
<img id="sekil" src="resimler/${image}" alt="Şekil 1" width="240">
<svg id="cizim" xmlns="http://www.w3.org/2000/svg" width="120" height="60" viewBox="0 0 120 60">
<polygon points="10,50 60,10 110,50" fill="#2a7" stroke="#063" stroke-width="3"/>
<text x="60" y="45" font-size="12" text-anchor="middle">Üçgen</text>
</svg>
<ol type="A"><li>İki</li><li>Üç</li><li>Dört</li><li>Beş</li></ol>
</body>
</html>
`;
}

const STYLE = `.baslik { color: #7b1f4f; font-family: sans-serif; }
body { background: #fffdf5 url("resimler/desen.png") repeat-x; margin: 12px; }
img { border: 2px solid #063; }
`;

function iconv(text, charset) {
  return execFileSync('iconv', ['-f', 'UTF-8', '-t', charset], { input: Buffer.from(text, 'utf8') });
}

function dataUrlBytes(url) {
  return Buffer.from(url.slice(url.indexOf(',') + 1), 'base64');
}

const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync'],
});

try {
  const context = await browser.newContext({ viewport: { width: 480, height: 360 } });
  const page = await context.newPage();

  // The images, drawn by Chromium: a figure with Turkish letters, a stripe
  // for the style sheet's background and a large noisy figure for the benchmark.
  await page.setContent('<canvas id="c"></canvas>');
  const images = await page.evaluate(() => {
    const canvas = document.getElementById('c');
    const g = canvas.getContext('2d');
    const out = {};
    canvas.width = 160; canvas.height = 80;
    g.fillStyle = '#ffe9a8'; g.fillRect(0, 0, 160, 80);
    g.fillStyle = '#c03'; g.beginPath(); g.moveTo(10, 70); g.lineTo(80, 8); g.lineTo(150, 70); g.fill();
    g.fillStyle = '#000'; g.font = '16px sans-serif'; g.fillText('Şekil ığü', 40, 60);
    out.sekil = canvas.toDataURL('image/png');
    out.webp = canvas.toDataURL('image/webp', 0.8);
    canvas.width = 8; canvas.height = 24;
    g.fillStyle = '#f3e0ff'; g.fillRect(0, 0, 8, 12); g.fillStyle = '#e0f0ff'; g.fillRect(0, 12, 8, 12);
    out.desen = canvas.toDataURL('image/png');
    // Noise does not compress: about 150 KB of PNG, 200 KB once in base64.
    canvas.width = 290; canvas.height = 160;
    const pixels = g.createImageData(290, 160);
    let seed = 12345;
    for (let i = 0; i < pixels.data.length; i++) {
      seed ^= seed << 13; seed ^= seed >>> 17; seed ^= seed << 5; seed >>>= 0;
      pixels.data[i] = i % 4 === 3 ? 255 : seed & 255;
    }
    g.putImageData(pixels, 0, 0);
    out.buyuk = canvas.toDataURL('image/png');
    return out;
  });

  const site = {
    'soru.html': { type: 'text/html; charset=utf-8', body: Buffer.from(pageHtml({ charset: 'utf-8', image: 'sekil.png' })) },
    'buyuk.html': { type: 'text/html; charset=utf-8', body: Buffer.from(pageHtml({ charset: 'utf-8', image: 'buyuk.png' })) },
    'eski.html': { type: 'text/html; charset=windows-1254', body: iconv(pageHtml({ charset: 'windows-1254', image: 'sekil.png' }), 'WINDOWS-1254') },
    'stil.css': { type: 'text/css', body: Buffer.from(STYLE) },
    'resimler/sekil.png': { type: 'image/png', body: dataUrlBytes(images.sekil) },
    'resimler/desen.png': { type: 'image/png', body: dataUrlBytes(images.desen) },
    'resimler/buyuk.png': { type: 'image/png', body: dataUrlBytes(images.buyuk) },
  };
  await context.route(`${SITE}**`, (route) => {
    const file = site[new URL(route.request().url()).pathname.slice(1)];
    if (!file) return route.fulfill({ status: 404, body: 'yok' });
    return route.fulfill({ status: 200, headers: { 'Content-Type': file.type }, body: file.body });
  });

  fs.mkdirSync(path.join(OUT, 'sayfa/resimler'), { recursive: true });
  const write = (name, bytes) => fs.writeFileSync(path.join(OUT, name), bytes);
  write('sayfa/soru.html', site['soru.html'].body);
  write('sayfa/stil.css', site['stil.css'].body);
  write('sayfa/resimler/sekil.png', site['resimler/sekil.png'].body);
  write('sayfa/resimler/desen.png', site['resimler/desen.png'].body);

  const cdp = await context.newCDPSession(page);
  async function snapshot(name) {
    await page.goto(SITE + name, { waitUntil: 'load' });
    const { data } = await cdp.send('Page.captureSnapshot', { format: 'mhtml' });
    return Buffer.from(data, 'latin1');
  }
  write('chromium.mht', await snapshot('soru.html'));
  write('chromium-buyuk.mht', await snapshot('buyuk.html'));
  write('eski-1254.mht', await snapshot('eski.html'));

  await page.goto(SITE + 'soru.html', { waitUntil: 'load' });
  write('chromium.png', await page.screenshot({ type: 'png' }));
  write('chromium.jpg', await page.screenshot({ type: 'jpeg', quality: 80 }));
  write('chromium.pdf', await page.pdf({ width: '12cm', height: '10cm', printBackground: true }));
  write('chromium.webp', dataUrlBytes(images.webp));
  write('chromium.svg', await page.evaluate(() => new XMLSerializer().serializeToString(document.getElementById('cizim'))));

  const old = pageHtml({ charset: 'windows-1254', image: 'sekil.png' })
    .replace('<link rel="stylesheet" href="stil.css">\n', '');
  write('eski-1254.htm', iconv(old, 'WINDOWS-1254'));
  write('eski-8859-9.htm', iconv(old.replace('<meta charset="windows-1254">',
    '<meta http-equiv="Content-Type" content="text/html; charset=iso-8859-9">'), 'ISO-8859-9'));
  console.log(`written to ${OUT}`);
} finally {
  await browser.close();
}
