#include "ExpectedFile.h"
#include "core/LineFile.h"
#include "pages/FramesetPage.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_FramesetPage : public QObject {
    Q_OBJECT
private slots:
    void wholeFile_data();
    void wholeFile();
    void namesCopiedUnchanged();
};

void tst_FramesetPage::wholeFile_data() {
    QTest::addColumn<QString>("stem");
    QTest::addColumn<QString>("expected");
    QTest::newRow("stem test01") << u"test01"_s << u"frameset_test01.htm"_s;
    QTest::newRow("empty stem") << QString() << u"frameset_empty_stem.htm"_s;
}

void tst_FramesetPage::wholeFile() {
    QFETCH(QString, stem);
    QFETCH(QString, expected);
    const QStringList lines = framesetLines({stem + u"sor.htm"_s, stem + u"cev.htm"_s});
    QCOMPARE(lines.size(), 9);
    COMPARE_FILE(encodeCp1254Lines(lines), expectedFile(expected));
}

void tst_FramesetPage::namesCopiedUnchanged() {
    const QStringList lines = framesetLines({u"a\"b sor.htm"_s, u"ş&cev.htm"_s});
    QCOMPARE(lines.at(5), u"<FRAME name=\"sol\" SRC=\"a\"b sor.htm\"  SCROLLING=\"AUTO\">"_s);
    QCOMPARE(lines.at(6), u"<FRAME name=\"sag\" SRC=\"ş&cev.htm\">"_s);
}

QTEST_APPLESS_MAIN(tst_FramesetPage)
#include "tst_framesetpage.moc"
