#include "db/ResultStore.h"

#include "core/AppError.h"
#include "db/Sections.h"
#include "results/PupilName.h"
#include "results/Scoring.h"

#include <algorithm>
#include <map>
#include <set>

#include "db/Database.h"

#include <sqlite3.h>

namespace {

const QString kTimeFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss");

QString timeText(const QDateTime& time) {
    return time.toString(kTimeFormat);
}

const QString kTestColumns = QStringLiteral(
    "testadi, sayfaad, sorusay, cevaplar, siksay, netkural, zaman, kimlik, bolumler, kitapciklar");

// The longest booklet orders text: four booklets of the most questions a run
// takes, each number with its comma.
constexpr qsizetype kMaxBookletsText = 4 * (2 + 10000 * 6);

// The stored sections and booklet orders, refused with the test's name when
// they are not what a run could have stored.
void readSectionsAndBooklets(const Statement& row, GeneratedTest& test) {
    try {
        const QVariant sections = row.value(8);
        const QVariant booklets = row.value(9);
        if ((!sections.isNull() && sections.typeId() != QMetaType::QString) ||
            (!booklets.isNull() && booklets.typeId() != QMetaType::QString))
            throw AppError(QStringLiteral(u"Testin kayıtlı bölümleri ya da kitapçıkları bozuk."));
        test.sections = parseSectionsJson(sections.toString(), test.count);
        const QString orders = booklets.toString();
        if (orders.size() > kMaxBookletsText)
            throw AppError(QStringLiteral(u"Testin kayıtlı kitapçık sıraları bozuk."));
        if (!orders.isEmpty())
            test.booklets = parseBookletOrders(orders, test.count);
    } catch (const AppError& error) {
        throw AppError(QStringLiteral(u"\"%1\" testi okunamadı: %2")
                           .arg(test.name.left(kMaxSectionName), error.text()));
    }
}

GeneratedTest testFrom(const Statement& row) {
    GeneratedTest test;
    test.name = row.value(0).toString();
    test.stem = row.value(1).toString();
    test.count = row.value(2).toInt();
    test.keys = row.value(3).toString();
    test.optionCount = row.value(4).toInt();
    test.netRule = row.value(5).toInt();
    test.generatedAt = QDateTime::fromString(row.value(6).toString(), kTimeFormat);
    test.identity = row.value(7).toString();
    readSectionsAndBooklets(row, test);
    return test;
}

bool isStored(Database& db, const PupilResult& result) {
    Statement select(db, QStringLiteral("SELECT 1 FROM websonuc WHERE kimlik = ? AND ad = ? AND "
                                        "cevap = ? AND baslangic = ? AND bitis = ?"));
    select.bind(1, result.test.toLower());
    select.bind(2, result.name);
    select.bind(3, result.answers);
    select.bind(4, result.start);
    select.bind(5, result.finish);
    return select.step();
}

// The pupils of a test's stored results, as pupilNameKey gives them.
std::set<QString> storedPupils(Database& db, const QString& identity) {
    Statement select(db, QStringLiteral("SELECT ad FROM websonuc WHERE kimlik = ?"));
    select.bind(1, identity.toLower());
    std::set<QString> pupils;
    while (select.step())
        pupils.insert(pupilNameKey(select.value(0).toString()));
    return pupils;
}

} // namespace

void createResultTables(Database& db) {
    Transaction transaction(db);
    db.exec(QStringLiteral(
        "CREATE TABLE IF NOT EXISTS websinav (kimlik TEXT PRIMARY KEY NOT NULL, testadi TEXT, "
        "sayfaad TEXT, sorusay INTEGER, cevaplar TEXT, siksay INTEGER, netkural INTEGER, "
        "zaman TEXT, bolumler TEXT NOT NULL DEFAULT '', kitapciklar TEXT NOT NULL DEFAULT '');"
        "CREATE TABLE IF NOT EXISTS websonuc (no INTEGER PRIMARY KEY, "
        "kimlik TEXT NOT NULL REFERENCES websinav(kimlik), ad TEXT NOT NULL, "
        "cevap TEXT NOT NULL, baslangic TEXT NOT NULL, bitis TEXT NOT NULL, "
        "denetim TEXT NOT NULL, eklenme TEXT, deneme INTEGER NOT NULL DEFAULT 1, "
        "kitapcik TEXT NOT NULL DEFAULT 'A', "
        "UNIQUE (kimlik, ad, cevap, baslangic, bitis));"));
    transaction.commit();
}

void addAttemptColumn(Database& db) {
    db.exec(QStringLiteral("ALTER TABLE websonuc ADD COLUMN deneme INTEGER NOT NULL DEFAULT 1;"));
}

void addSectionAndBookletColumns(Database& db) {
    db.exec(QStringLiteral("ALTER TABLE websinav ADD COLUMN bolumler TEXT NOT NULL DEFAULT '';"
                           "ALTER TABLE websinav ADD COLUMN kitapciklar TEXT NOT NULL DEFAULT '';"
                           "ALTER TABLE websonuc ADD COLUMN kitapcik TEXT NOT NULL DEFAULT 'A';"));
}

void rememberTest(Database& db, const GeneratedTest& test) {
    Transaction transaction(db);
    if (test.identity.isEmpty())
        throw AppError(QStringLiteral(u"Testin kimliği boş; test kaydedilemedi."));
    Statement insert(db,
                     QStringLiteral("INSERT INTO websinav (kimlik, testadi, sayfaad, sorusay, "
                                    "cevaplar, siksay, netkural, zaman, bolumler, kitapciklar) "
                                    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (kimlik) "
                                    "DO UPDATE SET zaman = excluded.zaman"));
    insert.bind(1, test.identity.toLower());
    insert.bind(2, test.name);
    insert.bind(3, test.stem);
    insert.bind(4, test.count);
    insert.bind(5, test.keys);
    insert.bind(6, test.optionCount);
    insert.bind(7, test.netRule);
    insert.bind(8, timeText(test.generatedAt));
    insert.bind(9, sectionsJson(test.sections));
    insert.bind(10, bookletOrdersText(test.booklets));
    insert.step();
    transaction.commit();
}

std::optional<GeneratedTest> findTest(Database& db, const QString& identity) {
    Statement select(db, QStringLiteral("SELECT ") + kTestColumns +
                             QStringLiteral(" FROM websinav WHERE kimlik = ?"));
    select.bind(1, identity.toLower());
    if (!select.step())
        return std::nullopt;
    return testFrom(select);
}

std::optional<GeneratedTest> newestTestOfStem(Database& db, const QString& stem) {
    Statement select(db, QStringLiteral("SELECT ") + kTestColumns +
                             QStringLiteral(" FROM websinav WHERE sayfaad = ? "
                                            "ORDER BY zaman DESC, rowid DESC LIMIT 1"));
    select.bind(1, stem);
    if (!select.step())
        return std::nullopt;
    return testFrom(select);
}

std::vector<GeneratedTest> testsWithResults(Database& db) {
    Statement select(db, QStringLiteral("SELECT ") + kTestColumns +
                             QStringLiteral(" FROM websinav WHERE kimlik IN (SELECT kimlik FROM "
                                            "websonuc) ORDER BY zaman DESC, rowid DESC"));
    std::vector<GeneratedTest> tests;
    while (select.step())
        tests.push_back(testFrom(select));
    return tests;
}

std::vector<PupilResult> resultsOf(Database& db, const QString& identity) {
    Statement select(db,
                     QStringLiteral("SELECT kimlik, ad, cevap, baslangic, bitis, denetim, deneme, "
                                    "kitapcik FROM websonuc WHERE kimlik = ? ORDER BY no"));
    select.bind(1, identity.toLower());
    std::vector<PupilResult> results;
    while (select.step()) {
        PupilResult result;
        result.test = select.value(0).toString();
        result.name = select.value(1).toString();
        result.answers = select.value(2).toString();
        result.start = select.value(3).toString();
        result.finish = select.value(4).toString();
        result.check = select.value(5).toString();
        result.attempt = select.value(6).toInt();
        result.booklet = select.value(7).toString();
        results.push_back(std::move(result));
    }
    return results;
}

void deleteResults(Database& db, const std::vector<PupilResult>& results) {
    Transaction transaction(db);
    Statement remove(db, QStringLiteral("DELETE FROM websonuc WHERE kimlik = ? AND ad = ? AND "
                                        "cevap = ? AND baslangic = ? AND bitis = ?"));
    for (const PupilResult& result : results) {
        remove.reset();
        remove.bind(1, result.test.toLower());
        remove.bind(2, result.name);
        remove.bind(3, result.answers);
        remove.bind(4, result.start);
        remove.bind(5, result.finish);
        remove.step();
        if (sqlite3_changes(db.handle()) != 1)
            throw AppError(QStringLiteral(u"Silinecek sonuç artık kayıtlı değil; hiçbir sonuç "
                                          u"silinmedi."));
    }
    transaction.commit();
}

StoreOutcome storeResult(Database& db, const PupilResult& result, const QDateTime& addedAt) {
    Transaction transaction(db);
    Statement insert(db, QStringLiteral("INSERT INTO websonuc (kimlik, ad, cevap, baslangic, "
                                        "bitis, denetim, eklenme, deneme, kitapcik) "
                                        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?) "
                                        "ON CONFLICT (kimlik, ad, cevap, baslangic, bitis) "
                                        "DO NOTHING"));
    insert.bind(1, result.test.toLower());
    insert.bind(2, result.name);
    insert.bind(3, result.answers);
    insert.bind(4, result.start);
    insert.bind(5, result.finish);
    insert.bind(6, result.check.toLower());
    insert.bind(7, timeText(addedAt));
    insert.bind(8, result.attempt);
    insert.bind(9, result.booklet);
    insert.step();
    const bool stored = sqlite3_changes(db.handle()) > 0;
    transaction.commit();
    return stored ? StoreOutcome::Stored : StoreOutcome::Repeat;
}

ResultBatch storeResults(Database& db, int count, const ResultReader& read) {
    // Every file is read before the transaction begins: however long a read
    // takes, the database is not held meanwhile.
    struct Read {
        QString what;
        std::optional<PupilResult> result;
        QString refusal;
    };
    std::vector<Read> reads(std::size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        Read& one = reads[std::size_t(i)];
        try {
            one.result = read(i, one.what);
        } catch (const AppError& error) {
            one.refusal = error.text();
        }
    }

    ResultBatch batch;
    std::map<QString, std::optional<GeneratedTest>> tests; // looked up once per batch
    std::map<QString, std::set<QString>> pupils;           // by test, with this batch's
    Transaction transaction(db);
    for (Read& one : reads) {
        const QString& what = one.what;
        if (!one.result) {
            batch.refused.push_back({what, one.refusal, std::nullopt});
            continue;
        }
        const PupilResult& result = *one.result;
        auto known = tests.find(result.test.toLower());
        if (known == tests.end()) {
            try {
                known = tests.emplace(result.test.toLower(), findTest(db, result.test)).first;
            } catch (const AppError& error) {
                batch.refused.push_back({what, error.text(), std::nullopt});
                continue; // asked again for the next result of that test: the same reason
            }
        }
        const std::optional<GeneratedTest>& test = known->second;
        if (!test) {
            batch.refused.push_back(
                {what,
                 result.testName.isEmpty()
                     ? QStringLiteral(u"bilinmeyen test: bu sonucun testi bu veritabanında "
                                      u"kayıtlı değil")
                     : QStringLiteral(u"bilinmeyen test: bu sonucun testi (%1) bu "
                                      u"veritabanında kayıtlı değil")
                           .arg(quotedFileText(result.testName)),
                 std::nullopt});
            continue;
        }
        try {
            checkAnswersFit(*test, result.answers);
            answersInTeacherOrder(*test, result.booklet, result.answers);
        } catch (const AppError& error) {
            batch.refused.push_back({what, error.text(), std::nullopt});
            continue;
        }
        if (isStored(db, result)) {
            batch.refused.push_back(
                {what, QStringLiteral(u"bu sonuç zaten kayıtlı"), std::nullopt});
            continue;
        }
        const QString identity = result.test.toLower();
        auto testPupils = pupils.find(identity);
        if (testPupils == pupils.end())
            testPupils = pupils.emplace(identity, storedPupils(db, identity)).first;
        const QString pupil = pupilNameKey(result.name);
        // Results without a name cannot be told apart, so none is held back.
        if (!pupil.isEmpty() && testPupils->second.count(pupil)) {
            batch.refused.push_back(
                {what,
                 QStringLiteral(u"büyük olasılıkla tekrar: bu testte aynı öğrencinin (%1) bir "
                                u"sonucu daha var; yine de eklenebilir")
                     .arg(quotedFileText(result.name)),
                 result});
            continue;
        }
        storeResult(db, result);
        testPupils->second.insert(pupil);
        ++batch.stored;
        batch.lastStoredTest = result.test;
    }
    transaction.commit();
    return batch;
}

int storeAnyway(Database& db, const std::vector<RefusedResult>& refused) {
    int stored = 0;
    Transaction transaction(db);
    for (const RefusedResult& r : refused)
        if (r.likelyRepeat && storeResult(db, *r.likelyRepeat) == StoreOutcome::Stored)
            ++stored;
    transaction.commit();
    return stored;
}
