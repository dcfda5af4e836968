// make_form_corpus [--db FILE] FOLDER [SCANS PHOTOS [SEED]]: writes filled,
// degraded optical forms (sheet-NNN.jpg) with what a reader should find in
// each (sheet-NNN.json); see tools/FormCorpus.cpp for how they are made.
// --db remembers the forms' test in that database (made when missing), so
// that `dorvana-forms read --db FILE` knows it.

#include "db/Database.h"
#include "db/NewDatabase.h"
#include "db/ResultStore.h"
#include "db/Schema.h"
#include "tools/FormCorpus.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments();
    QString dbPath;
    if (args.size() > 2 && args[1] == QStringLiteral("--db")) {
        dbPath = args[2];
        args.remove(1, 2);
    }
    if (args.size() != 2 && args.size() != 4 && args.size() != 5) {
        std::fputs("usage: make_form_corpus [--db FILE] FOLDER [SCANS PHOTOS [SEED]]\n", stderr);
        return 2;
    }
    const QDir folder(args[1]);
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fputs("cannot make the folder\n", stderr);
        return 1;
    }
    const int scans = args.size() > 2 ? args[2].toInt() : 120;
    const int photos = args.size() > 3 ? args[3].toInt() : 100;
    const quint32 seed = args.size() > 4 ? args[4].toUInt() : 1;
    const FormCorpus corpus;
    if (!dbPath.isEmpty()) {
        if (!QFile::exists(dbPath))
            createDatabase(dbPath);
        Database db(dbPath);
        upgradeSchema(db);
        rememberTest(db, corpus.test());
    }
    for (int i = 0; i < scans + photos; ++i) {
        const SheetPlan plan = corpus.randomPlan(seed * 100003u + quint32(i),
                                                 i < scans ? Capture::Scan : Capture::Photo);
        const QString stem = folder.filePath(QStringLiteral("sheet-%1").arg(i, 3, 10, QChar(u'0')));
        QFile image(stem + QStringLiteral(".jpg"));
        QFile truth(stem + QStringLiteral(".json"));
        if (!image.open(QIODevice::WriteOnly) || !truth.open(QIODevice::WriteOnly) ||
            image.write(corpus.makeSheet(plan)) < 0 ||
            truth.write(QJsonDocument(corpus.truth(plan)).toJson()) < 0) {
            std::fputs("cannot write a sheet\n", stderr);
            return 1;
        }
    }
    return 0;
}
