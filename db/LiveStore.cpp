#include "db/LiveStore.h"

#include "db/Database.h"

#include <sqlite3.h>

namespace {

StoredLiveExam examFrom(const Statement& row) {
    StoredLiveExam exam;
    exam.id = row.value(0).toLongLong();
    exam.identity = row.value(1).toString();
    exam.token = row.value(2).toString();
    exam.host = row.value(3).toString();
    exam.port = row.value(4).toInt();
    exam.started = row.value(5).toString();
    exam.ended = row.value(6).toString();
    exam.nextTurn = row.value(7).toInt();
    return exam;
}

const char kExamColumns[] = "SELECT no, kimlik, jeton, adres, kapi, baslangic, bitis, sira "
                            "FROM webcanli ";

} // namespace

QString liveTablesSql() {
    return QStringLiteral(
        "CREATE TABLE IF NOT EXISTS webcanli (no INTEGER PRIMARY KEY, kimlik TEXT NOT NULL, "
        "jeton TEXT NOT NULL UNIQUE, adres TEXT NOT NULL, kapi INTEGER NOT NULL, "
        "baslangic TEXT NOT NULL, bitis TEXT, sira INTEGER NOT NULL DEFAULT 0);"
        "CREATE TABLE IF NOT EXISTS webcanlisayfa (sinav INTEGER NOT NULL REFERENCES "
        "webcanli(no), kitapcik TEXT NOT NULL, sayfa BLOB NOT NULL, UNIQUE (sinav, kitapcik));"
        "CREATE TABLE IF NOT EXISTS webcanliogrenci (no INTEGER PRIMARY KEY, "
        "sinav INTEGER NOT NULL REFERENCES webcanli(no), jeton TEXT NOT NULL, "
        "ad TEXT NOT NULL, adanahtar TEXT NOT NULL, cihaz TEXT NOT NULL, "
        "kitapcik TEXT NOT NULL, baslangic TEXT NOT NULL, bitis TEXT, cevaplar TEXT, "
        "sonuc INTEGER NOT NULL DEFAULT 0, sontemas TEXT NOT NULL, UNIQUE (sinav, jeton), "
        "UNIQUE (sinav, adanahtar, cihaz));"
        "CREATE TABLE IF NOT EXISTS webcanlicevap (ogrenci INTEGER NOT NULL REFERENCES "
        "webcanliogrenci(no), soru INTEGER NOT NULL, cevap TEXT NOT NULL, "
        "sira INTEGER NOT NULL, UNIQUE (ogrenci, soru));");
}

qint64 insertLiveExam(Database& db, const StoredLiveExam& exam,
                      const std::vector<QByteArray>& pages) {
    Transaction transaction(db);
    Statement insert(db, QStringLiteral("INSERT INTO webcanli (kimlik, jeton, adres, kapi, "
                                        "baslangic, sira) VALUES (?, ?, ?, ?, ?, 0)"));
    insert.bind(1, exam.identity);
    insert.bind(2, exam.token);
    insert.bind(3, exam.host);
    insert.bind(4, exam.port);
    insert.bind(5, exam.started);
    insert.step();
    const qint64 id = db.lastInsertRowId();
    Statement page(db, QStringLiteral("INSERT INTO webcanlisayfa VALUES (?, ?, ?)"));
    for (std::size_t i = 0; i < pages.size(); ++i) {
        page.reset();
        page.bind(1, id);
        page.bind(2, QString(QChar(u'A' + int(i))));
        page.bind(3, pages[i]);
        page.step();
    }
    transaction.commit();
    return id;
}

void setLiveExamAddress(Database& db, qint64 exam, const QString& host, int port) {
    Transaction transaction(db);
    Statement update(db, QStringLiteral("UPDATE webcanli SET adres = ?, kapi = ? WHERE no = ?"));
    update.bind(1, host);
    update.bind(2, port);
    update.bind(3, exam);
    update.step();
    transaction.commit();
}

void endLiveExam(Database& db, qint64 exam, const QString& ended) {
    Transaction transaction(db);
    Statement update(db, QStringLiteral("UPDATE webcanli SET bitis = ? WHERE no = ? AND "
                                        "bitis IS NULL"));
    update.bind(1, ended);
    update.bind(2, exam);
    update.step();
    transaction.commit();
}

std::optional<StoredLiveExam> findLiveExam(Database& db, qint64 exam) {
    Statement select(db, QLatin1String(kExamColumns) + QStringLiteral("WHERE no = ?"));
    select.bind(1, exam);
    if (!select.step())
        return std::nullopt;
    return examFrom(select);
}

std::vector<StoredLiveExam> openLiveExams(Database& db) {
    Statement select(db, QLatin1String(kExamColumns) +
                             QStringLiteral("WHERE bitis IS NULL ORDER BY no DESC"));
    std::vector<StoredLiveExam> exams;
    while (select.step())
        exams.push_back(examFrom(select));
    return exams;
}

int livePupilCount(Database& db, qint64 exam) {
    Statement select(db, QStringLiteral("SELECT count(*) FROM webcanliogrenci WHERE sinav = ?"));
    select.bind(1, exam);
    return select.step() ? select.value(0).toInt() : 0;
}

std::vector<QByteArray> liveExamPages(Database& db, qint64 exam) {
    Statement select(db, QStringLiteral("SELECT sayfa FROM webcanlisayfa WHERE sinav = ? "
                                        "ORDER BY kitapcik"));
    select.bind(1, exam);
    std::vector<QByteArray> pages;
    while (select.step())
        pages.push_back(select.value(0).toByteArray());
    return pages;
}

qint64 insertLivePupil(Database& db, qint64 exam, const StoredLivePupil& pupil) {
    Transaction transaction(db);
    Statement insert(db, QStringLiteral("INSERT INTO webcanliogrenci (sinav, jeton, ad, "
                                        "adanahtar, cihaz, kitapcik, baslangic, sontemas) "
                                        "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    insert.bind(1, exam);
    insert.bind(2, pupil.token);
    insert.bind(3, pupil.name);
    insert.bind(4, pupil.nameKey);
    insert.bind(5, pupil.device);
    insert.bind(6, pupil.booklet);
    insert.bind(7, pupil.started);
    insert.bind(8, pupil.lastContact);
    insert.step();
    const qint64 id = db.lastInsertRowId();
    Statement turn(db, QStringLiteral("UPDATE webcanli SET sira = sira + 1 WHERE no = ?"));
    turn.bind(1, exam);
    turn.step();
    transaction.commit();
    return id;
}

std::vector<StoredLivePupil> livePupils(Database& db, qint64 exam) {
    Statement select(db, QStringLiteral("SELECT no, jeton, ad, adanahtar, cihaz, kitapcik, "
                                        "baslangic, bitis, cevaplar, sonuc, sontemas FROM "
                                        "webcanliogrenci WHERE sinav = ? ORDER BY no"));
    select.bind(1, exam);
    std::vector<StoredLivePupil> pupils;
    while (select.step()) {
        StoredLivePupil p;
        p.id = select.value(0).toLongLong();
        p.token = select.value(1).toString();
        p.name = select.value(2).toString();
        p.nameKey = select.value(3).toString();
        p.device = select.value(4).toString();
        p.booklet = select.value(5).toString();
        p.started = select.value(6).toString();
        p.finished = select.value(7).toString();
        p.finalAnswers = select.value(8).toString();
        p.resultStored = select.value(9).toInt() != 0;
        p.lastContact = select.value(10).toString();
        pupils.push_back(p);
    }
    return pupils;
}

std::vector<StoredLiveAnswer> liveAnswers(Database& db, qint64 exam) {
    Statement select(db, QStringLiteral("SELECT c.ogrenci, c.soru, c.cevap, c.sira FROM "
                                        "webcanlicevap c JOIN webcanliogrenci o ON "
                                        "o.no = c.ogrenci WHERE o.sinav = ?"));
    select.bind(1, exam);
    std::vector<StoredLiveAnswer> answers;
    while (select.step()) {
        const QString letter = select.value(2).toString();
        answers.push_back({select.value(0).toLongLong(), select.value(1).toInt(),
                           letter.isEmpty() ? QChar(u'-') : letter[0],
                           select.value(3).toLongLong()});
    }
    return answers;
}

bool saveLiveAnswer(Database& db, const StoredLiveAnswer& answer, const QString& contact) {
    Transaction transaction(db);
    Statement upsert(db, QStringLiteral("INSERT INTO webcanlicevap VALUES (?, ?, ?, ?) "
                                        "ON CONFLICT (ogrenci, soru) DO UPDATE SET "
                                        "cevap = excluded.cevap, sira = excluded.sira "
                                        "WHERE excluded.sira > webcanlicevap.sira"));
    upsert.bind(1, answer.pupil);
    upsert.bind(2, answer.place);
    upsert.bind(3, QString(answer.answer));
    upsert.bind(4, answer.sequence);
    upsert.step();
    const bool kept = sqlite3_changes(db.handle()) > 0;
    Statement touch(db, QStringLiteral("UPDATE webcanliogrenci SET sontemas = ? WHERE no = ?"));
    touch.bind(1, contact);
    touch.bind(2, answer.pupil);
    touch.step();
    transaction.commit();
    return kept;
}

void finishLivePupil(Database& db, qint64 pupil, const QString& finished, const QString& answers) {
    Transaction transaction(db);
    Statement update(db, QStringLiteral("UPDATE webcanliogrenci SET bitis = ?, cevaplar = ?, "
                                        "sonuc = 1, sontemas = ? WHERE no = ? AND bitis IS NULL"));
    update.bind(1, finished);
    update.bind(2, answers);
    update.bind(3, finished);
    update.bind(4, pupil);
    update.step();
    transaction.commit();
}
