  // ---- The live exam: this page served by the teacher's program ----
  // Inserted into page.js's scope in the live form only, where the lines of
  // page.js marked "live-only" call it. The page carries no key: the program
  // scores the finish and sends the totals, and the key in this booklet's
  // order once the teacher has ended the exam. Every answer is kept in the
  // browser first and sent until the program has it, so a lost connection or
  // a reload loses nothing.
  var canliTaban = location.pathname.replace(/[^\/]*$/, ''); // "/<token>/"
  depoAdi = 'dorvana/canli' + canliTaban + (kitapcik || 'A');
  var canliDepoAdi = depoAdi + '/canli';
  var canliDogrularIzinli = veri.dogrular !== false;
  var canli = canliBos();
  var canliKatilim = null; // the join's reply while basla() goes on with it
  var canliBekleme = 1000; // the pause before sending again, growing to 30 s
  var canliSaat = 0;
  var canliGonderiliyor = false;
  var canliDurumSaati = 0;

  function canliBos() {
    return { ogrenci: '', sira: 0, bekleyen: {}, bitir: false, toplam: null, anahtar: '' };
  }
  function canliKaydet() {
    try { localStorage.setItem(canliDepoAdi, JSON.stringify(canli)); } catch (e) { /* no memory */ }
  }
  function canliOku(ad) {
    try {
      var d = JSON.parse(localStorage.getItem(ad) || 'null');
      if (d && typeof d.ogrenci === 'string' && /^[0-9a-f]{32}$/.test(d.ogrenci)) {
        var c = canliBos();
        c.ogrenci = d.ogrenci;
        c.sira = Math.max(Number(d.sira) || 0, 0);
        c.bekleyen = d.bekleyen && typeof d.bekleyen === 'object' ? d.bekleyen : {};
        c.bitir = !!d.bitir;
        c.toplam = d.toplam && typeof d.toplam === 'object' ? d.toplam : null;
        c.anahtar = typeof d.anahtar === 'string' && d.anahtar.length === sayi ? d.anahtar : '';
        return c;
      }
    } catch (e) { /* unreadable: not joined */ }
    return canliBos();
  }

  // The device: made once, kept for every exam in this browser.
  function cihaz() {
    var ad = 'dorvana/cihaz';
    try {
      var kayitli = localStorage.getItem(ad);
      if (kayitli && /^[0-9a-f]{32}$/.test(kayitli))
        return kayitli;
    } catch (e) { /* private mode: a new device each time */ }
    var bayt = new Uint8Array(16);
    crypto.getRandomValues(bayt);
    var yeni = Array.prototype.map.call(bayt, function (b) { return (b < 16 ? '0' : '') + b.toString(16); }).join('');
    try { localStorage.setItem(ad, yeni); } catch (e) { /* as above */ }
    return yeni;
  }

  // What the program says, shown as it is; a lost connection in our words.
  function canliMesaj(metin) {
    var kutu = $('canli-mesaj');
    if (!kutu) {
      kutu = document.createElement('p');
      kutu.id = 'canli-mesaj';
      kutu.className = 'canli-mesaj';
      kutu.setAttribute('role', 'alert');
      kutu.style.cssText = 'margin:0 0 1em;padding:.5em .75em;border:2px solid #a00;background:#fff0f0;color:#600';
      $('dv').insertBefore(kutu, $('dv').firstChild);
    }
    kutu.textContent = metin;
    kutu.hidden = !metin;
  }
  var BAGLANTI_YOK = 'Öğretmenin bilgisayarına ulaşılamıyor. Cevaplarınız bu tarayıcıda saklanıyor ' +
    've bağlantı gelince gönderilecek.';

  // Resolves to {durum, veri}; a network failure to durum 0.
  function canliIstek(yol, govde) {
    var ayar = { cache: 'no-store' };
    if (govde) {
      ayar.method = 'POST';
      ayar.headers = { 'Content-Type': 'application/json' };
      ayar.body = JSON.stringify(govde);
    }
    return fetch(yol, ayar).then(function (yanit) {
      return yanit.json().catch(function () { return {}; }).then(function (veri) {
        return { durum: yanit.status, veri: veri || {} };
      });
    }, function () { return { durum: 0, veri: {} }; });
  }
  // A refusal (4xx) is final and shown; no reply or a 5xx is tried again.
  function canliRet(sonuc) {
    if (sonuc.durum >= 400 && sonuc.durum < 500) {
      canliMesaj(typeof sonuc.veri.hata === 'string' ? sonuc.veri.hata : 'İstek reddedildi (' + sonuc.durum + ').');
      return true;
    }
    if (sonuc.durum !== 200)
      canliMesaj(BAGLANTI_YOK);
    return false;
  }

  // ---- Joining ----
  // Called at the top of basla(): false while the join is on its way; the
  // reply calls basla() again, which then goes on (true).
  function canliKatil(devam) {
    if (canliKatilim)
      return true;
    var ad = $('ad').value.trim();
    $('basla').disabled = true;
    canliIstek('katil', { ad: ad, cihaz: cihaz() }).then(function (sonuc) {
      $('basla').disabled = false;
      if (sonuc.durum !== 200) {
        if (!canliRet(sonuc))
          canliMesaj(BAGLANTI_YOK);
        return;
      }
      canliMesaj('');
      var v = sonuc.veri;
      var harf = String(v.kitapcik || 'A');
      canli = canliBos();
      canli.ogrenci = String(v.ogrenci || '');
      if (harf !== (kitapcik || 'A') && /^[A-D]$/.test(harf)) {
        // Another booklet's page goes on from what is left for it here.
        var oraAdi = 'dorvana/canli' + canliTaban + harf;
        try {
          localStorage.setItem(oraAdi + '/canli', JSON.stringify(canli));
          var ora = bosDurum();
          ora.ad = ad;
          ora.basla = Date.now();
          ora.cevaplar = canliCevaplar(v.cevaplar, ora.cevaplar);
          if (v.bitti)
            ora.bitis = Date.now();
          localStorage.setItem(oraAdi, JSON.stringify(ora));
        } catch (e) { /* private mode: the other page asks for the name again */ }
        location.replace(canliTaban + harf);
        return;
      }
      canliKatilim = v;
      devam();
      canliKatilim = null;
      if (v.bitti || v.sinavBitti)
        bitir(false);
    });
    return false;
  }
  function canliCevaplar(gelen, yedek) {
    return typeof gelen === 'string' && gelen.length === sayi && new RegExp('^[' + harfler + '-]*$').test(gelen)
      ? gelen : yedek;
  }
  // basla() has made a fresh start: what the program already has of this
  // pupil (same name, same device) comes back.
  function canliBasladi() {
    if (!canliKatilim)
      return;
    durum.cevaplar = canliCevaplar(canliKatilim.cevaplar, durum.cevaplar);
    canliKaydet();
    canliDurumBaslat();
  }

  // ---- Answers and the finish, sent until the program has them ----
  function canliCevap(i, harf) {
    if (!canli.ogrenci || canli.bitir)
      return;
    canli.sira++;
    canli.bekleyen[i + 1] = { cevap: harf, sira: canli.sira };
    canliKaydet();
    canliGonder();
  }
  function canliBitir() {
    if (!canli.ogrenci || canli.bitir)
      return;
    canli.bitir = true;
    canli.bekleyen = {}; // the finish carries every answer
    canliKaydet();
    canliGonder();
  }
  function canliTekrar() {
    if (canliSaat)
      return;
    canliSaat = setTimeout(function () { canliSaat = 0; canliGonder(); }, canliBekleme);
    canliBekleme = Math.min(canliBekleme * 2, 30000);
  }
  // One request at a time, the answers first, each until it is acknowledged
  // or refused.
  function canliGonder() {
    if (canliGonderiliyor || !canli.ogrenci)
      return;
    var sorular = Object.keys(canli.bekleyen);
    var istek;
    if (sorular.length) {
      var soru = sorular[0];
      var b = canli.bekleyen[soru];
      istek = canliIstek('cevap', { ogrenci: canli.ogrenci, soru: Number(soru), cevap: b.cevap, sira: b.sira })
        .then(function (sonuc) {
          if (sonuc.durum === 200 || canliRet(sonuc)) {
            if (canli.bekleyen[soru] && canli.bekleyen[soru].sira === b.sira)
              delete canli.bekleyen[soru];
            if (sonuc.durum === 409)
              canli.bekleyen = {};
            return true;
          }
          return false;
        });
    } else if (canli.bitir && !canli.toplam) {
      istek = canliIstek('bitir', { ogrenci: canli.ogrenci, cevaplar: durum.cevaplar }).then(function (sonuc) {
        if (sonuc.durum === 200) {
          canli.toplam = sonuc.veri;
          return true;
        }
        if (canliRet(sonuc)) {
          canli.toplam = { hata: true };
          return true;
        }
        return false;
      });
    } else {
      return;
    }
    canliGonderiliyor = true;
    istek.then(function (tamam) {
      canliGonderiliyor = false;
      canliKaydet();
      if (!tamam) {
        canliTekrar();
        return;
      }
      if (!$('canli-mesaj') || $('canli-mesaj').textContent === BAGLANTI_YOK)
        canliMesaj('');
      canliBekleme = 1000;
      if (canli.toplam && !$('sonuc-gorunum').hidden)
        canliSonuc();
      canliGonder();
    });
  }

  // ---- The exam's state, asked every five seconds ----
  function canliDurumBaslat() {
    if (!canliDurumSaati && canli.ogrenci && !canli.anahtar) {
      canliDurumSor();
      canliDurumSaati = setInterval(canliDurumSor, 5000);
    }
  }
  function canliDurumSor() {
    canliIstek('durum?ogrenci=' + encodeURIComponent(canli.ogrenci)).then(function (sonuc) {
      if (sonuc.durum !== 200) {
        canliRet(sonuc);
        return;
      }
      var v = sonuc.veri;
      if (typeof v.anahtar === 'string' && v.anahtar.length === sayi && v.anahtar.length > 0) {
        canli.anahtar = v.anahtar.toUpperCase();
        canliKaydet();
        clearInterval(canliDurumSaati);
        canliDurumSaati = 0;
        canliAnahtar();
      }
      if (v.sinavBitti && !durum.bitis) {
        // The teacher ended the exam while this pupil was still in it.
        canliMesaj('Sınav bitti; öğretmen sınavı kapattı.');
        bitir(false);
      } else if (v.sinavBitti && !$('sonuc-gorunum').hidden) {
        sonucGoster();
      }
    });
  }
  // The key, once the exam is over: the result view lists the correct
  // answers (when the teacher shows them) and can score by itself.
  function canliAnahtar() {
    if (!canli.anahtar)
      return;
    kitapcikAnahtari = canli.anahtar;
    anahtar = dvSonuc.ogretmenSirasi(sira, canli.anahtar);
    if (canliDogrularIzinli && !dogrularGorunur) {
      dogrularGorunur = true;
      var satir = document.querySelector('#sonuc-tablosu thead tr');
      satir.insertAdjacentHTML('beforeend',
        '<th scope="col" class="dogru-sutun">Doğru cevap</th><th scope="col" class="dogru-sutun">Sonuç</th>');
    }
    if (!$('sonuc-gorunum').hidden)
      sonucGoster();
  }

  // ---- The result view ----
  // The program's totals when it has sent them; before that the page's own
  // (once the key is known) or a note that they are on their way.
  function canliSonuc() {
    var t = canli.toplam;
    if (t && !t.hata) {
      $('t-dogru').textContent = t.dogru;
      $('t-yanlis').textContent = t.yanlis;
      $('t-bos').textContent = t.bos;
      $('t-net').textContent = t.net;
      var bolumListesi = Array.isArray(t.bolumler) ? t.bolumler : [];
      $('bolumler').hidden = bolumListesi.length === 0;
      $('bolum-satirlar').innerHTML = bolumListesi.map(function (b) {
        return '<tr><th scope="row">' + metin(b.ad) + '</th><td>' + metin(b.dogru) + '</td><td>' +
          metin(b.yanlis) + '</td><td>' + metin(b.bos) + '</td><td>' + metin(b.net) + '</td></tr>';
      }).join('');
      $('agirlikli').hidden = !t.toplam;
      $('agirlikli-toplam').textContent = t.toplam || '';
    } else if (!canli.anahtar) {
      ['t-dogru', 't-yanlis', 't-bos', 't-net'].forEach(function (id) { $(id).textContent = '…'; });
      $('bolumler').hidden = true;
      $('agirlikli').hidden = true;
      $('kayit-bilgi').textContent = canli.ogrenci && canli.bitir && !t ? 'Cevaplarınız gönderiliyor…' : '';
    }
  }

  // ---- Loading ----
  function canliYukle() {
    // The program keeps the result: no file, no code, no starting over.
    // Hidden rather than removed: page.js still sets them as it goes.
    ['kaydet', 'kod-goster', 'kod-alani', 'yeniden'].forEach(function (id) {
      $(id).hidden = true;
      $(id).style.display = 'none';
    });
    canli = canliOku(canliDepoAdi);
    if (!canli.ogrenci) {
      // Joined nowhere yet: whatever an earlier visit left is not this pupil's.
      durum = bosDurum();
      return;
    }
    if (canli.anahtar)
      canliAnahtar();
    canliDurumBaslat();
    canliGonder();
  }
