// The page's own scoring, net text, section scores, check value, result file
// and code (pages/singlepage/scoring.js, loaded as node loads a script)
// against the vectors that tests/results/tst_resultinput.cpp holds the program to.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { createRequire } from 'node:module';

const require = createRequire(import.meta.url);
const sonuc = require('../../pages/singlepage/scoring.js');
const { cases } = JSON.parse(fs.readFileSync(new URL('../data/results/vectors.json', import.meta.url), 'utf8'));

test('the shared vectors', () => {
  assert.ok(cases.length >= 11);
  for (const v of cases) {
    const ogretmen = sonuc.ogretmenSirasi(v.order, v.answers);
    const p = sonuc.puanla(v.keys, ogretmen, v.netRule);
    assert.deepEqual([p.dogru, p.yanlis, p.bos, sonuc.netMetni(p.net)], [v.correct, v.wrong, v.blank, v.net], v.about);
    const bolumler = (v.sections || []).map((s) => ({ ad: s.name, ilk: s.first, son: s.last, katsayi: s.weight }));
    const puanlar = sonuc.bolumPuanlari(v.keys, ogretmen, v.netRule, bolumler);
    assert.deepEqual(puanlar.map((b) => ({ correct: b.dogru, wrong: b.yanlis, blank: b.bos, net: sonuc.netMetni(b.net) })),
      v.sectionScores || [], v.about);
    if (v.weighted)
      assert.equal(sonuc.netMetni(sonuc.agirlikliToplam(bolumler, puanlar)), v.weighted, v.about);
    if (v.version !== 3)
      continue; // the page writes only today's version
    const kayit = { test: v.test, booklet: v.booklet, name: v.name, answers: v.answers, start: v.start, finish: v.finish, attempt: v.attempt };
    assert.equal(sonuc.denetim(kayit), v.check, v.about);
    assert.equal(sonuc.kod(kayit), v.code, v.about);
    assert.equal(sonuc.dosyaMetni(kayit, JSON.parse(v.file).testName), v.file, v.about);
  }
});
