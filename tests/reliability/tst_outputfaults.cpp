// The generation run against an output folder that refuses it (read-only,
// a file that cannot be replaced, a full disk) and against hostile field
// texts. A refused run shows its message, leaves no temporary file and leaves
// the earlier page set byte for byte; hostile texts give pages that keep the
// output rules.
//
// Tests run as root, for whom permission bits stop nothing, so the folders
// are made to refuse for real: the program runs in a private mount namespace
// of its own, where read-only bind mounts and a tiny tmpfs harm no one else.

#include "ReliabilitySupport.h"

#include "core/Platform.h"

#include <QApplication>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <algorithm>
#include <filesystem>
#include <sched.h>
#include <sys/mount.h>

using namespace reliability;

namespace {

QString g_namespaceProblem; // why no private mount namespace could be had; empty when it was

void enterPrivateMountNamespace() {
    if (::unshare(CLONE_NEWNS) != 0)
        g_namespaceProblem = QStringLiteral("unshare(CLONE_NEWNS): ") +
                             platform::systemErrorText(platform::lastSystemError());
    else if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        g_namespaceProblem = QStringLiteral("mount private /: ") +
                             platform::systemErrorText(platform::lastSystemError());
}

bool mountCall(const QString& source, const QString& target, const char* type, unsigned long flags,
               const char* options = nullptr) {
    const QByteArray from = QFile::encodeName(source);
    if (::mount(source.isEmpty() ? nullptr : from.constData(),
                QFile::encodeName(target).constData(), type, flags, options) == 0)
        return true;
    qWarning("mount %s: %s", qPrintable(target),
             qPrintable(platform::systemErrorText(platform::lastSystemError())));
    return false;
}

// Unmounts when the test ends, so that the temporary folders can go.
struct Mounted {
    QString target;
    ~Mounted() {
        if (!target.isEmpty())
            ::umount2(QFile::encodeName(target).constData(), MNT_DETACH);
    }
};

const QString kStem = QStringLiteral("test01");
const QStringList kSuffixes = {QStringLiteral("ind.htm"), QStringLiteral("sor.htm"),
                               QStringLiteral("cev.htm"), QStringLiteral("son.htm"),
                               QStringLiteral("xml.xml")};

// A window whose output folder holds an earlier page set of three questions.
struct Run {
    ProgramFolder program;
    QString out;
    Window w{program.path()};

    explicit Run(const QString& outputFolder) : out(outputFolder) {
        w.edit("klasor")->setText(out);
        w.edit("siksayl")->setText(QStringLiteral("5"));
        // The classic set only, its navigation images kept elsewhere.
        w.window->findChild<QCheckBox*>(QStringLiteral("teksayfa"))->setChecked(false);
        w.edit("gezyerl")->setText(QStringLiteral("../resim/"));
    }
    QString closingMessage() const {
        return QStringLiteral(u"Sayfalar oluşturuldu. Lütfen ") + kStem +
               QStringLiteral(u"ind.htm dosyasını çalıştırınız.");
    }
    bool generate(const QString& testName, int count, const QString& letters) {
        w.prompts.shown.clear();
        w.prepareKeys(testName, count, letters);
        w.click("sayfab");
        return w.prompts.texts() == QStringList{closingMessage()};
    }
    QString path(const QString& suffix) const { return out + u'/' + kStem + suffix; }
};

// Checks the failed second run: one error box naming the file and the
// system's reason, and the folder exactly as before.
void expectRefused(Run& run, const QMap<QString, QByteArray>& before, const QString& file,
                   const QString& reason) {
    QVERIFY(!run.generate(QStringLiteral("ikinci"), 4, QStringLiteral("ABCD")));
    QCOMPARE(run.w.prompts.shown.size(), 1);
    QCOMPARE(run.w.prompts.shown[0].kind, Prompts::Kind::Error);
    QCOMPARE(run.w.prompts.shown[0].text,
             QStringLiteral("Cannot create file \"%1\". %2.").arg(file, reason));
    const auto after = folderSnapshot(run.out);
    QCOMPARE(after.keys(), before.keys()); // hidden files included: no temporary left
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        QVERIFY2(after.value(it.key()) == it.value(),
                 qPrintable(it.key() + QStringLiteral(" changed")));
}

// Every line ends in CR LF, and no line holds another line break.
bool linesEndInCrLf(const QByteArray& bytes) {
    if (!bytes.endsWith("\r\n"))
        return false;
    const QList<QByteArray> lines = bytes.chopped(2).split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        if (i + 1 < lines.size() && !line.endsWith('\r'))
            return false;
        if (line.left(line.size() - (i + 1 < lines.size() ? 1 : 0)).contains('\r'))
            return false;
    }
    return true;
}

} // namespace

class tst_OutputFaults : public QObject {
    Q_OBJECT
private slots:
    void init();
    void readOnlyFolder();
    void fileThatCannotBeReplaced();
    void fullDisk();
    void readOnlyPageFileKeepsItsMode();
    void hostileFieldTexts();
    void hostileStem_data();
    void hostileStem();
    void privateFilesStayOutOfThePage();
};

void tst_OutputFaults::init() {
    const QByteArray test = QTest::currentTestFunction();
    if (test != "hostileFieldTexts" && !test.startsWith("hostileStem") &&
        test != "privateFilesStayOutOfThePage")
        QVERIFY2(g_namespaceProblem.isEmpty(),
                 qPrintable(QStringLiteral("no private mount namespace, run as root: ") +
                            g_namespaceProblem));
}

void tst_OutputFaults::readOnlyFolder() {
    QTemporaryDir dir;
    Run run(dir.path());
    QVERIFY(run.generate(QStringLiteral("ilk"), 3, QStringLiteral("ABC")));
    const auto before = folderSnapshot(run.out);
    QCOMPARE(before.size(), 5);

    Mounted guard;
    QVERIFY(mountCall(run.out, run.out, nullptr, MS_BIND));
    guard.target = run.out;
    QVERIFY(mountCall(QString(), run.out, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY));
    expectRefused(run, before, run.path(QStringLiteral("ind.htm")),
                  QStringLiteral("Read-only file system"));
}

void tst_OutputFaults::fileThatCannotBeReplaced() {
    QTemporaryDir dir;
    Run run(dir.path());
    QVERIFY(run.generate(QStringLiteral("ilk"), 3, QStringLiteral("ABC")));
    const auto before = folderSnapshot(run.out);

    // The fourth file of the set is a mount point: it cannot be renamed over,
    // so the three files replaced before it must be put back.
    const QString stuck = run.path(QStringLiteral("son.htm"));
    Mounted guard;
    QVERIFY(mountCall(stuck, stuck, nullptr, MS_BIND));
    guard.target = stuck;
    expectRefused(run, before, stuck, QStringLiteral("Device or resource busy"));
}

void tst_OutputFaults::fullDisk() {
    QTemporaryDir dir;
    Mounted guard;
    QVERIFY(mountCall(QStringLiteral("tmpfs"), dir.path(), "tmpfs", 0, "size=64k"));
    guard.target = dir.path();
    Run run(dir.path());
    QVERIFY(run.generate(QStringLiteral("ilk"), 3, QStringLiteral("ABC")));

    // Fill what is left of the disk.
    QFile filler(dir.filePath(QStringLiteral("filler")));
    QVERIFY(filler.open(QIODevice::WriteOnly));
    const QByteArray block(1024, 'f');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
    filler.close();
    const auto before = folderSnapshot(run.out);
    expectRefused(run, before, run.path(QStringLiteral("ind.htm")),
                  QStringLiteral("No space left on device"));

    // With room again the same run writes the new set.
    QVERIFY(QFile::remove(filler.fileName()));
    QVERIFY2(run.generate(QStringLiteral("ikinci"), 4, QStringLiteral("ABCD")),
             qPrintable(run.w.prompts.texts().join(u'|')));
    QVERIFY(fileBytes(run.path(QStringLiteral("sor.htm"))).contains("ikinci"));
    QCOMPARE(folderSnapshot(run.out).size(), 5);
}

// A page the teacher made read-only is replaced, and stays read-only.
void tst_OutputFaults::readOnlyPageFileKeepsItsMode() {
    namespace fs = std::filesystem;
    QTemporaryDir dir;
    Run run(dir.path());
    QVERIFY(run.generate(QStringLiteral("ilk"), 3, QStringLiteral("ABC")));
    const std::string page = run.path(QStringLiteral("sor.htm")).toStdString();
    fs::permissions(page, fs::perms(0444));
    QVERIFY2(run.generate(QStringLiteral("ikinci"), 4, QStringLiteral("ABCD")),
             qPrintable(run.w.prompts.texts().join(u'|')));
    QVERIFY(fileBytes(run.path(QStringLiteral("sor.htm"))).contains("ikinci"));
    QCOMPARE(int(fs::status(page).permissions()), 0444);
    QCOMPARE(folderSnapshot(run.out).size(), 5);
}

void tst_OutputFaults::hostileFieldTexts() {
    // Markup, quotes, control characters, a tab, line breaks, Turkish letters,
    // the euro, and characters Windows-1254 cannot hold (a check mark, Chinese,
    // an emoji outside the basic plane, a lone C1 control).
    const QString piece = QStringLiteral(
        u"<script>alert('x\"y')</script>&amp;&#65; \t\x01\x1f\x7f şİĞ€ ✓中😀\u0081 ]]> \r\n ");
    QString text;
    while (text.size() < 100000)
        text += piece;
    text.truncate(100000);

    QTemporaryDir dir;
    Run run(dir.path());
    for (const char* name :
         {"testadl", "sorusrenk", "sacikl", "gezyerl", "cevapzrl", "acer", "ber", "sonuczrl"})
        run.w.edit(name)->setText(text);
    run.w.window->findChild<QPlainTextEdit*>(QStringLiteral("soruac"))
        ->setPlainText(text + QStringLiteral("\nikinci satır\r\n\nson") + text);
    run.w.prompts.shown.clear();
    run.w.prepareKeys(text, 3, QStringLiteral("ABC"));
    run.w.click("sayfab");
    QCOMPARE(run.w.prompts.texts(), QStringList{run.closingMessage()});

    for (const QString& suffix : kSuffixes) {
        const QByteArray bytes = fileBytes(run.path(suffix));
        QVERIFY2(linesEndInCrLf(bytes), qPrintable(suffix));
        if (suffix.endsWith(QLatin1String(".htm"))) {
            // Windows-1254: no byte the code page leaves undefined, none of
            // the encoder's stand-in 0x1A, and every decoded character held.
            for (const char undefined :
                 {'\x81', '\x8d', '\x8e', '\x8f', '\x90', '\x9d', '\x9e', '\x1a'})
                QVERIFY2(!bytes.contains(undefined),
                         qPrintable(suffix + QString::number(uchar(undefined), 16)));
            QStringDecoder decoder("windows-1254");
            const QString decoded = decoder(bytes);
            QVERIFY(!decoder.hasError());
            QVERIFY(!decoded.contains(QChar(0xFFFD)));
        }
    }
    // Characters outside the code page survive as references, in the
    // question page (test name, explanation) and the colour texts.
    const QByteArray question = fileBytes(run.path(QStringLiteral("sor.htm")));
    for (const char* reference : {"&#10003;", "&#20013;", "&#128512;", "&#129;"})
        QVERIFY2(question.contains(reference), reference);
    QVERIFY(question.contains("\xFE\xDD\xD0\x80")); // şİĞ€ in their own bytes

    QXmlStreamReader xml(fileBytes(run.path(QStringLiteral("xml.xml"))));
    while (!xml.atEnd())
        xml.readNext();
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
}

void tst_OutputFaults::hostileStem_data() {
    QTest::addColumn<QString>("stem");
    QTest::addColumn<QString>(
        "message"); // start of the one message shown; empty when the run succeeds
    QTest::newRow("ampersand") << QStringLiteral("a&b") << QString();
    // Characters that make the pages ask for the wrong files are refused by name.
    QTest::newRow("markup and quotes")
        << QStringLiteral("a&b<c>'d\"e")
        << QStringLiteral(u"Dosya adında kullanılamayan bir karakter var: \"<\"");
    QTest::newRow("Turkish letters") << QStringLiteral(u"sınav şıkları") << QString();
    // A control character could not name the question files in the data file: refused.
    QTest::newRow("control character")
        << QStringLiteral(u"a\x01"
                          u"b")
        << QStringLiteral(u"Dosya adında görünmeyen bir denetim karakteri var.");
    QTest::newRow("too long for a file name")
        << QString(100000, u'x') << QStringLiteral("Cannot create file \"");
    QTest::newRow("outside the code page")
        << QStringLiteral(u"test✓")
        << QStringLiteral(u"Dosya adında Türkçe kod sayfasında bulunmayan");
}

void tst_OutputFaults::hostileStem() {
    QFETCH(QString, stem);
    QFETCH(QString, message);
    QTemporaryDir dir;
    Run run(dir.path());
    run.w.edit("sayfaad")->setText(stem);
    run.w.prompts.shown.clear();
    run.w.prepareKeys(QStringLiteral("t"), 2, QStringLiteral("AB"));
    run.w.click("sayfab");
    const QStringList texts = run.w.prompts.texts();
    QCOMPARE(texts.size(), 1);
    const auto written = folderSnapshot(run.out);
    if (!message.isEmpty()) {
        QVERIFY2(texts[0].startsWith(message), qPrintable(texts[0].left(300)));
        QVERIFY(written.isEmpty());
        return;
    }
    QVERIFY2(texts[0].startsWith(QStringLiteral(u"Sayfalar oluşturuldu.")), qPrintable(texts[0]));
    QCOMPARE(written.size(), 5);
    const QString shownStem = run.w.edit("sayfaad")->text();
    QXmlStreamReader xml(written.value(shownStem + QStringLiteral("xml.xml")));
    QStringList values;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::Characters && !xml.isWhitespace())
            values << xml.text().toString();
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    // The data file names the question files by the stem, read back unchanged.
    QVERIFY2(values.contains(shownStem + QStringLiteral("s2.mht")), qPrintable(values.join(u'|')));
}

// The output folder is the teacher's home, holding the program and its
// database. A question refers to a private key and to databases; the image
// "ilk.gif" is a link to the database. None goes into the single page, and
// the closing message names each.
void tst_OutputFaults::privateFilesStayOutOfThePage() {
    Run run{QString()};
    const QString home = run.out = run.program.path();
    run.w.edit("klasor")->setText(home);
    run.w.edit("gezyerl")->setText(QString());
    run.w.window->findChild<QCheckBox*>(QStringLiteral("teksayfa"))->setChecked(true);
    const QString key = QStringLiteral(".ssh/id_ed25519");
    const QString data = QStringLiteral(".local/share/dorvana/dorvana.MDB");
    const QByteArray secret("GIZLI-ANAHTAR-");
    for (const QString& name : {key, data, QStringLiteral("test01s1.htm")}) {
        QDir().mkpath(QFileInfo(home + u'/' + name).absolutePath());
        QFile file(home + u'/' + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(name != key && name != data ? "<img src=\"" + key.toUtf8() + "\"><img src=\"" +
                                                     data.toUtf8() + "\"><img src=\"dorvana.MDB\">"
                                               : secret);
    }
    QVERIFY(QFile::link(run.program.databasePath, home + QStringLiteral("/ilk.gif")));

    run.w.prompts.shown.clear();
    run.w.prepareKeys(QStringLiteral("ilk"), 1, QStringLiteral("A"));
    run.w.click("sayfab");
    QCOMPARE(run.w.prompts.shown.size(), 1);
    const QString hidden = QStringLiteral(u"gizli bir dosya ya da gizli bir klasörde");
    const QString own = QStringLiteral(u"programın kendi veri dosyası");
    QVERIFY2(run.w.prompts.shown[0].text.contains(
                 QStringLiteral(u"Tek sayfaya konmayan dosyalar:\n1. soru, %1: %2\n1. soru, %3: "
                                u"%2\n1. soru, dorvana.MDB: %4\nilk.gif: %4")
                     .arg(key, hidden, data, own)),
             qPrintable(run.w.prompts.shown[0].text));
    const QByteArray page = fileBytes(run.path(QStringLiteral(".html")));
    for (const QByteArray& inside :
         {secret, secret.toBase64(), fileBytes(run.program.databasePath).left(15).toBase64()})
        QVERIFY(!page.contains(inside));
}

int main(int argc, char* argv[]) {
    enterPrivateMountNamespace(); // before any thread starts
    QApplication app(argc, argv);
    tst_OutputFaults test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_outputfaults.moc"
