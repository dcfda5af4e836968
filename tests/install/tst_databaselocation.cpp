#include "core/AppError.h"
#include "db/Database.h"
#include "db/DatabaseLocation.h"
#include "db/JetHeader.h"
#include "db/NewDatabase.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <thread>

#include <sys/stat.h>
#include <vector>

using namespace Qt::StringLiterals;

// The database of an installed program in the user's data folder. Starting
// the installed program from a read-only folder is tests/install/tst_install.
class tst_DatabaseLocation : public QObject {
    Q_OBJECT
private slots:
    void madeInDataFolder_data();
    void madeInDataFolder();
    void existingFileNeverWrittenOver();
    void programsStartingTogetherShareOneFile();
    void dataFolderThatCannotBeMade();
    void writableOrMissingProgramFolderKeepsStartUp_data();
    void writableOrMissingProgramFolderKeepsStartUp();
};

namespace {

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

} // namespace

void tst_DatabaseLocation::madeInDataFolder_data() {
    QTest::addColumn<QString>("dataFolder"); // below the temporary folder

    QTest::newRow("folder and file exist, open to all") << QString();
    QTest::newRow("folder and its parents made") << u"share/dorvana"_s;
    QTest::newRow("Turkish letters and blanks") << u"Belgeler ve Ayarlar/öğretmen ışık"_s;
}

// Whoever made them and whatever the umask, the folder and the file holding
// the answer keys are their owner's alone once the program has opened them.
void tst_DatabaseLocation::madeInDataFolder() {
    namespace fs = std::filesystem;
    QFETCH(QString, dataFolder);
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString folder = temp.path() + (dataFolder.isEmpty() ? QString() : u'/' + dataFolder);
    const mode_t umask = ::umask(022);
    if (dataFolder.isEmpty()) {
        createDatabase(folder + u"/dorvana.MDB"_s);
        fs::permissions(folder.toStdString(), fs::perms(0755));
        fs::permissions((folder + u"/dorvana.MDB"_s).toStdString(), fs::perms(0644));
    }

    const QString path = databaseInDataFolder(folder, u"dorvana.MDB"_s);
    QCOMPARE(path, folder + u"/dorvana.MDB"_s);
    QVERIFY(isJetHeaderText(readHeaderBytes(path)));
    QCOMPARE(entries(folder), QStringList{u"dorvana.MDB"_s});
    { const Database opened(path); }
    ::umask(umask);
    QCOMPARE(int(fs::status(folder.toStdString()).permissions()), 0700);
    QCOMPARE(int(fs::status(path.toStdString()).permissions()), 0600);
    // The second start finds it.
    QCOMPARE(databaseInDataFolder(folder, u"dorvana.MDB"_s), path);
}

void tst_DatabaseLocation::existingFileNeverWrittenOver() {
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString path = temp.filePath(u"dorvana.MDB"_s);
    const QByteArray own("the teacher's own file, not a database");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(own);
    }
    QCOMPARE(databaseInDataFolder(temp.path(), u"dorvana.MDB"_s), path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), own);

    // A link whose target is gone is a name taken as well.
    const QString linked = temp.filePath(u"linked.MDB"_s);
    QVERIFY(QFile::link(temp.filePath(u"gone"_s), linked));
    QCOMPARE(databaseInDataFolder(temp.path(), u"linked.MDB"_s), linked);
    QVERIFY(!QFile::exists(temp.filePath(u"gone"_s)));
}

// Several copies of the program started at once on a new account: each gets
// the same file, one of them made it, none wrote over another's.
void tst_DatabaseLocation::programsStartingTogetherShareOneFile() {
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString folder = temp.filePath(u"dorvana"_s);
    constexpr int kPrograms = 6;
    std::vector<QString> paths(kPrograms);
    std::vector<QString> errors(kPrograms);
    std::vector<std::thread> programs;
    for (int i = 0; i < kPrograms; ++i)
        programs.emplace_back([&, i] {
            try {
                paths[i] = databaseInDataFolder(folder, u"dorvana.MDB"_s);
            } catch (const AppError& error) {
                errors[i] = error.text();
            }
        });
    for (std::thread& program : programs)
        program.join();
    for (int i = 0; i < kPrograms; ++i) {
        QCOMPARE(errors[i], QString());
        QCOMPARE(paths[i], folder + u"/dorvana.MDB"_s);
    }
    QVERIFY(isJetHeaderText(readHeaderBytes(paths[0])));
    QCOMPARE(entries(folder), QStringList{u"dorvana.MDB"_s});
}

void tst_DatabaseLocation::dataFolderThatCannotBeMade() {
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    // A file stands where a folder of the path should be.
    QFile blocker(temp.filePath(u"share"_s));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString folder = temp.filePath(u"share/dorvana"_s);
    try {
        databaseInDataFolder(folder, u"dorvana.MDB"_s);
        QFAIL("no error");
    } catch (const AppError& error) {
        QCOMPARE(error.text(), u"Kullanıcının veri klasörü \"%1\" oluşturulamadı."_s.arg(
                                   QDir::toNativeSeparators(folder)));
    }
}

void tst_DatabaseLocation::writableOrMissingProgramFolderKeepsStartUp_data() {
    QTest::addColumn<QString>("programFolder"); // below the temporary folder

    QTest::newRow("writable folder, no database beside") << u"bin"_s;
    QTest::newRow("folder that does not exist") << u"gone"_s;
}

void tst_DatabaseLocation::writableOrMissingProgramFolderKeepsStartUp() {
    QFETCH(QString, programFolder);
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    QVERIFY(QDir(temp.path()).mkdir(u"bin"_s));
    qputenv("XDG_DATA_HOME", QFile::encodeName(temp.filePath(u"data"_s)));

    QCOMPARE(perUserDatabase(temp.filePath(programFolder), u"dorvana.MDB"_s), std::nullopt);
    QVERIFY(!QFileInfo::exists(temp.filePath(u"data"_s)));
}

QTEST_GUILESS_MAIN(tst_DatabaseLocation)
#include "tst_databaselocation.moc"
