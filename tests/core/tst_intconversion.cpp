#include "core/AppError.h"
#include "core/IntConversion.h"

#include <QTest>

class tst_IntConversion : public QObject {
    Q_OBJECT
private slots:
    void accepts_data();
    void accepts();
    void rejects_data();
    void rejects();
};

void tst_IntConversion::accepts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint32>("value");
    QTest::newRow("plain") << QStringLiteral("10") << 10;
    QTest::newRow("zero") << QStringLiteral("0") << 0;
    QTest::newRow("leading zeros") << QStringLiteral("007") << 7;
    QTest::newRow("leading blanks") << QStringLiteral("   42") << 42;
    QTest::newRow("minus") << QStringLiteral("-5") << -5;
    QTest::newRow("plus") << QStringLiteral("+5") << 5;
    QTest::newRow("blanks then sign") << QStringLiteral("  -12") << -12;
    QTest::newRow("max") << QStringLiteral("2147483647") << 2147483647;
    QTest::newRow("min") << QStringLiteral("-2147483648") << qint32(-2147483647 - 1);
    QTest::newRow("dollar hex") << QStringLiteral("$1F") << 31;
    QTest::newRow("x hex") << QStringLiteral("x1f") << 31;
    QTest::newRow("X hex") << QStringLiteral("XfF") << 255;
    QTest::newRow("0x hex") << QStringLiteral("0x10") << 16;
    QTest::newRow("0X hex") << QStringLiteral("0XA") << 10;
    QTest::newRow("signed hex") << QStringLiteral("-$10") << -16;
    QTest::newRow("hex max") << QStringLiteral("$7FFFFFFF") << 2147483647;
    QTest::newRow("hex min") << QStringLiteral("-$80000000") << qint32(-2147483647 - 1);
    QTest::newRow("zero then x") << QStringLiteral("0x0") << 0;
    QTest::newRow("many leading zeros beyond range digits")
        << QStringLiteral("0000000000012") << 12;
}

void tst_IntConversion::accepts() {
    QFETCH(QString, text);
    QFETCH(qint32, value);
    QCOMPARE(strToInt(text), value);
}

void tst_IntConversion::rejects_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("blanks only") << QStringLiteral("   ");
    QTest::newRow("trailing blank") << QStringLiteral("10 ");
    QTest::newRow("letters") << QStringLiteral("abc");
    QTest::newRow("digits then letter") << QStringLiteral("12a");
    QTest::newRow("sign only") << QStringLiteral("-");
    QTest::newRow("two signs") << QStringLiteral("+-1");
    QTest::newRow("blank after sign") << QStringLiteral("- 1");
    QTest::newRow("dollar only") << QStringLiteral("$");
    QTest::newRow("0x only") << QStringLiteral("0x");
    QTest::newRow("hex digit without prefix") << QStringLiteral("1F");
    QTest::newRow("bad hex digit") << QStringLiteral("$1G");
    QTest::newRow("above max") << QStringLiteral("2147483648");
    QTest::newRow("below min") << QStringLiteral("-2147483649");
    QTest::newRow("hex above max") << QStringLiteral("$80000000");
    QTest::newRow("huge") << QStringLiteral("99999999999999999999999");
    QTest::newRow("decimal point") << QStringLiteral("1.5");
    QTest::newRow("tab before") << QStringLiteral("\t5");
    QTest::newRow("arabic-indic digit") << QStringLiteral(u"\u0665");
    QTest::newRow("full-width digit") << QStringLiteral(u"\uFF15");
    QTest::newRow("Turkish letter") << QStringLiteral(u"ş");
}

void tst_IntConversion::rejects() {
    QFETCH(QString, text);
    try {
        strToInt(text);
        QFAIL("the text was accepted");
    } catch (const AppError& e) {
        QCOMPARE(e.text(), QStringLiteral("'%1' is not a valid integer value").arg(text));
    }
}

QTEST_APPLESS_MAIN(tst_IntConversion)
#include "tst_intconversion.moc"
