// "Sayfaları oluştur ": the five files of a test built from the window's
// fields and the answer key, and written as one set, each file synced to disk.

#include "BenchSupport.h"
#include "core/FileSet.h"
#include "db/Database.h"
#include "db/TableDataset.h"
#include "pages/PageSet.h"

#include <QCheckBox>
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
    lineEdit(window, "klasor")->setText(bench.outputFolder.path());
    lineEdit(window, "sorusaye")->setText(QString::number(questions));
    lineEdit(window, "siksayl")->setText(QStringLiteral("5"));
    window.findChild<QCheckBox*>(QStringLiteral("teksayfa"))->setChecked(false); // the classic set
    lineEdit(window, "gezyerl")->setText(QStringLiteral("../resim/"));
    window.findChild<QPlainTextEdit*>(QStringLiteral("soruac"))->setPlainText(kExplanation);
    clickButton(window, "dogrugir");
    TableDataset& websoru = TanaekrTestAccess::websoru(window);
    websoru.database().exec(
        QStringLiteral("UPDATE websoru SET dc = substr('ABCDE', (soruno - 1) % 5 + 1, 1)"));
    websoru.setFiltered(true);
    QCoreApplication::processEvents();
    if (!bench.prompts.shown.isEmpty())
        return benchFail(state, bench.prompts.shown.first().text.toStdString());

    for (auto _ : state) {
        clickButton(window, "sayfab");
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
    PageSetInput in;
    in.folder = QStringLiteral("/tmp");
    in.stem = QStringLiteral("test01");
    in.testName = QStringLiteral("Deneme");
    in.questionCount = questions;
    in.settings.siksay = 5;
    in.settings.teksayfa = false;
    in.settings.gezyer = QStringLiteral("resim/");
    in.explanationLines = kExplanation.split(u'\n');
    for (int n = 1; n <= questions; ++n)
        in.answerKey.push_back(
            {QStringLiteral("test01s%1.mht").arg(n), QString(QChar(u'A' + (n - 1) % 5))});

    qsizetype bytes = 0;
    for (auto _ : state) {
        const std::vector<OutputFile> files = pageSetFiles(in);
        bytes = 0;
        for (const OutputFile& file : files)
            bytes += file.bytes.size();
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
