#include "ExpectedFile.h"
#include "core/LineFile.h"
#include "pages/DataFile.h"

#include <QTest>
#include <QXmlStreamReader>
#include <stdexcept>

using namespace Qt::StringLiterals;

using Records = std::vector<DataRecord>;

class tst_DataFile : public QObject {
    Q_OBJECT
private slots:
    void wholeFile_data();
    void wholeFile();
    void readersGetValuesBack();
    void recordsMustMatchCount();
};

static Records stemRecords(const QString& stem, const QStringList& keys) {
    Records r;
    for (qsizetype i = 0; i < keys.size(); ++i)
        r.push_back({stem + u's' + QString::number(i + 1) + u".mht"_s, keys.at(i)});
    return r;
}

void tst_DataFile::wholeFile_data() {
    QTest::addColumn<qint32>("count");
    QTest::addColumn<Records>("records");
    QTest::addColumn<QString>("expected");

    QTest::newRow("two keys, lower case kept")
        << 2 << stemRecords(u"test01"_s, {u"A"_s, u"d"_s}) << u"data_q2.xml"_s;
    QTest::newRow("no questions") << 0 << Records() << u"data_q0.xml"_s;
    QTest::newRow("negative count as none") << -1 << Records() << u"data_q0.xml"_s;
    QTest::newRow("markup characters escaped")
        << 2 << Records{{u"a&b<c>s1.mht"_s, u"A"_s}, {u"a&b<c>s2.mht"_s, u"&"_s}}
        << u"data_markup.xml"_s;
    QTest::newRow("Turkish stem in UTF-8")
        << 1 << stemRecords(u"sınav"_s, {u"E"_s}) << u"data_sinav.xml"_s;
}

void tst_DataFile::wholeFile() {
    QFETCH(qint32, count);
    QFETCH(Records, records);
    QFETCH(QString, expected);
    const QStringList lines = dataFileLines(count, records);
    QCOMPARE(lines.size(), 6 * qsizetype(records.size()) + 3);
    COMPARE_FILE(encodeUtf8Lines(lines), expectedFile(expected));
}

// An XML reader that takes the file as UTF-8 finds the records, in order, with
// the values exactly as stored.
void tst_DataFile::readersGetValuesBack() {
    const Records records{{u"sınav&<x>s1.mht"_s, u"a"_s}, {u"q\"'s2.mht"_s, u"<B>"_s}};
    QXmlStreamReader xml(encodeUtf8Lines(dataFileLines(2, records)));
    QStringList files, keys, counts;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"sdosya")
            files << xml.readElementText();
        else if (xml.name() == u"dc")
            keys << xml.readElementText();
        else if (xml.name() == u"sorusay")
            counts << xml.readElementText();
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(files, (QStringList{records[0].file, records[1].file}));
    QCOMPARE(keys, (QStringList{u"a"_s, u"<B>"_s}));
    QCOMPARE(counts, (QStringList{u"2"_s, u"2"_s}));
}

void tst_DataFile::recordsMustMatchCount() {
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument,
                             dataFileLines(2, stemRecords(u"t"_s, {u"A"_s})));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument,
                             dataFileLines(0, stemRecords(u"t"_s, {u"A"_s})));
}

QTEST_APPLESS_MAIN(tst_DataFile)
#include "tst_datafile.moc"
