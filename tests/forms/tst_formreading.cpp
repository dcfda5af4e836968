// Reading filled forms: sheets made as the benchmark's corpus makes them
// (scanned at any turn, photographed in perspective, with doubtful rows), and
// pages that must be refused by file and page while the rest of the batch is read.

#include "forms/FormPdf.h"
#include "forms/FormReading.h"
#include "tools/FormCorpus.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <tiffio.h>

using namespace Qt::StringLiterals;

class tst_FormReading : public QObject {
    Q_OBJECT
private slots:
    void readsSheets_data();
    void readsSheets();
    void refusesPages_data();
    void refusesPages();
    void readsTiffPages();
};

namespace {

const FormCorpus& corpus() {
    static const FormCorpus made;
    return made;
}

TestLookup knownTest() {
    return [](const QString& identity) -> std::optional<GeneratedTest> {
        if (identity == corpus().test().identity)
            return corpus().test();
        return std::nullopt;
    };
}

// A sheet with every row firmly marked (or blank) but question 7, made as `kind`.
SheetPlan plan(Capture capture, int turn, int form, RowKind kind) {
    SheetPlan p = corpus().randomPlan(quint32(31 + turn + form), capture);
    p.turn = turn;
    p.form = form;
    p.numberFaint = false;
    p.pencil = 0.6;
    const QString number = form == 0 ? u"4071"_s : form == 1 ? u"0012345"_s : u"1203"_s;
    p.number = number;
    for (PlannedRow& row : p.rows)
        if (row.kind != RowKind::Blank)
            row.kind = RowKind::Mark;
    p.rows[6].kind = kind;
    return p;
}

QString written(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write a test file");
    return file.fileName();
}

// A scanner's multi-page TIFF file of these pages, grey, LZW, written by libtiff.
QByteArray tiffOf(const QTemporaryDir& dir, const QList<QImage>& pages) {
    const QString path = dir.filePath(u"scan.tif"_s);
    TIFF* tiff = TIFFOpen(QFile::encodeName(path).constData(), "w");
    for (const QImage& page : pages) {
        const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(grey.width()));
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(grey.height()));
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 64);
        for (int y = 0; y < grey.height(); ++y)
            TIFFWriteScanline(tiff, const_cast<uchar*>(grey.constScanLine(y)), uint32_t(y), 0);
        TIFFWriteDirectory(tiff);
    }
    TIFFClose(tiff);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read the TIFF back");
    return file.readAll();
}

} // namespace

void tst_FormReading::readsSheets_data() {
    QTest::addColumn<int>("capture");
    QTest::addColumn<int>("turn");
    QTest::addColumn<int>("form");
    QTest::addColumn<int>("row7");
    QTest::addColumn<QString>("reason");   // of question 7's flag; empty: read
    QTest::addColumn<bool>("numberFaint"); // the second digit marked faintly

    const int scan = int(Capture::Scan), photo = int(Capture::Photo);
    QTest::newRow("clean scan") << scan << 0 << 0 << int(RowKind::Mark) << QString() << false;
    QTest::newRow("scan turned sideways, 7 digits")
        << scan << 90 << 1 << int(RowKind::Mark) << QString() << false;
    QTest::newRow("scan upside down")
        << scan << 180 << 0 << int(RowKind::Blank) << QString() << false;
    QTest::newRow("photo in perspective")
        << photo << 270 << 0 << int(RowKind::Mark) << QString() << false;
    QTest::newRow("pupil's own form")
        << photo << 0 << 2 << int(RowKind::Mark) << QString() << false;
    QTest::newRow("two marks") << scan << 0 << 0 << int(RowKind::Two) << u"İki işaret"_s << false;
    QTest::newRow("faint mark") << scan << 0 << 1 << int(RowKind::Faint) << u"Silik işaret"_s
                                << false;
    QTest::newRow("crossed out beside a mark")
        << photo << 0 << 0 << int(RowKind::Crossed) << u"Silinmiş işaret"_s << false;
    QTest::newRow("faint digit") << scan << 0 << 0 << int(RowKind::Mark) << QString() << true;
}

void tst_FormReading::readsSheets() {
    QFETCH(int, capture);
    QFETCH(int, turn);
    QFETCH(int, form);
    QFETCH(int, row7);
    QFETCH(QString, reason);
    QFETCH(bool, numberFaint);
    SheetPlan p = plan(Capture(capture), turn, form, RowKind(row7));
    p.numberFaint = numberFaint;
    const QJsonObject truth = corpus().truth(p);
    const ReadSheet sheet = readSheet(QImage::fromData(corpus().makeSheet(p)), knownTest());

    QCOMPARE(sheet.refused, QString());
    QCOMPARE(sheet.identity, corpus().test().identity);
    QString number = truth[u"number"_s].toString();
    if (numberFaint)
        number[1] = u'?';
    QCOMPARE(sheet.number, number);
    QCOMPARE(sheet.numberFromCode, form >= 2);
    QCOMPARE(sheet.booklet, truth[u"booklet"_s].toString());
    QString expected = truth[u"answers"_s].toString();
    if (!reason.isEmpty())
        expected[6] = u'?';
    QCOMPARE(sheet.answers, expected);
    QCOMPARE(int(sheet.flags.size()), int(!reason.isEmpty()) + int(numberFaint));
    if (numberFaint) {
        const FormFlag& flag = sheet.flags.front();
        QCOMPARE(int(flag.row), int(FormFlag::Row::Number));
        QCOMPARE(flag.position, 2);
        QCOMPARE(flag.choices.size(), 11);
    } else if (!reason.isEmpty()) {
        const FormFlag& flag = sheet.flags.front();
        QCOMPARE(flag.question, 7);
        QCOMPARE(flag.reason, reason);
        QCOMPARE(flag.choices, QStringList({u"A"_s, u"B"_s, u"C"_s, u"D"_s, u"E"_s, u"Boş"_s}));
        QVERIFY(flag.cutout.width() > flag.cutout.height() && flag.cutout.height() > 20);
    }
    QVERIFY(!sheet.nameBox.isNull());
}

void tst_FormReading::refusesPages_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<bool>("link"); // given as a symbolic link to the bytes

    QImage white(2480, 3508, QImage::Format_Grayscale8);
    white.fill(255);
    QByteArray blank;
    QBuffer buffer(&blank);
    buffer.open(QIODevice::WriteOnly);
    white.save(&buffer, "PNG");
    // A PNG of 68 bytes whose header claims 30000 × 30000 pixels.
    const QByteArray huge = QByteArray::fromHex(
        "89504e470d0a1a0a0000000d4948445200007530000075300800000000434ca7660000000b4944415478"
        "9c63604005000010000139bd8f650000000049454e44ae426082");
    const QByteArray sheet = corpus().makeSheet(plan(Capture::Scan, 0, 0, RowKind::Mark));
    GeneratedTest other = corpus().test();
    other.identity = u"00112233445566778899aabbccddeeff"_s;

    QTest::newRow("blank page") << blank << u"köşe işaretleri bulunamadı"_s << false;
    QTest::newRow("damaged file") << sheet.left(5000) << u"bozuk"_s << false;
    QTest::newRow("oversized header") << huge << u"çok büyük"_s << false;
    QTest::newRow("form of another test")
        << printForms(other, {}).pdf << u"test kimliği 00112233445566778899aabbccddeeff"_s << false;
    QTest::newRow("a form's PDF, unfilled")
        << printForms(corpus().test(), {}).pdf << QString() << false;
    QTest::newRow("link to a sheet") << sheet << u"Sıradan bir dosya değil"_s << true;
}

void tst_FormReading::refusesPages() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, refusal);
    QFETCH(bool, link);
    QTemporaryDir dir;
    static const QByteArray good = corpus().makeSheet(plan(Capture::Scan, 180, 1, RowKind::Mark));
    QStringList files{written(dir, u"bad"_s, bytes), written(dir, u"good.jpg"_s, good)};
    if (link) {
        files[0] = dir.filePath(u"link"_s);
        QVERIFY(QFile::link(dir.filePath(u"bad"_s), files[0]));
    }
    int told = 0;
    const std::vector<ReadSheet> sheets = readFormFiles(files, knownTest(), [&](int done, int) {
        told = done;
        return true;
    });
    QCOMPARE(told, 2);
    QCOMPARE(int(sheets.size()), 2);
    QCOMPARE(sheets[0].file, files[0]);
    QCOMPARE(sheets[0].page, 1);
    if (refusal.isEmpty()) {
        QCOMPARE(sheets[0].refused, QString());
        QCOMPARE(sheets[0].answers, QString(40, u'.'));
        QCOMPARE(sheets[0].booklet, u"?"_s); // two booklets and none marked
    } else {
        QVERIFY2(sheets[0].refused.contains(refusal), qPrintable(sheets[0].refused));
    }
    QCOMPARE(sheets[1].refused, QString());
    QVERIFY(sheets[1].flags.empty());

    // Cancelled after the first page: the rest is not read.
    QCOMPARE(int(readFormFiles(files, knownTest(), [](int, int) { return false; }).size()), 1);
}

// A scanner's pages in one TIFF file, each read or refused on its own; a
// damaged TIFF refused whole.
void tst_FormReading::readsTiffPages() {
    QTemporaryDir dir;
    QImage blank(1240, 1754, QImage::Format_Grayscale8);
    blank.fill(255);
    const QByteArray tiff = tiffOf(
        dir,
        {QImage::fromData(corpus().makeSheet(plan(Capture::Scan, 90, 0, RowKind::Mark))), blank});
    const QStringList files{written(dir, u"pages.tif"_s, tiff),
                            written(dir, u"damaged.tif"_s, tiff.left(4000))};
    const std::vector<ReadSheet> sheets = readFormFiles(files, knownTest());
    QCOMPARE(int(sheets.size()), 3);
    QCOMPARE(sheets[0].refused, QString());
    QCOMPARE(sheets[0].number, u"4071"_s);
    QCOMPARE(sheets[1].page, 2);
    QVERIFY2(sheets[1].refused.contains(u"köşe işaretleri bulunamadı"_s),
             qPrintable(sheets[1].refused));
    QVERIFY2(sheets[2].refused.contains(u"bozuk"_s), qPrintable(sheets[2].refused));
}

QTEST_MAIN(tst_FormReading)
#include "tst_formreading.moc"
