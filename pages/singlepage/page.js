// The pupil's side of the single test page: start, questions, answer sheet,
// finishing, scoring, the result and its file and code. Everything it needs
// is inside the page; the pupil's progress lives in the browser's storage
// under the test's identity so a reload or an accidental close loses nothing.
(function () {
  'use strict';

  var veri = JSON.parse(document.getElementById('dv-veri').textContent);
  var sayi = veri.sayi;
  var harfler = 'ABCDE'.slice(0, veri.secenek);
  var anahtar = anahtarCoz(veri.anahtar, veri.test); // in the teacher's order
  // This booklet's order (sira[p]: the teacher's number at position p + 1);
  // positions are what the pupil sees, answers and the key follow them.
  var sira = veri.sira || null;
  var kitapcikAnahtari = sira ? sira.map(function (t) { return anahtar.charAt(t - 1); }).join('') : anahtar;
  var bolumler = veri.bolumler || [];
  var kitapcik = veri.kitapcikSayisi > 1 ? veri.kitapcik : '';
  // Each booklet keeps its own progress: a pupil who opens booklet B after A
  // in the same browser starts afresh.
  var depoAdi = 'dorvana/' + veri.test + (kitapcik ? '/' + kitapcik : '');
  /* live.js */ // live-only

  function $(id) { return document.getElementById(id); }
  function metin(s) {
    return String(s).replace(/[&<>"']/g, function (c) { return '&#' + c.charCodeAt(0) + ';'; });
  }

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
    return { ad: '', basla: 0, bitis: 0, gecerli: 0, cevaplar: tekrar('-', sayi), doldu: false, deneme: 1 };
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
      durum.deneme = denemeSayisi(d.deneme);
    } catch (e) { /* unreadable memory: start afresh */ }
  }
  function sil() {
    try { localStorage.removeItem(depoAdi); } catch (e) { /* nothing to clear */ }
  }

  // Attempts at the test in this browser: counted at each start and kept
  // apart from the progress, so "Yeniden başla" does not reset the count and
  // a retake after seeing the result says so in its file and code.
  var denemeAdi = 'dorvana/' + veri.test + '/deneme'; // one count for all booklets of the test
  function denemeSayisi(n) {
    n = Math.floor(Number(n));
    return n >= 1 ? Math.min(n, 999999) : 1;
  }
  function yeniDeneme() {
    var n = 1;
    try {
      var onceki = localStorage.getItem(denemeAdi);
      n = onceki ? denemeSayisi(Number(onceki) + 1) : 1;
      localStorage.setItem(denemeAdi, String(n));
    } catch (e) { /* private mode: every start is the first */ }
    return n;
  }

  function cevap(i) { return durum.cevaplar.charAt(i); }
  function cevapYaz(i, harf) {
    durum.cevaplar = durum.cevaplar.slice(0, i) + harf + durum.cevaplar.slice(i + 1);
    kaydet();
    canliCevap(i, harf); // live-only
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
    ['basla-gorunum', 'baski-gorunum', 'soru-gorunum', 'sonuc-gorunum'].forEach(function (g) { $(g).hidden = g !== ad; });
  }

  // ---- The answer sheet ----
  var satirlar = $('satirlar');
  var kurulan = 0; // rows of the answer sheet built so far
  var kurmaSaati = 0;
  // Sections keep their runs in every booklet: each name stands above its first row.
  var bolumBasi = {};
  bolumler.forEach(function (b, k) { bolumBasi[b.ilk - 1] = k; });
  function satirHtml(i) {
    var n = i + 1;
    var k = bolumBasi[i];
    var parca = [k === undefined ? '' : '<h2 class="bolum-adi">' + metin(bolumler[k].ad) + '</h2>'];
    parca.push('<div class="satir" id="satir-' + i + '"><button type="button" class="no" data-soru="' + i +
      '">' + n + '</button><div class="secenekler" role="radiogroup" aria-label="Soru ' + n + '">');
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
      var i = Number(t.getAttribute('data-soru'));
      cevapYaz(i, t.value);
      if (i !== durum.gecerli)
        soruGoster(i, false);
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
  // A PDF question's pages, rendered to images when the page was written,
  // and a line saying what of it is not shown.
  function pdfSayfalari(kaynak, no, n) {
    var ogeler = [];
    var sayfalar = Number(kaynak.getAttribute('data-sayfalar')) || 0;
    for (var k = 1; k <= sayfalar; k++) {
      var sayfa = $('dv-soru-' + no + '-' + k);
      if (!sayfa)
        continue;
      var resim = document.createElement('img');
      resim.alt = sayfalar > 1 ? 'Soru ' + n + ', sayfa ' + k : 'Soru ' + n;
      resim.src = 'data:' + sayfa.getAttribute('data-mime') + ';base64,' + sayfa.textContent.trim();
      ogeler.push(resim);
    }
    var eksik = kaynak.getAttribute('data-eksik');
    if (eksik) {
      var not = document.createElement('p');
      not.className = 'ac';
      not.textContent = 'Gösterilmeyen: ' + eksik;
      ogeler.push(not);
    }
    return ogeler;
  }
  function soruIcerigi(i) {
    var kutu = $('soru');
    var n = i + 1;
    var no = sira ? sira[i] : n; // the question's number in the teacher's order
    kutu.textContent = '';
    var kaynak = $('dv-soru-' + no);
    if (!kaynak && document.readyState === 'loading') {
      // The questions follow this script in the file: a pupil may be faster
      // than the parser on a slow phone.
      kutu.textContent = 'Soru ' + n + ' yükleniyor…';
      var bekle = function () {
        if (durum.gecerli !== i || $('soru-gorunum').hidden)
          return;
        if ($('dv-soru-' + no) || document.readyState !== 'loading')
          soruIcerigi(i);
        else
          setTimeout(bekle, 50);
      };
      setTimeout(bekle, 50);
      return;
    }
    soruOgeleri(kutu, kaynak, no, n, '');
    if (kaynak && kaynak.getAttribute('data-tur') === 'pdf') {
      // The PDF itself from a blob (the browser's viewer runs apart from
      // this page), for a closer look where a browser has a viewer.
      var adres = pdfAdresleri[no];
      if (!adres) {
        adres = URL.createObjectURL(new Blob([bytesOf(kaynak.textContent)], { type: 'application/pdf' }));
        pdfAdresleri[no] = adres;
      }
      var ac = document.createElement('p');
      ac.className = 'ac';
      var bag = document.createElement('a');
      bag.href = adres;
      bag.target = '_blank';
      bag.rel = 'noopener';
      bag.textContent = 'Aç';
      ac.appendChild(bag);
      kutu.appendChild(ac);
    }
  }
  // Question `no` (the teacher's number), shown as number `n`, into `kutu`:
  // HTML in a sandboxed frame of an opaque origin (a question's script cannot
  // touch this page, its storage or the answers; `ek` is added to its
  // document), an image, a PDF's page images, or a note that it is missing.
  // Returns the frame, if any.
  function soruOgeleri(kutu, kaynak, no, n, ek) {
    var tur = kaynak ? kaynak.getAttribute('data-tur') : '';
    if (tur === 'html') {
      var cerceve = document.createElement('iframe');
      cerceve.setAttribute('sandbox', 'allow-scripts');
      cerceve.setAttribute('title', 'Soru ' + n);
      cerceve.srcdoc = new TextDecoder('utf-8').decode(bytesOf(kaynak.textContent)) + ek;
      kutu.appendChild(cerceve);
      return cerceve;
    }
    if (tur === 'resim') {
      var resim = document.createElement('img');
      resim.alt = 'Soru ' + n;
      resim.src = 'data:' + kaynak.getAttribute('data-mime') + ';base64,' + kaynak.textContent.trim();
      kutu.appendChild(resim);
    } else if (tur === 'pdf') {
      pdfSayfalari(kaynak, no, n).forEach(function (e) { kutu.appendChild(e); });
    } else {
      var yok = document.createElement('p');
      yok.className = 'eksik';
      yok.textContent = 'Soru ' + n + ' bulunamadı';
      kutu.appendChild(yok);
    }
    return null;
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
    // Only where the sheet scrolls on its own: on a phone it lies under the
    // question, and the page must not run away from the question's top.
    var kagit = satirlar.parentNode;
    if (kaydir && satir.scrollIntoView && kagit.scrollHeight > kagit.clientHeight)
      satir.scrollIntoView({ block: 'nearest' });
  }
  // A focus inside the answer sheet moves to the same place in the shown
  // question's row, so no key can reach a question the pupil does not see.
  function odakTasi(i) {
    var odak = document.activeElement;
    var satir = $('satir-' + i);
    if (!satir || !odak || !satirlar.contains(odak) || satir.contains(odak))
      return;
    var hedef = odak.type === 'radio'
      ? satir.querySelector('input:checked') || satir.querySelector('input')
      : satir.querySelector('.no');
    hedef.focus({ preventScroll: true });
  }
  // The question's top comes into sight below the bar that stays on screen.
  function soruyaKaydir() {
    var ust = $('cubuk').getBoundingClientRect().bottom;
    var bas = $('soru').getBoundingClientRect().top;
    if (bas < ust || bas > window.innerHeight - 48)
      window.scrollBy(0, bas - ust - 8);
  }
  function soruGoster(i, satiraKaydir) {
    if (sayi === 0)
      return;
    i = Math.min(Math.max(i, 0), sayi - 1);
    satirIsaretle(durum.gecerli, false);
    durum.gecerli = i;
    kaydet();
    satirIsaretle(i, true, satiraKaydir !== false);
    odakTasi(i);
    $('sayac').textContent = (i + 1) + '/' + sayi;
    soruIcerigi(i);
    soruyaKaydir();
  }
  // What the focus or the browser scrolls to stays clear of that bar.
  if (window.ResizeObserver)
    new ResizeObserver(function () {
      document.documentElement.style.scrollPaddingTop = ($('cubuk').offsetHeight + 8) + 'px';
    }).observe($('cubuk'));
  $('ilk').addEventListener('click', function () { soruGoster(0); });
  $('geri').addEventListener('click', function () { soruGoster(durum.gecerli - 1); });
  $('ileri').addEventListener('click', function () { soruGoster(durum.gecerli + 1); });
  $('son').addEventListener('click', function () { soruGoster(sayi - 1); });
  $('sil').addEventListener('click', function () { sec(durum.gecerli, '-'); });

  // ---- Keyboard ----
  document.addEventListener('keydown', function (e) {
    if ($('soru-gorunum').hidden || e.ctrlKey || e.altKey || e.metaKey)
      return;
    if ($('onay').open)
      return; // the dialog answers its own keys; Escape is "Vazgeç"
    var t = e.target;
    if (t && (t.tagName === 'TEXTAREA' || (t.tagName === 'INPUT' && t.type === 'text')))
      return;
    var tus = e.key;
    if ((tus === 'ArrowUp' || tus === 'ArrowDown') && t.type === 'radio') {
      // Up and down choose only in the shown question's row; elsewhere they
      // scroll, as they do everywhere else on the page.
      if (Number(t.getAttribute('data-soru')) === durum.gecerli)
        return;
      var kagit = satirlar.parentNode;
      (kagit.scrollHeight > kagit.clientHeight ? kagit : document.scrollingElement)
        .scrollBy(0, tus === 'ArrowUp' ? -40 : 40);
    } else if (tus === 'ArrowRight' || tus === 'PageDown') soruGoster(durum.gecerli + 1);
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

  // ---- Asking first: one modal dialog inside the page ----
  // The focus starts on "Vazgeç"; Escape, "Vazgeç" and closing change nothing
  // and give the focus back to where it was (or to donus).
  var onayOnceki = null;
  var onayIslev = null;
  function onayAc(metin, evetMetni, islev, donus) {
    onayOnceki = donus || document.activeElement;
    onayIslev = islev;
    $('onay-metin').textContent = metin;
    $('evet').textContent = evetMetni;
    if (!$('onay').open)
      $('onay').showModal();
    $('vazgec').focus();
  }
  function onayKapat() {
    onayIslev = null;
    if ($('onay').open)
      $('onay').close();
    var geri = onayOnceki;
    onayOnceki = null;
    if (geri && geri.focus)
      geri.focus({ preventScroll: true });
  }
  $('onay').addEventListener('close', function () {
    if (onayOnceki && !$('onay').open) // closed by Escape
      onayKapat();
  });
  $('vazgec').addEventListener('click', onayKapat);
  $('evet').addEventListener('click', function () {
    var islev = onayIslev;
    onayKapat();
    if (islev)
      islev();
  });

  // ---- Finishing ----
  $('bitir').addEventListener('click', function () {
    var bos = 0;
    for (var i = 0; i < sayi; i++)
      if (cevap(i) === '-')
        bos++;
    var parcalar = [bos > 0 ? bos + ' soruyu boş bıraktınız.' : 'Bütün soruları cevapladınız.'];
    if (veri.sure > 0 && bitisSiniri() > Date.now())
      parcalar.push('Süreniz bitmedi.');
    parcalar.push('Bitirdikten sonra cevaplarınızı değiştiremezsiniz. Testi bitirmek istiyor musunuz?');
    onayAc(parcalar.join(' '), 'Evet, bitir', function () { bitir(false); });
  });

  function bitir(sureDoldu) {
    sureDurdur();
    onayKapat(); // time may run out while the pupil is being asked
    if (kurmaSaati) {
      clearTimeout(kurmaSaati);
      kurmaSaati = 0;
    }
    if (!durum.bitis) {
      durum.bitis = sureDoldu ? Math.min(Date.now(), bitisSiniri()) : Date.now();
      durum.doldu = sureDoldu;
    }
    kaydet();
    canliBitir(); // live-only
    sonucGoster();
  }

  // The table of a long test is filled a piece at a time; the totals above
  // it are there at once.
  var tabloKurulan = 0;
  var tabloSaati = 0;
  var dogrularGorunur = veri.dogrular !== false;
  dogrularGorunur = false; // live-only
  if (!dogrularGorunur)
    document.querySelectorAll('#sonuc-tablosu .dogru-sutun').forEach(function (th) { th.remove(); });
  function tabloEkle(kadar) {
    var parca = [];
    for (; tabloKurulan < kadar; tabloKurulan++) {
      var i = tabloKurulan;
      var c = durum.cevaplar.charAt(i);
      var k = kitapcikAnahtari.charAt(i);
      var isaret = c === '-' ? 'B' : (c.toUpperCase() === k.toUpperCase() ? 'D' : 'Y');
      // Without the correct answers the row does not tell right from wrong either.
      parca.push('<tr><td>' + (i + 1) + '</td><td>' + (c === '-' ? '' : c) + '</td>' +
        (dogrularGorunur ? '<td>' + k + '</td><td class="sonuc-' + isaret.toLowerCase() + '">' +
          isaret + '</td>' : '') + '</tr>');
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
    var p = dvSonuc.puanla(kitapcikAnahtari, durum.cevaplar, veri.net);
    $('t-dogru').textContent = p.dogru;
    $('t-yanlis').textContent = p.yanlis;
    $('t-bos').textContent = p.bos;
    $('t-net').textContent = dvSonuc.netMetni(p.net);
    $('s-ad').textContent = durum.ad;
    $('s-basla').textContent = gosterimZamani(durum.basla);
    $('s-bitis').textContent = gosterimZamani(durum.bitis);
    $('sure-doldu').hidden = !durum.doldu;
    bolumleriGoster();
    $('sonuc-satirlar').textContent = '';
    tabloKurulan = 0;
    tabloEkle(Math.min(sayi, 200));
    tabloSaati = setTimeout(tabloParca, 0);
    $('kod-alani').hidden = true;
    $('kod-goster').setAttribute('aria-expanded', 'false');
    $('kayit-bilgi').textContent = '';
    canliSonuc(); // live-only
    gorunum('sonuc-gorunum');
  }

  // Scored as the program scores: the answers back in the teacher's order.
  function bolumleriGoster() {
    $('bolumler').hidden = bolumler.length === 0;
    $('agirlikli').hidden = !dvSonuc.agirlikVar(bolumler);
    if (!bolumler.length)
      return;
    var puanlar = dvSonuc.bolumPuanlari(anahtar, dvSonuc.ogretmenSirasi(sira, durum.cevaplar), veri.net, bolumler);
    $('bolum-satirlar').innerHTML = puanlar.map(function (p, k) {
      return '<tr><th scope="row">' + metin(bolumler[k].ad) + '</th><td>' + p.dogru + '</td><td>' + p.yanlis +
        '</td><td>' + p.bos + '</td><td>' + dvSonuc.netMetni(p.net) + '</td></tr>';
    }).join('');
    $('agirlikli-toplam').textContent = dvSonuc.netMetni(dvSonuc.agirlikliToplam(bolumler, puanlar));
  }

  // ---- The result file and code ----
  function sonucKaydi() {
    return {
      test: veri.test,
      booklet: kitapcik || 'A',
      name: durum.ad,
      answers: durum.cevaplar,
      start: dosyaZamani(durum.basla),
      finish: dosyaZamani(durum.bitis),
      attempt: durum.deneme
    };
  }
  function dosyaAdi(ad) {
    var temiz = ad.replace(/[\\\/:*?"<>|\u0000-\u001f\u007f]/g, '_');
    return veri.kok + '-' + (temiz === '' ? 'adsiz' : temiz) + '.dvsonuc';
  }
  $('kaydet').addEventListener('click', function () {
    var metin = dvSonuc.dosyaMetni(sonucKaydi(), veri.ad);
    var adres = URL.createObjectURL(new Blob([metin], { type: 'application/json' }));
    var bag = document.createElement('a');
    bag.href = adres;
    bag.download = dosyaAdi(durum.ad);
    document.body.appendChild(bag);
    bag.click();
    document.body.removeChild(bag);
    setTimeout(function () { URL.revokeObjectURL(adres); }, 60000);
    $('kayit-bilgi').textContent = bag.download + ' indirildi; öğretmeninize gönderin.';
  });
  $('kod-goster').addEventListener('click', function () {
    var kod = dvSonuc.kod(sonucKaydi());
    $('kod').textContent = kod.match(/.{1,5}/g).join(' ');
    $('kod-alani').hidden = false;
    $('kod-goster').setAttribute('aria-expanded', 'true');
  });



  // ---- Starting and starting over ----
  function testeGir() {
    gorunum('soru-gorunum');
    isaretleriYenile();
    cevapKagidiKur();
    soruGoster(durum.gecerli);
    sureBaslat();
  }
  function basla() {
    if (!canliKatil(basla)) return; // live-only
    durum = bosDurum();
    durum.ad = $('ad').value.trim();
    durum.basla = Date.now();
    durum.deneme = yeniDeneme();
    canliBasladi(); // live-only
    kaydet();
    testeGir();
    // On the title, not on an option: a key pressed to scroll chooses nothing.
    $('baslik-soru').focus({ preventScroll: true });
  }
  $('basla').addEventListener('click', function () {
    if ($('ad').value.trim() === '')
      onayAc('Adınızı yazmadınız; öğretmeniniz sonucunuzu tanıyamaz.', 'Yine de başla', basla, $('ad'));
    else
      basla();
  });
  $('yeniden').addEventListener('click', function () {
    onayAc('Sonucunuz silinecek. Kaydetmediyseniz öğretmeniniz göremez.', 'Evet, sil', yenidenBasla);
  });
  function yenidenBasla() {
    sureDurdur();
    sil();
    durum = bosDurum();
    isaretleriYenile();
    $('ad').value = '';
    $('kalan').hidden = true;
    gorunum('basla-gorunum');
    $('ad').focus();
  }
  $('yazdir').addEventListener('click', function () {
    tabloTamamla();
    window.print();
  });
  window.addEventListener('beforeprint', tabloTamamla);

  // ---- The booklet, printed ----
  // Every question in this booklet's order, whole and numbered. A question's
  // frame cannot be measured from here (its origin is opaque): a script
  // added to it tells its height, and narrows content too wide for the paper.
  var OLCUM = '<script>(function(){function olc(){var d=document.documentElement,b=document.body||d;' +
    'd.style.zoom="";var w=Math.max(d.scrollWidth,b.scrollWidth);' +
    'if(w>d.clientWidth+1)d.style.zoom=d.clientWidth/w;parent.postMessage({dvYukseklik:' +
    'Math.max(d.scrollHeight,b.scrollHeight)},"*")}if(document.readyState==="complete")olc();' +
    'else addEventListener("load",olc);addEventListener("resize",olc);setTimeout(olc,500)})()<\/script>';
  var baskiCerceveleri = [];
  var baskiKuruldu = false;
  window.addEventListener('message', function (e) {
    if (e.origin !== 'null' || !e.data || typeof e.data.dvYukseklik !== 'number')
      return;
    baskiCerceveleri.forEach(function (c) {
      if (c.contentWindow !== e.source)
        return;
      var h = Math.min(Math.ceil(e.data.dvYukseklik), 30000); // a runaway question stays bounded
      if (h > c.offsetHeight)
        c.style.height = h + 'px';
      c.setAttribute('data-olculdu', '1');
    });
  });
  // A CSS string holds any text: every character outside a plain set escaped.
  function cssMetni(s) {
    return '"' + String(s).replace(/[^A-Za-z0-9 .,:;!?()\u00c0-\uffff-]/g, function (c) {
      return '\\' + c.charCodeAt(0).toString(16) + ' ';
    }) + '"';
  }
  function baskiKur() {
    if (baskiKuruldu)
      return;
    baskiKuruldu = true;
    var liste = $('baski-sorular');
    for (var i = 0; i < sayi; i++) {
      var n = i + 1;
      var no = sira ? sira[i] : n;
      var kutu = document.createElement('section');
      kutu.className = 'baski-soru';
      kutu.setAttribute('aria-label', 'Soru ' + n);
      var baslik = document.createElement('h2');
      baslik.textContent = n + '.';
      kutu.appendChild(baslik);
      var cerceve = soruOgeleri(kutu, $('dv-soru-' + no), no, n, OLCUM);
      if (cerceve)
        baskiCerceveleri.push(cerceve);
      liste.appendChild(kutu);
    }
    // Every sheet carries the test, the booklet and its page number.
    var alt = document.createElement('style');
    alt.textContent = '@page kitapcik { @bottom-center { content: ' +
      cssMetni(veri.ad + (kitapcik ? ' \u00b7 Kitapçık ' + kitapcik : '') + ' \u00b7 ') +
      ' counter(page) " / " counter(pages); font-size: 9pt; } }';
    document.head.appendChild(alt);
  }
  // Printed once every frame has told its height and every image is there,
  // or after ten seconds at most, whatever a question does.
  function baskiyaHazir() {
    var bekleyen = [];
    baskiCerceveleri.forEach(function (c) {
      bekleyen.push(new Promise(function (tamam) {
        (function bak() { if (c.getAttribute('data-olculdu')) tamam(); else setTimeout(bak, 50); })();
      }));
    });
    $('baski-sorular').querySelectorAll('img').forEach(function (r) {
      bekleyen.push(r.decode ? r.decode().catch(function () {}) : Promise.resolve());
    });
    return Promise.race([Promise.all(bekleyen), new Promise(function (t) { setTimeout(t, 10000); })]);
  }
  function kitapcigiYazdir() {
    baskiKur();
    gorunum('baski-gorunum');
    baskiyaHazir().then(function () {
      $('baski-gorunum').setAttribute('data-hazir', '1');
      window.print();
    });
  }
  $('kitapcik-yazdir').addEventListener('click', kitapcigiYazdir);
  $('baski-yazdir').addEventListener('click', kitapcigiYazdir);
  $('baski-geri').addEventListener('click', function () {
    gorunum('basla-gorunum');
    $('kitapcik-yazdir').focus();
  });

  // The booklet on the start view and on the result, printed too: its
  // questions are numbered in the booklet's own order.
  if (kitapcik) {
    $('kitapcik-bilgi').textContent = 'Kitapçık ' + kitapcik;
    $('baski-kitapcik').textContent = 'Kitapçık ' + kitapcik;
    $('baski-kitapcik').hidden = false;
    $('s-kitapcik').textContent = kitapcik;
    document.querySelectorAll('#kitapcik-bilgi, .kitapcikli').forEach(function (e) { e.hidden = false; });
  }
  if (veri.sure > 0) {
    $('sure-bilgi').textContent = 'Süre: ' + veri.sure + ' dakika';
    $('sure-bilgi').hidden = false;
  }
  yukle();
  canliYukle(); // live-only
  if (durum.bitis)
    sonucGoster();
  else if (durum.basla)
    testeGir();
  else
    gorunum('basla-gorunum');
})();
