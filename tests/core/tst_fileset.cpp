#include "core/AppError.h"
#include "core/FileSet.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
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

    QTest::newRow("missing folder")
        << u"nowhere/test01son.htm"_s << false << u"No such file or directory"_s;
    QTest::newRow("name taken by a folder") << u"test01son.htm"_s << true << u"Is a directory"_s;
}

// The last file of the set cannot be created: the error names it with the
// system's reason, the earlier files stay byte for byte, a file of the set that
// did not exist is not created, and no temporary file is left behind.
void tst_FileSet::failureLeavesFolderAsItWas() {
    QFETCH(QString, failing);
    QFETCH(bool, makeDirectory);
    QFETCH(QString, reason);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString a = dir.filePath(u"test01ind.htm"_s);
    const QString b = dir.filePath(u"test01sor.htm"_s);
    const QString bad = dir.filePath(failing);
    const QByteArray oldA("old frameset\r\n");
    writeFile(a, oldA);
    if (makeDirectory)
        QVERIFY(QDir().mkpath(bad));
    const QStringList before = entries(dir.path());

    try {
        writeFileSet({{a, "new"}, {b, "new"}, {bad, "new"}});
        QFAIL("no error");
    } catch (const AppError& e) {
        QCOMPARE(e.text(), u"Cannot create file \"%1\". %2"_s.arg(bad, reason));
    }

    QCOMPARE(entries(dir.path()), before);
    QCOMPARE(readAll(a), oldA);
    QVERIFY(!QFile::exists(b));
    QCOMPARE(QFileInfo(bad).isDir(), makeDirectory);
    if (makeDirectory)
        QVERIFY(entries(bad).isEmpty());
    QVERIFY(!QFileInfo::exists(dir.filePath(u"nowhere"_s)) || makeDirectory);
}

QTEST_APPLESS_MAIN(tst_FileSet)
#include "tst_fileset.moc"
