// Class lists as schools export them, read with the Turkish letters right; a
// malformed one refused whole with the line that is wrong.

#include "core/AppError.h"
#include "core/LineFile.h"
#include "results/ClassList.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_ClassList : public QObject {
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
};

void tst_ClassList::parse_data() {
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QStringList>("expected"); // "number|name" per pupil
    QTest::addColumn<QString>("error");
    const QStringList turkish{u"12|Ağrı Üşüyor"_s, u"7|İÖÇĞÜŞ Çığ"_s};
    QTest::newRow("Windows-1254, CR LF")
        << encodeCp1254Lines({u"No;Adı Soyadı"_s, u"12;Ağrı Üşüyor"_s, u"7; İÖÇĞÜŞ  Çığ "_s})
        << turkish << QString();
    QTest::newRow("UTF-8 with BOM, LF, upper-case header, quoted, blank lines")
        << "\xEF\xBB\xBF NO ; ADI SOYADI\n\n12;\"Ağrı Üşüyor\";\n;;\n\"7\";\"İÖÇĞÜŞ Çığ\"\n"_ba
        << turkish << QString();
    QTest::newRow("commas, a quoted comma and quote, no header")
        << "0012,\"Kaya, \"\"Ali\"\"\"\r\n5,Su\r\n"_ba
        << QStringList{u"0012|Kaya, \"Ali\""_s, u"5|Su"_s} << QString();
    const auto refused = [](const char* name, const QByteArray& csv, const QString& error) {
        QTest::newRow(name) << csv << QStringList() << error;
    };
    refused("letters in the number", "No;Adı Soyadı\n1;Ali\n\n12a;Veli\n"_ba,
            u"Sınıf listesinin 4. satırı: öğrenci numarası yalnız rakamlardan oluşmalı."_s);
    refused("missing name", "1;Ali\n2; \n"_ba,
            u"Sınıf listesinin 2. satırı: öğrencinin adı soyadı yok."_s);
    refused("number twice, written with a leading zero", "7;Ali\n8;Ece\n007;Veli\n"_ba,
            u"Sınıf listesinin 3. satırı: 007 numaralı öğrenci 1. satırda da var."_s);
    refused("control character after a quoted line break", "1;\"Ali\"\n\"2\n\";Ece\n3;Su\x01\n"_ba,
            u"Sınıf listesinin 4. satırı: öğrencinin adında satır sonu ya da denetim karakteri "
            u"var; ad olduğu gibi alınamaz."_s);
    refused("byte undefined in Windows-1254", "1;Ali\xFD\x81\n"_ba,
            u"Sınıf listesinin 1. satırı: öğrencinin adında satır sonu ya da denetim karakteri "
            u"var; ad olduğu gibi alınamaz."_s);
    refused("unclosed quote", "1;Ali\n2;\"Ece\n3;Su\n"_ba,
            u"Sınıf listesinin 2. satırı: tırnak işareti kapanmamış."_s);
    refused("foreign header", "Sıra;Ad\n1;Ali\n"_ba,
            u"Sınıf listesinin 1. satırı: başlık \"No;Adı Soyadı\" olmalı ya da satır bir "
            u"öğrencinin numarasıyla başlamalı."_s);
    refused("header only", "No;Adı Soyadı\r\n;\r\n"_ba, u"Sınıf listesinde hiç öğrenci yok."_s);
}

void tst_ClassList::parse() {
    QFETCH(QByteArray, csv);
    QFETCH(QStringList, expected);
    QFETCH(QString, error);
    try {
        QStringList read;
        for (const ClassMember& member : parseClassList(csv))
            read << member.number + u'|' + member.name;
        QCOMPARE(read, expected);
        QVERIFY2(error.isEmpty(), "a malformed list was taken");
    } catch (const AppError& refusal) {
        QCOMPARE(refusal.text(), error);
    }
}

QTEST_GUILESS_MAIN(tst_ClassList)
#include "tst_classlist.moc"
