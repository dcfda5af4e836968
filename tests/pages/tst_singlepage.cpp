#include "pages/PageSet.h"
#include "pages/SinglePage.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_SinglePage : public QObject {
    Q_OBJECT
private slots:
    void identity_data();
    void identity();
    void selfContainedUtf8();
    void teacherTextEscaped_data();
    void teacherTextEscaped();
    void settingsInData_data();
    void settingsInData();
    void keysEncoded();
    void liveFormCarriesNoKey();
    void questionsAndImages();
    void bookletPages_data();
    void bookletPages();
};

namespace {

SinglePageInput fourQuestions() {
    SinglePageInput in;
    in.testName = u"Türkçe sınavı"_s;
    in.stem = u"deneme"_s;
    in.keys = u"ABDD"_s;
    in.settings.siksay = 5;
    in.testIdentity = u"4731d9d54ff4db8d2c5b7755e55bad78"_s;
    return in;
}

// The JSON island the page's script reads its settings from.
QJsonObject pageData(const QByteArray& page) {
    const QByteArray open = "<script type=\"application/json\" id=\"dv-veri\">";
    const qsizetype from = page.indexOf(open) + open.size();
    const QByteArray json = page.mid(from, page.indexOf("</script>", from) - from);
    QJsonParseError error;
    const QJsonObject o = QJsonDocument::fromJson(json, &error).object();
    if (error.error != QJsonParseError::NoError)
        qWarning("data island: %s", qPrintable(error.errorString()));
    return o;
}

} // namespace

// Digests worked out by an independent SHA-256 over the agreed lines. Rows
// that differ only in one question's bytes or in the time limit must differ,
// and the page keys the pupil's saved progress by this identity.
void tst_SinglePage::identity_data() {
    QTest::addColumn<QString>("testName");
    QTest::addColumn<QString>("stem");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("options");
    QTest::addColumn<int>("netRule");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<QByteArrayList>("questions"); // HTML bytes; empty: missing
    QTest::addColumn<QString>("expected");
    const QString turkish = u"Türkçe sınavı: ığüşöç İĞÜŞÖÇ"_s;
    const QByteArray one = "<p>Şekil 1</p>";
    QTest::newRow("Turkish name") << turkish << u"deneme"_s << u"ABDD"_s << 5 << 3 << 0
                                  << QByteArrayList{one, "<p>Şekil 2</p>", {}, one}
                                  << u"3db3a7e7e83969f897b0d22732fdbbf4"_s;
    QTest::newRow("one question file differs")
        << turkish << u"deneme"_s << u"ABDD"_s << 5 << 3 << 0
        << QByteArrayList{one, "<p>Şekil 2 </p>", {}, one} << u"534db6bbc5b1fd602441f333143fbc3f"_s;
    QTest::newRow("time limit differs")
        << turkish << u"deneme"_s << u"ABDD"_s << 5 << 3 << 30
        << QByteArrayList{one, "<p>Şekil 2</p>", {}, one} << u"7535ffcbea255adc28bb601938e84075"_s;
    QTest::newRow("empty, no net rule")
        << QString() << QString() << QString() << 2 << 0 << 0 << QByteArrayList{}
        << u"ee2022f6873f0d1763facc3722270584"_s;
    QTest::newRow("four for one, no question file")
        << u"Sınav"_s << u"test01"_s << u"ABE"_s << 5 << 4 << 0 << QByteArrayList{}
        << u"717d27f1bd58dc9bb1680fdb49ca6230"_s;
}

void tst_SinglePage::identity() {
    QFETCH(QString, testName);
    QFETCH(QString, stem);
    QFETCH(QString, keys);
    QFETCH(int, options);
    QFETCH(int, netRule);
    QFETCH(int, minutes);
    QFETCH(QByteArrayList, questions);
    QFETCH(QString, expected);
    PageSetInput in;
    in.stem = stem;
    in.testName = testName;
    in.questionCount = qint32(keys.size());
    in.settings.siksay = options;
    in.settings.yanlis = netRule;
    in.settings.teksayfa = true;
    in.settings.sure = minutes;
    for (const QChar key : keys)
        in.answerKey.push_back({u"s.htm"_s, QString(key)});
    for (const QByteArray& html : questions)
        in.questions.push_back(
            html.isEmpty()
                ? EmbeddedQuestion{}
                : EmbeddedQuestion{
                      EmbeddedQuestion::Kind::Html, u"text/html"_s, html, u"s.htm"_s, {}});
    QCOMPARE(pageSetTest(in).identity, expected);
    QCOMPARE(pageData(pageSetFiles(in).back().bytes).value(u"test"_s).toString(), expected);
}

// UTF-8 with the character set declared first, a viewport, and nothing that
// loads from outside the file.
void tst_SinglePage::selfContainedUtf8() {
    SinglePageInput in = fourQuestions();
    in.questions = {
        {EmbeddedQuestion::Kind::Html, u"text/html"_s, "<p>Şekil</p>", u"a.html"_s, {}}};
    const QByteArray page = singlePageBytes(in);
    QVERIFY(
        page.startsWith("<!DOCTYPE html>\n<html lang=\"tr\">\n<head>\n<meta charset=\"utf-8\">\n"));
    QVERIFY(
        page.contains("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"));
    // Nothing over the network, whatever a question's script tries.
    QVERIFY(page.contains("<meta http-equiv=\"Content-Security-Policy\" content=\"default-src "
                          "'none'; connect-src 'none';"));
    QVERIFY(QString::fromUtf8(page).toUtf8() == page);
    QVERIFY(!page.contains("@@"));
    static const QRegularExpression outside(
        u"(src|href)\\s*=\\s*\"(?!data:)|https?:|<i?frame[ >]|<link|@import"_s);
    QCOMPARE(outside.match(QString::fromUtf8(page)).captured(), QString());
}

// Each text the teacher typed, and what must never appear raw in the page.
void tst_SinglePage::teacherTextEscaped_data() {
    QTest::addColumn<QString>("testName");
    QTest::addColumn<QString>("stem");
    QTest::addColumn<QString>("explanation");
    QTest::addColumn<QByteArrayList>("mustContain");
    QTest::addColumn<QByteArrayList>("mustNotContain");
    QTest::newRow("script in the test name")
        << u"</script><script>alert(1)</script>"_s << u"t"_s << QString()
        << QByteArrayList{"<title>&lt;/script&gt;&lt;script&gt;alert(1)&lt;/script&gt;</title>",
                          "\"ad\":\"\\u003c/script\\u003e\\u003cscript\\u003ealert(1)"}
        << QByteArrayList{"alert(1)</script>"};
    QTest::newRow("quotes and line separators")
        << u"a\"b'c\u2028d\u2029e&f"_s << u"x\"y\\z"_s << QString()
        << QByteArrayList{"a&quot;b&#39;c", "\"ad\":\"a\\\"b'c\\u2028d\\u2029e\\u0026f\"",
                          "\"kok\":\"x\\\"y\\\\z\""}
        << QByteArrayList{};
    QTest::newRow("markup and a placeholder in the explanation")
        << u"s"_s << u"t"_s << u"<b>kalın</b> @@SCRIPT@@ & </div>"_s
        << QByteArrayList{"&lt;b&gt;kalın&lt;/b&gt; @@SCRIPT@@ &amp; &lt;/div&gt;"}
        << QByteArrayList{"<b>kalın"};
    QTest::newRow("comment opener in the name")
        << u"<!-- <script>"_s << u"t"_s << QString()
        << QByteArrayList{"\"ad\":\"\\u003c!-- \\u003cscript\\u003e\""}
        << QByteArrayList{"<!-- <script>"};
}

void tst_SinglePage::teacherTextEscaped() {
    QFETCH(QString, testName);
    QFETCH(QString, stem);
    QFETCH(QString, explanation);
    QFETCH(QByteArrayList, mustContain);
    QFETCH(QByteArrayList, mustNotContain);
    SinglePageInput in = fourQuestions();
    in.testName = testName;
    in.stem = stem;
    in.explanationLines = QStringList{explanation};
    const QByteArray page = singlePageBytes(in);
    for (const QByteArray& s : mustContain)
        QVERIFY2(page.contains(s), s.constData());
    for (const QByteArray& s : mustNotContain)
        QVERIFY2(!page.contains(s), s.constData());
    // The teacher's texts come back whole through the data island.
    const QJsonObject data = pageData(page);
    QCOMPARE(data.value(u"ad"_s).toString(), testName);
    QCOMPARE(data.value(u"kok"_s).toString(), stem);
}

// Out-of-range settings reach the page as the page can use them; a text that
// is not a colour never reaches the style sheet.
void tst_SinglePage::settingsInData_data() {
    QTest::addColumn<int>("options");
    QTest::addColumn<int>("netRule");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<int>("expectedOptions");
    QTest::addColumn<int>("expectedNetRule");
    QTest::addColumn<int>("expectedMinutes");
    QTest::addColumn<QByteArray>("expectedColour");
    QTest::addColumn<bool>("showKeys");
    QTest::newRow("as given") << 4 << 4 << 30 << u"#ABCDEF"_s << 4 << 4 << 30
                              << QByteArray("--soru-zemin:#ABCDEF;") << true;
    QTest::newRow("no net rule, colour name, correct answers kept off")
        << 5 << 0 << 0 << u" lime "_s << 5 << 0 << 0 << QByteArray("--soru-zemin:lime;") << false;
    QTest::newRow("too few options, unknown rule")
        << 0 << 7 << -5 << u"#12"_s << 2 << 3 << 0 << QByteArray("--soru-zemin:#B86397;") << true;
    QTest::newRow("too many options, style injection")
        << 9 << 3 << 1 << u"red;}body{display:none"_s << 5 << 3 << 1
        << QByteArray("--soru-zemin:#B86397;") << true;
}

void tst_SinglePage::settingsInData() {
    QFETCH(int, options);
    QFETCH(int, netRule);
    QFETCH(int, minutes);
    QFETCH(QString, colour);
    QFETCH(bool, showKeys);
    SinglePageInput in = fourQuestions();
    in.settings.dogrular = showKeys;
    in.settings.siksay = options;
    in.settings.yanlis = netRule;
    in.settings.sure = minutes;
    in.settings.sorus = colour;
    const QByteArray page = singlePageBytes(in);
    const QJsonObject data = pageData(page);
    QTEST(data.value(u"secenek"_s).toInt(), "expectedOptions");
    QTEST(data.value(u"net"_s).toInt(), "expectedNetRule");
    QTEST(data.value(u"sure"_s).toInt(), "expectedMinutes");
    QCOMPARE(data.value(u"dogrular"_s).toBool(), showKeys);
    QCOMPARE(data.value(u"sayi"_s).toInt(), 4);
    QCOMPARE(data.value(u"test"_s).toString(), in.testIdentity);
    QFETCH(QByteArray, expectedColour);
    QVERIFY2(page.contains(expectedColour), expectedColour.constData());
    QVERIFY(!page.contains("display:none"));
}

// The keys are not in the page as they stand, and the page's own decoding
// (mixed with the identity, base64) gives them back in upper case.
void tst_SinglePage::keysEncoded() {
    SinglePageInput in = fourQuestions();
    in.keys = u"abcdeabcdeABCDE"_s;
    const QByteArray page = singlePageBytes(in);
    QVERIFY(!page.contains("ABCDEABCDEABCDE"));
    QByteArray keys =
        QByteArray::fromBase64(pageData(page).value(u"anahtar"_s).toString().toLatin1());
    const QByteArray mix = in.testIdentity.toLatin1();
    for (qsizetype i = 0; i < keys.size(); ++i)
        keys[i] = char(keys[i] ^ mix[i % mix.size()]);
    QCOMPARE(keys, QByteArray("ABCDEABCDEABCDE"));
    QCOMPARE(pageData(page).value(u"sayi"_s).toInt(), 15);
}

// The live form, served to pupils while the teacher's program keeps the key:
// no key in any form and no identity (a digest over the keys); the offline
// page keeps none of the live script.
void tst_SinglePage::liveFormCarriesNoKey() {
    SinglePageInput in = fourQuestions();
    in.keys = u"abcdeabcdeABCDE"_s;
    const QByteArray offline = singlePageBytes(in);
    in.live = true;
    const QByteArray live = singlePageBytes(in);
    const QJsonObject data = pageData(live);
    QCOMPARE(data.value(u"anahtar"_s).toString(), QString());
    QCOMPARE(data.value(u"test"_s).toString(), QString());
    QVERIFY(data.value(u"canli"_s).toBool());
    for (const QByteArray& secret : {QByteArray("ABCDEABCDEABCDE"), in.testIdentity.toLatin1(),
                                     pageData(offline).value(u"anahtar"_s).toString().toLatin1()})
        QVERIFY2(!live.contains(secret), secret.constData());
    QVERIFY(live.contains("connect-src 'self';"));
    QVERIFY(live.contains("function canliKatil("));
    QVERIFY(!offline.contains("live-only"));
    QVERIFY(!offline.contains("canli") && !offline.contains("\"canli\""));
}

// Each question is embedded under its number; a missing one and questions
// beyond the keys are left out. The teacher's images replace the drawn icons.
void tst_SinglePage::questionsAndImages() {
    SinglePageInput in = fourQuestions();
    const QByteArray html = "<p>Soru</p></script><script>alert(1)</script>";
    in.questions = {
        {EmbeddedQuestion::Kind::Html, u"text/html"_s, html, u"a.htm"_s, {}},
        {EmbeddedQuestion::Kind::Missing, {}, {}, {}, {}},
        {EmbeddedQuestion::Kind::Image, u"image/png\"x"_s, "\x89PNG....", u"b.png"_s, {}},
        {EmbeddedQuestion::Kind::Pdf, u"application/pdf"_s, "%PDF-1.4", u"c.pdf"_s, {}},
        {EmbeddedQuestion::Kind::Html, u"text/html"_s, "<p>5</p>", u"e.htm"_s, {}}};
    in.previousImage = "GIF89a....";
    const QByteArray page = singlePageBytes(in);
    QVERIFY(page.contains("id=\"dv-soru-1\" data-tur=\"html\" data-mime=\"text/html\">" +
                          html.toBase64() + "</script>"));
    QVERIFY(!page.contains("id=\"dv-soru-2\""));
    QVERIFY(page.contains("id=\"dv-soru-3\" data-tur=\"resim\" data-mime=\"image/png&quot;x\">"));
    QVERIFY(page.contains("id=\"dv-soru-4\" data-tur=\"pdf\""));
    QVERIFY(!page.contains("id=\"dv-soru-5\""));
    QVERIFY(!page.contains("alert(1)"));
    QVERIFY(page.contains("aria-label=\"Önceki soru\"><img alt=\"\" src=\"data:image/gif;base64," +
                          QByteArray("GIF89a....").toBase64() + "\">"));
    QCOMPARE(page.count("<svg aria-hidden=\"true\""), 3);
}

// One page per booklet, each with its own order and the test's sections; the
// classic files stay as a one-booklet test writes them.
void tst_SinglePage::bookletPages_data() {
    QTest::addColumn<int>("booklets");
    QTest::addColumn<bool>("withSections");
    QTest::addColumn<QStringList>("pages");
    QTest::newRow("one booklet, no sections") << 1 << false << QStringList{u"deneme.html"_s};
    QTest::newRow("two booklets and sections")
        << 2 << true << QStringList{u"deneme-A.html"_s, u"deneme-B.html"_s};
    QTest::newRow("four booklets") << 4 << false
                                   << QStringList{u"deneme-A.html"_s, u"deneme-B.html"_s,
                                                  u"deneme-C.html"_s, u"deneme-D.html"_s};
    QTest::newRow("a count that is not 1, 2 or 4 is one booklet")
        << 3 << true << QStringList{u"deneme.html"_s};
}

void tst_SinglePage::bookletPages() {
    QFETCH(int, booklets);
    QFETCH(bool, withSections);
    QFETCH(QStringList, pages);
    PageSetInput in;
    in.stem = u"deneme"_s;
    in.testName = u"Deneme sınavı"_s;
    in.questionCount = 6;
    in.settings.teksayfa = true;
    for (const QChar key : u"ABCDAB"_s)
        in.answerKey.push_back({u"s.htm"_s, QString(key)});
    const std::vector<OutputFile> classic = pageSetFiles(in);
    in.settings.kitapcik = booklets;
    if (withSections)
        in.sections = {{u"Türkçe <b>"_s, 1, 3, 1}, {u"Fen"_s, 4, 5, 1.5}};
    const std::vector<OutputFile> files = pageSetFiles(in);
    const PageSetTest test = pageSetTest(in);
    QCOMPARE(files.size(), classic.size() - 1 + std::size_t(pages.size()));
    for (std::size_t f = 0; f + 1 < classic.size(); ++f)
        QCOMPARE(files[f].bytes, classic[f].bytes);
    for (qsizetype b = 0; b < pages.size(); ++b) {
        const OutputFile& page = files[classic.size() - 1 + std::size_t(b)];
        QCOMPARE(QFileInfo(page.path).fileName(), pages[b]);
        const QJsonObject data = pageData(page.bytes);
        QCOMPARE(data.value(u"test"_s).toString(), test.identity);
        QCOMPARE(data.value(u"kitapcik"_s).toString(),
                 pages.size() > 1 ? QString(test.booklets[std::size_t(b)].letter) : QString());
        QVariantList order;
        for (const qint32 q : test.booklets[std::size_t(b)].order)
            order << q;
        QCOMPARE(data.value(u"sira"_s).toVariant().toList(),
                 pages.size() > 1 ? order : QVariantList());
        QCOMPARE(QJsonDocument(data.value(u"bolumler"_s).toArray()).toJson(QJsonDocument::Compact),
                 withSections
                     ? QByteArray("[{\"ad\":\"Türkçe <b>\",\"ilk\":1,\"katsayi\":1,\"son\":3},"
                                  "{\"ad\":\"Fen\",\"ilk\":4,\"katsayi\":1.5,\"son\":5}]")
                     : QByteArray("[]"));
    }
}

QTEST_APPLESS_MAIN(tst_SinglePage)
#include "tst_singlepage.moc"
