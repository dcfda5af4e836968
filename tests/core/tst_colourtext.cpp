#include "core/ColourText.h"

#include <QTest>

class tst_ColourText : public QObject {
    Q_OBJECT
private slots:
    void text_data();
    void text();
};

void tst_ColourText::text_data() {
    QTest::addColumn<quint32>("value");
    QTest::addColumn<QString>("expected");
    // Red sits in the low byte, blue in the third.
    QTest::newRow("purple") << quint32(0x800080) << QStringLiteral("#800080");
    QTest::newRow("pink") << quint32(0xE4CFF1) << QStringLiteral("#F1CFE4");
    QTest::newRow("orchid") << quint32(0xD670DA) << QStringLiteral("#DA70D6");
    QTest::newRow("red") << quint32(0x0000FF) << QStringLiteral("#FF0000");
    QTest::newRow("leading zeros, upper case") << quint32(0x0F0A05) << QStringLiteral("#050A0F");
    QTest::newRow("black") << quint32(0) << QStringLiteral("#000000");
    QTest::newRow("high byte ignored") << quint32(0xFF0F0A05) << QStringLiteral("#050A0F");
    QTest::newRow("system colour flag ignored") << quint32(0x80FFFFFF) << QStringLiteral("#FFFFFF");
}

void tst_ColourText::text() {
    QFETCH(quint32, value);
    QFETCH(QString, expected);
    QCOMPARE(colourText(value), expected);
}

QTEST_APPLESS_MAIN(tst_ColourText)
#include "tst_colourtext.moc"
