// The single page's scoring, the net's text, and the result's check value,
// file and code: the page's side of the rules the program keeps in
// core/TestRules and results/ResultInput (docs/result-file.md). A plain script
// inlined before page.js; node loads the same file for the shared vectors.
var dvSonuc = (function () {
  'use strict';

  // Blank ("-"), wrong (another letter, case ignored), the rest right; the
  // net by the teacher's rule: 3 or 4 wrong cancel one right, 0 none.
  function puanla(anahtar, cevaplar, netKurali) {
    var sayi = anahtar.length;
    var bos = 0, yanlis = 0;
    for (var i = 0; i < sayi; i++) {
      var c = cevaplar.charAt(i).toUpperCase();
      if (c === '-') bos++;
      else if (c !== anahtar.charAt(i).toUpperCase()) yanlis++;
    }
    var dogru = sayi - yanlis - bos;
    var net = netKurali > 0 ? dogru - yanlis / netKurali : dogru;
    return { dogru: dogru, yanlis: yanlis, bos: bos, net: net };
  }

  // Answers given in a booklet's order, put back in the teacher's: sira[p] is
  // the teacher's number (1-based) of the question shown at position p + 1.
  // No order: the teacher's own.
  function ogretmenSirasi(sira, cevaplar) {
    if (!sira)
      return cevaplar;
    var ogretmen = new Array(cevaplar.length);
    for (var p = 0; p < cevaplar.length; p++)
      ogretmen[sira[p] - 1] = cevaplar.charAt(p);
    return ogretmen.join('');
  }

  // Each section's score (bolumler: {ad, ilk, son, katsayi}, questions 1-based
  // and inclusive) from the key and answers in the teacher's order.
  function bolumPuanlari(anahtar, cevaplar, netKurali, bolumler) {
    return bolumler.map(function (b) {
      return puanla(anahtar.slice(b.ilk - 1, b.son), cevaplar.slice(b.ilk - 1, b.son), netKurali);
    });
  }
  // Shown only when a weight differs from 1.
  function agirlikVar(bolumler) {
    return bolumler.some(function (b) { return b.katsayi !== 1; });
  }
  function agirlikliToplam(bolumler, puanlar) {
    var toplam = 0;
    for (var i = 0; i < bolumler.length; i++)
      toplam += bolumler[i].katsayi * puanlar[i].net;
    return toplam;
  }

  function netMetni(net) {
    var metin = (Math.round(net * 100) / 100).toFixed(2);
    if (metin === '-0.00')
      metin = '0.00';
    return metin.replace('.', ',');
  }

  // kayit: test, booklet, name, answers (in the booklet's order), start,
  // finish, attempt.
  function denetim(kayit) {
    return sha256Hex(['dvsonuc/3', kayit.test, kayit.booklet, kayit.name, kayit.answers,
      kayit.start, kayit.finish, String(kayit.attempt)].join('\n')).slice(0, 16);
  }
  function dosyaMetni(kayit, testAdi) {
    return JSON.stringify({
      format: 'dvsonuc', version: 3, test: kayit.test, testName: testAdi, booklet: kayit.booklet,
      name: kayit.name, answers: kayit.answers, start: kayit.start, finish: kayit.finish,
      attempt: kayit.attempt, check: denetim(kayit)
    });
  }
  function kod(kayit) {
    var yuk = [kayit.test, kayit.booklet, kayit.name, kayit.answers, kayit.start, kayit.finish,
      String(kayit.attempt), denetim(kayit)].join('\n');
    return 'DV3' + base32(utf8(yuk));
  }

  function utf8(metin) { return new TextEncoder().encode(metin); }
  function base32(bayt) {
    var abc = 'ABCDEFGHIJKLMNOPQRSTUVWXYZ234567';
    var cikti = '', tampon = 0, bit = 0;
    for (var i = 0; i < bayt.length; i++) {
      tampon = (tampon << 8) | bayt[i];
      bit += 8;
      while (bit >= 5) {
        cikti += abc.charAt((tampon >>> (bit - 5)) & 31);
        bit -= 5;
      }
      tampon &= (1 << bit) - 1;
    }
    if (bit > 0)
      cikti += abc.charAt((tampon << (5 - bit)) & 31);
    return cikti;
  }

  // SHA-256 in the page itself: the browser's own digest is asynchronous and
  // missing where a page opened from disk does not count as secure.
  var K = [
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2];
  function sha256Hex(metin) {
    var veriBayt = utf8(metin);
    var uzunluk = veriBayt.length;
    var blokSayisi = Math.ceil((uzunluk + 9) / 64);
    var dolgu = new Uint8Array(blokSayisi * 64);
    dolgu.set(veriBayt);
    dolgu[uzunluk] = 0x80;
    var bitUzunluk = uzunluk * 8;
    var son = dolgu.length;
    dolgu[son - 4] = (bitUzunluk >>> 24) & 255;
    dolgu[son - 3] = (bitUzunluk >>> 16) & 255;
    dolgu[son - 2] = (bitUzunluk >>> 8) & 255;
    dolgu[son - 1] = bitUzunluk & 255;
    dolgu[son - 5] = Math.floor(bitUzunluk / 4294967296) & 255;
    var h = [0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19];
    var w = new Array(64);
    for (var b = 0; b < dolgu.length; b += 64) {
      for (var t = 0; t < 16; t++)
        w[t] = (dolgu[b + 4 * t] << 24) | (dolgu[b + 4 * t + 1] << 16) | (dolgu[b + 4 * t + 2] << 8) | dolgu[b + 4 * t + 3];
      for (t = 16; t < 64; t++) {
        var s0 = ror(w[t - 15], 7) ^ ror(w[t - 15], 18) ^ (w[t - 15] >>> 3);
        var s1 = ror(w[t - 2], 17) ^ ror(w[t - 2], 19) ^ (w[t - 2] >>> 10);
        w[t] = (w[t - 16] + s0 + w[t - 7] + s1) | 0;
      }
      var a = h[0], bb = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], hh = h[7];
      for (t = 0; t < 64; t++) {
        var S1 = ror(e, 6) ^ ror(e, 11) ^ ror(e, 25);
        var ch = (e & f) ^ (~e & g);
        var t1 = (hh + S1 + ch + K[t] + w[t]) | 0;
        var S0 = ror(a, 2) ^ ror(a, 13) ^ ror(a, 22);
        var maj = (a & bb) ^ (a & c) ^ (bb & c);
        var t2 = (S0 + maj) | 0;
        hh = g; g = f; f = e; e = (d + t1) | 0; d = c; c = bb; bb = a; a = (t1 + t2) | 0;
      }
      h[0] = (h[0] + a) | 0; h[1] = (h[1] + bb) | 0; h[2] = (h[2] + c) | 0; h[3] = (h[3] + d) | 0;
      h[4] = (h[4] + e) | 0; h[5] = (h[5] + f) | 0; h[6] = (h[6] + g) | 0; h[7] = (h[7] + hh) | 0;
    }
    var hex = '';
    for (var j = 0; j < 8; j++)
      hex += ('00000000' + (h[j] >>> 0).toString(16)).slice(-8);
    return hex;
  }
  function ror(x, n) { return (x >>> n) | (x << (32 - n)); }

  return {
    puanla: puanla, ogretmenSirasi: ogretmenSirasi, bolumPuanlari: bolumPuanlari,
    agirlikVar: agirlikVar, agirlikliToplam: agirlikliToplam, netMetni: netMetni,
    denetim: denetim, dosyaMetni: dosyaMetni, kod: kod
  };
})();
if (typeof module !== 'undefined' && module.exports)
  module.exports = dvSonuc;
