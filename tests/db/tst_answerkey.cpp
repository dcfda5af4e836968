// The answer-key rows: clearing, preparation, the walk that reads them for
// the question data file, speed, and a preparation killed half way.

#include "DbTestSupport.h"
#include "core/AppError.h"
#include "db/AnswerKey.h"
#include "db/ClassLists.h"
#include "db/Database.h"
#include "db/Sections.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace dbtest;

namespace {

const QString kKey = QStringLiteral("dc");

std::unique_ptr<TableDataset> openWebsoru(const QString& path) {
    return openTable(QStringLiteral("websoru"), QStringLiteral("websoru"), path);
}

// Types a key into the dataset's row `row`, as the grid does, and stores it.
void typeKey(TableDataset& websoru, int row, const QString& key, bool store = true) {
    websoru.moveTo(row);
    websoru.edit();
    websoru.setFieldValue(kKey, key);
    if (store)
        websoru.post();
}

// Run as a child process by killedPreparation: one large preparation,
// clearing and filling in one command's transaction.
int fillChild(const QString& path, int count) {
    auto websoru = openWebsoru(path);
    Transaction command(websoru->database());
    clearAnswerKey(*websoru);
    fillAnswerKey(*websoru, QStringLiteral("new"), QStringLiteral("n"), count);
    command.commit();
    return 0;
}

} // namespace

class tst_AnswerKey : public QObject {
    Q_OBJECT
private slots:
    void init();
    void clearRemovesEveryName();
    void fillTwiceSameAndOtherName();
    void fillCountZeroAndNegative();
    void fillWithQuoteInName();
    void walkKeysAsTyped();
    void walkMoreQuestionsThanRows();
    void walkMissingKeyStopsOnItsRow_data();
    void walkMissingKeyStopsOnItsRow();
    void walkStoresTypedKey();
    void walkNullFileName();
    void tenThousandRows();
    void killedPreparation();
    void sectionsKeptPerTestName();
    void classListsKeptPerClass();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void tst_AnswerKey::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = newDatabase(*m_dir);
}

void tst_AnswerKey::clearRemovesEveryName() {
    auto websoru = openWebsoru(m_path);
    clearAnswerKey(*websoru); // an empty table ends at once
    QCOMPARE(websoru->recordCount(), 0);

    fillAnswerKey(*websoru, QStringLiteral("a"), QStringLiteral("s"), 3);
    fillAnswerKey(*websoru, QStringLiteral("b"), QStringLiteral("s"), 4);
    websoru->append(); // a pending new row is abandoned too
    websoru->setFieldValue(kKey, QStringLiteral("A"));
    QVERIFY(websoru->isFiltered());
    clearAnswerKey(*websoru);
    QVERIFY(!websoru->isFiltered());
    QCOMPARE(websoru->recordCount(), 0);
    QCOMPARE(websoru->visibleRowCount(), 0);
    QVERIFY(websoru->eof());
    websoru->first(); // nothing left over to store
    QCOMPARE(count(m_path, QStringLiteral("websoru")), 0);

    auto closed = std::make_unique<TableDataset>(QStringLiteral("websoru"));
    DB_EXPECT_ERROR(clearAnswerKey(*closed),
                    QStringLiteral("websoru: Cannot perform this operation on a closed dataset"));
}

void tst_AnswerKey::fillTwiceSameAndOtherName() {
    auto websoru = openWebsoru(m_path);
    for (int press = 0; press < 2; ++press) {
        clearAnswerKey(*websoru);
        fillAnswerKey(*websoru, QStringLiteral("deneme"), QStringLiteral("test01"), 10);
    }
    QCOMPARE(websoru->recordCount(), 10);
    QCOMPARE(websoru->currentIndex(), 0);
    QVERIFY(!websoru->eof());
    QCOMPARE(query(m_path, QStringLiteral("SELECT testadi, soruno, dosya FROM websoru "
                                          "WHERE rowid IN (SELECT min(rowid) FROM websoru "
                                          "UNION SELECT max(rowid) FROM websoru) ORDER BY rowid")),
             (QList<QVariantList>{
                 {QStringLiteral("deneme"), qint64(1), QStringLiteral("test01s1.mht")},
                 {QStringLiteral("deneme"), qint64(10), QStringLiteral("test01s10.mht")}}));

    clearAnswerKey(*websoru);
    fillAnswerKey(*websoru, QStringLiteral("ikinci"), QStringLiteral("x"), 2);
    QCOMPARE(websoru->filterText(), QStringLiteral("testadi='ikinci'"));
    QCOMPARE(query(m_path, QStringLiteral("SELECT DISTINCT testadi FROM websoru")),
             (QList<QVariantList>{{QStringLiteral("ikinci")}}));
    QCOMPARE(count(m_path, QStringLiteral("websoru")), 2);
}

void tst_AnswerKey::fillCountZeroAndNegative() {
    auto websoru = openWebsoru(m_path);
    fillAnswerKey(*websoru, QString(), QStringLiteral("s"), 0);
    QVERIFY(websoru->isFiltered());
    QCOMPARE(websoru->recordCount(), 0);
    fillAnswerKey(*websoru, QString(), QStringLiteral("s"), -5);
    QCOMPARE(count(m_path, QStringLiteral("websoru")), 0);
    // An empty name makes rows all the same, visible under the filter on it.
    fillAnswerKey(*websoru, QString(), QStringLiteral("s"), 2);
    QCOMPARE(websoru->recordCount(), 2);
}

void tst_AnswerKey::fillWithQuoteInName() {
    auto websoru = openWebsoru(m_path);
    const QString name = QStringLiteral("Ali'nin sınavı'); DROP TABLE websoru; --");
    fillAnswerKey(*websoru, name, QStringLiteral("q"), 3);
    QCOMPARE(websoru->recordCount(), 3);
    QCOMPARE(websoru->fieldValue(QStringLiteral("testadi")), QVariant(name));
    QCOMPARE(websoru->filterText(), QStringLiteral("testadi='") + name + u'\'');
    QCOMPARE(count(m_path, QStringLiteral("websoru")), 3);
}

void tst_AnswerKey::walkKeysAsTyped() {
    auto websoru = openWebsoru(m_path);
    fillAnswerKey(*websoru, QStringLiteral("t"), QStringLiteral("test01"), 2);
    typeKey(*websoru, 0, QStringLiteral("A"));
    typeKey(*websoru, 1, QStringLiteral("d"));
    const auto records = readAnswerKey(*websoru, 2);
    QCOMPARE(records.size(), 2u);
    QCOMPARE(records[0].file, QStringLiteral("test01s1.mht"));
    QCOMPARE(records[0].key, QStringLiteral("A"));
    QCOMPARE(records[1].file, QStringLiteral("test01s2.mht"));
    QCOMPARE(records[1].key, QStringLiteral("d")); // case kept

    QVERIFY(readAnswerKey(*websoru, 0).empty());
    QCOMPARE(websoru->currentIndex(), 0); // moved to the first row all the same
}

void tst_AnswerKey::walkMoreQuestionsThanRows() {
    auto websoru = openWebsoru(m_path);
    fillAnswerKey(*websoru, QStringLiteral("t"), QStringLiteral("s"), 10);
    for (int row = 0; row < 10; ++row)
        typeKey(*websoru, row, QString(QChar(u'A' + row % 5)));
    const auto records = readAnswerKey(*websoru, 12);
    QCOMPARE(records.size(), 12u);
    for (int n : {10, 11, 12}) {
        QCOMPARE(records[std::size_t(n - 1)].file, QStringLiteral("ss10.mht"));
        QCOMPARE(records[std::size_t(n - 1)].key, QStringLiteral("E"));
    }
    QCOMPARE(websoru->currentIndex(), 9);

    // Fewer questions than rows: only the first ones.
    QCOMPARE(readAnswerKey(*websoru, 3).size(), 3u);
}

void tst_AnswerKey::walkMissingKeyStopsOnItsRow_data() {
    QTest::addColumn<QVariant>("third");
    QTest::newRow("null") << QVariant();
    QTest::newRow("empty") << QVariant(QString());
    QTest::newRow("blanks") << QVariant(QStringLiteral("  "));
}

void tst_AnswerKey::walkMissingKeyStopsOnItsRow() {
    QFETCH(QVariant, third);
    auto websoru = openWebsoru(m_path);
    fillAnswerKey(*websoru, QStringLiteral("t"), QStringLiteral("s"), 10);
    for (int row = 0; row < 10; ++row)
        if (row != 2)
            typeKey(*websoru, row, QStringLiteral("B"));
    websoru->moveTo(2);
    websoru->edit();
    websoru->setFieldValue(kKey, third);
    websoru->post();
    try {
        readAnswerKey(*websoru, 10);
        QFAIL("no missing key reported");
    } catch (const MissingKey& missing) {
        QCOMPARE(missing.question(), 3);
    }
    QCOMPARE(websoru->currentIndex(), 2);

    // With no row at all the walk stops at question 1.
    clearAnswerKey(*websoru);
    try {
        readAnswerKey(*websoru, 5);
        QFAIL("no missing key reported");
    } catch (const MissingKey& missing) {
        QCOMPARE(missing.question(), 1);
    }
}

void tst_AnswerKey::walkStoresTypedKey() {
    auto websoru = openWebsoru(m_path);
    fillAnswerKey(*websoru, QStringLiteral("t"), QStringLiteral("s"), 2);
    typeKey(*websoru, 0, QStringLiteral("C"));
    typeKey(*websoru, 1, QStringLiteral("e"), false); // typed, not yet stored
    QCOMPARE(websoru->state(), TableDataset::State::Edit);
    const auto records = readAnswerKey(*websoru, 2);
    QCOMPARE(records[1].key, QStringLiteral("e"));
    QCOMPARE(query(m_path, QStringLiteral("SELECT dc FROM websoru ORDER BY rowid")),
             (QList<QVariantList>{{QStringLiteral("C")}, {QStringLiteral("e")}}));
}

void tst_AnswerKey::walkNullFileName() {
    auto websoru = openWebsoru(m_path);
    fillAnswerKey(*websoru, QStringLiteral("t"), QStringLiteral("s"), 3);
    for (int row = 0; row < 3; ++row)
        typeKey(*websoru, row, QStringLiteral("A"));
    websoru->moveTo(1);
    websoru->edit();
    websoru->setFieldValue(QStringLiteral("dosya"), QVariant());
    DB_EXPECT_ERROR(readAnswerKey(*websoru, 3),
                    QStringLiteral("Could not convert variant of type (Null) into type (String)"));
    QCOMPARE(websoru->currentIndex(), 1);
    // The walk's first step stored the pending change before it failed.
    QCOMPARE(count(m_path, QStringLiteral("websoru WHERE dosya IS NULL")), 1);
}

void tst_AnswerKey::tenThousandRows() {
    auto websoru = openWebsoru(m_path);
    fillAnswerKey(*websoru, QStringLiteral("t"), QStringLiteral("s"), 10000);
    QCOMPARE(websoru->recordCount(), 10000);
    QCOMPARE(count(m_path, QStringLiteral("websoru")), 10000);
    query(m_path, QStringLiteral("UPDATE websoru SET dc = 'A'"));
    websoru->setFiltered(true); // reread what the other connection stored
    QCOMPARE(readAnswerKey(*websoru, 10000).size(), 10000u);
    clearAnswerKey(*websoru);
}

void tst_AnswerKey::killedPreparation() {
    constexpr int kOld = 50;
    constexpr int kNew = 400000;
    {
        auto websoru = openWebsoru(m_path);
        fillAnswerKey(*websoru, QStringLiteral("old"), QStringLiteral("o"), kOld);
    }
    // Kill the child at growing depths into its transaction: as soon as it
    // runs, and once the pages it spilled have grown the file by 1 and 4 MiB.
    const qint64 startSize = QFileInfo(m_path).size();
    for (const qint64 walBytes : {qint64(-1), qint64(1) << 20, qint64(4) << 20}) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--fill-child"), m_path, QString::number(kNew)});
        QVERIFY(child.waitForStarted());
        QElapsedTimer waited;
        waited.start();
        while (walBytes >= 0 && QFileInfo(m_path).size() - startSize < walBytes &&
               waited.elapsed() < 20000 && child.state() == QProcess::Running)
            QTest::qSleep(2);
        child.kill(); // SIGKILL
        QVERIFY(child.waitForFinished());

        QCOMPARE(query(m_path, QStringLiteral("PRAGMA integrity_check")),
                 (QList<QVariantList>{{QStringLiteral("ok")}}));
        const auto names =
            query(m_path, QStringLiteral("SELECT testadi, count(*) FROM websoru GROUP BY testadi"));
        qInfo("killed at %lld log bytes: %s", walBytes,
              qPrintable(names.isEmpty() ? QStringLiteral("empty")
                                         : names.value(0).value(0).toString()));
        QCOMPARE(names.size(), 1);
        const bool old = names.value(0) == QVariantList{QStringLiteral("old"), qint64(kOld)};
        const bool whole = names.value(0) == QVariantList{QStringLiteral("new"), qint64(kNew)};
        QVERIFY(old || whole);
        if (whole)
            break; // the old rows are gone for good; nothing more to kill
    }

    // Left to finish, the same command leaves exactly the new rows.
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--fill-child"), m_path, QStringLiteral("1000")});
    QVERIFY(child.waitForFinished(60000));
    QCOMPARE(child.exitCode(), 0);
    auto websoru = openWebsoru(m_path);
    QCOMPARE(websoru->recordCount(), 1000);
    QCOMPARE(websoru->fieldValue(QStringLiteral("testadi")), QVariant(QStringLiteral("new")));
}

// Each test name keeps its own sections beside its key; a refused table (an
// overlap, a question outside the count) changes neither.
void tst_AnswerKey::sectionsKeptPerTestName() {
    auto websoru = openWebsoru(m_path);
    prepareAnswerKey(*websoru, QStringLiteral("Deneme"), QStringLiteral("dn"),
                     QStringLiteral("ABCDABCDAB"));
    Database& db = websoru->database();
    const std::vector<Section> stored{{QStringLiteral(u"Türkçe"), 1, 4, 1},
                                      {QStringLiteral("Fen"), 5, 10, 1.5}};
    saveSections(db, QStringLiteral("Deneme"), stored, 10);
    saveSections(db, QStringLiteral("Başka"), {{QStringLiteral("Tek"), 1, 2, 1}}, 2);
    const auto before = query(m_path, QStringLiteral("SELECT * FROM websoru ORDER BY rowid"));
    DB_EXPECT_ERROR(saveSections(db, QStringLiteral("Deneme"),
                                 {{QStringLiteral("A"), 1, 5, 1}, {QStringLiteral("B"), 5, 10, 1}},
                                 10),
                    QStringLiteral(u"Bölüm listesi, 1. satır (A) ile 2. satır (B) çakışıyor: "
                                   u"5. soru ikisinde de."));
    DB_EXPECT_ERROR(
        saveSections(db, QStringLiteral("Deneme"), {{QStringLiteral("A"), 1, 11, 1}}, 10),
        QStringLiteral(u"Bölüm listesi, 1. satır (A): son soru 11 testin dışında; "
                       u"test 1 ile 10 arasındaki soruları taşıyor."));
    QCOMPARE(loadSections(db, QStringLiteral("Deneme")), stored);
    QCOMPARE(loadSections(db, QStringLiteral("Başka")).size(), std::size_t(1));
    QCOMPARE(query(m_path, QStringLiteral("SELECT * FROM websoru ORDER BY rowid")), before);
    // No sections removes the name's rows; a damaged stored row is refused, not shown.
    saveSections(db, QStringLiteral("Deneme"), {}, 10);
    QVERIFY(loadSections(db, QStringLiteral("Deneme")).empty());
    db.exec(QStringLiteral("UPDATE bolum SET ilk = 'bir'"));
    DB_EXPECT_ERROR(loadSections(db, QStringLiteral("Başka")),
                    QStringLiteral(u"\"Başka\" testinin kayıtlı bölüm listesi bozuk; bölümler "
                                   u"okunamadı."));
}

// A class's list replaced alone; a refused name changes nothing; Turkish order.
void tst_AnswerKey::classListsKeptPerClass() {
    auto websoru = openWebsoru(m_path);
    Database& db = websoru->database();
    const std::vector<ClassMember> first{{QStringLiteral("12"), QStringLiteral(u"Ağrı Üşüyor")},
                                         {QStringLiteral("7"), QStringLiteral(u"İpek Çığ")}};
    const std::vector<ClassMember> second{{QStringLiteral("3"), QStringLiteral("Ece")}};
    for (const char16_t* name : {u"Dal", u"10-A", u"Cemre", u"9-B", u" Çınar "})
        storeClassList(db, QString::fromUtf16(name), first);
    storeClassList(db, QStringLiteral("10-A"), second);
    QCOMPARE(classList(db, QStringLiteral("10-A")), second);
    QCOMPARE(classList(db, QStringLiteral(u"Çınar")), first);
    const auto before = query(m_path, QStringLiteral("SELECT * FROM sinif ORDER BY rowid"));
    DB_EXPECT_ERROR(storeClassList(db, QStringLiteral("  "), second),
                    QStringLiteral(u"Sınıfın adı boş olamaz."));
    QCOMPARE(query(m_path, QStringLiteral("SELECT * FROM sinif ORDER BY rowid")), before);
    QCOMPARE(classNames(db),
             (QStringList{QStringLiteral("9-B"), QStringLiteral("10-A"), QStringLiteral("Cemre"),
                          QStringLiteral(u"Çınar"), QStringLiteral("Dal")}));
}

int main(int argc, char* argv[]) {
    if (argc == 4 && qstrcmp(argv[1], "--fill-child") == 0)
        return fillChild(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    QCoreApplication app(argc, argv);
    tst_AnswerKey test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_answerkey.moc"
