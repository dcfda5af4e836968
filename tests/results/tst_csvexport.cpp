// The CSV of the class results, byte for byte, and the quoting of its fields.

#include "ResultSamples.h"
#include "results/CsvExport.h"

#include <QTest>

class tst_CsvExport : public QObject {
    Q_OBJECT
private slots:
    void exampleClassByteForByte();
    void fields_data();
    void fields();
};

void tst_CsvExport::exampleClassByteForByte() {
    GeneratedTest test = samples::exampleTest();
    test.name = QStringLiteral("Deneme; 9/A \"son\"");
    const QString id = test.identity;
    std::vector<PupilResult> results{
        samples::result(id, QStringLiteral("Ayşe Öz"), QStringLiteral("ABCDA")),
        samples::result(id, QStringLiteral("=1+1"), QStringLiteral("ABCD-"),
                        QStringLiteral("2026-12-09T08:00:00"),
                        QStringLiteral("2026-12-09T09:05:09")),
        samples::result(id, QStringLiteral("Can\nEr"), QStringLiteral("ABDDB")),
        samples::result(id, QStringLiteral("İpek"), QStringLiteral("bb--a"),
                        QStringLiteral("2026-12-09T10:15:02"),
                        QStringLiteral("2026-12-09T10:15:00")),
        samples::result(id, QStringLiteral("Ümit"), QStringLiteral("CCAAB")),
    };
    const auto rows = classRows(test, results);
    const QByteArray csv = classResultsCsv(test, rows, summarize(rows), analyseItems(test, rows));

    const QByteArray expected =
        "\xEF\xBB\xBF"
        "Test;\"Deneme; 9/A \"\"son\"\"\"\r\n"
        "\r\n"
        "Ad;Do\xC4\x9Fru;Yanl\xC4\xB1\xC5\x9F;Bo\xC5\x9F;Net;S\xC3\xBCre\r\n"
        "Ay\xC5\x9F"
        "e \xC3\x96z;5;0;0;5,00;25:11\r\n"
        "'=1+1;4;0;1;4,00;1:05:09\r\n"
        "\"Can\nEr\";3;2;0;2,33;25:11\r\n"
        "\xC4\xB0pek;2;1;2;1,67;\r\n"
        "\xC3\x9Cmit;0;5;0;-1,67;25:11\r\n"
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
