// The tables of generated tests and of results: created on a fresh file,
// a test remembered once per identity, results stored once each.

#include "../results/ResultSamples.h"
#include "DbTestSupport.h"
#include "core/AppError.h"
#include "db/Database.h"
#include "db/ResultStore.h"
#include "db/Schema.h"

#include <QTest>

#include <sys/stat.h>

using namespace dbtest;
using namespace Qt::StringLiterals;

class tst_ResultStore : public QObject {
    Q_OBJECT
private slots:
    void init();
    void testsAreRememberedByIdentity();
    void resultsAreStoredOnceEach();
    void testsWithResultsNewestFirst();
    void tablesSurviveASecondCreate();
    void resultsOfAnOlderFileAreFirstAttempts();
    void filesAreReadBeforeTheTransaction();
    void sectionsAndBookletsAreKept();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    std::unique_ptr<Database> m_db;
};

void tst_ResultStore::init() {
    m_db.reset();
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = newDatabase(*m_dir);
    m_db = std::make_unique<Database>(m_path);
    createResultTables(*m_db);
}

void tst_ResultStore::testsAreRememberedByIdentity() {
    GeneratedTest test = samples::exampleTest();
    test.name = QStringLiteral("Sınav 'ş' \"1\"");
    rememberTest(*m_db, test);
    const auto found = findTest(*m_db, test.identity);
    QVERIFY(found);
    QCOMPARE(found->name, test.name);
    QCOMPARE(found->stem, test.stem);
    QCOMPARE(found->count, test.count);
    QCOMPARE(found->keys, test.keys);
    QCOMPARE(found->optionCount, test.optionCount);
    QCOMPARE(found->netRule, test.netRule);
    QCOMPARE(found->generatedAt, test.generatedAt);
    QCOMPARE(found->identity, test.identity);
    QVERIFY(!findTest(*m_db, QString(32, u'0')));

    // Generated again: one row, the new time. Another key: another test.
    test.generatedAt = test.generatedAt.addDays(1);
    rememberTest(*m_db, test);
    QCOMPARE(count(m_path, QStringLiteral("websinav")), 1);
    QCOMPARE(findTest(*m_db, test.identity)->generatedAt, test.generatedAt);
    test.keys = QStringLiteral("ABCDB");
    test.identity = QString(32, u'b');
    rememberTest(*m_db, test);
    QCOMPARE(count(m_path, QStringLiteral("websinav")), 2);
}

void tst_ResultStore::resultsAreStoredOnceEach() {
    const GeneratedTest test = samples::exampleTest();
    rememberTest(*m_db, test);
    const QString id = test.identity;
    const PupilResult ali = samples::result(id, QStringLiteral("Ali"), QStringLiteral("ABCDA"));
    const QDateTime added(QDate(2026, 12, 10), QTime(8, 0, 5));
    QCOMPARE(storeResult(*m_db, ali, added), StoreOutcome::Stored);
    QCOMPARE(storeResult(*m_db, ali), StoreOutcome::Repeat);
    // The same pupil again with other answers, or at another time, is another result.
    QCOMPARE(
        storeResult(*m_db, samples::result(id, QStringLiteral("Ali"), QStringLiteral("ABCD-"))),
        StoreOutcome::Stored);
    QCOMPARE(storeResult(*m_db, samples::result(id, QStringLiteral("Ali"), QStringLiteral("ABCDA"),
                                                QStringLiteral("2026-12-09T11:00:00"),
                                                QStringLiteral("2026-12-09T11:20:00"))),
             StoreOutcome::Stored);
    // A repeat inside a larger transaction leaves the others of that transaction stored.
    {
        Transaction batch(*m_db);
        QCOMPARE(storeResult(*m_db, ali), StoreOutcome::Repeat);
        QCOMPARE(
            storeResult(*m_db, samples::result(id, QStringLiteral("Ece"), QStringLiteral("-----"))),
            StoreOutcome::Stored);
        batch.commit();
    }

    const auto stored = resultsOf(*m_db, id);
    QCOMPARE(int(stored.size()), 4);
    QCOMPARE(stored[0].name, QStringLiteral("Ali"));
    QCOMPARE(stored[0].answers, QStringLiteral("ABCDA"));
    QCOMPARE(stored[0].start, ali.start);
    QCOMPARE(stored[0].finish, ali.finish);
    QCOMPARE(stored[0].check, ali.check);
    QCOMPARE(stored[3].name, QStringLiteral("Ece"));
    QCOMPARE(query(m_path, QStringLiteral("SELECT eklenme FROM websonuc WHERE no = 1")),
             (QList<QVariantList>{{QStringLiteral("2026-12-10T08:00:05")}}));
    QVERIFY(resultsOf(*m_db, QString(32, u'0')).empty());
}

void tst_ResultStore::testsWithResultsNewestFirst() {
    GeneratedTest older = samples::exampleTest();
    GeneratedTest newer = older;
    newer.name = QStringLiteral("Yeni");
    newer.identity = QString(32, u'b');
    newer.generatedAt = older.generatedAt.addSecs(60);
    GeneratedTest unused = older;
    unused.name = QStringLiteral("Sonucu yok");
    unused.identity = QString(32, u'c');
    unused.generatedAt = older.generatedAt.addDays(9);
    for (const auto& t : {older, newer, unused})
        rememberTest(*m_db, t);
    QVERIFY(testsWithResults(*m_db).empty());
    storeResult(*m_db,
                samples::result(older.identity, QStringLiteral("A"), QStringLiteral("ABCDA")));
    storeResult(*m_db,
                samples::result(newer.identity, QStringLiteral("B"), QStringLiteral("ABCDA")));
    const auto tests = testsWithResults(*m_db);
    QCOMPARE(int(tests.size()), 2);
    QCOMPARE(tests[0].name, QStringLiteral("Yeni"));
    QCOMPARE(tests[1].name, older.name);
}

void tst_ResultStore::tablesSurviveASecondCreate() {
    const GeneratedTest test = samples::exampleTest();
    rememberTest(*m_db, test);
    storeResult(*m_db,
                samples::result(test.identity, QStringLiteral("A"), QStringLiteral("ABCDA")));
    createResultTables(*m_db);
    QCOMPARE(count(m_path, QStringLiteral("websonuc")), 1);
    // The answer-key table is untouched by the new ones.
    QCOMPARE(count(m_path, QStringLiteral("websoru")), 0);
    QCOMPARE(count(m_path, QStringLiteral("webrenk")), 1);
}

// Schema version 2 kept no attempt: its results read as first attempts after
// the upgrade, and later results keep their own.
void tst_ResultStore::resultsOfAnOlderFileAreFirstAttempts() {
    const GeneratedTest test = samples::exampleTest();
    rememberTest(*m_db, test);
    const QString id = test.identity;
    storeResult(*m_db, samples::retake(samples::result(id, u"Ali"_s, u"ABCDA"_s), 3));
    m_db->exec(
        u"ALTER TABLE websonuc DROP COLUMN deneme; ALTER TABLE webrenk DROP COLUMN dogrular; "
        u"ALTER TABLE websonuc DROP COLUMN kitapcik; DROP TABLE bolum; "
        u"ALTER TABLE websinav DROP COLUMN bolumler; "
        u"ALTER TABLE websinav DROP COLUMN kitapciklar; "
        u"ALTER TABLE webrenk DROP COLUMN kitapcik; PRAGMA user_version = 2;"_s);
    upgradeSchema(*m_db);
    storeResult(*m_db, samples::retake(samples::result(id, u"Ece"_s, u"ABCD-"_s), 2));
    const auto stored = resultsOf(*m_db, id);
    QCOMPARE(int(stored.size()), 2);
    QCOMPARE(stored[0].attempt, 1);
    QCOMPARE(stored[1].attempt, 2);
    QCOMPARE(stored[0].booklet, u"A"_s);
}

// A batch of files is read whole before its transaction begins; a FIFO named
// like a result file is refused at once, never waited on.
void tst_ResultStore::filesAreReadBeforeTheTransaction() {
    const GeneratedTest test = samples::exampleTest();
    rememberTest(*m_db, test);
    const QStringList paths{m_dir->filePath(QStringLiteral("x.dvsonuc")),
                            m_dir->filePath(QStringLiteral("dn-Ali.dvsonuc"))};
    QCOMPARE(::mkfifo(QFile::encodeName(paths[0]).constData(), 0600), 0);
    QFile file(paths[1]);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(samples::fileBytes(
        samples::result(test.identity, QStringLiteral("Ali"), QStringLiteral("ABCDA")), test.name));
    file.close();
    bool readInTransaction = false;
    const ResultBatch batch = storeResults(*m_db, 2, [&](int i, QString&) {
        readInTransaction = readInTransaction || m_db->inTransaction();
        return readResultFile(paths[i]);
    });
    QVERIFY(!readInTransaction);
    QCOMPARE(batch.stored, 1);
    QCOMPARE(int(batch.refused.size()), 1);
    QCOMPARE(batch.refused[0].reason,
             QStringLiteral(u"sıradan bir dosya değil (klasör, aygıt ya da adlandırılmış boru)"));
}

// A test's sections and booklet orders come back as stored; a result keeps its
// booklet, one of a booklet the test lacks is refused, and so is one of a test
// whose stored sections are damaged, the batch's other results stored all the same.
void tst_ResultStore::sectionsAndBookletsAreKept() {
    GeneratedTest test = samples::exampleTest();
    test.sections = {{u"Türkçe"_s, 1, 2, 1.5}, {u"Fen"_s, 4, 5, 1}};
    test.booklets = {{u'A', {1, 2, 3, 4, 5}}, {u'B', {2, 1, 3, 5, 4}}};
    rememberTest(*m_db, test);
    QCOMPARE(findTest(*m_db, test.identity)->sections, test.sections);
    QCOMPARE(findTest(*m_db, test.identity)->booklets, test.booklets);
    GeneratedTest damaged = samples::exampleTest();
    damaged.name = u"Bozuk"_s;
    damaged.identity = QString(32, u'd');
    rememberTest(*m_db, damaged);
    m_db->exec(u"UPDATE websinav SET bolumler = '[{\"ad\": 1}]' WHERE testadi = 'Bozuk'"_s);
    const QString damagedText = u"\"Bozuk\" testi okunamadı: Testin kayıtlı bölümleri bozuk."_s;
    DB_EXPECT_ERROR(findTest(*m_db, damaged.identity), damagedText);

    PupilResult onB = samples::result(test.identity, u"Ali"_s, u"BADCA"_s);
    onB.booklet = u"B"_s;
    PupilResult onC = onB;
    onC.name = u"Ece"_s;
    onC.booklet = u"C"_s;
    const std::vector<PupilResult> read{onB, onC,
                                        samples::result(damaged.identity, u"Can"_s, u"ABCDA"_s)};
    const ResultBatch batch = storeResults(*m_db, 3, [&](int i, QString&) { return read[i]; });
    QCOMPARE(batch.stored, 1);
    QCOMPARE(int(batch.refused.size()), 2);
    QCOMPARE(batch.refused[0].reason, u"bu testin \"C\" kitapçığı yok"_s);
    QCOMPARE(batch.refused[1].reason, damagedText);
    QCOMPARE(resultsOf(*m_db, test.identity).at(0).booklet, u"B"_s);
}

QTEST_GUILESS_MAIN(tst_ResultStore)
#include "tst_resultstore.moc"
