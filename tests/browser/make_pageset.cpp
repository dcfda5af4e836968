// Writes a complete page set into a folder for the browser tests, through the
// same generation run as the main window (on an answer key prepared in a
// database of its own). Before the run it writes one question file per
// question (stem + "s" + n + ".mht", the names the answer-key preparation
// gives) and the four navigation images, so that the question page has
// something to show.
//
//   make_pageset FOLDER STEM QUESTIONS OPTIONS KEYS [TESTNAME]
//
// KEYS holds one key letter per question, in question order, in the case in
// which it is to be stored ("" for no question). Exit status 0 when the set is
// written, 2 on bad arguments, 1 when a file cannot be written.

#include "core/AppError.h"
#include "core/DataRecord.h"
#include "core/FileSet.h"
#include "core/IntConversion.h"
#include "core/LineFile.h"
#include "db/AnswerKey.h"
#include "db/Database.h"
#include "db/NewDatabase.h"
#include "db/TableDataset.h"
#include "pages/PageSet.h"
#include "run/GenerationRun.h"

#include <QBuffer>
#include <QColor>
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdio>
#include <exception>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

int usage(const char* why) {
    std::fprintf(stderr, "make_pageset: %s\n", why);
    std::fprintf(stderr, "usage: make_pageset FOLDER STEM QUESTIONS OPTIONS KEYS [TESTNAME]\n");
    return 2;
}

// A 16 x 16 PNG of one colour. Browsers tell images by their content, so a
// PNG under a ".gif" name shows as well as a GIF would.
QByteArray navigationImage(const QColor& colour) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 6 || args.size() > 7)
        return usage("wrong number of arguments");

    const QString folder = args[1];
    const QString stem = args[2];
    const QString keys = args[5];
    const QString testName = args.size() > 6 ? args[6] : u"<h3>Deneme sınavı</h3>"_s;
    qint32 questions = 0;
    qint32 options = 0;
    try {
        questions = strToInt(args[3]);
        options = strToInt(args[4]);
    } catch (const std::exception&) {
        return usage("QUESTIONS and OPTIONS must be whole numbers");
    }
    if (questions < 0 || questions > 10000)
        return usage("QUESTIONS must be 0 to 10000");
    if (keys.size() != questions)
        return usage("KEYS must hold one letter per question");

    GenerationInput in;
    in.folder = folder;
    in.stem = stem;
    in.testName = testName;
    in.questionCount = questions;
    in.settings.siksay = options;
    in.settings.teksayfa = false;
    in.settings.cevaps = u"#FFFFFF"_s;
    in.settings.sonucs = u"#FFFFE0"_s;
    in.explanationLines = {u"Her soru için bir şık işaretleyiniz."_s, QString(),
                           u"Üç yanlış bir doğruyu götürür."_s};
    const auto path = [&](const QString& name) { return folder + u'/' + name; };

    // Each question file is a copy of the real MHTML file named by QUESTION_FILE
    // (the browser tests pass tests/data/questions/chromium.mht); without it, a
    // small plain HTML page stands in.
    QByteArray questionFile;
    if (const QString source = qEnvironmentVariable("QUESTION_FILE"); !source.isEmpty()) {
        QFile file(source);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "make_pageset: cannot read QUESTION_FILE %s\n",
                         qPrintable(source));
            return 1;
        }
        questionFile = file.readAll();
    }
    std::vector<OutputFile> files;
    for (qint32 n = 1; n <= questions; ++n) {
        files.push_back({path(questionFileName(stem, n)),
                         !questionFile.isEmpty()
                             ? questionFile
                             : encodeUtf8Lines({u"<html><body><h2>Soru "_s + QString::number(n) +
                                                u"</h2></body></html>"_s})});
    }
    const struct {
        const char16_t* name;
        QColor colour;
    } images[] = {{u"ilk.gif", QColor(0, 0, 160)},
                  {u"geri.gif", QColor(0, 128, 0)},
                  {u"ileri.gif", QColor(160, 0, 0)},
                  {u"son.gif", QColor(200, 120, 0)}};
    for (const auto& image : images)
        files.push_back({path(QString::fromUtf16(image.name)), navigationImage(image.colour)});

    try {
        writeFileSet(files);
        if (questions == 0) {
            // The run refuses a test without questions; the browser test still
            // shows what the page builders make of one.
            PageSetInput empty;
            empty.folder = folder;
            empty.stem = stem;
            empty.testName = testName;
            empty.explanationLines = in.explanationLines;
            empty.settings = in.settings;
            writeFileSet(pageSetFiles(empty));
            return 0;
        }
        // The answer key as the window prepares it, in a database of its own.
        QTemporaryDir databaseFolder;
        const QString database = databaseFolder.filePath(u"dorvana.MDB"_s);
        createDatabase(database);
        TableDataset websoru(u"websoru"_s);
        websoru.setDatabase(Database::shared(database));
        websoru.setTableName(u"websoru"_s);
        websoru.open();
        prepareAnswerKey(websoru, testName, stem, keys);
        runGeneration(in, websoru);
    } catch (const GenerationRefused& refusal) {
        std::fprintf(stderr, "make_pageset: %s\n", refusal.what());
        return 1;
    } catch (const AppError& error) {
        std::fprintf(stderr, "make_pageset: %s\n", error.what());
        return 1;
    }
    return 0;
}
