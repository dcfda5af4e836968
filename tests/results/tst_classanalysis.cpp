// Scoring by the net rule, the class summary, the item analysis and the
// histogram, against figures worked out by hand.

// The tables of answer strings read best as plain literals.
#undef QT_NO_CAST_FROM_ASCII

#include "ResultSamples.h"
#include "core/AppError.h"
#include "results/ClassAnalysis.h"
#include "results/CsvExport.h"
#include "results/ResultText.h"

#include <QTest>

namespace {

GeneratedTest testWith(const QString& keys, int netRule = 3, int optionCount = 4) {
    GeneratedTest test = samples::exampleTest();
    test.keys = keys;
    test.count = int(keys.size());
    test.netRule = netRule;
    test.optionCount = optionCount;
    return test;
}

// Each entry is the answers, or "name=answers"; unnamed entries are P1, P2, …
std::vector<PupilRow> rowsFor(const GeneratedTest& test, const QStringList& answers) {
    std::vector<PupilResult> results;
    for (qsizetype i = 0; i < answers.size(); ++i) {
        const qsizetype named = answers[i].lastIndexOf(u'=');
        results.push_back(samples::result(
            test.identity, named < 0 ? QStringLiteral("P%1").arg(i + 1) : answers[i].left(named),
            answers[i].mid(named + 1)));
    }
    return classRows(test, results);
}

// "right difficulty discrimination | chosen A.. | blanks | marks"
QString itemText(const ItemStats& item, int options) {
    QStringList chosen;
    for (int o = 0; o < options; ++o)
        chosen << QString::number(item.chosen[std::size_t(o)]);
    return QStringLiteral("%1 %2 %3 | %4 | %5 | %6")
        .arg(item.right)
        .arg(decimalText(item.difficulty), decimalText(item.discrimination), chosen.join(u' '))
        .arg(item.blanks)
        .arg(item.markText());
}

} // namespace

class tst_ClassAnalysis : public QObject {
    Q_OBJECT
private slots:
    void scoring_data();
    void scoring();
    void answersThatDoNotFit_data();
    void answersThatDoNotFit();
    void summary_data();
    void summary();
    void exampleClass();
    void sectionsAndBooklets();
    void groupSize_data();
    void groupSize();
    void items_data();
    void items();
    void histogram_data();
    void histogram();
    void timesAndNumbers_data();
    void timesAndNumbers();
};

void tst_ClassAnalysis::scoring_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("netRule");
    QTest::addColumn<QString>("answers");
    QTest::addColumn<QString>("expected"); // correct wrong blank net

    QTest::newRow("all right") << "ABCDA" << 3 << "ABCDA"
                               << "5 0 0 5,00";
    QTest::newRow("two wrong, rule 3") << "ABCDA" << 3 << "ABDDB"
                                       << "3 2 0 2,33";
    QTest::newRow("two wrong, rule 4") << "ABCDA" << 4 << "ABDDB"
                                       << "3 2 0 2,50";
    QTest::newRow("two wrong, no penalty") << "ABCDA" << 0 << "ABDDB"
                                           << "3 2 0 3,00";
    QTest::newRow("blanks are not wrong") << "ABCDA" << 3 << "BB--A"
                                          << "2 1 2 1,67";
    QTest::newRow("all wrong goes negative") << "ABCDA" << 3 << "CCAAB"
                                             << "0 5 0 -1,67";
    QTest::newRow("all blank") << "ABCDA" << 4 << "-----"
                               << "0 0 5 0,00";
    QTest::newRow("case ignored") << "ABCDA" << 3 << "abcd-"
                                  << "4 0 1 4,00";
    QTest::newRow("four wrong of rule 4") << "AAAAAAAA" << 4 << "BBBBAAAA"
                                          << "4 4 0 3,00";
}

void tst_ClassAnalysis::scoring() {
    QFETCH(QString, keys);
    QFETCH(int, netRule);
    QFETCH(QString, answers);
    QFETCH(QString, expected);
    const GeneratedTest test = testWith(keys, netRule);
    checkAnswersFit(test, answers);
    const Score s = scoreAnswers(test, answers);
    QCOMPARE(QStringLiteral("%1 %2 %3 %4")
                 .arg(s.correct)
                 .arg(s.wrong)
                 .arg(s.blank)
                 .arg(decimalText(s.net)),
             expected);
}

void tst_ClassAnalysis::answersThatDoNotFit_data() {
    QTest::addColumn<QString>("answers");
    QTest::addColumn<int>("optionCount");
    QTest::addColumn<QString>("reason");

    QTest::newRow("too short") << "ABCD" << 4
                               << "cevap sayısı (4) testin soru sayısına (5) uymuyor";
    QTest::newRow("too long") << "ABCDAA" << 4
                              << "cevap sayısı (6) testin soru sayısına (5) uymuyor";
    QTest::newRow("E in a four-option test")
        << "ABCDE" << 4 << "5. sorunun cevabı \"E\" bu testin seçeneklerinden değil";
    QTest::newRow("c in a two-option test")
        << "AbcDA" << 2 << "3. sorunun cevabı \"c\" bu testin seçeneklerinden değil";
    QTest::newRow("E in a five-option test") << "ABCDE" << 5 << "";
}

void tst_ClassAnalysis::answersThatDoNotFit() {
    QFETCH(QString, answers);
    QFETCH(int, optionCount);
    QFETCH(QString, reason);
    QString caught;
    try {
        checkAnswersFit(testWith(QStringLiteral("ABCDA"), 3, optionCount), answers);
    } catch (const AppError& error) {
        caught = error.text();
    }
    QCOMPARE(caught, reason);
}

void tst_ClassAnalysis::summary_data() {
    QTest::addColumn<QStringList>("answers"); // keys AAAAAA, rule 3
    QTest::addColumn<QString>("expected");    // n mean median sd lowest highest

    // Nets 6, 4, 2, 0: mean 3, median 3, sd sqrt((9+1+1+9)/4) = 2,236.
    QTest::newRow("even count") << QStringList{"AAAAAA", "AAAA--", "AA----", "------"}
                                << "4 3,00 3,00 2,24 0,00 6,00";
    // Nets 6, 4,67 (5 right, 1 wrong), -2 (6 wrong): mean 2,89; deviations
    // 3,11 1,78 -4,89, squares 36,74 / 3 = 12,25, sd 3,50.
    QTest::newRow("odd count, negative net")
        << QStringList{"AAAAAA", "AAAAAB", "BBBBBB"} << "3 2,89 4,67 3,50 -2,00 6,00";
    QTest::newRow("one pupil") << QStringList{"AAA---"} << "1 3,00 3,00 0,00 3,00 3,00";
    QTest::newRow("no pupil") << QStringList{} << "0 0,00 0,00 0,00 0,00 0,00";
    // One pupil under several spellings counts once, by the last added result:
    // Ayşe (composed, decomposed, trailing space) 2, İsmail/ismail 6, Ismail
    // (ı) 0, and two without a name, told apart by nothing, 0 each. Nets 2, 6,
    // 0, 0, 0: mean 1,6, median 0, sd sqrt((0,16+19,36+3·2,56)/5) = 2,33.
    QTest::newRow("Unicode twins of a name")
        << QStringList{"Ayşe=AAAAAA",   "Ays\u0327e=------", "Ayşe =AA----", "İsmail=AAAA--",
                       "ismail=AAAAAA", "Ismail=------",     "=------",      "=------"}
        << "5 1,60 0,00 2,33 0,00 6,00";
}

void tst_ClassAnalysis::summary() {
    QFETCH(QStringList, answers);
    QFETCH(QString, expected);
    const ClassSummary s =
        summarize(onePerPupil(rowsFor(testWith(QStringLiteral("AAAAAA")), answers)));
    QCOMPARE(QStringLiteral("%1 %2 %3 %4 %5 %6")
                 .arg(s.pupils)
                 .arg(decimalText(s.mean), decimalText(s.median), decimalText(s.standardDeviation),
                      decimalText(s.lowest), decimalText(s.highest)),
             expected);
}

// Five pupils on keys ABCDA (rule 3), worked out by hand:
//   P1 ABCDA 5 0 0  5,00   P2 ABCD- 4 0 1  4,00   P3 ABDDB 3 2 0  2,33
//   P4 BB--A 2 1 2  1,67   P5 CCAAB 0 5 0 -1,67
// mean 11,33/5 = 2,27; median 2,33; sd 2,29; group size round(1,35) = 1:
// P1 above, P5 below.
void tst_ClassAnalysis::exampleClass() {
    const GeneratedTest test = samples::exampleTest();
    const auto rows = rowsFor(test, {"ABCDA", "ABCD-", "ABDDB", "BB--A", "CCAAB"});
    QStringList scores;
    for (const PupilRow& row : rows)
        scores << QStringLiteral("%1 %2 %3 %4 %5")
                      .arg(row.name)
                      .arg(row.score.correct)
                      .arg(row.score.wrong)
                      .arg(row.score.blank)
                      .arg(decimalText(row.score.net));
    QCOMPARE(scores, (QStringList{"P1 5 0 0 5,00", "P2 4 0 1 4,00", "P3 3 2 0 2,33",
                                  "P4 2 1 2 1,67", "P5 0 5 0 -1,67"}));
    QCOMPARE(rows[0].seconds, 25 * 60 + 11);

    const ClassSummary s = summarize(rows);
    QCOMPARE(s.pupils, 5);
    QCOMPARE(decimalText(s.mean, 4), QStringLiteral("2,2667"));
    QCOMPARE(decimalText(s.median, 4), QStringLiteral("2,3333"));
    QCOMPARE(decimalText(s.standardDeviation, 4), QStringLiteral("2,2940"));
    QCOMPARE(decimalText(s.lowest), QStringLiteral("-1,67"));
    QCOMPARE(decimalText(s.highest), QStringLiteral("5,00"));

    const ItemAnalysis analysis = analyseItems(test, rows);
    QCOMPARE(analysis.groupSize, 1);
    QStringList items;
    for (const ItemStats& item : analysis.items)
        items << QString(item.key) + u' ' + itemText(item, 4);
    QCOMPARE(items, (QStringList{"A 3 0,60 1,00 | 3 1 1 0 | 0 | ", "B 4 0,80 1,00 | 0 4 1 0 | 0 | ",
                                 "C 2 0,40 1,00 | 1 0 2 1 | 1 | ", "D 3 0,60 1,00 | 1 0 0 3 | 1 | ",
                                 "A 2 0,40 1,00 | 2 2 0 0 | 1 | "}));
}

// Two sections (the second weighing double) and booklet B's order 3 1 2 6 4 5,
// worked by hand: the pupil on B answered C A B - D C, which is A B C D C - in
// the teacher's order: Türkçe 3 right (3,00), Fen 1 right, 1 wrong, 1 blank
// (0,67), weighted 3 + 2 × 0,67 = 4,33.
void tst_ClassAnalysis::sectionsAndBooklets() {
    GeneratedTest test = testWith("ABCDAB");
    test.sections = {{"Türkçe", 1, 3, 1}, {"Fen", 4, 6, 2}};
    test.booklets = {{u'A', {1, 2, 3, 4, 5, 6}}, {u'B', {3, 1, 2, 6, 4, 5}}};
    std::vector<PupilResult> results{samples::result(test.identity, "Ayşe", "ABCDAB"),
                                     samples::result(test.identity, "Barış", "CAB-DC")};
    results[1].booklet = "B";
    const auto rows = classRows(test, results);
    QCOMPARE(rows[1].answers, QStringLiteral("ABCDC-"));
    QStringList nets;
    for (const PupilRow& row : rows)
        nets << sectionColumnTexts(test, row).join(u' ') + u' ' + decimalText(row.score.net);
    QCOMPARE(nets, (QStringList{"A 3,00 3,00 9,00 6,00", "B 3,00 0,67 4,33 3,67"}));
    QCOMPARE(sectionColumnTitles(test),
             (QStringList{"Kitapçık", "Türkçe Net", "Fen Net", "Ağırlıklı toplam"}));
    const ClassSummary summary = summarize(rows);
    QCOMPARE(sectionSummaryLines(test, summary).at(1),
             (std::pair<QString, QString>{"Fen ortalama net", "1,83"}));
    const ItemAnalysis items = analyseItems(test, rows);
    QCOMPARE(items.items[4].section, 1);
    QCOMPARE(itemText(items.items[4], 4), QStringLiteral("1 0,50 1,00 | 1 0 1 0 | 0 | "));

    const QString csv = QString::fromUtf8(classResultsCsv(test, rows, summary, items));
    QVERIFY(csv.contains("Net;Kitapçık;Türkçe Net;Fen Net;Ağırlıklı toplam;Süre"));
    QVERIFY(csv.contains("\r\nBarış;4;1;1;3,67;B;3,00;0,67;4,33;"));
    QVERIFY(csv.contains("\r\nFen ortalama net;1,83\r\n"));
    QVERIFY(csv.contains("\r\n5;Fen;A;0,50;"));

    // A booklet the test does not have is refused, not scored in some order.
    results[1].booklet = "C";
    QVERIFY_THROWS_EXCEPTION(AppError, classRows(test, results));
}

void tst_ClassAnalysis::groupSize_data() {
    QTest::addColumn<int>("pupils");
    QTest::addColumn<int>("groupSize");
    QTest::newRow("1") << 1 << 1;      // 0,27 rounds to 0, at least 1
    QTest::newRow("2") << 2 << 1;      // 0,54
    QTest::newRow("5") << 5 << 1;      // 1,35
    QTest::newRow("6") << 6 << 2;      // 1,62
    QTest::newRow("30") << 30 << 8;    // 8,1
    QTest::newRow("50") << 50 << 14;   // 13,5 rounds up
    QTest::newRow("150") << 150 << 41; // 40,5 rounds up
    QTest::newRow("1000") << 1000 << 270;
}

void tst_ClassAnalysis::groupSize() {
    QFETCH(int, pupils);
    QFETCH(int, groupSize);
    const GeneratedTest test = testWith(QStringLiteral("AB"));
    QStringList answers;
    for (int i = 0; i < pupils; ++i)
        answers << (i % 2 ? QStringLiteral("AB") : QStringLiteral("A-"));
    QCOMPARE(analyseItems(test, rowsFor(test, answers)).groupSize, groupSize);
}

void tst_ClassAnalysis::items_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("expected"); // itemText per question, 4 options

    // Nets 2, 2, 1, 0 (rule 0): a tie at the top border. P1 was added first
    // and forms the upper group; P4 the lower one.
    QTest::newRow("tie at the upper border, earlier result taken")
        << "AB" << QStringList{"AC", "CB", "A-", "--"}
        << QStringList{"2 0,50 1,00 | 2 0 1 0 | 1 | ", "1 0,25 0,00 | 0 1 1 0 | 2 | "
                                                       "ayırt ediciliği düşük"};
    QTest::newRow("same class, other order of adding")
        << "AB" << QStringList{"CB", "AC", "A-", "--"}
        << QStringList{"2 0,50 0,00 | 2 0 1 0 | 1 | ayırt ediciliği düşük",
                       "1 0,25 1,00 | 0 1 1 0 | 2 | "};
    // Five pupils, question 1 right only for one (0,20: not marked), question 2 for nobody.
    QTest::newRow("difficulty 0,20 is not marked, below is")
        << "AB" << QStringList{"AA", "BA", "BA", "BA", "BA"}
        << QStringList{"1 0,20 1,00 | 1 4 0 0 | 0 | ",
                       "0 0,00 0,00 | 5 0 0 0 | 0 | çok zor, ayırt ediciliği düşük"};
    // The lower group answering better gives a negative index.
    QTest::newRow("negative discrimination")
        << "AB" << QStringList{"-B", "-B", "A-", "A-"}
        << QStringList{"2 0,50 -1,00 | 2 0 0 0 | 2 | ayırt ediciliği düşük",
                       "2 0,50 1,00 | 0 2 0 0 | 2 | "};
    // One pupil is both groups.
    QTest::newRow("one pupil") << "AB" << QStringList{"AC"}
                               << QStringList{"1 1,00 0,00 | 1 0 0 0 | 0 | ayırt ediciliği düşük",
                                              "0 0,00 0,00 | 0 0 1 0 | 0 | çok zor, ayırt "
                                              "ediciliği düşük"};
}

void tst_ClassAnalysis::items() {
    QFETCH(QString, keys);
    QFETCH(QStringList, answers);
    QFETCH(QStringList, expected);
    const GeneratedTest test = testWith(keys, 0);
    const ItemAnalysis analysis = analyseItems(test, rowsFor(test, answers));
    QStringList texts;
    for (const ItemStats& item : analysis.items)
        texts << itemText(item, 4);
    QCOMPARE(texts, expected);
}

void tst_ClassAnalysis::histogram_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QString>("expected"); // "from-to:pupils ..."

    QTest::newRow("nets 5 4 2,33 1,67 -1,67: width 1 from -2")
        << "ABCDA" << QStringList{"ABCDA", "ABCD-", "ABDDB", "BB--A", "CCAAB"}
        << "-2--1:1 -1-0:0 0-1:0 1-2:1 2-3:1 3-4:0 4-5:1 5-6:1";
    QTest::newRow("all equal") << "AB" << QStringList{"AB", "AB"} << "2-3:2";
    QTest::newRow("nets 0 to 30: width 3, 11 bins")
        << QString(30, u'A')
        << QStringList{QString(30, u'A'), QString(30, u'-'), QString(15, u'A') + QString(15, u'-')}
        << "0-3:1 3-6:0 6-9:0 9-12:0 12-15:0 15-18:1 18-21:0 21-24:0 24-27:0 27-30:0 30-33:1";
}

void tst_ClassAnalysis::histogram() {
    QFETCH(QString, keys);
    QFETCH(QStringList, answers);
    QFETCH(QString, expected);
    QStringList bins;
    for (const HistogramBin& bin : netHistogram(rowsFor(testWith(keys), answers)))
        bins << QStringLiteral("%1-%2:%3").arg(bin.from).arg(bin.to).arg(bin.pupils);
    QCOMPARE(bins.join(u' '), expected);
}

void tst_ClassAnalysis::timesAndNumbers_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("finish");
    QTest::addColumn<QString>("duration");

    QTest::newRow("minutes") << "2026-12-09T10:15:02"
                             << "2026-12-09T10:40:13"
                             << "00:25:11";
    QTest::newRow("over midnight") << "2026-12-31T23:59:30"
                                   << "2027-01-01T00:00:05"
                                   << "00:00:35";
    QTest::newRow("over an hour") << "2026-12-09T08:00:00"
                                  << "2026-12-09T09:05:09"
                                  << "01:05:09";
    QTest::newRow("clock set back") << "2026-12-09T10:15:02"
                                    << "2026-12-09T10:15:01"
                                    << "";
    QTest::newRow("same second") << "2026-12-09T10:15:02"
                                 << "2026-12-09T10:15:02"
                                 << "00:00:00";
}

void tst_ClassAnalysis::timesAndNumbers() {
    QFETCH(QString, start);
    QFETCH(QString, finish);
    QFETCH(QString, duration);
    QCOMPARE(durationText(secondsTaken(start, finish)), duration);

    QCOMPARE(decimalText(-0.001), QStringLiteral("0,00"));
    QCOMPARE(decimalText(1234.5), QStringLiteral("1234,50"));
    QCOMPARE(decimalText(2.0 / 3), QStringLiteral("0,67"));
}

QTEST_GUILESS_MAIN(tst_ClassAnalysis)
#include "tst_classanalysis.moc"
