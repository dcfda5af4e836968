#include "core/LineFile.h"

#include <QStringEncoder>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_LineFile : public QObject {
    Q_OBJECT
private slots:
    void cp1254_data();
    void cp1254();
    void cp1254AgreesWithCodePage();
    void firstOutside_data();
    void firstOutside();
    void utf8_data();
    void utf8();
};

static QString fromUcs4(std::initializer_list<char32_t> codePoints) {
    QString s;
    for (char32_t c : codePoints) {
        if (c >= 0x10000) {
            s.append(QChar(QChar::highSurrogate(c)));
            s.append(QChar(QChar::lowSurrogate(c)));
        } else {
            s.append(QChar(char16_t(c)));
        }
    }
    return s;
}

void tst_LineFile::cp1254_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("no lines") << QStringList() << QByteArray();
    QTest::newRow("one empty line") << QStringList{QString()} << QByteArray("\r\n");
    QTest::newRow("last line ended too")
        << QStringList{u"<a>"_s, QString(), u"b"_s} << QByteArray("<a>\r\n\r\nb\r\n");
    QTest::newRow("Turkish letters")
        << QStringList{u"ıİşŞğĞçÇöÖüÜ"_s} << QByteArray::fromHex("FDDDFEDEF0D0E7C7F6D6FCDC0D0A");
    QTest::newRow("Açıklama") << QStringList{u"Açıklama"_s}
                              << QByteArray::fromHex("41E7FD6B6C616D610D0A");
    QTest::newRow("euro and typographic quotes keep their bytes")
        << QStringList{u"€ “x” – …"_s} << QByteArray::fromHex("8020937894209620850D0A");
    QTest::newRow("Cyrillic becomes a reference")
        << QStringList{u"aЖb"_s} << QByteArray("a&#1046;b\r\n");
    QTest::newRow("emoji is one reference for the code point")
        << QStringList{fromUcs4({'x', 0x1F600, 'y'})} << QByteArray("x&#128512;y\r\n");
    QTest::newRow("lone high surrogate")
        << QStringList{fromUcs4({'a', 0xD83D})} << QByteArray("a&#55357;\r\n");
    QTest::newRow("lone low surrogate before a pair")
        << QStringList{fromUcs4({0xDE00, 0x1F600})} << QByteArray("&#56832;&#128512;\r\n");
    QTest::newRow("undefined C1 controls become references")
        << QStringList{fromUcs4({0x81, 0x8D, 0x90, 0x9E})}
        << QByteArray("&#129;&#141;&#144;&#158;\r\n");
    QTest::newRow("C1 control whose byte is the euro")
        << QStringList{fromUcs4({0x80})} << QByteArray("&#128;\r\n");
    QTest::newRow("Latin-1 letters displaced by Turkish ones")
        << QStringList{u"ÐÝÞðýþ"_s} << QByteArray("&#208;&#221;&#222;&#240;&#253;&#254;\r\n");
    QTest::newRow("ampersand and NUL pass unchanged")
        << QStringList{fromUcs4({'&', 0, '#'})} << QByteArray("&\0#\r\n", 5);
}

void tst_LineFile::cp1254() {
    QFETCH(QStringList, lines);
    QFETCH(QByteArray, bytes);
    QCOMPARE(encodeCp1254Lines(lines), bytes);
}

// Every code point of the basic plane against the platform's own converter:
// held exactly when the converter has a byte for it, and with the same byte.
// The converter also maps the seven undefined bytes to C1 controls, which we
// deliberately write as references instead.
void tst_LineFile::cp1254AgreesWithCodePage() {
    const QList<char32_t> undefined = {0x81, 0x8D, 0x8E, 0x8F, 0x90, 0x9D, 0x9E};
    int held = 0;
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (c >= 0xD800 && c < 0xE000)
            continue;
        const QString text{QChar(char16_t(c))};
        QStringEncoder encoder("windows-1254");
        const QByteArray platform = encoder.encode(text);
        const QByteArray ours = encodeCp1254Lines({text}).chopped(2);
        if (undefined.contains(c)) {
            QVERIFY(!cp1254CanHold(c));
            QCOMPARE(ours, "&#" + QByteArray::number(uint(c)) + ';');
            continue;
        }
        QCOMPARE(cp1254CanHold(c), !encoder.hasError());
        if (cp1254CanHold(c)) {
            ++held;
            QCOMPARE(ours, platform);
        } else {
            QCOMPARE(ours, "&#" + QByteArray::number(uint(c)) + ';');
        }
    }
    QCOMPARE(held, 256 - 7); // every byte but the seven undefined ones
    QVERIFY(!cp1254CanHold(0x1F600));
    QVERIFY(!cp1254CanHold(0x10FFFF));
}

void tst_LineFile::firstOutside_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected"); // -1: none

    QTest::newRow("empty") << QString() << -1;
    QTest::newRow("Turkish stem") << u"sınav_ĞÜŞİÖÇ"_s << -1;
    QTest::newRow("euro") << u"a€"_s << -1;
    QTest::newRow("Cyrillic after Latin") << u"abЖя"_s << 0x416;
    QTest::newRow("emoji whole") << fromUcs4({'t', 0x1F600, 0x416}) << 0x1F600;
    QTest::newRow("lone surrogate") << fromUcs4({'t', 0xDC00}) << 0xDC00;
    QTest::newRow("undefined control") << fromUcs4({'t', 0x8F}) << 0x8F;
}

void tst_LineFile::firstOutside() {
    QFETCH(QString, text);
    QFETCH(int, expected);
    const std::optional<char32_t> found = firstCharOutsideCp1254(text);
    QCOMPARE(found.has_value(), expected >= 0);
    if (found)
        QCOMPARE(int(*found), expected);
}

void tst_LineFile::utf8_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("no lines") << QStringList() << QByteArray();
    QTest::newRow("plain text is the same as in the code page")
        << QStringList{u"<?xml version=\"1.0\"?>"_s, u"<ICERIK>"_s}
        << QByteArray("<?xml version=\"1.0\"?>\r\n<ICERIK>\r\n");
    QTest::newRow("Turkish stem, no byte-order mark")
        << QStringList{u"sınav"_s} << QByteArray::fromHex("73C4B16E61760D0A");
    QTest::newRow("emoji") << QStringList{fromUcs4({0x1F600})}
                           << QByteArray::fromHex("F09F98800D0A");
    QTest::newRow("lone surrogate becomes the replacement character")
        << QStringList{fromUcs4({'a', 0xD800, 'b'})} << QByteArray::fromHex("61EFBFBD620D0A");
}

void tst_LineFile::utf8() {
    QFETCH(QStringList, lines);
    QFETCH(QByteArray, bytes);
    QCOMPARE(encodeUtf8Lines(lines), bytes);
}

QTEST_APPLESS_MAIN(tst_LineFile)
#include "tst_linefile.moc"
