#include "core/FileSet.h"
#include "pages/NavigationImages.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

// Each case runs in a temporary folder holding the output folder "out" and a
// folder beside it, "outside". In the texts, "{out}" and "{outside}" stand
// for their absolute paths. An entry to prepare is a path below the temporary
// folder: "x/" a folder, "x@target" a symbolic link to target, "x|" a FIFO,
// "x" a file.
class tst_NavigationImages : public QObject {
    Q_OBJECT
private slots:
    void imagesAreOurs();
    void missingImages_data();
    void missingImages();
    void writtenOnceNeverReplaced();
    void readForTheSinglePage_data();
    void readForTheSinglePage();
};

namespace {

const QStringList kAll{u"ilk.gif"_s, u"geri.gif"_s, u"ileri.gif"_s, u"son.gif"_s};

QString expand(QString text, const QString& root) {
    return text.replace(u"{outside}"_s, root + u"/outside"_s).replace(u"{out}"_s, root + u"/out"_s);
}

void prepare(const QString& root, const QStringList& entries) {
    for (const QString& entry : entries) {
        if (entry.endsWith(u'/')) {
            QVERIFY(QDir().mkpath(root + u'/' + entry));
        } else if (entry.endsWith(u'|')) {
            QCOMPARE(::mkfifo(QFile::encodeName(root + u'/' + entry.chopped(1)).constData(), 0600),
                     0);
        } else if (entry.contains(u'@')) {
            const QStringList parts = entry.split(u'@');
            QVERIFY(QFile::link(expand(parts.at(1), root), root + u'/' + parts.at(0)));
        } else {
            QFile file(root + u'/' + entry);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("the teacher's own image");
        }
    }
}

QStringList relativePaths(const std::vector<OutputFile>& files, const QString& root) {
    QStringList paths;
    for (const OutputFile& file : files)
        paths << QDir(root).relativeFilePath(file.path);
    return paths;
}

} // namespace

void tst_NavigationImages::imagesAreOurs() {
    QCOMPARE(navigationImageNames().size(), std::size_t(4));
    for (const QString& name : kAll) {
        QFile shipped(QStringLiteral(DORVANA_NAVIGATION_DIR "/") + name);
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        const QByteArray bytes = navigationImage(name);
        QCOMPARE(bytes, shipped.readAll());
        QVERIFY(bytes.startsWith("GIF89a"));
        // Shown at their own size beside the counter: small, but not tiny.
        const QImage image = QImage::fromData(bytes, "GIF");
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), QSize(32, 32));
    }
}

void tst_NavigationImages::missingImages_data() {
    QTest::addColumn<QString>("navFolderText");
    QTest::addColumn<QStringList>("prepared");
    QTest::addColumn<QStringList>("expected");

    const auto in = [](const QString& folder) {
        QStringList paths;
        for (const QString& name : kAll)
            paths << folder + name;
        return paths;
    };

    QTest::newRow("empty text: beside the pages") << QString() << QStringList() << in(u"out/"_s);
    QTest::newRow("folder inside, Windows separator")
        << u"resim\\"_s << QStringList{u"out/resim/"_s} << in(u"out/resim/"_s);
    QTest::newRow("folder inside, slash, Turkish name")
        << u"düğmeler/"_s << QStringList{u"out/düğmeler/"_s} << in(u"out/düğmeler/"_s);
    QTest::newRow("nested folder inside")
        << u"a\\b\\"_s << QStringList{u"out/a/b/"_s} << in(u"out/a/b/"_s);
    QTest::newRow("absolute path inside")
        << u"{out}/resim/"_s << QStringList{u"out/resim/"_s} << in(u"out/resim/"_s);
    QTest::newRow("dot dot back inside")
        << u"../out/resim/"_s << QStringList{u"out/resim/"_s} << in(u"out/resim/"_s);
    QTest::newRow("some present: only the others")
        << QString() << QStringList{u"out/ilk.gif"_s, u"out/son.gif"_s}
        << QStringList{u"out/geri.gif"_s, u"out/ileri.gif"_s};
    QTest::newRow("all present") << u"resim/"_s
                                 << QStringList{u"out/resim/"_s, u"out/resim/ilk.gif"_s,
                                                u"out/resim/geri.gif"_s, u"out/resim/ileri.gif"_s,
                                                u"out/resim/son.gif"_s}
                                 << QStringList();
    QTest::newRow("name taken by a folder or a dangling link")
        << QString() << QStringList{u"out/geri.gif/"_s, u"out/son.gif@{outside}/gone.gif"_s}
        << QStringList{u"out/ilk.gif"_s, u"out/ileri.gif"_s};
    QTest::newRow("folder outside, relative")
        << u"..\\outside\\"_s << QStringList{u"outside/"_s} << QStringList();
    QTest::newRow("folder outside, absolute")
        << u"{outside}/"_s << QStringList{u"outside/"_s} << QStringList();
    QTest::newRow("leading out and back through dot dot")
        << u"resim/../../outside/"_s << QStringList{u"out/resim/"_s, u"outside/"_s}
        << QStringList();
    QTest::newRow("folder inside that links outside")
        << u"resim/"_s << QStringList{u"outside/"_s, u"out/resim@{outside}"_s} << QStringList();
    QTest::newRow("folder inside that does not exist")
        << u"resim/"_s << QStringList() << QStringList();
    QTest::newRow("not a folder: no final separator")
        << u"resim"_s << QStringList{u"out/resim/"_s} << QStringList();
    QTest::newRow("another drive") << u"C:\\resim\\"_s << QStringList() << QStringList();
    QTest::newRow("web address") << u"http://example.org/img/"_s << QStringList() << QStringList();
    QTest::newRow("network share") << u"\\\\server\\img\\"_s << QStringList() << QStringList();
    QTest::newRow("fragment: the page asks for itself")
        << u"#x/"_s << QStringList() << QStringList();
}

void tst_NavigationImages::missingImages() {
    QFETCH(QString, navFolderText);
    QFETCH(QStringList, prepared);
    QFETCH(QStringList, expected);

    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString root = temp.path();
    prepare(root, {u"out/"_s});
    prepare(root, prepared);

    const std::vector<OutputFile> files =
        missingNavigationImages(root + u"/out"_s, expand(navFolderText, root));
    QCOMPARE(relativePaths(files, root), expected);
    for (const OutputFile& file : files)
        QCOMPARE(file.bytes, navigationImage(QFileInfo(file.path).fileName()));
}

// Written with the run's file set: a teacher's own image stays as it was, a
// second run finds nothing left to write.
void tst_NavigationImages::writtenOnceNeverReplaced() {
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString out = temp.path();
    prepare(out, {u"ileri.gif"_s});

    const std::vector<OutputFile> first = missingNavigationImages(out, QString());
    QCOMPARE(first.size(), std::size_t(3));
    writeFileSet(first);
    for (const QString& name : kAll) {
        QFile written(out + u'/' + name);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), name == u"ileri.gif"_s ? QByteArray("the teacher's own image")
                                                           : navigationImage(name));
    }
    QVERIFY(missingNavigationImages(out, QString()).empty());
}

// The teacher's image goes into the single page only under the reading rule;
// "out/dorvana.MDB" stands for the program's database.
void tst_NavigationImages::readForTheSinglePage_data() {
    QTest::addColumn<QStringList>("prepared");
    QTest::addColumn<QString>("notRead"); // empty: "ilk.gif" is taken

    QTest::newRow("the teacher's image") << QStringList{u"out/ilk.gif"_s} << QString();
    QTest::newRow("link to the program's database")
        << QStringList{u"out/dorvana.MDB"_s, u"out/ilk.gif@{out}/dorvana.MDB"_s}
        << u"ilk.gif: programın kendi veri dosyası"_s;
    QTest::newRow("a FIFO, never waited on")
        << QStringList{u"out/ilk.gif|"_s}
        << u"ilk.gif: sıradan bir dosya değil (klasör, aygıt ya da adlandırılmış boru)"_s;
}

void tst_NavigationImages::readForTheSinglePage() {
    QFETCH(QStringList, prepared);
    QFETCH(QString, notRead);
    QTemporaryDir temp;
    prepare(temp.path(), QStringList{u"out/"_s} + prepared);
    QStringList refused;
    const auto images = readNavigationImages(
        FolderInput(temp.filePath(u"out"_s), {temp.filePath(u"out/dorvana.MDB"_s)}), {}, refused);
    QCOMPARE(refused.join(u'|'), notRead);
    QCOMPARE(images[0], notRead.isEmpty() ? QByteArray("the teacher's own image") : QByteArray());
}

QTEST_GUILESS_MAIN(tst_NavigationImages)
#include "tst_navigationimages.moc"
