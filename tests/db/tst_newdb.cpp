// Creating a new database file, by function and by the dorvana-newdb program.

#include "DbTestSupport.h"
#include "core/AppError.h"
#include "db/JetHeader.h"
#include "db/Settings.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace dbtest;

class tst_NewDb : public QObject {
    Q_OBJECT
private slots:
    void createsTablesAndDefaultRecord();
    void refusesToOverwrite();
    void programReportsOnOneLine();
};

void tst_NewDb::createsTablesAndDefaultRecord() {
    QTemporaryDir dir;
    const QString path = newDatabase(dir);
    QVERIFY(isJetHeaderText(readHeaderBytes(path)));
    // Only the finished file is left in the folder.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("dorvana.MDB")});

    auto webtable = openTable(QStringLiteral("webtable"), QStringLiteral("webtablo"), path);
    QCOMPARE(webtable->recordCount(), 0);
    auto websoru = openTable(QStringLiteral("websoru"), QStringLiteral("websoru"), path);
    QCOMPARE(websoru->fieldNames(),
             (QStringList{QStringLiteral("testadi"), QStringLiteral("soruno"),
                          QStringLiteral("dosya"), QStringLiteral("dc")}));
    QCOMPARE(websoru->recordCount(), 0);
    auto webrenk = openTable(QStringLiteral("webrenk"), QStringLiteral("webrenk"), path);
    QCOMPARE(
        webrenk->fieldNames(),
        (QStringList{QStringLiteral("sorus"), QStringLiteral("cevaps"), QStringLiteral("sonucs"),
                     QStringLiteral("soruac"), QStringLiteral("ace"), QStringLiteral("bd"),
                     QStringLiteral("gezyer"), QStringLiteral("siksay"), QStringLiteral("teksayfa"),
                     QStringLiteral("sure"), QStringLiteral("yanlis"), QStringLiteral("dogrular"),
                     QStringLiteral("kitapcik")}));
    QCOMPARE(webrenk->recordCount(), 1);
    QCOMPARE(webrenk->fieldValue(QStringLiteral("gezyer")), QVariant(QString()));
    QCOMPARE(webrenk->fieldValue(QStringLiteral("siksay")), QVariant(qint32(4)));
}

void tst_NewDb::refusesToOverwrite() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dorvana.MDB"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("keep me");
    file.close();
    QVERIFY_THROWS_EXCEPTION(AppError, createDatabase(path));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("keep me"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    DB_EXPECT_ERROR(
        createDatabase(dir.filePath(QStringLiteral("yok/dorvana.MDB"))),
        QStringLiteral(u"\"%1\" klasörü bulunamadı").arg(dir.filePath(QStringLiteral("yok"))));
}

void tst_NewDb::programReportsOnOneLine() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dorvana.MDB"));
    QProcess program;
    program.start(QStringLiteral(DORVANA_NEWDB), {path});
    QVERIFY(program.waitForFinished());
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(isJetHeaderText(readHeaderBytes(path)));

    program.start(QStringLiteral(DORVANA_NEWDB), {path});
    QVERIFY(program.waitForFinished());
    QVERIFY(program.exitCode() != 0);
    const QByteArray error = program.readAllStandardError();
    QVERIFY2(QString::fromUtf8(error).contains(u"zaten var"), error.constData());
    QCOMPARE(error.count('\n'), 1);
    QVERIFY(error.endsWith('\n'));
}

QTEST_GUILESS_MAIN(tst_NewDb)
#include "tst_newdb.moc"
