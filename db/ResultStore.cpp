#include "db/ResultStore.h"

#include "core/AppError.h"
#include "results/Scoring.h"

#include <map>

#include "db/Database.h"

#include <sqlite3.h>

namespace {

const QString kTimeFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss");

QString timeText(const QDateTime& time) {
    return time.toString(kTimeFormat);
}

const QString kTestColumns =
    QStringLiteral("testadi, sayfaad, sorusay, cevaplar, siksay, netkural, zaman");

GeneratedTest testFrom(const Statement& row) {
    GeneratedTest test;
    test.name = row.value(0).toString();
    test.stem = row.value(1).toString();
    test.count = row.value(2).toInt();
    test.keys = row.value(3).toString();
    test.optionCount = row.value(4).toInt();
    test.netRule = row.value(5).toInt();
    test.generatedAt = QDateTime::fromString(row.value(6).toString(), kTimeFormat);
    return test;
}

} // namespace

void createResultTables(Database& db) {
    Transaction transaction(db);
    db.exec(QStringLiteral(
        "CREATE TABLE IF NOT EXISTS websinav (kimlik TEXT PRIMARY KEY NOT NULL, testadi TEXT, "
        "sayfaad TEXT, sorusay INTEGER, cevaplar TEXT, siksay INTEGER, netkural INTEGER, "
        "zaman TEXT);"
        "CREATE TABLE IF NOT EXISTS websonuc (no INTEGER PRIMARY KEY, "
        "kimlik TEXT NOT NULL REFERENCES websinav(kimlik), ad TEXT NOT NULL, "
        "cevap TEXT NOT NULL, baslangic TEXT NOT NULL, bitis TEXT NOT NULL, "
        "denetim TEXT NOT NULL, eklenme TEXT, deneme INTEGER NOT NULL DEFAULT 1, "
        "UNIQUE (kimlik, ad, cevap, baslangic, bitis));"));
    transaction.commit();
}

void addAttemptColumn(Database& db) {
    db.exec(QStringLiteral("ALTER TABLE websonuc ADD COLUMN deneme INTEGER NOT NULL DEFAULT 1;"));
}

void rememberTest(Database& db, const GeneratedTest& test) {
    Transaction transaction(db);
    Statement insert(db, QStringLiteral("INSERT INTO websinav (kimlik, ") + kTestColumns +
                             QStringLiteral(") VALUES (?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT "
                                            "(kimlik) DO UPDATE SET zaman = excluded.zaman"));
    insert.bind(1, test.identity());
    insert.bind(2, test.name);
    insert.bind(3, test.stem);
    insert.bind(4, test.count);
    insert.bind(5, test.keys);
    insert.bind(6, test.optionCount);
    insert.bind(7, test.netRule);
    insert.bind(8, timeText(test.generatedAt));
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
                     QStringLiteral("SELECT kimlik, ad, cevap, baslangic, bitis, denetim, deneme "
                                    "FROM websonuc WHERE kimlik = ? ORDER BY no"));
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
    Statement insert(
        db, QStringLiteral("INSERT INTO websonuc (kimlik, ad, cevap, baslangic, "
                           "bitis, denetim, eklenme, deneme) VALUES (?, ?, ?, ?, ?, ?, ?, ?) "
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
    insert.step();
    const bool stored = sqlite3_changes(db.handle()) > 0;
    transaction.commit();
    return stored ? StoreOutcome::Stored : StoreOutcome::Repeat;
}

ResultBatch storeResults(Database& db, int count, const ResultReader& read) {
    ResultBatch batch;
    std::map<QString, std::optional<GeneratedTest>> tests; // looked up once per batch
    Transaction transaction(db);
    for (int i = 0; i < count; ++i) {
        QString what;
        PupilResult result;
        try {
            result = read(i, what);
        } catch (const AppError& error) {
            batch.refused.push_back({what, error.text()});
            continue;
        }
        auto known = tests.find(result.test.toLower());
        if (known == tests.end())
            known = tests.emplace(result.test.toLower(), findTest(db, result.test)).first;
        const std::optional<GeneratedTest>& test = known->second;
        if (!test) {
            batch.refused.push_back(
                {what, result.testName.isEmpty()
                           ? QStringLiteral(u"bilinmeyen test: bu sonucun testi bu veritabanında "
                                            u"kayıtlı değil")
                           : QStringLiteral(u"bilinmeyen test: bu sonucun testi (\"%1\") bu "
                                            u"veritabanında kayıtlı değil")
                                 .arg(result.testName)});
            continue;
        }
        try {
            checkAnswersFit(*test, result.answers);
        } catch (const AppError& error) {
            batch.refused.push_back({what, error.text()});
            continue;
        }
        if (storeResult(db, result) == StoreOutcome::Repeat) {
            batch.refused.push_back({what, QStringLiteral(u"bu sonuç zaten kayıtlı")});
            continue;
        }
        ++batch.stored;
        batch.lastStoredTest = result.test;
    }
    transaction.commit();
    return batch;
}
