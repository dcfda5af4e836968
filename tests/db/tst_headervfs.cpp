// The database file: the header block in front of the image, the start-up
// header check, refusal of files this program did not make, the connection
// and its transactions.

#include "DbTestSupport.h"
#include "core/AppError.h"
#include "db/Database.h"
#include "db/JetHeader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>
#include <unistd.h>

using namespace dbtest;
using namespace Qt::StringLiterals;

class tst_HeaderVfs : public QObject {
    Q_OBJECT
private slots:
    void newFileCarriesHeaderThenImage();
    void headerText_data();
    void headerText();
    void readHeaderBytesErrors();
    void filesOfOtherMakersRefused();
    void journalPassesThroughUnshifted();
    void transactionsCommitAlsoOnError();
    void busyDatabaseReportsInUse();
};

void tst_HeaderVfs::newFileCarriesHeaderThenImage() {
    QTemporaryDir dir;
    const QString path = newDatabase(dir);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QCOMPARE(bytes.left(19), QByteArray("\x00\x01\x00\x00Standard Jet DB", 19));
    QCOMPARE(bytes.mid(HeaderVfs::kMarkerOffset, HeaderVfs::kMarkerLength),
             QByteArray(HeaderVfs::kMarker));
    QCOMPARE(bytes.mid(int(HeaderVfs::kHeaderSize), 16), QByteArray("SQLite format 3\0", 16));
    QCOMPARE(bytes.size() % 4096, 0);

    // The start-up check passes it, and the image behind the block is sound.
    QVERIFY(isJetHeaderText(readHeaderBytes(path)));
    QCOMPARE(query(path, QStringLiteral("PRAGMA integrity_check")).value(0).value(0),
             QVariant(QStringLiteral("ok")));
}

void tst_HeaderVfs::headerText_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("passes");
    const QByteArray jet("\x00\x01\x00\x00Standard Jet DB", 19);
    QTest::newRow("genuine") << jet << true;
    QTest::newRow("empty file") << QByteArray() << false;
    QTest::newRow("engine name differs in one character")
        << QByteArray("\x00\x01\x00\x00Standard Jet DC", 19) << false;
    QTest::newRow("case differs") << QByteArray("\x00\x01\x00\x00Standard JET DB", 19) << false;
    QTest::newRow("cut short") << jet.left(17) << false;
    // Control bytes and blanks drop out wherever they stand.
    QTest::newRow("no lead bytes") << QByteArray("StandardJetDB") << true;
    QTest::newRow("tabs inside") << QByteArray("Standard\tJet\x1f"
                                               "DB")
                                 << true;
    QTest::newRow("byte above 127") << QByteArray("\xa0StandardJetDB") << false;
}

void tst_HeaderVfs::headerText() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, passes);
    QCOMPARE(isJetHeaderText(bytes), passes);

    // The same through a file: only the first 19 bytes count.
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("h.MDB")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.write(QByteArray(100, 'x'));
    file.close();
    const QByteArray read = readHeaderBytes(file.fileName());
    QCOMPARE(read.size(), qMin(19, int(bytes.size()) + 100));
    if (bytes.size() >= 19)
        QCOMPARE(isJetHeaderText(read), passes);
}

void tst_HeaderVfs::readHeaderBytesErrors() {
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("yok.MDB"));
    DB_EXPECT_ERROR(readHeaderBytes(missing), QStringLiteral("File not found"));
    QVERIFY(!QFile::exists(missing)); // the check never creates the file

    DB_EXPECT_ERROR(readHeaderBytes(dir.path()), QStringLiteral("File access denied"));

    QFile empty(dir.filePath(QStringLiteral("empty.MDB")));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
    QCOMPARE(readHeaderBytes(empty.fileName()), QByteArray());

    if (::geteuid() == 0)
        QSKIP("root may write any file: the read-only case cannot be shown");
    const QString path = newDatabase(dir, QStringLiteral("ro.MDB"));
    QFile::setPermissions(path, QFile::ReadOwner);
    DB_EXPECT_ERROR(readHeaderBytes(path), QStringLiteral("File access denied"));
}

void tst_HeaderVfs::filesOfOtherMakersRefused() {
    QTemporaryDir dir;
    // A file of the older engine: the same first bytes, no marker of ours.
    const QString old = dir.filePath(QStringLiteral("old.MDB"));
    {
        QFile file(old);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QByteArray bytes("\x00\x01\x00\x00Standard Jet DB\x00\x01\x00\x00", 23);
        bytes.append(QByteArray(8192 - bytes.size(), '\x5a'));
        file.write(bytes);
    }
    QVERIFY(isJetHeaderText(readHeaderBytes(old)));
    DB_EXPECT_ERROR(Database{old}, HeaderVfs::otherEngineText());
    QVERIFY(HeaderVfs::otherEngineText().contains(u"başka bir veri tabanı programıyla yapılmış"));

    // The VFS itself refuses it too, whoever opens it.
    sqlite3* raw = nullptr;
    QVERIFY(sqlite3_open_v2(QFile::encodeName(old).constData(), &raw, SQLITE_OPEN_READWRITE,
                            HeaderVfs::name()) != SQLITE_OK);
    sqlite3_close(raw);

    // A plain SQLite file and an empty file are not ours either.
    const QString plain = dir.filePath(QStringLiteral("plain.db"));
    QVERIFY(sqlite3_open(QFile::encodeName(plain).constData(), &raw) == SQLITE_OK);
    sqlite3_exec(raw, "CREATE TABLE t(x)", nullptr, nullptr, nullptr);
    sqlite3_close(raw);
    DB_EXPECT_ERROR(Database{plain}, HeaderVfs::foreignFileText());
    const QString empty = dir.filePath(QStringLiteral("empty.MDB"));
    QFile(empty).open(QIODevice::WriteOnly);
    DB_EXPECT_ERROR(Database{empty}, HeaderVfs::foreignFileText());
    QCOMPARE(QFileInfo(empty).size(), 0); // left as it was

    // The file's bytes are untouched by the refusals.
    QFile file(old);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().right(10), QByteArray(10, '\x5a'));
}

// The journal is a file of the engine's own, written without a header block;
// once a command has committed, the database file alone holds everything.
void tst_HeaderVfs::journalPassesThroughUnshifted() {
    QTemporaryDir dir;
    const QString path = newDatabase(dir);
    Database db(path);
    {
        Transaction transaction(db);
        db.exec(QStringLiteral("INSERT INTO websoru (testadi) VALUES ('a')"));
        QFile journal(path + QStringLiteral("-journal"));
        QVERIFY(journal.open(QIODevice::ReadOnly));
        // Its header names the page size at byte 24: not shifted by a block.
        const QByteArray header = journal.read(28);
        const qint64 pageSize =
            query(path, QStringLiteral("PRAGMA page_size")).value(0).value(0).toLongLong();
        QCOMPARE(header.mid(24),
                 QByteArray::fromHex(QByteArray::number(pageSize, 16).rightJustified(8, '0')));
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"dorvana.MDB"_s});
    // Another connection reads the committed row through the shifted file.
    QCOMPARE(count(path, QStringLiteral("websoru")), 1);
}

void tst_HeaderVfs::transactionsCommitAlsoOnError() {
    QTemporaryDir dir;
    const QString path = newDatabase(dir);
    Database db(path);
    try {
        Transaction outer(db);
        db.exec(QStringLiteral("INSERT INTO websoru (soruno) VALUES (1)"));
        {
            Transaction inner(db); // joins: its end commits nothing yet
            db.exec(QStringLiteral("INSERT INTO websoru (soruno) VALUES (2)"));
            inner.commit();
        }
        QCOMPARE(count(path, QStringLiteral("websoru")), 0);
        db.exec(QStringLiteral("INSERT INTO nosuchtable VALUES (3)"));
        QFAIL("the bad statement did not throw");
    } catch (const AppError& error) {
        QCOMPARE(error.text(), QStringLiteral("no such table: nosuchtable"));
    }
    // What the command did before the error stays.
    QCOMPARE(count(path, QStringLiteral("websoru")), 2);
    QVERIFY(!db.inTransaction());
}

void tst_HeaderVfs::busyDatabaseReportsInUse() {
    QTemporaryDir dir;
    const QString path = newDatabase(dir);
    sqlite3* other = nullptr;
    QCOMPARE(sqlite3_open_v2(QFile::encodeName(path).constData(), &other, SQLITE_OPEN_READWRITE,
                             HeaderVfs::name()),
             SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);

    Database db(path);
    db.setBusyTimeout(200);
    QString text;
    try {
        db.exec(QStringLiteral("INSERT INTO websoru (soruno) VALUES (1)"));
    } catch (const AppError& error) {
        text = error.text();
    }
    QVERIFY2(text.startsWith(Database::inUseText()), qPrintable(text));
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    db.exec(QStringLiteral("INSERT INTO websoru (soruno) VALUES (1)"));
}

QTEST_GUILESS_MAIN(tst_HeaderVfs)
#include "tst_headervfs.moc"
