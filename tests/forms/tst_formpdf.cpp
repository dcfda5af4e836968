// The optical form as printed: rendered back from its PDF, its QR code read
// by an outside decoder, its markers found by the detector a reader uses, and
// the bubbles of its layout file found where the file puts them.

#include "core/AppError.h"
#include "forms/FormCode.h"
#include "forms/FormLayoutJson.h"
#include "forms/FormPdf.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QPdfDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <opencv2/aruco.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>

using namespace Qt::StringLiterals;

class tst_FormPdf : public QObject {
    Q_OBJECT
private slots:
    void drawnAsLaidOut_data();
    void drawnAsLaidOut();
    void refused_data();
    void refused();
};

namespace {

constexpr double kDpi = 200;
constexpr double kPxPerMm = kDpi / 25.4;

GeneratedTest sampleTest(int count, int sections, int booklets) {
    GeneratedTest test;
    test.name = u"8. sınıf Deneme Sınavı – Öğrenci Formu"_s;
    test.stem = u"deneme"_s;
    test.count = count;
    test.keys = QString(count, u'A');
    test.optionCount = sections ? 5 : 4;
    test.identity = u"0123456789abcdef0123456789abcdef"_s;
    for (int s = 0; s < sections; ++s)
        test.sections.push_back({u"Bölüm %1 Türkçe ve Sosyal Bilgiler"_s.arg(s + 1),
                                 s * count / sections + 1, (s + 1) * count / sections, 1});
    test.booklets = bookletOrders(test.identity, count, test.sections, booklets);
    return test;
}

int grey(const QImage& page, double xMm, double yMm) {
    return qGray(page.pixel(int(std::lround(xMm * kPxPerMm)), int(std::lround(yMm * kPxPerMm))));
}

// The darkest pixel next to a point: a thin anti-aliased ring may fall between pixels.
int darkest(const QImage& page, double xMm, double yMm) {
    int least = 255;
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
            least = std::min(least, grey(page, xMm + dx / kPxPerMm, yMm + dy / kPxPerMm));
    return least;
}

double mm(const QJsonObject& o, const char* key) {
    return o.value(QLatin1String(key)).toDouble();
}

} // namespace

void tst_FormPdf::drawnAsLaidOut_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("sections");
    QTest::addColumn<int>("booklets");
    QTest::addColumn<QString>("pupilNumber"); // empty: a blank form
    QTest::newRow("120 questions, 4 sections, 2 booklets") << 120 << 4 << 2 << QString();
    QTest::newRow("20 questions without sections") << 20 << 0 << 1 << QString();
    QTest::newRow("a pupil's own form") << 40 << 2 << 4 << u"1234"_s;
}

void tst_FormPdf::drawnAsLaidOut() {
    QFETCH(int, count);
    QFETCH(int, sections);
    QFETCH(int, booklets);
    QFETCH(QString, pupilNumber);
    const GeneratedTest test = sampleTest(count, sections, booklets);
    std::vector<FormPupil> pupils;
    if (!pupilNumber.isEmpty())
        pupils = {{pupilNumber, u"Ayşe Çığ Öztürk"_s}, {u"99"_s, u"İlker Şahin"_s}};
    PrintedForms forms = printForms(test, pupils);

    const QJsonObject layout = QJsonDocument::fromJson(layoutJson(forms.layout)).object();
    QCOMPARE(layout[u"version"_s].toInt(), 1);
    const QJsonArray bubbles = layout[u"bubbles"_s].toArray();
    QMap<QString, int> kinds;
    for (const QJsonValue& b : bubbles)
        ++kinds[b[u"kind"_s].toString()];
    QCOMPARE(kinds[u"answer"_s], count * test.optionCount);
    QCOMPARE(kinds[u"number"_s], pupils.empty() ? 40 : 0);
    QCOMPARE(kinds[u"booklet"_s], booklets > 1 ? booklets : 0);
    QCOMPARE(bubbles.last()[u"question"_s].toInt(), count);

    QBuffer buffer(&forms.pdf);
    buffer.open(QIODevice::ReadOnly);
    QPdfDocument pdf;
    pdf.load(&buffer);
    QCOMPARE(pdf.pageCount(), std::max<int>(1, int(pupils.size())));
    const QSizeF points = pdf.pagePointSize(0);
    QVERIFY(std::abs(points.width() - 595.3) < 1 && std::abs(points.height() - 841.9) < 1);
    // The renderer leaves the paper transparent: lay the page on white paper.
    const QImage ink = pdf.render(0, (points * kDpi / 72).toSize());
    QImage page(ink.size(), QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter(&page).drawImage(0, 0, ink);

    // Every seventh bubble: a dark ring, white inside and white half-way to the next.
    for (qsizetype i = 0; i < bubbles.size(); i += 7) {
        const QJsonObject b = bubbles[i].toObject();
        const double x = mm(b, "x_mm"), y = mm(b, "y_mm"), r = mm(b, "r_mm");
        const QByteArray where = QJsonDocument(b).toJson(QJsonDocument::Compact);
        QVERIFY2(grey(page, x, y) > 220 && grey(page, x + r / 2, y - r / 2) > 220, where);
        for (int k = 0; k < 12; ++k) {
            const double a = k * M_PI / 6;
            QVERIFY2(darkest(page, x + r * std::cos(a), y + r * std::sin(a)) < 128, where);
        }
        const double gap = r + 0.6; // half of the paper between two bubbles
        QVERIFY2(grey(page, x, y + gap) > 220 && grey(page, x + gap, y) > 220, where);
    }

    // The four markers, found by the detector, lie where the layout puts them.
    cv::Mat image(page.height(), page.width(), CV_8UC4, const_cast<uchar*>(page.bits()),
                  std::size_t(page.bytesPerLine()));
    cv::Mat gray;
    cv::cvtColor(image, gray, cv::COLOR_BGRA2GRAY);
    std::vector<std::vector<cv::Point2f>> corners;
    std::vector<int> ids;
    cv::aruco::detectMarkers(gray, cv::aruco::getPredefinedDictionary(cv::aruco::DICT_4X4_50),
                             corners, ids);
    QCOMPARE(int(ids.size()), 4);
    for (const QJsonValue& m : layout[u"markers"_s].toArray()) {
        const auto found = std::find(ids.begin(), ids.end(), m[u"id"_s].toInt());
        QVERIFY(found != ids.end());
        const cv::Point2f topLeft = corners[std::size_t(found - ids.begin())][0];
        QVERIFY(std::abs(topLeft.x / kPxPerMm - mm(m.toObject(), "x_mm")) < 0.5);
        QVERIFY(std::abs(topLeft.y / kPxPerMm - mm(m.toObject(), "y_mm")) < 0.5);
    }

    const QString zbarimg = QStandardPaths::findExecutable(u"zbarimg"_s);
    if (zbarimg.isEmpty())
        QSKIP("zbarimg (zbar-tools) is not installed: the QR code was not decoded");
    QTemporaryDir dir;
    const QString png = dir.filePath(u"form.png"_s);
    QVERIFY(page.save(png));
    QProcess zbar;
    zbar.start(zbarimg, {u"--raw"_s, u"-q"_s, png});
    QVERIFY(zbar.waitForFinished(60000));
    const std::optional<FormCode> code =
        parseFormCode(QString::fromUtf8(zbar.readAllStandardOutput()));
    QVERIFY(code);
    QCOMPARE(code->identity, test.identity);
    QCOMPARE(code->layoutVersion, 1);
    QCOMPARE(code->pupilNumber, pupilNumber);
}

void tst_FormPdf::refused_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("digits");
    QTest::addColumn<QString>("pupilNumber");
    QTest::addColumn<QString>("reason");
    QTest::newRow("121 questions") << 121 << 4 << QString() << u"en çok 120"_s;
    QTest::newRow("11 digits") << 20 << 11 << QString() << u"hane sayısı"_s;
    QTest::newRow("a separator in a number") << 20 << 4 << u"12;3"_s << u"yalnız harf"_s;
}

void tst_FormPdf::refused() {
    QFETCH(int, count);
    QFETCH(int, digits);
    QFETCH(QString, pupilNumber);
    QFETCH(QString, reason);
    std::vector<FormPupil> pupils;
    if (!pupilNumber.isEmpty())
        pupils.push_back({pupilNumber, u"Ali"_s});
    try {
        printForms(sampleTest(count, 0, 1), pupils, digits);
        QFAIL("the form was made");
    } catch (const AppError& error) {
        QVERIFY2(error.text().contains(reason), qPrintable(error.text()));
    }
}

QTEST_MAIN(tst_FormPdf)
#include "tst_formpdf.moc"
