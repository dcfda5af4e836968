// The CSV of the class results, byte for byte, the quoting of its fields,
// and every cell as a Turkish spreadsheet reads it.

#include "ResultSamples.h"
#include "results/CsvExport.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QXmlStreamReader>

using namespace Qt::StringLiterals;

class tst_CsvExport : public QObject {
    Q_OBJECT
private slots:
    void exampleClassByteForByte();
    void spreadsheetReadsEveryCellAsMeant();
    void fields_data();
    void fields();
};

namespace {

// The five pupils of the example test under the given names, as CSV.
QByteArray exampleClassCsv(const QStringList& names) {
    GeneratedTest test = samples::exampleTest();
    test.name = QStringLiteral("Deneme; 9/A \"son\"");
    const QString id = test.identity;
    const QString answers[] = {u"ABCDA"_s, u"ABCD-"_s, u"ABDDB"_s, u"bb--a"_s, u"CCAAB"_s};
    std::vector<PupilResult> results;
    for (int i = 0; i < 5; ++i)
        results.push_back(
            i == 1   ? samples::result(id, names[i], answers[i], u"2026-12-09T08:00:00"_s,
                                       u"2026-12-09T09:05:09"_s)
            : i == 3 ? samples::result(id, names[i], answers[i], u"2026-12-09T10:15:02"_s,
                                       u"2026-12-09T10:15:00"_s)
            : i == 4 ? samples::retake(samples::result(id, names[i], answers[i]), 3)
                     : samples::result(id, names[i], answers[i]));
    const auto rows = classRows(test, results);
    return classResultsCsv(test, rows, summarize(rows), analyseItems(test, rows));
}

// Every row of a flat OpenDocument spreadsheet as "type:value|type:value".
QStringList sheetRows(QIODevice& fods) {
    QStringList rows;
    QStringList cells;
    QXmlStreamReader xml(&fods);
    while (xml.readNext() != QXmlStreamReader::Invalid && !xml.atEnd()) {
        if (xml.isEndElement() && xml.name() == u"table-row") {
            while (!cells.isEmpty() && cells.last().isEmpty())
                cells.removeLast();
            rows << cells.join(u'|');
            cells.clear();
        }
        if (!xml.isStartElement() || xml.name() != u"table-cell")
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        const QString type = a.value(u"office:value-type"_s).toString();
        QString value =
            a.value(u"office:"_s + (type == u"float" ? u"value"_s : type + u"-value"_s)).toString();
        if (type == u"string" && !a.hasAttribute(u"office:string-value"_s))
            value = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        const int repeated = std::max(1, a.value(u"table:number-columns-repeated"_s).toInt());
        for (int i = 0; i < repeated; ++i)
            cells << (type.isEmpty() ? QString() : type + u':' + value);
    }
    while (!rows.isEmpty() && rows.last().isEmpty())
        rows.removeLast();
    return rows;
}

} // namespace

// LibreOffice Calc opens the file as a teacher's double click does: Turkish
// locale, ";" between fields, UTF-8. Names that look like a number, a date,
// a logical value or a formula stay the very text typed.
void tst_CsvExport::spreadsheetReadsEveryCellAsMeant() {
    const QString soffice = QStandardPaths::findExecutable(u"soffice"_s);
    if (soffice.isEmpty())
        QSKIP("LibreOffice is not installed (soffice; Debian's libreoffice-calc-nogui)");
    QTemporaryDir dir;
    QFile csv(dir.filePath(u"sinif.csv"_s));
    QVERIFY(csv.open(QIODevice::WriteOnly));
    csv.write(
        exampleClassCsv({u"Doğru Yılmaz"_s, u"1e3"_s, u"12.01.2026"_s, u"=1+1"_s, u"Yanlış"_s}));
    csv.close();

    QProcess convert;
    convert.setProcessChannelMode(QProcess::MergedChannels);
    convert.start(
        soffice,
        {u"-env:UserInstallation="_s + QUrl::fromLocalFile(dir.filePath(u"profile"_s)).toString(),
         u"--headless"_s, u"--infilter=CSV:59,34,76,1,,1055"_s, u"--convert-to"_s, u"fods"_s,
         u"--outdir"_s, dir.path(), csv.fileName()});
    QVERIFY(convert.waitForFinished(180000));
    QFile fods(dir.filePath(u"sinif.fods"_s));
    QVERIFY2(fods.open(QIODevice::ReadOnly), convert.readAll().constData());

    const QStringList expected{
        u"string:Test|string:Deneme; 9/A \"son\""_s,
        QString(),
        u"string:Ad|string:Doğru sayısı|string:Yanlış sayısı|string:Boş sayısı|string:Net|"
        u"string:Süre (sa:dk:sn)|string:Deneme|string:Soru 1|string:Soru 2|string:Soru 3|"
        u"string:Soru 4|string:Soru 5"_s,
        u"string:Doğru Yılmaz|float:5|float:0|float:0|float:5|time:PT00H25M11S|float:1|string:A|"
        u"string:B|string:C|string:D|string:A"_s,
        u"string:1e3|float:4|float:0|float:1|float:4|time:PT01H05M09S|float:1|string:A|string:B|"
        u"string:C|string:D"_s,
        u"string:12.01.2026|float:3|float:2|float:0|float:2.33|time:PT00H25M11S|float:1|string:A|"
        u"string:B|string:D|string:D|string:B"_s,
        u"string:=1+1|float:2|float:1|float:2|float:1.67||float:1|string:B|string:B|||string:A"_s,
        u"string:Yanlış|float:0|float:5|float:0|float:-1.67|time:PT00H25M11S|float:3|string:C|"
        u"string:C|string:A|string:A|string:B"_s,
        QString(),
        u"string:Öğrenci sayısı|float:5"_s,
        u"string:Ortalama net|float:2.27"_s,
        u"string:Ortanca net|float:2.33"_s,
        u"string:Standart sapma|float:2.29"_s,
        u"string:En düşük net|float:-1.67"_s,
        u"string:En yüksek net|float:5"_s};
    QCOMPARE(sheetRows(fods).mid(0, expected.size()), expected); // the item analysis follows
}

void tst_CsvExport::exampleClassByteForByte() {
    const QByteArray csv =
        exampleClassCsv({u"Ayşe Öz"_s, u"=1+1"_s, u"Can\nEr"_s, u"İpek"_s, u"Ümit"_s});

    const QByteArray expected =
        "\xEF\xBB\xBF"
        "Test;\"=\"\"Deneme; 9/A \"\"\"\"son\"\"\"\"\"\"\"\r\n"
        "\r\n"
        "Ad;Do\xC4\x9Fru say\xC4\xB1s\xC4\xB1;Yanl\xC4\xB1\xC5\x9F say\xC4\xB1s\xC4\xB1;"
        "Bo\xC5\x9F say\xC4\xB1s\xC4\xB1;Net;S\xC3\xBCre (sa:dk:sn);Deneme;"
        "Soru 1;Soru 2;Soru 3;Soru 4;Soru 5\r\n"
        "Ay\xC5\x9F"
        "e \xC3\x96z;5;0;0;5,00;00:25:11;1;A;B;C;D;A\r\n"
        "\"=\"\"=1+1\"\"\";4;0;1;4,00;01:05:09;1;A;B;C;D;\r\n"
        "\"Can\nEr\";3;2;0;2,33;00:25:11;1;A;B;D;D;B\r\n"
        "\xC4\xB0pek;2;1;2;1,67;;1;B;B;;;A\r\n"
        "\xC3\x9Cmit;0;5;0;-1,67;00:25:11;3;C;C;A;A;B\r\n"
        "\r\n"
        "\xC3\x96\xC4\x9Frenci say\xC4\xB1s\xC4\xB1;5\r\n"
        "Ortalama net;2,27\r\n"
        "Ortanca net;2,33\r\n"
        "Standart sapma;2,29\r\n"
        "En d\xC3\xBC\xC5\x9F\xC3\xBCk net;-1,67\r\n"
        "En y\xC3\xBCksek net;5,00\r\n"
        "\r\n"
        "Soru;Cevap;G\xC3\xBC\xC3\xA7l\xC3\xBCk;Ay\xC4\xB1rt edicilik;A;B;C;D;Bo\xC5\x9F;"
        "\xC4\xB0\xC5\x9F"
        "aret\r\n"
        "1;A;0,60;1,00;3;1;1;0;0;\r\n"
        "2;B;0,80;1,00;0;4;1;0;0;\r\n"
        "3;C;0,40;1,00;1;0;2;1;1;\r\n"
        "4;D;0,60;1,00;1;0;0;3;1;\r\n"
        "5;A;0,40;1,00;2;2;0;0;1;\r\n";
    QCOMPARE(csv, expected);
}

void tst_CsvExport::fields_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    QTest::newRow("plain") << QStringLiteral("Ali Veli") << QStringLiteral("Ali Veli");
    QTest::newRow("comma stays bare") << QStringLiteral("2,5") << QStringLiteral("2,5");
    QTest::newRow("semicolon") << QStringLiteral("a;b") << QStringLiteral("\"a;b\"");
    QTest::newRow("quote") << QStringLiteral("a\"b") << QStringLiteral("\"a\"\"b\"");
    QTest::newRow("carriage return") << QStringLiteral("a\rb") << QStringLiteral("\"a\rb\"");
    QTest::newRow("empty") << QString() << QString();
}

void tst_CsvExport::fields() {
    QFETCH(QString, text);
    QFETCH(QString, field);
    QCOMPARE(csvField(text), field);
}

QTEST_GUILESS_MAIN(tst_CsvExport)
#include "tst_csvexport.moc"
