#include "ExpectedFile.h"
#include "core/LineFile.h"
#include "pages/QuestionPage.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_QuestionPage : public QObject {
    Q_OBJECT
private slots:
    void wholeFile_data();
    void wholeFile();
    void explanationBlock_data();
    void explanationBlock();
    void unquotedInserts();
};

static QuestionPageInput defaults() {
    QuestionPageInput in;
    in.bodyColour = u"#B86397"_s;
    in.dataFileName = u"test01xml.xml"_s;
    in.testName = u"2. sınıf Matematik Test - 1"_s;
    in.explanationColour = u"#F1CFE4"_s;
    return in;
}

void tst_QuestionPage::wholeFile_data() {
    QTest::addColumn<QuestionPageInput>("input");
    QTest::addColumn<QString>("expected");

    QTest::newRow("defaults") << defaults() << u"question_defaults.htm"_s;

    // Markup in the test name, a character the code page lacks, an emoji, an
    // empty body colour, a navigation folder and an empty middle line.
    QuestionPageInput in;
    in.bodyColour = QString();
    in.dataFileName = u"sınavxml.xml"_s;
    in.testName = u"<b>Test – Ж €</b>"_s;
    in.navFolder = u"C:\\resim\\"_s;
    in.explanationColour = u"yellow"_s;
    in.explanationLines = {u"Birinci satır: ğüşiöç"_s, QString(),
                           u"Üçüncü "_s + QString::fromUcs4(U"\U0001F600") + u" satır"_s};
    QTest::newRow("explanation and inserts") << in << u"question_explanation.htm"_s;
}

void tst_QuestionPage::wholeFile() {
    QFETCH(QuestionPageInput, input);
    QFETCH(QString, expected);
    const QStringList lines = questionPageLines(input);
    QCOMPARE(lines.size(), 58 + input.explanationLines.size());
    const QByteArray bytes = encodeCp1254Lines(lines);
    COMPARE_FILE(bytes, expectedFile(expected));
    QCOMPARE(bytes.split('\n').at(50), QByteArray::fromHex("41E7FD6B6C616D610D"));
}

void tst_QuestionPage::explanationBlock_data() {
    QTest::addColumn<QStringList>("explanation");
    QTest::newRow("empty box") << QStringList();
    QTest::newRow("one empty line") << QStringList{QString()};
    QTest::newRow("wrapped paragraph as several lines")
        << QStringList{u"Bir uzun paragrafın"_s, u"ikinci görünen satırı"_s, u"son"_s};
}

// The box's lines stand between the text box line and "</TEXTAREA>", unchanged.
void tst_QuestionPage::explanationBlock() {
    QFETCH(QStringList, explanation);
    QuestionPageInput in = defaults();
    in.explanationLines = explanation;
    const QStringList lines = questionPageLines(in);
    const qsizetype n = explanation.size();
    QVERIFY(lines.at(51).startsWith(u"<TEXTAREA NAME=\"kutu\""_s));
    QCOMPARE(lines.mid(52, n), explanation);
    QCOMPARE(lines.at(52 + n), u"</TEXTAREA>"_s);
    QCOMPARE(lines.last(), u"</HTML>"_s);
}

void tst_QuestionPage::unquotedInserts() {
    QuestionPageInput in = defaults();
    in.bodyColour = u"red"_s;
    in.navFolder = u"images/"_s;
    in.explanationColour = u"rgb(1,2,3)"_s;
    const QStringList lines = questionPageLines(in);
    QCOMPARE(lines.at(36), u"<BODY BGCOLOR=red  onload=\"yukle()\">"_s);
    QCOMPARE(lines.at(43), u"<img src=\"images/ilk.gif\" ONCLICK=\"ilk()\">"_s);
    QCOMPARE(lines.at(47), u"<img src=\"images/son.gif\" ONCLICK=\"son()\">"_s);
    QVERIFY(lines.at(51).endsWith(u"style=\"background-color:rgb(1,2,3);\">"_s));
}

QTEST_APPLESS_MAIN(tst_QuestionPage)
#include "tst_questionpage.moc"
