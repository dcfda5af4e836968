// "Sayfaları oluştur ": the five files of a test built from the window's
// fields and the answer key, and written as one set, each file synced to disk.

#include "BenchSupport.h"
#include "core/FileSet.h"
#include "core/LineFile.h"
#include "db/Database.h"
#include "db/TableDataset.h"
#include "pages/AnswerSheetPage.h"
#include "pages/DataFile.h"
#include "pages/FramesetPage.h"
#include "pages/QuestionPage.h"
#include "pages/ResultPage.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

const QString kExplanation =
    QStringLiteral("Her sorunun yalnız bir doğru cevabı vardır.\nSüre 40 dakikadır.\n\nBaşarılar!");

// Through the window with a prepared, fully answered key. range(1) is 0 for
// an output folder on the system's temporary folder (a disk here), 1 for one
// in memory (/dev/shm), where syncing costs nothing: the difference is the
// price of the set's durability.
void GenerationRun(benchmark::State& state) {
    const int questions = int(state.range(0));
    const bool inMemory = state.range(1) != 0;
    if (inMemory && !QFileInfo(QStringLiteral("/dev/shm")).isWritable())
        return state.SkipWithError("no /dev/shm here");
    BenchWindow bench(inMemory ? QStringLiteral("/dev/shm") : QString());
    if (const std::string problem = bench.startProblem(); !problem.empty())
        return benchFail(state, problem);
    Tanaekr& window = *bench.window;
    window.klasor->setText(bench.outputFolder.path());
    window.sorusaye->setText(QString::number(questions));
    window.siksayl->setText(QStringLiteral("5"));
    window.soruac->setPlainText(kExplanation);
    QTest::mouseClick(window.dogrugir, Qt::LeftButton);
    window.websoru->database().exec(
        QStringLiteral("UPDATE websoru SET dc = substr('ABCDE', (soruno - 1) % 5 + 1, 1)"));
    window.websoru->setFiltered(true);
    QCoreApplication::processEvents();
    if (!bench.prompts.shown.isEmpty())
        return benchFail(state, bench.prompts.shown.first().text.toStdString());

    for (auto _ : state) {
        QTest::mouseClick(window.sayfab, Qt::LeftButton);
    }

    const QString done =
        QStringLiteral(u"Sayfalar oluşturuldu. Lütfen test01ind.htm dosyasını çalıştırınız.");
    for (const auto& shown : std::as_const(bench.prompts.shown))
        if (shown.text != done)
            return benchFail(state, shown.text.toStdString());
    const QDir out(bench.outputFolder.path());
    if (out.entryList(QDir::Files | QDir::Hidden).size() != 5)
        return benchFail(state, "not five files in the output folder");
    const QString xml = QString::fromUtf8(fileBytes(out.filePath(QStringLiteral("test01xml.xml"))));
    if (xml.count(QStringLiteral("<sorular>")) != questions)
        return benchFail(state, "data file without every question");
    state.SetItemsProcessed(state.iterations() * questions);
}

// Only the building and encoding of the five files, nothing written: the
// run's share that does not depend on the disk.
void GenerationBuild(benchmark::State& state) {
    const int questions = int(state.range(0));
    std::vector<DataRecord> records;
    for (int n = 1; n <= questions; ++n)
        records.push_back(
            {QStringLiteral("test01s%1.mht").arg(n), QString(QChar(u'A' + (n - 1) % 5))});
    QuestionPageInput question{QStringLiteral("#B86397"), QStringLiteral("test01xml.xml"),
                               QStringLiteral("Deneme"),  QStringLiteral("resim/"),
                               QStringLiteral("#F1CFE4"), kExplanation.split(u'\n')};
    AnswerSheetInput sheet{QStringLiteral("#B86397"),
                           QStringLiteral("#F1CFE4"),
                           QStringLiteral("#F1CFE4"),
                           QStringLiteral("test01son.htm"),
                           questions,
                           5};
    ResultPageInput result{questions, QStringLiteral("test01xml.xml"), QStringLiteral("#B86397")};

    qsizetype bytes = 0;
    for (auto _ : state) {
        const QByteArray files[] = {
            encodeCp1254Lines(
                framesetLines({QStringLiteral("test01sor.htm"), QStringLiteral("test01cev.htm")})),
            encodeCp1254Lines(questionPageLines(question)),
            encodeCp1254Lines(answerSheetLines(sheet)),
            encodeCp1254Lines(resultPageLines(result)),
            encodeUtf8Lines(dataFileLines(questions, records)),
        };
        bytes = 0;
        for (const QByteArray& file : files)
            bytes += file.size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = double(bytes);
    state.SetItemsProcessed(state.iterations() * questions);
}

} // namespace

BENCHMARK(GenerationRun)
    ->ArgNames({"questions", "in_memory"})
    ->ArgsProduct({{10, 100, 1000, 10000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(GenerationBuild)
    ->ArgName("questions")
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
