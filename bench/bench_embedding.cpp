// The questions of a test embedded in the single page: 100 question files of
// about 200 KB of MHTML each (the page Chromium saved, with a large image),
// read from the output folder, parsed and inlined, as one generation run does;
// and the whole run without the window (runGeneration): embedding, building
// the six files, remembering the test and writing them as one set.

#include "BenchSupport.h"
#include "core/FileSet.h"
#include "db/AnswerKey.h"
#include "db/Database.h"
#include "db/NewDatabase.h"
#include "db/TableDataset.h"
#include "pages/QuestionFiles.h"
#include "run/GenerationRun.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

// An output folder holding `questions` copies of the large MHTML question;
// empty names when it could not be made.
QStringList questionFolder(const QTemporaryDir& out, int questions, QByteArray& archive) {
    QFile source(QStringLiteral(DORVANA_TEST_DATA "/questions/chromium-buyuk.mht"));
    if (!out.isValid() || !source.open(QIODevice::ReadOnly))
        return {};
    archive = source.readAll();
    QStringList names;
    for (int n = 1; n <= questions; ++n) {
        names << QStringLiteral("test01s%1.mht").arg(n);
        QFile file(out.filePath(names.last()));
        if (!file.open(QIODevice::WriteOnly) || file.write(archive) != archive.size())
            return {};
    }
    return names;
}

// The folder and what was written into it, made once per benchmark.
struct QuestionFolder {
    QTemporaryDir out;
    QByteArray archive;
    QStringList names; // empty when the folder could not be made
    explicit QuestionFolder(int questions) : names(questionFolder(out, questions, archive)) {}
};

void EmbedQuestions(benchmark::State& state) {
    const int questions = int(state.range(0));
    const QuestionFolder folder(questions);
    if (folder.names.isEmpty())
        return benchFail(state, "cannot make the question folder");
    const QTemporaryDir& out = folder.out;
    const QByteArray& archive = folder.archive;
    const QStringList& names = folder.names;

    qint64 embedded = 0;
    for (auto _ : state) {
        const std::vector<EmbeddedQuestion> result =
            embedQuestions(out.path(), names, QStringLiteral("test01"));
        if (!missingQuestionNumbers(result).isEmpty())
            return benchFail(state, "a question came out missing");
        embedded = 0;
        for (const EmbeddedQuestion& question : result)
            embedded += question.data.size();
        benchmark::DoNotOptimize(result.data());
    }
    state.SetBytesProcessed(state.iterations() * qint64(archive.size()) * questions);
    state.counters["output_bytes"] = double(embedded);
}

void SinglePageGeneration(benchmark::State& state) {
    const int questions = int(state.range(0));
    const QuestionFolder folder(questions);
    if (folder.names.isEmpty())
        return benchFail(state, "cannot make the question folder");
    const QTemporaryDir& out = folder.out;
    GenerationInput in;
    in.folder = out.path();
    in.stem = QStringLiteral("test01");
    in.testName = QStringLiteral(u"Deneme sınavı");
    in.questionCount = questions;
    in.settings.siksay = 5;
    in.settings.teksayfa = true;
    QString keys;
    for (int n = 1; n <= questions; ++n)
        keys += QChar(u'A' + (n - 1) % 5);
    const QTemporaryDir databaseFolder;
    const QString database = databaseFolder.filePath(QStringLiteral("dorvana.MDB"));
    createDatabase(database);
    TableDataset websoru(QStringLiteral("websoru"));
    websoru.setDatabase(Database::shared(database));
    websoru.setTableName(QStringLiteral("websoru"));
    websoru.open();
    prepareAnswerKey(websoru, in.testName, in.stem, keys);

    qint64 pageBytes = 0;
    for (auto _ : state) {
        const GenerationOutcome outcome = runGeneration(in, websoru);
        if (!outcome.missingQuestions.isEmpty())
            return benchFail(state, "a question came out missing");
        pageBytes = QFileInfo(outcome.singlePagePath).size();
    }
    state.counters["page_bytes"] = double(pageBytes);
}

} // namespace

BENCHMARK(SinglePageGeneration)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(EmbedQuestions)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
