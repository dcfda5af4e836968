// Read sheets into the class results: numbers checked against the class lists, answers
// stored through the booklet, undecided rows refused, and the review answering the flags.

#include "../results/ResultSamples.h"
#include "DbTestSupport.h"
#include "core/AppError.h"
#include "db/ClassLists.h"
#include "db/ResultStore.h"
#include "results/Scoring.h"
#include "run/FormResults.h"
#include "run/FormReview.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QDateTime kReadAt(QDate(2026, 12, 9), QTime(11, 0, 0));

GeneratedTest bookletTest() {
    GeneratedTest test = samples::exampleTest();
    test.booklets = {{u'A', {1, 2, 3, 4, 5}}, {u'B', {2, 1, 3, 5, 4}}};
    return test;
}

ReadSheet sheet(const QString& number, const QString& answers, const QString& booklet = u"A"_s) {
    ReadSheet s;
    s.file = u"/tarama/sinif.pdf"_s;
    s.identity = bookletTest().identity;
    s.number = number;
    s.booklet = booklet;
    s.answers = answers;
    return s;
}

FormFlag flag(FormFlag::Row row, int at, const QStringList& choices) {
    const bool answer = row == FormFlag::Row::Answer;
    return {row,
            answer ? at : 0,
            answer ? 0 : at,
            u"İki işaret"_s,
            QImage(40, 8, QImage::Format_RGB32),
            choices};
}

} // namespace

Q_DECLARE_METATYPE(ReadSheet)

class tst_FormResults : public QObject {
    Q_OBJECT
private slots:
    void init();
    void sheetIsCheckedAndStored_data();
    void sheetIsCheckedAndStored();
    void reviewAnswersTheFlags();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Database> m_db;
};

void tst_FormResults::init() {
    m_db.reset();
    m_dir = std::make_unique<QTemporaryDir>();
    m_db = std::make_unique<Database>(dbtest::newDatabase(*m_dir));
    createResultTables(*m_db);
    rememberTest(*m_db, bookletTest());
    // 12 names two pupils; Ayşe is in both lists, with and without leading zeros.
    storeClassList(*m_db, u"9-A"_s, {{u"007"_s, u"Ayşe Kaya"_s}, {u"12"_s, u"Bülent Can"_s}});
    storeClassList(*m_db, u"9-B"_s, {{u"12"_s, u"Cem Demir"_s}, {u"7"_s, u"Ayşe Kaya"_s}});
}

void tst_FormResults::sheetIsCheckedAndStored_data() {
    QTest::addColumn<ReadSheet>("read");
    QTest::addColumn<QString>("flag");    // the whole-number flag's reason, if any
    QTest::addColumn<QString>("refusal"); // part of the reason; empty: stored
    QTest::addColumn<QString>("pupil");
    QTest::addColumn<double>("net");

    QTest::newRow("booklet B scored through its order")
        << sheet(u"0007"_s, u"BACAD"_s, u"B"_s) << QString() << QString() << u"Ayşe Kaya"_s << 5.0;
    QTest::newRow("listed, blank rows")
        << sheet(u"7"_s, u"AB..C"_s) << QString() << QString() << u"Ayşe Kaya"_s << 2 - 1 / 3.0;
    QTest::newRow("not in any list") << sheet(u"99"_s, u"ABCDA"_s) << kNotInClassList
                                     << u"öğrenci numarası"_s << u"Öğrenci 99"_s << 0.0;
    QTest::newRow("shared number") << sheet(u"12"_s, u"ABCDA"_s) << kSharedNumber
                                   << u"öğrenci numarası"_s << u"Öğrenci 12"_s << 0.0;
    QTest::newRow("undecided answer")
        << sheet(u"7"_s, u"AB?DA"_s) << QString() << u"(3. soru)"_s << u"Ayşe Kaya"_s << 0.0;
    QTest::newRow("undecided digit") << sheet(u"?7"_s, u"ABCDA"_s) << QString()
                                     << u"öğrenci numarası"_s << u"Öğrenci ?7"_s << 0.0;
    QTest::newRow("undecided booklet") << sheet(u"7"_s, u"ABCDA"_s, u"?"_s) << QString()
                                       << u"(kitapçık)"_s << u"Ayşe Kaya"_s << 0.0;
}

void tst_FormResults::sheetIsCheckedAndStored() {
    QFETCH(ReadSheet, read);
    QFETCH(QString, flag);
    QFETCH(QString, refusal);
    QFETCH(QString, pupil);
    QFETCH(double, net);

    std::vector<ReadSheet> sheets{read};
    checkNumbers(sheets, listedPupils(*m_db));
    QCOMPARE(sheets[0].flags.empty() ? QString() : sheets[0].flags[0].reason, flag);
    QCOMPARE(sheetPupilName(*m_db, sheets[0]), pupil);

    const ResultBatch batch = storeReadSheets(*m_db, sheets, kReadAt);
    const auto stored = resultsOf(*m_db, read.identity);
    if (!refusal.isEmpty()) {
        QCOMPARE(batch.stored, 0);
        QCOMPARE(batch.refused.size(), 1u);
        QCOMPARE(batch.refused[0].what, u"sinif.pdf (sayfa 1)"_s);
        QVERIFY2(batch.refused[0].reason.contains(refusal), qPrintable(batch.refused[0].reason));
        QVERIFY(stored.empty());
        return;
    }
    QCOMPARE(stored.size(), 1u);
    const PupilResult& result = stored[0];
    QCOMPARE(result.name, pupil);
    QCOMPARE(result.answers, QString(read.answers).replace(u'.', u'-'));
    QCOMPARE(result.start, u"2026-12-09T11:00:00"_s);
    QCOMPARE(result.check, resultCheck(result, 3));
    const GeneratedTest test = bookletTest();
    QCOMPARE(scoreAnswers(test, answersInTeacherOrder(test, result.booklet, result.answers)).net,
             net);
}

// Flags of every kind answered in the review; a refused page only reported;
// the same pupil twice held back, the whole batch again refused as stored.
void tst_FormResults::reviewAnswersTheFlags() {
    const QStringList letters{u"A"_s, u"B"_s, u"C"_s, u"D"_s, u"Boş"_s};
    std::vector<ReadSheet> sheets{sheet(u"99"_s, u"ABCDA"_s), sheet(u"0?7"_s, u"A?CDA"_s),
                                  sheet(u"7"_s, u"ABCDD"_s), sheet(u"12"_s, u"?BCDA"_s, u"?"_s)};
    // Its third place is flagged and its second left empty, so out of the number read.
    sheets[1].flags = {flag(FormFlag::Row::Number, 3, {u"0"_s, u"1"_s, u"Boş"_s}),
                       flag(FormFlag::Row::Answer, 2, letters)};
    sheets[3].flags = {flag(FormFlag::Row::Booklet, 1, {u"A"_s, u"B"_s}),
                       flag(FormFlag::Row::Answer, 1, letters)};
    ReadSheet damaged = sheet({}, {});
    damaged.page = 2;
    damaged.refused = u"Dosya bozuk."_s;
    sheets.push_back(damaged);
    checkNumbers(sheets, listedPupils(*m_db));

    FormReview review(sheets, listedPupils(*m_db));
    QCOMPARE(review.summary(), u"4 form okundu, 6 satır işaretlendi, 1 sayfa alınmadı.\n"
                               u"• sinif.pdf (sayfa 2): Dosya bozuk."_s);
    QCOMPARE(review.rowTitle(0), u"sinif.pdf (sayfa 1) · öğrenci numarası: Sınıf listesinde yok"_s);
    QCOMPARE(
        review.flagOf(0).choices,
        (QStringList{u"Öğrenci 99 (listede yok)"_s, u"007 Ayşe Kaya (9-A)"_s,
                     u"12 Bülent Can (9-A)"_s, u"12 Cem Demir (9-B)"_s, u"7 Ayşe Kaya (9-B)"_s}));
    QCOMPARE(review.flagOf(5).reason, kSharedNumber); // after the reader's own flags
    QCOMPARE(review.flagOf(5).choices,
             (QStringList{u"12 Bülent Can (9-A)"_s, u"12 Cem Demir (9-B)"_s}));

    review.choose(0, 3); // Cem Demir's number
    QCOMPARE(review.pupilOf(1), u"Öğrenci 0?7"_s);
    review.choose(1, review.choiceForKey(1, u"0"_s));
    QCOMPARE(review.pupilOf(2), u"Ayşe Kaya"_s); // 007, from the same sheet's other row
    review.choose(2, review.choiceForKey(2, u"c"_s));
    review.choose(3, 1); // booklet B
    review.choose(4, review.choiceForKey(4, u"."_s));
    QVERIFY(!review.complete());
    QVERIFY_THROWS_EXCEPTION(AppError, review.store(*m_db, kReadAt));
    QVERIFY(resultsOf(*m_db, bookletTest().identity).empty());
    review.choose(5, 0); // Bülent Can

    ResultBatch batch = review.store(*m_db, kReadAt);
    QCOMPARE(batch.stored, 3);
    QCOMPARE(batch.refused.size(), 1u); // Ayşe's second sheet: a likely repeat
    QVERIFY(batch.refused[0].likelyRepeat);
    QCOMPARE(batch.refused[0].likelyRepeat->answers, u"ABCDD"_s);
    QStringList stored;
    for (const PupilResult& r : resultsOf(*m_db, bookletTest().identity))
        stored << r.name + u' ' + r.booklet + u' ' + r.answers;
    QCOMPARE(stored, (QStringList{u"Cem Demir A ABCDA"_s, u"Ayşe Kaya A ACCDA"_s,
                                  u"Bülent Can B -BCDA"_s}));

    QCOMPARE(review.store(*m_db, kReadAt).refused.at(0).reason, u"bu sonuç zaten kayıtlı"_s);
}

QTEST_GUILESS_MAIN(tst_FormResults)
#include "tst_formresults.moc"
