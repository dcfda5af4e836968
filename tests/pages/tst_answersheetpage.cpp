#include "ExpectedFile.h"
#include "core/LineFile.h"
#include "pages/AnswerSheetPage.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_AnswerSheetPage : public QObject {
    Q_OBJECT
private slots:
    void wholeFile_data();
    void wholeFile();
    void lineCount_data();
    void lineCount();
    void longTestKeepsQuestionNumbersApart();
};

static AnswerSheetInput defaults(qint32 questions, qint32 options) {
    AnswerSheetInput in;
    in.pageColour = u"#B86397"_s;
    in.aceColour = u"#F1CFE4"_s;
    in.bdColour = u"#DA70D6"_s;
    in.resultPageName = u"test01son.htm"_s;
    in.questionCount = questions;
    in.optionCount = options;
    return in;
}

void tst_AnswerSheetPage::wholeFile_data() {
    QTest::addColumn<AnswerSheetInput>("input");
    QTest::addColumn<QString>("expected");

    QTest::newRow("defaults, 10 questions, 5 options") << defaults(10, 5) << u"answer_q10_o5.htm"_s;
    QTest::newRow("4 options") << defaults(10, 4) << u"answer_q10_o4.htm"_s;
    QTest::newRow("2 options") << defaults(3, 2) << u"answer_q3_o2.htm"_s;
    QTest::newRow("3 options") << defaults(3, 3) << u"answer_q3_o3.htm"_s;
    QTest::newRow("7 options give five columns") << defaults(3, 7) << u"answer_q3_o7.htm"_s;

    AnswerSheetInput odd = defaults(0, 5);
    odd.pageColour = u"red"_s;
    odd.aceColour = QString();
    odd.bdColour = u"rgb(1, 2, 3)"_s;
    odd.resultPageName = u"son.htm"_s;
    QTest::newRow("no questions, empty stem, odd colours") << odd << u"answer_q0_empty_stem.htm"_s;
}

void tst_AnswerSheetPage::wholeFile() {
    QFETCH(AnswerSheetInput, input);
    QFETCH(QString, expected);
    COMPARE_FILE(encodeCp1254Lines(answerSheetLines(input)), expectedFile(expected));
}

void tst_AnswerSheetPage::lineCount_data() {
    QTest::addColumn<qint32>("questions");
    QTest::addColumn<qint32>("options");
    QTest::addColumn<qsizetype>("lines");
    QTest::newRow("10 x 5") << 10 << 5 << qsizetype(125);
    QTest::newRow("10 x 4") << 10 << 4 << qsizetype(114);
    QTest::newRow("options 1 as 2") << 1 << 1 << qsizetype(32 + 6);
    QTest::newRow("options 0 as 2") << 1 << 0 << qsizetype(32 + 6);
    QTest::newRow("options negative as 2") << 1 << -4 << qsizetype(32 + 6);
    QTest::newRow("questions negative") << -3 << 5 << qsizetype(35);
    QTest::newRow("options huge as 5") << 2 << std::numeric_limits<qint32>::max() << qsizetype(53);
}

void tst_AnswerSheetPage::lineCount() {
    QFETCH(qint32, questions);
    QFETCH(qint32, options);
    QFETCH(qsizetype, lines);
    QCOMPARE(answerSheetLines(defaults(questions, options)).size(), lines);
}

// The button names carry the whole number and the script reads all of it, so
// question 123 is not filed under 12.
void tst_AnswerSheetPage::longTestKeepsQuestionNumbersApart() {
    const QStringList lines = answerSheetLines(defaults(10000, 5));
    QCOMPARE(lines.size(), 35 + 10000 * 9);

    QCOMPARE(lines.at(7), u"sno=eval(event.srcElement.name.substring(1));"_s);
    QVERIFY(lines.contains(u"if (vc[10000]==null) {vc[10000]=\".\";}"_s));
    QVERIFY(lines.contains(u"vercev=vercev+vc[123]"_s));
    QVERIFY(lines.contains(
        u"<td bgcolor=#DA70D6><input type=\"radio\"  onclick=\"kontrol('D')\" name=\"s123\"></td>"_s));
    QCOMPARE(lines.at(lines.size() - 10), u"<tr><td align=right  bgcolor=#DA70D6>10000</td>"_s);
}

QTEST_APPLESS_MAIN(tst_AnswerSheetPage)
#include "tst_answersheetpage.moc"
