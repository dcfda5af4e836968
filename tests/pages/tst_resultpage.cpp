#include "ExpectedFile.h"
#include "core/LineFile.h"
#include "pages/ResultPage.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_ResultPage : public QObject {
    Q_OBJECT
private slots:
    void wholeFile_data();
    void wholeFile();
    void blocksWhereExpected();
    void longTestScoresEveryQuestion();
};

void tst_ResultPage::wholeFile_data() {
    QTest::addColumn<ResultPageInput>("input");
    QTest::addColumn<QString>("expected");
    // The net line the page must carry in place of the three-for-one line.
    QTest::addColumn<QByteArray>("netLine");
    const QByteArray threeForOne = "net=msorusay-yanlis-bos-(yanlis/3);";
    QTest::newRow("10 questions") << ResultPageInput{10, u"test01xml.xml"_s, u"#B86397"_s}
                                  << u"result_q10.htm"_s << threeForOne;
    QTest::newRow("no questions, empty stem") << ResultPageInput{0, u"xml.xml"_s, u"#B86397"_s}
                                              << u"result_q0_empty_stem.htm"_s << threeForOne;
    QTest::newRow("negative count as none") << ResultPageInput{-7, u"xml.xml"_s, u"#B86397"_s}
                                            << u"result_q0_empty_stem.htm"_s << threeForOne;
    QTest::newRow("four wrong cancel one right")
        << ResultPageInput{10, u"test01xml.xml"_s, u"#B86397"_s, 4} << u"result_q10.htm"_s
        << QByteArray("net=msorusay-yanlis-bos-(yanlis/4);");
    QTest::newRow("wrong answers cancel nothing")
        << ResultPageInput{10, u"test01xml.xml"_s, u"#B86397"_s, 0} << u"result_q10.htm"_s
        << QByteArray("net=msorusay-yanlis-bos;");
    QTest::newRow("unknown rule as three")
        << ResultPageInput{10, u"test01xml.xml"_s, u"#B86397"_s, 7} << u"result_q10.htm"_s
        << threeForOne;
}

void tst_ResultPage::wholeFile() {
    QFETCH(ResultPageInput, input);
    QFETCH(QString, expected);
    QFETCH(QByteArray, netLine);
    QByteArray file = expectedFile(expected);
    const QByteArray threeForOne = "net=msorusay-yanlis-bos-(yanlis/3);\r\n";
    QCOMPARE(file.count(threeForOne), 1);
    file.replace(threeForOne, netLine + "\r\n");
    COMPARE_FILE(encodeCp1254Lines(resultPageLines(input)), file);
}

// With 10 questions: the script block of question 1 takes lines 40 to 44, the
// row block of question 10 lines 154 to 158; the colour stands in every cell.
void tst_ResultPage::blocksWhereExpected() {
    const QStringList lines = resultPageLines({10, u"d.xml"_s, u"lime"_s});
    QCOMPARE(lines.size(), 164);
    QCOMPARE(lines.at(39), u"document.bilgi.no1.value=\"1\";"_s);
    QCOMPARE(lines.at(40), u"document.bilgi.cev1.value=  a.substring(0,1);"_s);
    QCOMPARE(lines.at(43),
             u"if (document.bilgi.cev1.value==\".\") {document.bilgi.dur1.value=\"B\";};"_s);
    QCOMPARE(lines.at(153), u"<tr align=\"center\">"_s);
    QCOMPARE(
        lines.at(157),
        u"<td><input type=\"button\" style=\"border-style: none; background-color:lime\" size=1 "
        u"name=\"dur10\"></td></tr>"_s);
    QCOMPARE(lines.filter(u"background-color:lime\""_s).size(), 40);
}

// The scored part is not cut at 150 characters.
void tst_ResultPage::longTestScoresEveryQuestion() {
    const QStringList lines = resultPageLines({10000, u"test01xml.xml"_s, u"#B86397"_s});
    QCOMPARE(lines.size(), 10 * 10000 + 64);
    QCOMPARE(lines.at(7), u"document.bilgi.sizin.value=a.substring(yer);"_s);
    QVERIFY(lines.contains(u"document.bilgi.dog151.value=ben.substring(150,151);"_s));
    QCOMPARE(lines.at(5 * 10000 + 39), u"}"_s);
}

QTEST_APPLESS_MAIN(tst_ResultPage)
#include "tst_resultpage.moc"
