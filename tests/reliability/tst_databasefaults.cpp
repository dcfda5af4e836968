// The database file in a bad way at start-up: damaged (also with a journal
// or log beside it), holding SQL the program did not write, of a later
// version, known by a second name, or held by another program. The window says so in
// plain words, does not crash or hang, and leaves the file and the other program's rows exactly as
// they were.

#include "ReliabilitySupport.h"

#include "db/Database.h"
#include "db/HeaderVfs.h"

#include <QApplication>
#include <QRandomGenerator>

#include <sqlite3.h>

#include <filesystem>

using namespace reliability;
using namespace Qt::StringLiterals;

namespace {

const QString kInUse = Database::inUseText() + u'.';

// A database as a teacher's session leaves it: stored colours and five keys.
void fillDatabase(const QString& path) {
    dbtest::query(path, QStringLiteral("UPDATE webrenk SET sorus='#111111', siksay=5"));
    dbtest::query(
        path, QStringLiteral(
                  "INSERT INTO websoru (testadi, soruno, dosya, dc) "
                  "WITH RECURSIVE q(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM q WHERE n < 500) "
                  "SELECT 'ilk', n, 'ts' || n || '.mht', 'A' FROM q"));
}

// Leaves the journal (or, in WAL mode, the log) of a command that another
// program had not finished when it ended, beside the file.
bool leaveUnfinishedCommand(const QString& path, const QString& suffix) {
    sqlite3* db = nullptr;
    bool done = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE,
                                HeaderVfs::name()) == SQLITE_OK;
    const QByteArray mode = suffix == QLatin1String("-wal") ? "WAL" : "DELETE";
    const QByteArray sql = "PRAGMA journal_mode=" + mode +
                           "; BEGIN; UPDATE websoru SET dc = 'B'; UPDATE webrenk SET siksay = 2";
    done = done && sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    if (suffix == QLatin1String("-wal")) // a committed save that still lives in the log
        done = done && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    QFile left(path + suffix);
    done = done && left.size() > 0;
    const QString copy = path + QStringLiteral(".left");
    done = done && left.copy(copy);
    sqlite3_close(db); // rolls back, or folds the log into the file
    QFile::remove(path + suffix);
    QFile::remove(path + QStringLiteral("-shm"));
    return done && QFile::rename(copy, path + suffix);
}

QList<QVariantList> everyRow(const QString& path) {
    return dbtest::query(
        path, QStringLiteral("SELECT 'soru', rowid, * FROM websoru UNION ALL "
                             "SELECT 'renk', rowid, sorus, cevaps, siksay, gezyer FROM webrenk"));
}

// Child: the program itself, with a prepared key, kept running until told to stop.
// Exits 0 when its rows are still the ones it made.
int windowChild(int argc, char* argv[], const QString& programFolder) {
    QApplication app(argc, argv);
    Window w(programFolder);
    w.edit("siksayl")->setText(QStringLiteral("3"));
    w.click("BitBtn7"); // the settings save
    w.prepareKeys(QStringLiteral("ilk"), 5, QStringLiteral("ABCCA"));
    TanaekrTestAccess::websoru(*w.window).first(); // stores the letter typed last
    tellParent(w.prompts.texts().join(u'|').toUtf8() + "|ready");
    char line[64];
    std::fgets(line, sizeof line, stdin); // wait for the parent
    const auto rows = dbtest::query(programFolder + QStringLiteral("/dorvana.MDB"),
                                    QStringLiteral("SELECT group_concat(dc, '') FROM websoru"));
    return rows.value(0).value(0).toString() == QStringLiteral("ABCCA") ? 0 : 1;
}

// Child: another program with a write transaction open on the file and one
// row not yet committed; commits when the parent says so.
int transactionChild(const QString& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE,
                        HeaderVfs::name()) != SQLITE_OK ||
        sqlite3_exec(db, "BEGIN IMMEDIATE; INSERT INTO websoru (testadi) VALUES ('other')", nullptr,
                     nullptr, nullptr) != SQLITE_OK)
        return 2;
    tellParent("ready");
    char line[64];
    std::fgets(line, sizeof line, stdin);
    const int rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc == SQLITE_OK ? 0 : 1;
}

} // namespace

class tst_DatabaseFaults : public QObject {
    Q_OBJECT
private slots:
    void damagedFileIsRefusedUntouched_data();
    void damagedFileIsRefusedUntouched();
    void fileWithASecondNameIsRefusedUntouched();
    void logOfAnEarlierVersionIsFoldedIn();
    void secondProgramIsRefused();
    void openWriteTransactionOfAnotherProgram();
};

void tst_DatabaseFaults::damagedFileIsRefusedUntouched_data() {
    QTest::addColumn<QString>("damage");
    QTest::addColumn<qint64>("at");
    QTest::addColumn<QString>("beside"); // a journal or log of an earlier command left beside it
    const qint64 image = HeaderVfs::kHeaderSize;
    QTest::newRow("random bytes after the header") << "random" << image << "";
    QTest::newRow("random bytes after the first page") << "random" << image + 4096 << "";
    QTest::newRow("random bytes in the last pages") << "random-tail" << qint64(3 * 4096) << "";
    QTest::newRow("cut inside the second page") << "truncate" << image + 4096 + 100 << "";
    QTest::newRow("cut after the first pages") << "truncate" << image + 3 * 4096 << "";
    QTest::newRow("cut at the end of the header block") << "truncate" << image << "";
    QTest::newRow("cut inside the header block") << "truncate" << qint64(100) << "";
    QTest::newRow("header block only, a journal beside it") << "truncate" << image << "-journal";
    QTest::newRow("header block only, a log beside it") << "truncate" << image << "-wal";
    QTest::newRow("cut inside the first page, a journal beside it")
        << "truncate" << image + 2000 << "-journal";
    // SQL the program did not write, which would run on its saves; a file of a
    // later version, kept in WAL mode with its last save still in the log.
    QTest::newRow("a trigger on the results table")
        << "CREATE TRIGGER hep_dogru AFTER INSERT ON websonuc BEGIN "
           "UPDATE websonuc SET cevap = 'AAAAA' WHERE no = new.no; END"
        << qint64(0) << "";
    QTest::newRow("a view") << "CREATE VIEW anahtar AS SELECT * FROM websoru" << qint64(0) << "";
    QTest::newRow("a later version in WAL mode, its log beside it")
        << "PRAGMA user_version = 99" << qint64(0) << "-wal";
}

void tst_DatabaseFaults::damagedFileIsRefusedUntouched() {
    QFETCH(QString, damage);
    QFETCH(qint64, at);
    QFETCH(QString, beside);
    ProgramFolder folder;
    fillDatabase(folder.databasePath);
    const bool sql =
        damage.startsWith(QLatin1String("CREATE")) || damage.startsWith(QLatin1String("PRAGMA"));
    if (sql)
        QCOMPARE(dbtest::query(folder.databasePath, damage), QList<QVariantList>());
    if (!beside.isEmpty())
        QVERIFY(leaveUnfinishedCommand(folder.databasePath, beside));
    QFile file(folder.databasePath);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.size() > HeaderVfs::kHeaderSize + 4 * 4096);
    if (damage == QLatin1String("truncate")) {
        QVERIFY(file.resize(at));
    } else if (!sql) {
        const qint64 from = damage == QLatin1String("random") ? at : file.size() - at;
        QByteArray noise(file.size() - from, Qt::Uninitialized);
        QRandomGenerator generator(42);
        generator.fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
        file.seek(from);
        file.write(noise);
    }
    file.close();
    const QByteArray before = fileBytes(folder.databasePath);
    const auto snapshot = folderSnapshot(folder.path());
    QCOMPARE(snapshot.size(), beside.isEmpty() ? 1 : 2);

    Window w(folder.path());
    const QStringList texts = w.prompts.texts();
    QCOMPARE(texts.size(), 2);
    QVERIFY2(texts[0].startsWith(sql ? u"Bu veritabanı dosyası"_s
                                     : Database::damagedText(QString()).chopped(1)),
             qPrintable(texts[0]));
    QCOMPARE(w.prompts.shown[0].kind, Prompts::Kind::Error);
    QCOMPARE(texts[1], closedDataset("websoru"));
    // Later commands fail the same plain way and write nothing.
    w.edit("siksayl")->setText(QStringLiteral("4"));
    w.click("BitBtn7");
    w.prepareKeys(QStringLiteral("x"), 3, QString());
    QCOMPARE(w.prompts.texts().mid(2),
             (QStringList{closedDataset("webrenk"), closedDataset("websoru")}));
    w.window.reset();
    QCOMPARE(fileBytes(folder.databasePath), before);
    QCOMPARE(folderSnapshot(folder.path()), snapshot); // the journal or log as well
}

void tst_DatabaseFaults::fileWithASecondNameIsRefusedUntouched() {
    ProgramFolder folder;
    fillDatabase(folder.databasePath);
    const QString second = folder.dir.filePath(QStringLiteral("yedek.MDB"));
    std::error_code error;
    std::filesystem::create_hard_link(folder.databasePath.toStdString(), second.toStdString(),
                                      error);
    QVERIFY(!error);
    const auto snapshot = folderSnapshot(folder.path());

    Window w(folder.path());
    QCOMPARE(w.prompts.texts(),
             (QStringList{Database::otherNamesText() + u'.', closedDataset("websoru")}));
    w.window.reset();
    QCOMPARE(folderSnapshot(folder.path()), snapshot);

    // With one name again the file opens as before.
    QVERIFY(QFile::remove(second));
    Window again(folder.path());
    QVERIFY2(again.prompts.shown.isEmpty(), qPrintable(again.prompts.texts().join(u'|')));
    QCOMPARE(again.edit("siksayl")->text(), QStringLiteral("5"));
}

// A file of an earlier version, kept in WAL mode, with its last save still in
// the log: the start takes the save and leaves one file that holds it.
void tst_DatabaseFaults::logOfAnEarlierVersionIsFoldedIn() {
    ProgramFolder folder;
    fillDatabase(folder.databasePath);
    QVERIFY(leaveUnfinishedCommand(folder.databasePath, QStringLiteral("-wal")));
    {
        Window w(folder.path());
        QVERIFY2(w.prompts.shown.isEmpty(), qPrintable(w.prompts.texts().join(u'|')));
        QCOMPARE(w.edit("siksayl")->text(), QStringLiteral("2"));
    }
    QCOMPARE(folderSnapshot(folder.path()).keys(), QStringList{QStringLiteral("dorvana.MDB")});
    QCOMPARE(dbtest::query(folder.databasePath, QStringLiteral("PRAGMA journal_mode")),
             (QList<QVariantList>{{QStringLiteral("delete")}}));
}

void tst_DatabaseFaults::secondProgramIsRefused() {
    ProgramFolder folder;
    QProcess first;
    QByteArray said;
    QVERIFY(startChild(first, {QStringLiteral("--window-child"), folder.path()}, &said));
    QCOMPARE(said, QByteArray("Renk ve klasör bilgileri kaydedildi.|ready"));
    const auto rows = everyRow(folder.databasePath);
    QCOMPARE(rows.size(), 6);

    QElapsedTimer timer;
    timer.start();
    {
        Window second(folder.path());
        const qint64 elapsed = timer.elapsed();
        QCOMPARE(second.prompts.texts(), (QStringList{kInUse, closedDataset("websoru")}));
        QVERIFY2(elapsed < 5000, qPrintable(QString::number(elapsed)));
        // Its commands touch nothing of the first program's.
        second.click("BitBtn7");
        second.prepareKeys(QStringLiteral("ikinci"), 3, QString());
        second.click("sayfab");
    }
    QCOMPARE(everyRow(folder.databasePath), rows);

    first.write("done\n");
    first.closeWriteChannel();
    QVERIFY(first.waitForFinished(30000));
    QCOMPARE(first.exitStatus(), QProcess::NormalExit);
    QCOMPARE(first.exitCode(), 0); // the first program still sees its own key

    // With the first program gone, the file is free again.
    Window third(folder.path());
    QVERIFY2(third.prompts.shown.isEmpty(), qPrintable(third.prompts.texts().join(u'|')));
    QCOMPARE(third.edit("siksayl")->text(), QStringLiteral("3"));
}

void tst_DatabaseFaults::openWriteTransactionOfAnotherProgram() {
    ProgramFolder folder;
    fillDatabase(folder.databasePath);
    const auto rows = everyRow(folder.databasePath);
    QProcess other;
    QVERIFY(startChild(other, {QStringLiteral("--transaction-child"), folder.databasePath}));

    QElapsedTimer timer;
    timer.start();
    {
        // The start-up clearing cannot get the file: it says so, and the
        // first show stops there as after any failed step.
        Window w(folder.path());
        const qint64 elapsed = timer.elapsed();
        QCOMPARE(w.prompts.texts(),
                 QStringList{Database::inUseText() + QStringLiteral(" (database is locked)")});
        QVERIFY2(elapsed < 10000, qPrintable(QString::number(elapsed)));
    }
    QCOMPARE(everyRow(folder.databasePath), rows);

    // The other program's transaction was not disturbed: it commits its row.
    other.write("commit\n");
    other.closeWriteChannel();
    QVERIFY(other.waitForFinished(30000));
    QCOMPARE(other.exitCode(), 0);
    QCOMPARE(dbtest::count(folder.databasePath, QStringLiteral("websoru WHERE testadi = 'other'")),
             1);
    QCOMPARE(integrityCheck(folder.databasePath), kIntegrityOk);
}

int main(int argc, char* argv[]) {
    if (argc == 3 && qstrcmp(argv[1], "--window-child") == 0)
        return windowChild(argc, argv, QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && qstrcmp(argv[1], "--transaction-child") == 0)
        return transactionChild(QString::fromLocal8Bit(argv[2]));
    QApplication app(argc, argv);
    tst_DatabaseFaults test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_databasefaults.moc"
