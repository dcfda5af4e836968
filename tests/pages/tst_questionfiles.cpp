// Question files as the single page embeds them, from files made by real
// tools (tests/data/questions, see tests/browser/make_fixtures.mjs).

#include "pages/HtmlInline.h"
#include "pages/Mhtml.h"
#include "pages/QuestionFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using Kind = EmbeddedQuestion::Kind;

Q_DECLARE_METATYPE(EmbeddedQuestion::Kind)

namespace {

const QString kTurkish = u"Işık şeması: ığüşöç İĞÜŞÖÇ"_s;

QByteArray fixture(const QString& name) {
    QFile f(QStringLiteral(DORVANA_TEST_DATA "/questions/") + name);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(f.fileName()));
    return f.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(path.section(u'/', 0, -2));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The page's text when it is valid UTF-8, else a marker that fails every comparison.
QString utf8Text(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? u"<not UTF-8>"_s : text;
}

// The bytes every data: address of the given type in the text carries.
QList<QByteArray> dataUrls(const QString& text, const QString& type) {
    QList<QByteArray> found;
    const QRegularExpression url(u"data:"_s + QRegularExpression::escape(type) +
                                 u"(;charset=utf-8)?;base64,([A-Za-z0-9+/=]+)"_s);
    for (auto it = url.globalMatch(text); it.hasNext();)
        found << QByteArray::fromBase64(it.next().captured(2).toLatin1());
    return found;
}

// "<meta charset=...>" and http-equiv declarations in the page.
QStringList charsetDeclarations(const QString& html) {
    static const QRegularExpression meta(u"<meta\\b[^>]*charset[^>]*>"_s,
                                         QRegularExpression::CaseInsensitiveOption);
    QStringList all;
    for (auto it = meta.globalMatch(html); it.hasNext();)
        all << it.next().captured(0);
    return all;
}

} // namespace

class tst_QuestionFiles : public QObject {
    Q_OBJECT
private slots:
    void foundInOrder_data();
    void foundInOrder();
    void mhtmlFromChromium();
    void charsets_data();
    void charsets();
    void htmlWithImageFolder();
    void brokenFilesAreMissing_data();
    void brokenFilesAreMissing();
    void pdfAsPageImages_data();
    void pdfAsPageImages();
    void pathEscapesRefused_data();
    void pathEscapesRefused();
    void wholeTest();
};

// Files in the output folder ("name=fixture" pairs), the answer-key row's file
// name, and which file is embedded as what.
void tst_QuestionFiles::foundInOrder_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("keyRow");
    QTest::addColumn<QString>("source");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("mimeType");

    const QString html = u"text/html"_s;
    QTest::newRow("key row's file first")
        << QStringList{u"bir.png=chromium.png"_s, u"ts1.mht=chromium.mht"_s} << u"bir.png"_s
        << u"bir.png"_s << Kind::Image << u"image/png"_s;
    QTest::newRow("key row's file in a subfolder")
        << QStringList{u"sorular/bir.pdf=chromium.pdf"_s, u"ts1.mht=chromium.mht"_s}
        << u"sorular\\bir.pdf"_s << u"sorular/bir.pdf"_s << Kind::Pdf << u"application/pdf"_s;
    QTest::newRow("key row's file missing: the stem's")
        << QStringList{u"ts1.pdf=chromium.pdf"_s} << u"yok.mht"_s << u"ts1.pdf"_s << Kind::Pdf
        << u"application/pdf"_s;
    QTest::newRow(".mht before .mhtml and .html")
        << QStringList{u"ts1.html=eski-1254.htm"_s, u"ts1.mhtml=chromium.png"_s,
                       u"ts1.mht=chromium.mht"_s}
        << QString() << u"ts1.mht"_s << Kind::Html << html;
    QTest::newRow(".mhtml before .html")
        << QStringList{u"ts1.html=eski-1254.htm"_s, u"ts1.mhtml=chromium.mht"_s} << QString()
        << u"ts1.mhtml"_s << Kind::Html << html;
    QTest::newRow(".html before .htm")
        << QStringList{u"ts1.htm=chromium.png"_s, u"ts1.html=eski-1254.htm"_s} << QString()
        << u"ts1.html"_s << Kind::Html << html;
    QTest::newRow(".htm before .png")
        << QStringList{u"ts1.png=chromium.png"_s, u"ts1.htm=eski-8859-9.htm"_s} << QString()
        << u"ts1.htm"_s << Kind::Html << html;
    QTest::newRow(".png before .jpg")
        << QStringList{u"ts1.jpg=chromium.jpg"_s, u"ts1.png=chromium.png"_s} << QString()
        << u"ts1.png"_s << Kind::Image << u"image/png"_s;
    QTest::newRow(".jpg before .jpeg")
        << QStringList{u"ts1.jpeg=chromium.png"_s, u"ts1.jpg=chromium.jpg"_s} << QString()
        << u"ts1.jpg"_s << Kind::Image << u"image/jpeg"_s;
    QTest::newRow(".jpeg before .gif and .webp")
        << QStringList{u"ts1.webp=chromium.webp"_s, u"ts1.jpeg=chromium.jpg"_s} << QString()
        << u"ts1.jpeg"_s << Kind::Image << u"image/jpeg"_s;
    QTest::newRow(".webp before .svg")
        << QStringList{u"ts1.svg=chromium.svg"_s, u"ts1.webp=chromium.webp"_s} << QString()
        << u"ts1.webp"_s << Kind::Image << u"image/webp"_s;
    QTest::newRow(".svg before .pdf")
        << QStringList{u"ts1.pdf=chromium.pdf"_s, u"ts1.svg=chromium.svg"_s} << QString()
        << u"ts1.svg"_s << Kind::Image << u"image/svg+xml"_s;
    QTest::newRow("letter case as on Windows")
        << QStringList{u"TS1.PNG=chromium.png"_s} << QString() << u"TS1.PNG"_s << Kind::Image
        << u"image/png"_s;
    // The content decides, not the name.
    QTest::newRow("plain HTML under .mht") << QStringList{u"ts1.mht=eski-1254.htm"_s} << QString()
                                           << u"ts1.mht"_s << Kind::Html << html;
    QTest::newRow("MHTML under .htm") << QStringList{u"ts1.htm=chromium.mht"_s} << QString()
                                      << u"ts1.htm"_s << Kind::Html << html;
    QTest::newRow("JPEG under .png") << QStringList{u"ts1.png=chromium.jpg"_s} << QString()
                                     << u"ts1.png"_s << Kind::Image << u"image/jpeg"_s;
    QTest::newRow("PDF under .mht") << QStringList{u"ts1.mht=chromium.pdf"_s} << QString()
                                    << u"ts1.mht"_s << Kind::Pdf << u"application/pdf"_s;
    QTest::newRow("another question's file only")
        << QStringList{u"ts2.mht=chromium.mht"_s, u"ts11.png=chromium.png"_s} << QString()
        << QString() << Kind::Missing << QString();
}

void tst_QuestionFiles::foundInOrder() {
    QFETCH(QStringList, files);
    QFETCH(QString, keyRow);
    QFETCH(QString, source);
    QFETCH(Kind, kind);
    QFETCH(QString, mimeType);

    QTemporaryDir out;
    QVERIFY(out.isValid());
    for (const QString& file : files)
        writeFile(out.filePath(file.section(u'=', 0, 0)), fixture(file.section(u'=', 1)));

    const EmbeddedQuestion question = embedQuestion(out.path(), keyRow, u"t"_s, 1);
    QCOMPARE(question.sourceName, source);
    QCOMPARE(question.kind, kind);
    QCOMPARE(question.mimeType, mimeType);
    if (kind == Kind::Image || kind == Kind::Pdf) {
        QFile shown(out.filePath(source));
        QVERIFY(shown.open(QIODevice::ReadOnly));
        QCOMPARE(question.data, shown.readAll());
    }
    if (kind == Kind::Html)
        QVERIFY(charsetDeclarations(utf8Text(question.data)) ==
                QStringList{u"<meta charset=\"utf-8\">"_s});
}

// The page Chromium saved: its image and its style sheet (with the style
// sheet's own image) inside, its Turkish text right, no address of the site it
// was saved from left to load.
void tst_QuestionFiles::mhtmlFromChromium() {
    QTemporaryDir out;
    writeFile(out.filePath(u"ts1.mht"_s), fixture(u"chromium.mht"_s));
    const EmbeddedQuestion question = embedQuestion(out.path(), {}, u"t"_s, 1);
    QCOMPARE(question.kind, Kind::Html);
    const QString html = utf8Text(question.data);
    QVERIFY(html.contains(kTurkish));
    QVERIFY(html.contains(u"alt=\"Şekil 1\""_s));
    QVERIFY(html.contains(u"<head><meta charset=\"utf-8\">"_s));
    QCOMPARE(dataUrls(html, u"image/png"_s),
             QList<QByteArray>{fixture(u"sayfa/resimler/sekil.png"_s)});
    const QList<QByteArray> sheets = dataUrls(html, u"text/css"_s);
    QCOMPARE(sheets.size(), 1);
    const QString sheet = QString::fromUtf8(sheets.first());
    QVERIFY(sheet.contains(u".baslik"_s));
    QCOMPARE(dataUrls(sheet, u"image/png"_s),
             QList<QByteArray>{fixture(u"sayfa/resimler/desen.png"_s)});
    QVERIFY2(!html.contains(u"=\"http://dorvana.test/"_s), qPrintable(html.left(2000)));
}

void tst_QuestionFiles::charsets_data() {
    QTest::addColumn<QByteArray>("bytes");

    const QByteArray old = fixture(u"eski-1254.mht"_s);
    QTest::newRow("MHTML, charset in the page's <meta>") << old;
    // The part's own charset wins over what the <meta> says.
    QByteArray declared = old;
    declared.replace("Content-Type: text/html\r\n",
                     "Content-Type: text/html; charset=windows-1254\r\n");
    declared.replace("charset=3Dwindows-1254", "charset=3Dutf-8");
    QVERIFY(declared != old);
    QTest::newRow("MHTML, charset in the part's header") << declared;
    QTest::newRow("MHTML in UTF-8") << fixture(u"chromium.mht"_s);
    QTest::newRow("HTML, windows-1254 in <meta charset>") << fixture(u"eski-1254.htm"_s);
    QTest::newRow("HTML, iso-8859-9 in http-equiv") << fixture(u"eski-8859-9.htm"_s);
    QByteArray undeclared = fixture(u"eski-1254.htm"_s);
    undeclared.replace("<meta charset=\"windows-1254\">", "");
    QTest::newRow("HTML without a charset, not UTF-8") << undeclared;
    QTest::newRow("HTML in UTF-8") << fixture(u"sayfa/soru.html"_s);
    const QString utf16 = u"<p>"_s + kTurkish + u"</p>"_s;
    QTest::newRow("HTML in UTF-16 with a byte order mark")
        << QByteArray("\xFF\xFE") +
               QByteArray(reinterpret_cast<const char*>(utf16.utf16()), utf16.size() * 2);
}

void tst_QuestionFiles::charsets() {
    QFETCH(QByteArray, bytes);
    QTemporaryDir out;
    writeFile(out.filePath(u"ts1.mht"_s), bytes);
    const EmbeddedQuestion question = embedQuestion(out.path(), {}, u"t"_s, 1);
    QCOMPARE(question.kind, Kind::Html);
    const QString html = utf8Text(question.data);
    QVERIFY2(html.contains(kTurkish), qPrintable(html.left(600)));
    QCOMPARE(charsetDeclarations(html), QStringList{u"<meta charset=\"utf-8\">"_s});
}

void tst_QuestionFiles::htmlWithImageFolder() {
    QTemporaryDir out;
    for (const char16_t* name :
         {u"soru.html", u"stil.css", u"resimler/sekil.png", u"resimler/desen.png"}) {
        const QString file = QString::fromUtf16(name);
        writeFile(out.filePath(u"sayfa/"_s + file), fixture(u"sayfa/"_s + file));
    }
    const EmbeddedQuestion question = embedQuestion(out.path(), u"sayfa/soru.html"_s, u"t"_s, 1);
    QCOMPARE(question.kind, Kind::Html);
    const QString html = utf8Text(question.data);
    QVERIFY(html.contains(kTurkish));
    QCOMPARE(dataUrls(html, u"image/png"_s),
             QList<QByteArray>{fixture(u"sayfa/resimler/sekil.png"_s)});
    const QList<QByteArray> sheets = dataUrls(html, u"text/css"_s);
    QCOMPARE(sheets.size(), 1);
    QCOMPARE(dataUrls(QString::fromUtf8(sheets.first()), u"image/png"_s),
             QList<QByteArray>{fixture(u"sayfa/resimler/desen.png"_s)});
}

// Files that cannot be shown: the question is missing, the run goes on.
void tst_QuestionFiles::brokenFilesAreMissing_data() {
    QTest::addColumn<QByteArray>("bytes");

    QByteArray garbage;
    for (int i = 0; i < 3000; ++i)
        garbage.append(char((i * 7919 + 13) % 251));
    const QByteArray mht = fixture(u"chromium.mht"_s);
    const QByteArray png = fixture(u"chromium.png"_s);
    const QByteArray jpg = fixture(u"chromium.jpg"_s);
    const QByteArray pdf = fixture(u"chromium.pdf"_s);
    const QByteArray webp = fixture(u"chromium.webp"_s);

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("blank") << QByteArray(" \r\n\t\r\n");
    QTest::newRow("text without markup") << QByteArray("Soru 1: 2 + 2 = ?\r\n");
    QTest::newRow("garbage") << garbage;
    QTest::newRow("PNG cut short") << png.left(png.size() / 2);
    QTest::newRow("JPEG cut short") << jpg.left(jpg.size() - 100);
    QTest::newRow("PDF cut short") << pdf.left(pdf.size() * 3 / 4);
    QTest::newRow("WebP cut short") << webp.left(webp.size() - 10);
    QTest::newRow("MHTML cut short") << mht.left(mht.size() * 2 / 3);
    QTest::newRow("MHTML cut in its headers") << mht.left(200);
    QTest::newRow("MIME message without a page")
        << QByteArray("MIME-Version: 1.0\r\nContent-Type: multipart/related; boundary=\"b\"\r\n\r\n"
                      "--b\r\nContent-Type: image/png\r\nContent-Transfer-Encoding: base64\r\n\r\n"
                      "iVBORw0KGgo=\r\n--b--\r\n");
    QTest::newRow("MHTML header block and nothing else") << QByteArray(
        "MIME-Version: 1.0\r\nContent-Type: multipart/related; boundary=\"b\"\r\n\r\n");
}

void tst_QuestionFiles::brokenFilesAreMissing() {
    QFETCH(QByteArray, bytes);
    QTemporaryDir out;
    writeFile(out.filePath(u"ts1.mht"_s), bytes);
    const EmbeddedQuestion question = embedQuestion(out.path(), {}, u"t"_s, 1);
    QCOMPARE(question.kind, Kind::Missing);
    QVERIFY(question.data.isEmpty());
    QVERIFY(question.sourceName.isEmpty());
}

namespace {

// A PDF of `pages` pages of the given size, each with a black bar at its top.
QByteArray pdfOfPages(int pages, QSizeF millimetres) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(millimetres, QPageSize::Millimeter));
    writer.setPageMargins({});
    QPainter painter(&writer);
    for (int p = 0; p < pages; ++p) {
        if (p > 0)
            writer.newPage();
        painter.fillRect(QRect(0, 0, writer.width(), writer.height() / 20), Qt::black);
    }
    painter.end();
    return bytes;
}

} // namespace

// A PDF question is shown as its pages' images, within bounds: pages beyond
// the limit and pages too large are said, a PDF that cannot be opened is a
// question that could not be read, with the reason.
void tst_QuestionFiles::pdfAsPageImages_data() {
    QTest::addColumn<QByteArray>("pdf");
    QTest::addColumn<int>("images");
    QTest::addColumn<QSize>("firstSize");
    QTest::addColumn<QString>("said"); // the question's notRead, joined

    QTest::newRow("Chromium's page at 150 dpi")
        << fixture(u"chromium.pdf"_s) << 1 << QSize(710, 591) << QString();
    QTest::newRow("25 pages: the first 20") << pdfOfPages(25, {210, 297}) << 20 << QSize(1239, 1754)
                                            << u"ts1.pdf: 25 sayfadan ilk 20 sayfa gösteriliyor"_s;
    QTest::newRow("a page five metres long, shrunk")
        << pdfOfPages(1, {200, 5000}) << 1 << QSize(140, 3508)
        << u"ts1.pdf: çok büyük olduğu için küçültülen sayfa: 1"_s;
    QTest::newRow("a PDF Qt PDF cannot open")
        << QByteArray("%PDF-1.4\n" + QByteArray(3000, 'x') + "\n%%EOF\n") << 0 << QSize()
        << u"ts1.pdf: PDF bozuk; açılamadı"_s;
}

void tst_QuestionFiles::pdfAsPageImages() {
    QFETCH(QByteArray, pdf);
    QFETCH(int, images);
    QFETCH(QSize, firstSize);
    QFETCH(QString, said);
    QTemporaryDir out;
    writeFile(out.filePath(u"ts1.pdf"_s), pdf);
    const EmbeddedQuestion question = embedQuestion(out.path(), {}, u"t"_s, 1);
    QCOMPARE(question.kind, images ? Kind::Pdf : Kind::Missing);
    QCOMPARE(question.pageImages.size(), images);
    QCOMPARE(question.notRead.join(u'|'), said);
    if (images) {
        QCOMPARE(question.data, pdf); // kept for its "Aç" link
        QCOMPARE(question.leftOut, said.section(u": "_s, 1));
        const QImage first = QImage::fromData(question.pageImages.first());
        QVERIFY(!first.isNull());
        QCOMPARE(first.size(), firstSize);
        QVERIFY(first.pixelColor(first.width() / 2, 2) != QColor(Qt::white)); // drawn, not blank
    }
}

// A question file is untrusted: neither its name in the answer key nor its
// references lead our program to read a file outside the output folder's tree,
// a hidden one, one of the program's own or one that is not a regular file.
void tst_QuestionFiles::pathEscapesRefused_data() {
    QTest::addColumn<QString>("keyRow");
    QTest::addColumn<QString>("reference"); // an image reference inside an HTML question

    QTest::newRow("parent folder") << u"../gizli.png"_s << u"../gizli.png"_s;
    QTest::newRow("parent through a subfolder")
        << u"alt/../../gizli.png"_s << u"alt/../../gizli.png"_s;
    QTest::newRow("Windows separators") << u"..\\gizli.png"_s << u"..\\gizli.png"_s;
    QTest::newRow("percent-encoded dots") << u"%2e%2e/gizli.png"_s << u"%2e%2e/gizli.png"_s;
    QTest::newRow("absolute path") << u"@ROOT@/gizli.png"_s << u"@ROOT@/gizli.png"_s;
    QTest::newRow("file address") << u"file://@ROOT@/gizli.png"_s << u"file://@ROOT@/gizli.png"_s;
    QTest::newRow("link leading out") << u"bag.png"_s << u"bag.png"_s;
    QTest::newRow("hidden folder") << u".ssh/id_ed25519"_s << u".ssh/id_ed25519"_s;
    QTest::newRow("the program's data folder") << u"veri/dorvana.MDB"_s << u"veri/dorvana.MDB"_s;
    QTest::newRow("a FIFO, never waited on") << u"boru.png"_s << u"boru.png"_s;
}

void tst_QuestionFiles::pathEscapesRefused() {
    QFETCH(QString, keyRow);
    QFETCH(QString, reference);
    QTemporaryDir root;
    const QString outputFolder = root.filePath(u"cikti"_s);
    const QByteArray secret = fixture(u"chromium.png"_s);
    writeFile(root.filePath(u"gizli.png"_s), secret);
    writeFile(outputFolder + u"/.ssh/id_ed25519"_s, secret);
    writeFile(outputFolder + u"/veri/dorvana.MDB"_s, secret);
    QCOMPARE(::mkfifo(QFile::encodeName(outputFolder + u"/boru.png"_s).constData(), 0600), 0);
    const QStringList privatePaths{outputFolder + u"/veri"_s};
    QDir().mkpath(outputFolder + u"/alt"_s);
    QVERIFY(QFile::link(root.filePath(u"gizli.png"_s), outputFolder + u"/bag.png"_s));
    keyRow.replace(u"@ROOT@"_s, root.path());
    reference.replace(u"@ROOT@"_s, root.path());

    QCOMPARE(embedQuestion(outputFolder, keyRow, u"t"_s, 1, privatePaths).kind, Kind::Missing);

    writeFile(outputFolder + u"/ts1.htm"_s,
              (u"<html><head></head><body><img src=\""_s + reference +
               u"\"><div style=\"background: url('"_s + reference + u"')\"></div></body></html>"_s)
                  .toUtf8());
    const EmbeddedQuestion question = embedQuestion(outputFolder, keyRow, u"t"_s, 1, privatePaths);
    QCOMPARE(question.kind, Kind::Html);
    const QString html = utf8Text(question.data);
    QVERIFY(dataUrls(html, u"image/png"_s).isEmpty());
    QVERIFY(html.contains(u"src=\""_s + reference + u'"'));
}

void tst_QuestionFiles::wholeTest() {
    QTemporaryDir out;
    writeFile(out.filePath(u"ts1.mht"_s), fixture(u"chromium.mht"_s));
    writeFile(out.filePath(u"ts3.jpg"_s), fixture(u"chromium.jpg"_s));
    writeFile(out.filePath(u"ts4.png"_s), fixture(u"chromium.png"_s).left(100));
    // Names that are there but lead to no readable file.
    QVERIFY(QFile::link(out.filePath(u"yok/hic.mht"_s), out.filePath(u"ts2.mht"_s)));
    QVERIFY(QDir().mkpath(out.filePath(u"ts5.mht"_s)));
    const std::vector<EmbeddedQuestion> questions = embedQuestions(
        out.path(), {u"ts1.mht"_s, u"ts2.mht"_s, u"ts3.mht"_s, u"ts4.mht"_s, u"ts5.mht"_s}, u"t"_s);
    QCOMPARE(questions.size(), std::size_t(5));
    QCOMPARE(questions[0].kind, Kind::Html);
    QCOMPARE(questions[2].kind, Kind::Image);
    QCOMPARE(missingQuestionNumbers(questions), (QList<int>{2, 4, 5}));
}

QTEST_GUILESS_MAIN(tst_QuestionFiles)
#include "tst_questionfiles.moc"
