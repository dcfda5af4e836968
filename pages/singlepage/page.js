// The pupil's side of the single test page: start, questions, answer sheet,
// finishing, scoring, the result and its file and code. Everything it needs
// is inside the page; the pupil's progress lives in the browser's storage
// under the test's identity so a reload or an accidental close loses nothing.
(function () {
  'use strict';

  var veri = JSON.parse(document.getElementById('dv-veri').textContent);
  var sayi = veri.sayi;
  var harfler = 'ABCDE'.slice(0, veri.secenek);
  var anahtar = anahtarCoz(veri.anahtar, veri.test);
  var depoAdi = 'dorvana/' + veri.test;

  function $(id) { return document.getElementById(id); }

  // ---- The keys: only kept from a glance, not a secret ----
  function anahtarCoz(kodlu, test) {
    var ham = atob(kodlu);
    var cikti = '';
    for (var i = 0; i < ham.length; i++)
      cikti += String.fromCharCode(ham.charCodeAt(i) ^ test.charCodeAt(i % test.length));
    return cikti;
  }

  // ---- Saved progress ----
  var durum = bosDurum();

  function bosDurum() {
    return { ad: '', basla: 0, bitis: 0, gecerli: 0, cevaplar: tekrar('-', sayi), doldu: false };
  }
  function tekrar(c, n) { return new Array(n + 1).join(c); }

  function kaydet() {
    try { localStorage.setItem(depoAdi, JSON.stringify(durum)); } catch (e) { /* private mode: no memory */ }
  }
  function yukle() {
    try {
      var metin = localStorage.getItem(depoAdi);
      if (!metin)
        return;
      var d = JSON.parse(metin);
      if (typeof d.cevaplar !== 'string' || d.cevaplar.length !== sayi)
        return;
      durum.ad = String(d.ad || '');
      durum.basla = Number(d.basla) || 0;
      durum.bitis = Number(d.bitis) || 0;
      durum.gecerli = Math.min(Math.max(Number(d.gecerli) || 0, 0), Math.max(sayi - 1, 0));
      durum.cevaplar = d.cevaplar.replace(new RegExp('[^' + harfler + '-]', 'g'), '-');
      durum.doldu = !!d.doldu;
    } catch (e) { /* unreadable memory: start afresh */ }
  }
  function sil() {
    try { localStorage.removeItem(depoAdi); } catch (e) { /* nothing to clear */ }
  }

  function cevap(i) { return durum.cevaplar.charAt(i); }
  function cevapYaz(i, harf) {
    durum.cevaplar = durum.cevaplar.slice(0, i) + harf + durum.cevaplar.slice(i + 1);
    kaydet();
  }

  // ---- Times ----
  function iki(n) { return (n < 10 ? '0' : '') + n; }
  function gosterimZamani(ms) {
    var t = new Date(ms);
    return iki(t.getDate()) + '.' + iki(t.getMonth() + 1) + '.' + t.getFullYear() + ' ' +
      iki(t.getHours()) + ':' + iki(t.getMinutes());
  }
  function dosyaZamani(ms) {
    var t = new Date(ms);
    return t.getFullYear() + '-' + iki(t.getMonth() + 1) + '-' + iki(t.getDate()) + 'T' +
      iki(t.getHours()) + ':' + iki(t.getMinutes()) + ':' + iki(t.getSeconds());
  }

  // ---- Views ----
  function gorunum(ad) {
    ['basla-gorunum', 'soru-gorunum', 'sonuc-gorunum'].forEach(function (g) { $(g).hidden = g !== ad; });
  }

  // ---- The answer sheet ----
  var satirlar = $('satirlar');
  var kurulan = 0; // rows of the answer sheet built so far
  var kurmaSaati = 0;
  function satirHtml(i) {
    var n = i + 1;
    var parca = ['<div class="satir" id="satir-' + i + '"><button type="button" class="no" data-soru="' + i +
      '">' + n + '</button><div class="secenekler" role="radiogroup" aria-label="Soru ' + n + '">'];
    for (var h = 0; h < harfler.length; h++) {
      var harf = harfler.charAt(h);
      parca.push('<label class="secenek"><input type="radio" name="s' + n + '" value="' + harf +
        '" data-soru="' + i + '"' + (cevap(i) === harf ? ' checked' : '') + '>' + harf + '</label>');
    }
    parca.push('</div></div>');
    return parca.join('');
  }
  function satirlarEkle(kadar) {
    var bas = kurulan;
    var parca = [];
    for (; kurulan < kadar; kurulan++)
      parca.push(satirHtml(kurulan));
    satirlar.insertAdjacentHTML('beforeend', parca.join(''));
    if (durum.gecerli >= bas && durum.gecerli < kurulan)
      satirIsaretle(durum.gecerli, true);
  }
  // A long test's sheet is built a piece at a time, so the first question
  // shows at once and the page keeps answering the pupil meanwhile.
  function cevapKagidiKur() {
    satirlarEkle(Math.max(kurulan, Math.min(sayi, 200)));
    var parcaKur = function () {
      satirlarEkle(Math.min(sayi, kurulan + 100));
      kurmaSaati = kurulan < sayi ? setTimeout(parcaKur, 0) : 0;
    };
    if (kurulan < sayi && !kurmaSaati)
      kurmaSaati = setTimeout(parcaKur, 0);
  }
  function isaretleriYenile() {
    var kutular = satirlar.querySelectorAll('input[type=radio]');
    for (var k = 0; k < kutular.length; k++) {
      var i = Number(kutular[k].getAttribute('data-soru'));
      kutular[k].checked = cevap(i) === kutular[k].value;
    }
  }
  function sec(i, harf) {
    cevapYaz(i, harf);
    var kutular = satirlar.querySelectorAll('input[name="s' + (i + 1) + '"]');
    for (var k = 0; k < kutular.length; k++)
      kutular[k].checked = kutular[k].value === harf;
  }

  satirlar.addEventListener('change', function (e) {
    var t = e.target;
    if (t.type === 'radio' && t.checked) {
      cevapYaz(Number(t.getAttribute('data-soru')), t.value);
    }
  });
  satirlar.addEventListener('click', function (e) {
    var t = e.target;
    if (t.classList && t.classList.contains('no'))
      soruGoster(Number(t.getAttribute('data-soru')), false);
  });

  // ---- The question ----
  var pdfAdresleri = {};
  function bytesOf(b64) {
    var ham = atob(b64);
    var dizi = new Uint8Array(ham.length);
    for (var i = 0; i < ham.length; i++)
      dizi[i] = ham.charCodeAt(i);
    return dizi;
  }
  function soruIcerigi(i) {
    var kutu = $('soru');
    var n = i + 1;
    kutu.textContent = '';
    var kaynak = $('dv-soru-' + n);
    if (!kaynak && document.readyState === 'loading') {
      // The questions follow this script in the file: a pupil may be faster
      // than the parser on a slow phone.
      kutu.textContent = 'Soru ' + n + ' yükleniyor…';
      var bekle = function () {
        if (durum.gecerli !== i || $('soru-gorunum').hidden)
          return;
        if ($('dv-soru-' + n) || document.readyState !== 'loading')
          soruIcerigi(i);
        else
          setTimeout(bekle, 50);
      };
      setTimeout(bekle, 50);
      return;
    }
    var tur = kaynak ? kaynak.getAttribute('data-tur') : '';
    if (tur === 'html') {
      // An opaque origin: a question's script cannot touch this page, its
      // storage or the answers.
      var cerceve = document.createElement('iframe');
      cerceve.setAttribute('sandbox', 'allow-scripts');
      cerceve.setAttribute('title', 'Soru ' + n);
      cerceve.srcdoc = new TextDecoder('utf-8').decode(bytesOf(kaynak.textContent));
      kutu.appendChild(cerceve);
    } else if (tur === 'resim') {
      var resim = document.createElement('img');
      resim.alt = 'Soru ' + n;
      resim.src = 'data:' + kaynak.getAttribute('data-mime') + ';base64,' + kaynak.textContent.trim();
      kutu.appendChild(resim);
    } else if (tur === 'pdf') {
      // A sandboxed frame would keep the browser's PDF viewer out, so the PDF
      // is shown from a blob (the viewer runs apart from this page), with a
      // link that opens it on its own where a browser has no viewer.
      var adres = pdfAdresleri[n];
      if (!adres) {
        adres = URL.createObjectURL(new Blob([bytesOf(kaynak.textContent)], { type: 'application/pdf' }));
        pdfAdresleri[n] = adres;
      }
      var pdf = document.createElement('iframe');
      pdf.setAttribute('title', 'Soru ' + n);
      pdf.src = adres;
      kutu.appendChild(pdf);
      var ac = document.createElement('p');
      ac.className = 'ac';
      var bag = document.createElement('a');
      bag.href = adres;
      bag.target = '_blank';
      bag.rel = 'noopener';
      bag.textContent = 'Aç';
      ac.appendChild(bag);
      kutu.appendChild(ac);
    } else {
      var yok = document.createElement('p');
      yok.className = 'eksik';
      yok.textContent = 'Soru ' + n + ' bulunamadı';
      kutu.appendChild(yok);
    }
  }
  function satirIsaretle(i, guncel, kaydir) {
    var satir = $('satir-' + i);
    if (!satir)
      return;
    satir.classList.toggle('guncel', guncel);
    if (guncel)
      satir.setAttribute('aria-current', 'true');
    else
      satir.removeAttribute('aria-current');
    if (kaydir && satir.scrollIntoView)
      satir.scrollIntoView({ block: 'nearest' });
  }
  function soruGoster(i, satiraKaydir) {
    if (sayi === 0)
      return;
    i = Math.min(Math.max(i, 0), sayi - 1);
    satirIsaretle(durum.gecerli, false);
    durum.gecerli = i;
    kaydet();
    satirIsaretle(i, true, satiraKaydir !== false);
    $('sayac').textContent = (i + 1) + '/' + sayi;
    soruIcerigi(i);
  }
  $('ilk').addEventListener('click', function () { soruGoster(0); });
  $('geri').addEventListener('click', function () { soruGoster(durum.gecerli - 1); });
  $('ileri').addEventListener('click', function () { soruGoster(durum.gecerli + 1); });
  $('son').addEventListener('click', function () { soruGoster(sayi - 1); });
  $('sil').addEventListener('click', function () { sec(durum.gecerli, '-'); });

  // ---- Keyboard ----
  document.addEventListener('keydown', function (e) {
    if ($('soru-gorunum').hidden || e.ctrlKey || e.altKey || e.metaKey)
      return;
    if (!$('onay').hidden) {
      if (e.key === 'Escape') {
        e.preventDefault();
        onayKapat();
      }
      return;
    }
    var t = e.target;
    if (t && (t.tagName === 'TEXTAREA' || (t.tagName === 'INPUT' && t.type === 'text')))
      return;
    var tus = e.key;
    if (tus === 'ArrowRight' || tus === 'PageDown') soruGoster(durum.gecerli + 1);
    else if (tus === 'ArrowLeft' || tus === 'PageUp') soruGoster(durum.gecerli - 1);
    else if (tus === 'Home' && t.tagName !== 'BUTTON') soruGoster(0);
    else if (tus === 'End' && t.tagName !== 'BUTTON') soruGoster(sayi - 1);
    else if (tus === 'Delete' || tus === 'Backspace') sec(durum.gecerli, '-');
    else if (tus.length === 1 && harfler.indexOf(tus.toUpperCase()) >= 0)
      sec(durum.gecerli, tus.toUpperCase());
    else
      return;
    e.preventDefault();
  });

  // ---- Time limit ----
  var saat = 0;
  function bitisSiniri() { return durum.basla + veri.sure * 60000; }
  function sureKontrol() {
    var kalan = bitisSiniri() - Date.now();
    if (kalan <= 0) {
      bitir(true);
      return;
    }
    var saniye = Math.ceil(kalan / 1000);
    $('kalan-sure').textContent = iki(Math.floor(saniye / 60)) + ':' + iki(saniye % 60);
  }
  function sureBaslat() {
    if (veri.sure <= 0)
      return;
    $('kalan').hidden = false;
    sureKontrol();
    if (!durum.bitis && !saat)
      saat = setInterval(sureKontrol, 250);
  }
  function sureDurdur() {
    if (saat) {
      clearInterval(saat);
      saat = 0;
    }
  }

  // ---- Finishing ----
  var onayOnceki = null;
  function onayAc(metin) {
    onayOnceki = document.activeElement;
    $('onay-metin').textContent = metin;
    $('onay').hidden = false;
    $('vazgec').focus();
  }
  function onayKapat() {
    $('onay').hidden = true;
    if (onayOnceki && onayOnceki.focus)
      onayOnceki.focus();
  }
  $('bitir').addEventListener('click', function () {
    var bos = 0;
    for (var i = 0; i < sayi; i++)
      if (cevap(i) === '-')
        bos++;
    var sureVar = veri.sure > 0 && bitisSiniri() > Date.now();
    if (bos === 0 && !sureVar) {
      bitir(false);
      return;
    }
    var parcalar = [];
    if (bos > 0)
      parcalar.push(bos + ' soru boş.');
    if (sureVar)
      parcalar.push('Süreniz bitmedi.');
    parcalar.push('Testi bitirmek istiyor musunuz?');
    onayAc(parcalar.join(' '));
  });
  $('vazgec').addEventListener('click', onayKapat);
  $('evet').addEventListener('click', function () {
    $('onay').hidden = true;
    bitir(false);
  });
  $('onay').addEventListener('keydown', function (e) {
    // Keep Tab inside the question while it is open.
    if (e.key !== 'Tab')
      return;
    var ilkDugme = $('evet');
    var sonDugme = $('vazgec');
    if (e.shiftKey && document.activeElement === ilkDugme) {
      e.preventDefault();
      sonDugme.focus();
    } else if (!e.shiftKey && document.activeElement === sonDugme) {
      e.preventDefault();
      ilkDugme.focus();
    }
  });

  function bitir(sureDoldu) {
    sureDurdur();
    $('onay').hidden = true; // time may run out while the pupil is being asked
    if (kurmaSaati) {
      clearTimeout(kurmaSaati);
      kurmaSaati = 0;
    }
    if (!durum.bitis) {
      durum.bitis = sureDoldu ? Math.min(Date.now(), bitisSiniri()) : Date.now();
      durum.doldu = sureDoldu;
    }
    kaydet();
    sonucGoster();
  }

  // ---- Scoring: blank, wrong, the rest right; the net by the teacher's rule ----
  function puanla(cevaplar) {
    var bos = 0, yanlis = 0;
    for (var i = 0; i < sayi; i++) {
      var c = cevaplar.charAt(i).toUpperCase();
      if (c === '-') bos++;
      else if (c !== anahtar.charAt(i).toUpperCase()) yanlis++;
    }
    var dogru = sayi - yanlis - bos;
    var net = veri.net > 0 ? dogru - yanlis / veri.net : dogru;
    return { dogru: dogru, yanlis: yanlis, bos: bos, net: net };
  }
  function netMetni(net) {
    var metin = (Math.round(net * 100) / 100).toFixed(2);
    if (metin === '-0.00')
      metin = '0.00';
    return metin.replace('.', ',');
  }

  // The table of a long test is filled a piece at a time; the totals above
  // it are there at once.
  var tabloKurulan = 0;
  var tabloSaati = 0;
  var dogrularGorunur = veri.dogrular !== false;
  if (!dogrularGorunur)
    document.querySelectorAll('#sonuc-tablosu .dogru-sutun').forEach(function (th) { th.remove(); });
  function tabloEkle(kadar) {
    var parca = [];
    for (; tabloKurulan < kadar; tabloKurulan++) {
      var i = tabloKurulan;
      var c = durum.cevaplar.charAt(i);
      var k = anahtar.charAt(i);
      var isaret = c === '-' ? 'B' : (c.toUpperCase() === k.toUpperCase() ? 'D' : 'Y');
      // Without the correct answers the row does not tell right from wrong either.
      parca.push('<tr><td>' + (i + 1) + '</td><td>' + (c === '-' ? '' : c) + '</td>' +
        (dogrularGorunur ? '<td>' + k + '</td><td>' + isaret + '</td>' : '') + '</tr>');
    }
    $('sonuc-satirlar').insertAdjacentHTML('beforeend', parca.join(''));
  }
  function tabloParca() {
    tabloEkle(Math.min(sayi, tabloKurulan + 500));
    tabloSaati = tabloKurulan < sayi ? setTimeout(tabloParca, 0) : 0;
  }
  function tabloTamamla() {
    if (tabloSaati)
      clearTimeout(tabloSaati);
    tabloSaati = 0;
    tabloEkle(sayi);
  }

  function sonucGoster() {
    var p = puanla(durum.cevaplar);
    $('t-dogru').textContent = p.dogru;
    $('t-yanlis').textContent = p.yanlis;
    $('t-bos').textContent = p.bos;
    $('t-net').textContent = netMetni(p.net);
    $('s-ad').textContent = durum.ad;
    $('s-basla').textContent = gosterimZamani(durum.basla);
    $('s-bitis').textContent = gosterimZamani(durum.bitis);
    $('sure-doldu').hidden = !durum.doldu;
    $('sonuc-satirlar').textContent = '';
    tabloKurulan = 0;
    tabloEkle(Math.min(sayi, 200));
    tabloSaati = setTimeout(tabloParca, 0);
    $('kod-alani').hidden = true;
    $('kod-goster').setAttribute('aria-expanded', 'false');
    gorunum('sonuc-gorunum');
  }

  // ---- The result file and code ----
  function sonucKaydi() {
    var kayit = {
      test: veri.test,
      name: durum.ad,
      answers: durum.cevaplar,
      start: dosyaZamani(durum.basla),
      finish: dosyaZamani(durum.bitis)
    };
    kayit.check = sha256Hex(['dvsonuc/1', kayit.test, kayit.name, kayit.answers, kayit.start,
      kayit.finish].join('\n')).slice(0, 16);
    return kayit;
  }
  function dosyaAdi(ad) {
    var temiz = ad.replace(/[\\\/:*?"<>|\u0000-\u001f\u007f]/g, '_');
    return veri.kok + '-' + (temiz === '' ? 'adsiz' : temiz) + '.dvsonuc';
  }
  $('kaydet').addEventListener('click', function () {
    var k = sonucKaydi();
    var metin = JSON.stringify({
      format: 'dvsonuc', version: 1, test: k.test, testName: veri.ad, name: k.name,
      answers: k.answers, start: k.start, finish: k.finish, check: k.check
    });
    var adres = URL.createObjectURL(new Blob([metin], { type: 'application/json' }));
    var bag = document.createElement('a');
    bag.href = adres;
    bag.download = dosyaAdi(durum.ad);
    document.body.appendChild(bag);
    bag.click();
    document.body.removeChild(bag);
    setTimeout(function () { URL.revokeObjectURL(adres); }, 60000);
  });
  $('kod-goster').addEventListener('click', function () {
    var k = sonucKaydi();
    var yuk = [k.test, k.name, k.answers, k.start, k.finish, k.check].join('\n');
    var kod = 'DV1' + base32(utf8(yuk));
    $('kod').textContent = kod.match(/.{1,5}/g).join(' ');
    $('kod-alani').hidden = false;
    $('kod-goster').setAttribute('aria-expanded', 'true');
  });

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

  // ---- Starting and starting over ----
  function testeGir() {
    gorunum('soru-gorunum');
    isaretleriYenile();
    cevapKagidiKur();
    soruGoster(durum.gecerli);
    sureBaslat();
  }
  $('basla').addEventListener('click', function () {
    durum = bosDurum();
    durum.ad = $('ad').value.trim();
    durum.basla = Date.now();
    kaydet();
    testeGir();
    var ilkSecenek = satirlar.querySelector('input');
    if (ilkSecenek)
      ilkSecenek.focus({ preventScroll: true });
  });
  $('yeniden').addEventListener('click', function () {
    sureDurdur();
    sil();
    durum = bosDurum();
    isaretleriYenile();
    $('ad').value = '';
    $('kalan').hidden = true;
    gorunum('basla-gorunum');
    $('ad').focus();
  });
  $('yazdir').addEventListener('click', function () {
    tabloTamamla();
    window.print();
  });
  window.addEventListener('beforeprint', tabloTamamla);

  if (veri.sure > 0) {
    $('sure-bilgi').textContent = 'Süre: ' + veri.sure + ' dakika';
    $('sure-bilgi').hidden = false;
  }
  yukle();
  if (durum.bitis)
    sonucGoster();
  else if (durum.basla)
    testeGir();
  else
    gorunum('basla-gorunum');
})();
