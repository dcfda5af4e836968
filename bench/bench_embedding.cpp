// The questions of a test embedded in the single page: 100 question files of
// about 200 KB of MHTML each (the page Chromium saved, with a large image),
// read from the output folder, parsed and inlined, as one generation run does.

#include "BenchSupport.h"
#include "pages/QuestionFiles.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

void EmbedQuestions(benchmark::State& state) {
    const int questions = int(state.range(0));
    QFile source(QStringLiteral(DORVANA_TEST_DATA "/questions/chromium-buyuk.mht"));
    if (!source.open(QIODevice::ReadOnly))
        return benchFail(state, "missing tests/data/questions/chromium-buyuk.mht");
    const QByteArray archive = source.readAll();
    QTemporaryDir out;
    if (!out.isValid())
        return benchFail(state, "no output folder");
    QStringList names;
    for (int n = 1; n <= questions; ++n) {
        names << QStringLiteral("test01s%1.mht").arg(n);
        QFile file(out.filePath(names.last()));
        if (!file.open(QIODevice::WriteOnly) || file.write(archive) != archive.size())
            return benchFail(state, "cannot write a question file");
    }

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

} // namespace

BENCHMARK(EmbedQuestions)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
