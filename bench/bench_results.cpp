// Reading a class's result files: 1000 files of a 40-question test read from
// disk, checked and scored, then the summary, the item analysis and the CSV;
// the same for a practice exam of 120 questions in four sections and two
// booklets (half the class on booklet B, mapped back before scoring); and the
// plain files added through the window (checked, stored in one transaction,
// the class shown).

#include "BenchSupport.h"
#include "ResultSamples.h"
#include "db/Database.h"
#include "db/NewDatabase.h"
#include "db/ResultStore.h"
#include "results/CsvExport.h"
#include "ui/ClassResultsWindow.h"

#include <QFile>
#include <QRandomGenerator>

namespace {

struct ResultFolder {
    QTemporaryDir dir;
    GeneratedTest test;
    QStringList paths;

    ResultFolder(int files, bool practiceExam = false) {
        test = samples::exampleTest();
        test.count = practiceExam ? 120 : 40;
        test.optionCount = 5;
        if (practiceExam) {
            test.sections = {{QStringLiteral("Türkçe"), 1, 40, 1},
                             {QStringLiteral("Sosyal"), 41, 60, 1},
                             {QStringLiteral("Matematik"), 61, 100, 1},
                             {QStringLiteral("Fen"), 101, 120, 1}};
            test.booklets = bookletOrders(test.identity, test.count, test.sections, 2);
        }
        QRandomGenerator random(14);
        for (int q = 0; q < test.count; ++q)
            test.keys += QChar(u'A' + random.bounded(5));
        const QString id = test.identity;
        for (int i = 0; i < files; ++i) {
            QString answers;
            for (int q = 0; q < test.count; ++q) {
                const int pick = random.bounded(8); // right more often than not
                answers += pick < 3    ? test.keys[q]
                           : pick == 7 ? QChar(u'-')
                                       : QChar(u'A' + pick - 3);
            }
            const QString name = QStringLiteral("Öğrenci %1").arg(i + 1);
            const QString path = dir.filePath(QStringLiteral("dn-%1.dvsonuc").arg(name));
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly))
                qFatal("cannot write a result file");
            file.write(practiceExam
                           ? samples::bookletFileBytes(
                                 samples::result(id, name, answers),
                                 i % 2 ? QStringLiteral("B") : QStringLiteral("A"), test.name)
                           : samples::fileBytes(samples::result(id, name, answers), test.name));
            paths << path;
        }
    }
};

void ResultFilesAnalysis(benchmark::State& state) {
    const ResultFolder folder(int(state.range(0)), state.range(1) != 0);
    std::size_t pupils = 0;
    for (auto _ : state) {
        std::vector<PupilResult> results;
        results.reserve(std::size_t(folder.paths.size()));
        for (const QString& path : folder.paths) {
            PupilResult result = readResultFile(path);
            checkAnswersFit(folder.test, result.answers);
            results.push_back(std::move(result));
        }
        const auto rows = classRows(folder.test, results);
        const ClassSummary summary = summarize(rows);
        const ItemAnalysis items = analyseItems(folder.test, rows);
        benchmark::DoNotOptimize(classResultsCsv(folder.test, rows, summary, items));
        pupils = rows.size();
    }
    if (pupils != std::size_t(state.range(0)))
        return benchFail(state, "not every result was read");
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void ResultFilesIntoWindow(benchmark::State& state) {
    const ResultFolder folder(int(state.range(0)));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dorvana.MDB"));
    createDatabase(path);
    auto db = std::make_shared<Database>(path);
    createResultTables(*db);
    rememberTest(*db, folder.test);
    ScriptedPrompts prompts;
    ClassResultsWindow window(prompts, db);
    window.show();
    waitUntilShown(window);
    int stored = 0;
    for (auto _ : state) {
        state.PauseTiming();
        db->exec(QStringLiteral("DELETE FROM websonuc"));
        state.ResumeTiming();
        stored = window.addFiles(folder.paths).stored;
        QCoreApplication::processEvents(); // the tables and the histogram repainted
    }
    if (stored != state.range(0) || !prompts.shown.isEmpty() || int(window.rows().size()) != stored)
        return benchFail(state, "not every result was stored");
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

} // namespace

BENCHMARK(ResultFilesAnalysis)
    ->ArgNames({"files", "sections_booklets"})
    ->Args({1000, 0})
    ->Args({1000, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(ResultFilesIntoWindow)
    ->ArgName("files")
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
