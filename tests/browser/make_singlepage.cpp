// Writes a single test page for the browser tests with the program's own
// builders (testIdentity, singlePageBytes), from a small JSON description:
//
//   make_singlepage DESCRIPTION.json OUT.html
//
// {"testName": "...", "stem": "...", "keys": "ABDD", "options": 5, "netRule": 3,
//  "minutes": 0, "explanation": ["line", ...], "colours": ["#..." x 6],
//  "navigationImages": true, "showKeys": false,
//  "questions": [{"kind": "html", "html": "...", "repeatTo": 200000},
//                {"kind": "png", "colour": "#3366cc"}, {"kind": "pdf", "file": "x.pdf"},
//                {"kind": "missing"}],
//  "sections": [{"name": "Türkçe", "first": 1, "last": 40, "weight": 1}, ...],
//  "booklets": 2}
//
// With 2 or 4 booklets OUT names the set: OUT-A.html, OUT-B.html, … (OUT
// without ".html"), as the page set names them. Prints the test identity on
// standard output and, for more than one booklet, the orders on a second line
// ("A:1,2,…;B:…"). Exit status 0 when written,
// 2 on bad arguments, 1 when a file cannot be read or written.

#include "core/Booklets.h"
#include "core/TestIdentity.h"
#include "core/TestRules.h"
#include "pages/PageSet.h"
#include "pages/QuestionFiles.h"
#include "pages/SinglePage.h"

#include <QBuffer>
#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

QByteArray png(const QColor& colour, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    // A darker band, so a test can see the image was drawn to scale.
    for (int y = height / 3; y < height / 3 + 8 && y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixelColor(x, y, colour.darker(200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

EmbeddedQuestion question(const QJsonObject& q) {
    EmbeddedQuestion out;
    const QString kind = q.value(u"kind"_s).toString();
    if (kind == u"html"_s) {
        QByteArray html = q.value(u"html"_s).toString().toUtf8();
        const qsizetype size = q.value(u"repeatTo"_s).toInteger();
        if (size > html.size()) {
            // Filler paragraphs up to the size asked, as a long question would carry.
            QByteArray body;
            const QByteArray filler = "<p>Şekil ve açıklama metni: ğüşıöç ĞÜŞİÖÇ 0123456789.</p>\n";
            while (html.size() + body.size() < size)
                body += filler;
            html.replace("</body>", body + "</body>");
        }
        out = {EmbeddedQuestion::Kind::Html, u"text/html"_s, html, u"soru.html"_s, {}};
    } else if (kind == u"png"_s) {
        out = {EmbeddedQuestion::Kind::Image,
               u"image/png"_s,
               png(QColor(q.value(u"colour"_s).toString(u"#3366cc"_s)), 600, 300),
               u"soru.png"_s,
               {}};
    } else if (kind == u"pdf"_s) {
        // Rendered to images as the program embeds it.
        QFile f(q.value(u"file"_s).toString());
        if (f.open(QIODevice::ReadOnly))
            out = embedQuestionBytes(f.readAll(), f.fileName(),
                                     FolderInput(QFileInfo(f.fileName()).path(), {}));
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_singlepage DESCRIPTION.json OUT.html\n");
        return 2;
    }
    QFile description(QString::fromLocal8Bit(argv[1]));
    if (!description.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "make_singlepage: cannot read %s\n", argv[1]);
        return 1;
    }
    const QJsonObject d = QJsonDocument::fromJson(description.readAll()).object();

    SinglePageInput in;
    in.testName = d.value(u"testName"_s).toString();
    in.stem = d.value(u"stem"_s).toString(u"test01"_s);
    in.keys = d.value(u"keys"_s).toString();
    in.settings.siksay = d.value(u"options"_s).toInt(5);
    in.settings.yanlis = d.value(u"netRule"_s).toInt(3);
    in.settings.sure = d.value(u"minutes"_s).toInt(0);
    for (const QJsonValue& line : d.value(u"explanation"_s).toArray())
        in.explanationLines << line.toString();
    const QJsonArray colours = d.value(u"colours"_s).toArray();
    QString* const colourFields[] = {&in.settings.sorus, &in.settings.soruac, &in.settings.cevaps,
                                     &in.settings.ace,   &in.settings.bd,     &in.settings.sonucs};
    for (int i = 0; i < 6; ++i)
        *colourFields[i] = colours.at(i).toString(); // missing: the page's defaults
    if (d.value(u"navigationImages"_s).toBool()) {
        in.firstImage = png(Qt::darkGreen, 24, 24);
        in.previousImage = png(Qt::darkBlue, 24, 24);
        in.nextImage = png(Qt::darkRed, 24, 24);
        in.lastImage = png(Qt::darkMagenta, 24, 24);
    }
    for (const QJsonValue& q : d.value(u"questions"_s).toArray())
        in.questions << question(q.toObject());
    in.settings.dogrular = d.value(u"showKeys"_s).toBool(true);
    for (const QJsonValue s : d.value(u"sections"_s).toArray())
        in.sections.push_back({s[u"name"_s].toString(), s[u"first"_s].toInt(), s[u"last"_s].toInt(),
                               s[u"weight"_s].toDouble(1)});
    in.bookletCount = d.value(u"booklets"_s).toInt(1);
    const qint32 count = qint32(in.keys.size());
    in.testIdentity = testIdentity(
        {in.testName, in.stem, in.keys.toUpper(), effectiveOptionCount(in.settings.siksay),
         effectiveNetRule(in.settings.yanlis), in.settings.sure,
         questionDigests(in.questions, count), in.sections, in.bookletCount});
    const std::vector<BookletOrder> booklets =
        bookletOrders(in.testIdentity, count, in.sections, in.bookletCount);

    const QFileInfo target(QString::fromLocal8Bit(argv[2]));
    const QStringList names =
        PageSetNames(target.fileName().chopped(target.fileName().endsWith(u".html"_s) ? 5 : 0))
            .singlePages(in.bookletCount);
    for (qsizetype b = 0; b < names.size(); ++b) {
        if (names.size() > 1) {
            in.booklet = booklets[std::size_t(b)].letter;
            in.order = booklets[std::size_t(b)].order;
        }
        QElapsedTimer clock;
        clock.start();
        const QByteArray page = singlePageBytes(in);
        if (qEnvironmentVariableIsSet("SINGLEPAGE_TIMING"))
            std::fprintf(stderr, "singlePageBytes: %lld ms, %lld bytes\n",
                         qlonglong(clock.elapsed()), qlonglong(page.size()));
        QFile out(target.dir().filePath(names[b]));
        if (!out.open(QIODevice::WriteOnly) || out.write(page) < 0) {
            std::fprintf(stderr, "make_singlepage: cannot write %s\n", qPrintable(out.fileName()));
            return 1;
        }
    }
    std::printf("%s\n", qPrintable(in.testIdentity));
    if (names.size() > 1)
        std::printf("%s\n", qPrintable(bookletOrdersText(booklets)));
    return 0;
}
