// The installed program: `cmake --install` into a temporary DESTDIR, the
// installed files and both validators, and the installed program started
// from a read-only program folder. The read-only folder is a read-only bind
// mount in a private mount namespace of this test (tests run as root, for
// whom a folder without write permission is still writable); without the
// namespace those cases are skipped and say why.

#include "db/JetHeader.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cerrno>
#include <cstring>
#include <optional>
#include <sched.h>
#include <sys/mount.h>

using namespace Qt::StringLiterals;

namespace {

QString g_namespaceProblem; // why no private mount namespace could be had; empty when it was

void enterPrivateMountNamespace() {
    if (::unshare(CLONE_NEWNS) != 0)
        g_namespaceProblem =
            u"unshare(CLONE_NEWNS): "_s + QString::fromLocal8Bit(std::strerror(errno));
    else if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        g_namespaceProblem = u"mount private /: "_s + QString::fromLocal8Bit(std::strerror(errno));
}

// The folder made read-only for as long as this lives.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& folder) : m_path(QFile::encodeName(folder)) {
        m_ok = ::mount(m_path.constData(), m_path.constData(), nullptr, MS_BIND, nullptr) == 0;
        if (m_ok && ::mount(nullptr, m_path.constData(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY,
                            nullptr) != 0) {
            m_problem = QString::fromLocal8Bit(std::strerror(errno));
            ::umount2(m_path.constData(), MNT_DETACH);
            m_ok = false;
        } else if (!m_ok) {
            m_problem = QString::fromLocal8Bit(std::strerror(errno));
        }
    }
    ~ReadOnlyFolder() {
        if (m_ok)
            ::umount2(m_path.constData(), MNT_DETACH);
    }
    bool ok() const { return m_ok; }
    QString problem() const { return m_problem; }

private:
    QByteArray m_path;
    bool m_ok = false;
    QString m_problem;
};

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Finished {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    QByteArray said() const { return out + err; }
};

Finished run(const QString& program, const QStringList& arguments,
             const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Finished result;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        result.err = "did not finish: " + process.errorString().toUtf8();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

const QString kAppId = u"org.dorvana.Dorvana"_s;

} // namespace

class tst_Install : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void installedFiles_data();
    void installedFiles();
    void desktopEntryIsValid();
    void metainfoIsValid();
    void manualPages();
    void installedProgramStarts_data();
    void installedProgramStarts();

private:
    QTemporaryDir m_destdir;
    QString m_usr;
};

void tst_Install::initTestCase() {
    QVERIFY(m_destdir.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"DESTDIR"_s, m_destdir.path());
    const Finished installed = run(
        QStringLiteral(DORVANA_CMAKE),
        {u"--install"_s, QStringLiteral(DORVANA_BUILD_DIR), u"--prefix"_s, u"/usr"_s}, environment);
    QVERIFY2(installed.exitCode == 0, installed.said().constData());
    m_usr = m_destdir.path() + u"/usr"_s;
}

void tst_Install::installedFiles_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("executable");

    QTest::newRow("program") << u"bin/dorvana"_s << true;
    QTest::newRow("database maker") << u"bin/dorvana-newdb"_s << true;
    QTest::newRow("menu entry") << u"share/applications/"_s + kAppId + u".desktop"_s << false;
    QTest::newRow("metainfo") << u"share/metainfo/"_s + kAppId + u".metainfo.xml"_s << false;
    QTest::newRow("scalable icon")
        << u"share/icons/hicolor/scalable/apps/"_s + kAppId + u".svg"_s << false;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("share/icons/hicolor/%1x%1/apps/").arg(size);
        QTest::addRow("icon %d", size) << folder + kAppId + u".png"_s << false;
    }
    for (const char* name : {"ilk", "geri", "ileri", "son"})
        QTest::addRow("navigation %s", name)
            << u"share/dorvana/navigation/"_s + QLatin1StringView(name) + u".gif"_s << false;
    QTest::newRow("manual page, program") << u"share/man/man1/dorvana.1.gz"_s << false;
    QTest::newRow("manual page, database maker") << u"share/man/man1/dorvana-newdb.1.gz"_s << false;
    QTest::newRow("copyright") << u"share/doc/dorvana/copyright"_s << false;
    QTest::newRow("changelog") << u"share/doc/dorvana/changelog.gz"_s << false;
}

void tst_Install::installedFiles() {
    QFETCH(QString, path);
    QFETCH(bool, executable);
    const QFileInfo file(m_usr + u'/' + path);
    QVERIFY2(file.isFile(), qPrintable(file.filePath()));
    QVERIFY(file.size() > 0);
    QCOMPARE(file.isExecutable(), executable);
    QVERIFY(file.permissions().testFlag(QFileDevice::ReadOther));
    if (path.endsWith(u".png"_s)) {
        const int size = path.section(u'/', 3, 3).section(u'x', 0, 0).toInt();
        const QByteArray bytes = fileBytes(file.filePath());
        QVERIFY(bytes.startsWith("\x89PNG"));
        // Width and height of the PNG header, big-endian at bytes 16 and 20.
        QCOMPARE(qFromBigEndian<quint32>(bytes.constData() + 16), quint32(size));
        QCOMPARE(qFromBigEndian<quint32>(bytes.constData() + 20), quint32(size));
    }
    if (path.endsWith(u".gz"_s))
        QVERIFY(fileBytes(file.filePath()).startsWith("\x1f\x8b"));
}

void tst_Install::desktopEntryIsValid() {
    const QString entry = m_usr + u"/share/applications/"_s + kAppId + u".desktop"_s;
    const Finished checked = run(u"desktop-file-validate"_s, {entry});
    QVERIFY2(checked.exitCode == 0 && checked.out.isEmpty(), checked.said().constData());
    const QString text = QString::fromUtf8(fileBytes(entry));
    for (const QString& line : {u"Exec=dorvana"_s, u"Icon="_s + kAppId, u"Categories=Education;"_s,
                                u"Name[tr]=Dorvana"_s, u"Comment[tr]=Tarayıcıda çözülen"_s})
        QVERIFY2(text.contains(u'\n' + line), qPrintable(line));
}

void tst_Install::metainfoIsValid() {
    const Finished checked =
        run(u"appstreamcli"_s, {u"validate"_s, u"--no-net"_s,
                                m_usr + u"/share/metainfo/"_s + kAppId + u".metainfo.xml"_s});
    QVERIFY2(checked.exitCode == 0, checked.said().constData());
    QVERIFY2(!checked.out.contains("W:") && !checked.out.contains("E:"), checked.out.constData());
}

void tst_Install::manualPages() {
    for (const QString& page : {u"dorvana"_s, u"dorvana-newdb"_s}) {
        const Finished shown = run(u"man"_s, {u"--warnings"_s, u"-E"_s, u"UTF-8"_s, u"-l"_s,
                                              m_usr + u"/share/man/man1/"_s + page + u".1.gz"_s});
        QVERIFY2(shown.exitCode == 0 && shown.err.isEmpty(), shown.err.constData());
        QVERIFY(shown.out.contains(page.toUpper().toUtf8()));
    }
}

void tst_Install::installedProgramStarts_data() {
    QTest::addColumn<bool>("readOnlyProgramFolder");
    QTest::addColumn<QByteArray>("earlierFile"); // in the data folder before the start; empty: none
    QTest::addColumn<QString>("seen");           // how the first thing the probe reports begins
    QTest::addColumn<bool>("databaseMade");

    QTest::newRow("installed, first start: database made, window shown")
        << true << QByteArray() << u"window|Tanaekr|Dorvana"_s << true;
    QTest::newRow("installed, a file already there is never written over")
        << true << QByteArray("not a database, the user's own bytes")
        << u"message|QMessageBox|Information|Invalid Access Database"_s << false;
    QTest::newRow("writable program folder: start-up as before, the file-open dialog")
        << false << QByteArray() << u"dialog|QFileDialog|"_s << false;
}

void tst_Install::installedProgramStarts() {
    QFETCH(bool, readOnlyProgramFolder);
    QFETCH(QByteArray, earlierFile);
    QFETCH(QString, seen);
    QFETCH(bool, databaseMade);

    if (readOnlyProgramFolder && !g_namespaceProblem.isEmpty())
        QSKIP(qPrintable(u"no private mount namespace: "_s + g_namespaceProblem));

    // The program folder is a copy, so that the read-only mount covers nothing else.
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString programFolder = temp.path() + u"/bin"_s;
    QVERIFY(QDir().mkpath(programFolder));
    QVERIFY(QFile::copy(m_usr + u"/bin/dorvana"_s, programFolder + u"/dorvana"_s));
    const QString dataHome = temp.path() + u"/data"_s;
    QVERIFY(QDir().mkpath(dataHome));
    const QString database = dataHome + u"/dorvana/dorvana.MDB"_s;
    if (!earlierFile.isEmpty()) {
        QVERIFY(QDir().mkpath(dataHome + u"/dorvana"_s));
        QFile file(database);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(earlierFile);
    }

    std::optional<ReadOnlyFolder> readOnly;
    if (readOnlyProgramFolder) {
        readOnly.emplace(programFolder);
        if (!readOnly->ok())
            QSKIP(qPrintable(u"read-only bind mount: "_s + readOnly->problem()));
        QVERIFY(!QFileInfo(programFolder).isWritable());
    }

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    environment.insert(u"QT_PLUGIN_PATH"_s, QStringLiteral(DORVANA_PROBE_DIR));
    environment.insert(u"QT_QPA_GENERIC_PLUGINS"_s, u"dorvanastartprobe"_s);
    environment.insert(u"XDG_DATA_HOME"_s, dataHome);
    environment.insert(u"HOME"_s, temp.path());
    const Finished started = run(programFolder + u"/dorvana"_s, {}, environment);
    QVERIFY2(started.exitCode == 0, started.said().constData());
    const QString first = QString::fromUtf8(started.out).section(u'\n', 0, 0);
    QVERIFY2(first.startsWith(seen), qPrintable(first));

    const QFileInfo made(database);
    if (databaseMade) {
        QVERIFY2(made.isFile(), qPrintable(database));
        QVERIFY(isJetHeaderText(readHeaderBytes(database)));
        // Nothing left over from making it (the open program's log files aside).
        const QStringList left = QDir(made.absolutePath()).entryList(QDir::Files | QDir::Hidden);
        for (const QString& name : left)
            QVERIFY2(name.startsWith(u"dorvana.MDB"_s), qPrintable(name));
    } else if (!earlierFile.isEmpty()) {
        QCOMPARE(fileBytes(database), earlierFile);
    } else {
        QVERIFY(QDir(dataHome).isEmpty());
    }
    QVERIFY(!QFileInfo::exists(programFolder + u"/dorvana.MDB"_s));
}

int main(int argc, char* argv[]) {
    enterPrivateMountNamespace(); // before any thread starts
    QCoreApplication app(argc, argv);
    tst_Install test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_install.moc"
