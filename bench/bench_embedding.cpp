// The questions of a test embedded in the single page: 100 question files of
// about 200 KB of MHTML each (the page Chromium saved, with a large image),
// read from the output folder, parsed and inlined, as one generation run does;
// and the whole run's work without the window: embedding, building the six
// files and writing them as one set.

#include "BenchSupport.h"
#include "core/FileSet.h"
#include "pages/PageSet.h"
#include "pages/QuestionFiles.h"

#include <QFile>
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
    const QStringList& names = folder.names;
    PageSetInput in;
    in.folder = out.path();
    in.stem = QStringLiteral("test01");
    in.testName = QStringLiteral(u"Deneme sınavı");
    in.questionCount = questions;
    in.optionCount = 5;
    in.questionColour = in.answerColour = in.resultColour = QStringLiteral("#B86397");
    in.explanationColour = in.aceColour = in.bdColour = QStringLiteral("#F1CFE4");
    in.singlePage = true;
    for (int n = 1; n <= questions; ++n)
        in.answerKey.push_back({names[n - 1], QString(QChar(u'A' + (n - 1) % 5))});

    qint64 pageBytes = 0;
    for (auto _ : state) {
        in.questions = embedQuestions(in.folder, names, in.stem);
        const std::vector<OutputFile> files = pageSetFiles(in);
        writeFileSet(files);
        pageBytes = files.back().bytes.size();
    }
    state.counters["page_bytes"] = double(pageBytes);
}

} // namespace

BENCHMARK(SinglePageGeneration)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(EmbedQuestions)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
