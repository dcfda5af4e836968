#include "core/AppError.h"
#include "core/FileSet.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

class tst_FileSet : public QObject {
    Q_OBJECT
private slots:
    void writesNewAndReplacesExisting();
    void permissions_data();
    void permissions();
    void emptySet();
    void failureLeavesFolderAsItWas_data();
    void failureLeavesFolderAsItWas();
    void hostileRecordIsLeftAlone_data();
    void hostileRecordIsLeftAlone();
};

static QByteArray readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return f.readAll();
}

static void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

static QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

void tst_FileSet::writesNewAndReplacesExisting() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString a = dir.filePath(u"test01ind.htm"_s);
    const QString b = dir.filePath(u"test01sor.htm"_s);
    writeFile(a, QByteArray(5000, 'x')); // longer than the new contents: nothing of it may remain

    const QByteArray bytesA("<HTML>\r\n");
    const QByteArray bytesB("A\xE7\xFDklama\r\n");
    writeFileSet({{a, bytesA}, {b, bytesB}});

    QCOMPARE(readAll(a), bytesA);
    QCOMPARE(readAll(b), bytesB);
    QCOMPARE(entries(dir.path()), (QStringList{u"test01ind.htm"_s, u"test01sor.htm"_s}));

    // A second run replaces the files again; an empty file is a file too.
    writeFileSet({{a, QByteArray()}, {b, bytesA}});
    QCOMPARE(readAll(a), QByteArray());
    QCOMPARE(readAll(b), bytesA);
    QCOMPARE(entries(dir.path()).size(), 2);
}

void tst_FileSet::permissions_data() {
    QTest::addColumn<int>("mode");
    QTest::newRow("owner writes, group reads") << 0640;
    QTest::newRow("read-only for everyone") << 0444;
    QTest::newRow("owner only, executable") << 0700;
}

// A new file gets the permissions of any newly created file, not those of a
// private temporary; a replaced file keeps its own mode, and its owner where
// the program may set it (root here), though root could write it anyway.
void tst_FileSet::permissions() {
    QFETCH(int, mode);
    namespace fs = std::filesystem;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString reference = dir.filePath(u"reference"_s);
    writeFile(reference, "r");
    const QString fresh = dir.filePath(u"fresh.htm"_s);
    const QString kept = dir.filePath(u"kept.htm"_s);
    writeFile(kept, "old");
    fs::permissions(kept.toStdString(), fs::perms(mode));
    const bool root = ::geteuid() == 0;
    if (root)
        QCOMPARE(::chown(QFile::encodeName(kept).constData(), 1234, 5678), 0);

    writeFileSet({{fresh, "new"}, {kept, "new"}});
    QCOMPARE(QFile::permissions(fresh), QFile::permissions(reference));
    QCOMPARE(int(fs::status(kept.toStdString()).permissions()), mode);
    QCOMPARE(readAll(kept), QByteArray("new"));
    if (root) {
        QCOMPARE(QFileInfo(kept).ownerId(), 1234u);
        QCOMPARE(QFileInfo(kept).groupId(), 5678u);
    }
}

void tst_FileSet::emptySet() {
    writeFileSet({});
}

void tst_FileSet::failureLeavesFolderAsItWas_data() {
    QTest::addColumn<QString>("failing"); // relative to the test folder
    QTest::addColumn<bool>("makeDirectory");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("renameFails");  // its rename, after the others' (test hook)
    QTest::addColumn<QString>("newFolder"); // made by the set, relative to the test folder

    QTest::newRow("missing folder") << u"nowhere/test01son.htm"_s << false
                                    << u"No such file or directory"_s << false << QString();
    QTest::newRow("name taken by a folder")
        << u"test01son.htm"_s << true << u"Is a directory"_s << false << QString();
    // Rolled back: the replaced file renamed back, the created one removed.
    QTest::newRow("rename fails") << u"test01son.htm"_s << false << u"Device or resource busy"_s
                                  << true << QString();
    // The folder the set made goes with it.
    QTest::newRow("rename fails in a folder made by the set")
        << u"resim/alt/test01son.htm"_s << false << u"Device or resource busy"_s << true
        << u"resim/alt"_s;
    QTest::newRow("folder to make is a file")
        << u"resim/test01son.htm"_s << false << u"Not a folder."_s << false << u"resim"_s;
}

// The last file of the set cannot be created: the error names it with the
// system's reason, the earlier files stay byte for byte, a file of the set that
// did not exist is not created, and no temporary file is left behind.
void tst_FileSet::failureLeavesFolderAsItWas() {
    QFETCH(QString, failing);
    QFETCH(bool, makeDirectory);
    QFETCH(QString, reason);
    QFETCH(bool, renameFails);
    QFETCH(QString, newFolder);
    if (renameFails)
        fileset_testing::setStepHook([](fileset_testing::Step step, const QString& path) {
            return step == fileset_testing::Step::PutNew && path.endsWith(u"son.htm"_s) ? EBUSY : 0;
        });
    const auto noHook = qScopeGuard([] { fileset_testing::setStepHook(nullptr); });

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString a = dir.filePath(u"test01ind.htm"_s);
    const QString b = dir.filePath(u"test01sor.htm"_s);
    const QString bad = dir.filePath(failing);
    const QByteArray oldA("old frameset\r\n");
    writeFile(a, oldA);
    if (makeDirectory)
        QVERIFY(QDir().mkpath(bad));
    const bool folderTaken = reason == u"Not a folder."_s;
    if (folderTaken)
        writeFile(dir.filePath(newFolder), "a file");
    const QStringList before = entries(dir.path());

    try {
        writeFileSet({{a, "new"}, {b, "new"}, {bad, "new"}},
                     newFolder.isEmpty() ? QStringList() : QStringList{dir.filePath(newFolder)});
        QFAIL("no error");
    } catch (const AppError& e) {
        const QString named = folderTaken ? dir.filePath(newFolder) : bad;
        QCOMPARE(e.text(), u"Cannot create file \"%1\". %2"_s.arg(named, reason));
    }

    QCOMPARE(entries(dir.path()), before);
    QCOMPARE(readAll(a), oldA);
    QVERIFY(!QFile::exists(b));
    QCOMPARE(QFileInfo(bad).isDir(), makeDirectory);
    if (makeDirectory)
        QVERIFY(entries(bad).isEmpty());
    QVERIFY(!QFileInfo::exists(dir.filePath(u"nowhere"_s)) || makeDirectory);
    QVERIFY(!QFileInfo(dir.filePath(u"resim"_s)).isDir());
}

// Every file under `root` but this writer's own hidden names, with its bytes
// (a link: its target), read without following links or opening FIFOs.
static QMap<QString, QByteArray> outsideOwnNames(const QString& root) {
    static const QRegularExpression own(u"^\\..+\\.[0-9a-z]+\\.dorvana-(tmp|old|set)$"_s);
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo f(it.next());
        if (!own.match(f.fileName()).hasMatch())
            files.insert(QDir(root).relativeFilePath(f.filePath()),
                         f.isSymLink() ? "link " + f.symLinkTarget().toUtf8()
                         : f.isDir()   ? "folder"
                                       : readAll(f.filePath()));
    }
    return files;
}

void tst_FileSet::hostileRecordIsLeftAlone_data() {
    QTest::addColumn<QByteArray>("record"); // "@" stands for the folder beside the output folder
    QTest::addColumn<QString>(
        "kind"); // of the record: file, link (to a file of `record`), fifo, sparse
    QTest::addColumn<QString>("tempLink"); // a temporary's name made a link to a file outside
    QTest::addColumn<bool>("refused");
    const QByteArray undoVictim = " @/.victim.a1.dorvana-tmp @/.victim.a1.dorvana-old\nend\nundo\n";
    QTest::newRow("absolute path")
        << "dorvana-set 1\n@/victim" + undoVictim << u"file"_s << QString() << true;
    QByteArray dotDot = "dorvana-set 1\n@/victim" + undoVictim;
    dotDot.replace('@', "../outside");
    QTest::newRow("../ path") << dotDot << u"file"_s << QString() << true;
    QTest::newRow("foreign temporary")
        << QByteArray("dorvana-set 1\ntest01ind.htm notes.dorvana-tmp "
                      ".test01ind.htm.a1.dorvana-old\nend\n")
        << u"file"_s << QString() << true;
    // Said to be replaced, so never removed, whatever the record says of it.
    QTest::newRow("foreign final file")
        << QByteArray("dorvana-set 1\nnotes.txt .notes.txt.a1.dorvana-tmp "
                      ".notes.txt.a1.dorvana-old\nend\nundo\n")
        << u"file"_s << QString() << false;
    QTest::newRow("symbolic link named in the record")
        << QByteArray("dorvana-set 1\ntest01ind.htm .test01ind.htm.a1.dorvana-tmp "
                      ".test01ind.htm.a1.dorvana-old\nend\n")
        << u"file"_s << u".test01ind.htm.a1.dorvana-tmp"_s << true;
    QTest::newRow("symbolic link as the record")
        << QByteArray("dorvana-set 1\nnotes.txt .notes.txt.a1.dorvana-tmp "
                      ".notes.txt.a1.dorvana-old\nend\nundo\n")
        << u"link"_s << QString() << true;
    QTest::newRow("FIFO as the record") << QByteArray() << u"fifo"_s << QString() << true;
    QTest::newRow("100 GB sparse record")
        << QByteArray("dorvana-set 1\n") << u"sparse"_s << QString() << true;
}

// A record this writer did not make is left alone, and reported: nothing
// outside this writer's own names changes, byte for byte, at start-up
// recovery nor before a set is written into the folder; the record stays.
void tst_FileSet::hostileRecordIsLeftAlone() {
    QFETCH(QByteArray, record);
    QFETCH(QString, kind);
    QFETCH(QString, tempLink);
    QFETCH(bool, refused);
    for (const bool writing : {false, true}) {
        QTemporaryDir root;
        const QString out = root.filePath(u"out"_s), outside = root.filePath(u"outside"_s);
        QVERIFY(QDir().mkpath(out) && QDir().mkpath(outside));
        writeFile(outside + u"/victim"_s, "the teacher's file outside");
        writeFile(out + u"/notes.txt"_s, "notes");
        writeFile(out + u"/notes.dorvana-tmp"_s, "a file of another program");
        writeFileSet({{out + u"/test01ind.htm"_s, "set A"}, {out + u"/test01sor.htm"_s, "set A"}});
        if (!tempLink.isEmpty())
            QVERIFY(QFile::link(outside + u"/victim"_s, out + u'/' + tempLink));
        const QString recordPath = out + u"/.dorvana.h1.dorvana-set"_s;
        record.replace('@', outside.toUtf8());
        if (kind == u"link"_s) {
            writeFile(outside + u"/record"_s, record);
            QVERIFY(QFile::link(outside + u"/record"_s, recordPath));
        } else if (kind == u"fifo"_s) {
            QCOMPARE(::mkfifo(QFile::encodeName(recordPath).constData(), 0600), 0);
        } else {
            writeFile(recordPath, record);
            if (kind == u"sparse"_s)
                std::filesystem::resize_file(recordPath.toStdString(), 100ull << 30);
        }
        const auto before = outsideOwnNames(root.path());

        if (refused)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"left alone"_s));
        if (writing)
            writeFileSet(
                {{out + u"/test01ind.htm"_s, "set B"}, {out + u"/test01sor.htm"_s, "set B"}});
        else
            recoverFileSets(out);

        auto after = outsideOwnNames(root.path());
        if (writing) {
            QCOMPARE(readAll(out + u"/test01ind.htm"_s), QByteArray("set B"));
            after.insert(u"out/test01ind.htm"_s, "set A");
            after.insert(u"out/test01sor.htm"_s, "set A");
        }
        QCOMPARE(after, before);
        QCOMPARE(std::filesystem::exists(std::filesystem::symlink_status(recordPath.toStdString())),
                 refused);
    }
}

QTEST_APPLESS_MAIN(tst_FileSet)
#include "tst_fileset.moc"
