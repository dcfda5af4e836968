// "Doğru cevapları gir": the answer-key table is emptied and refilled with one
// row per question, in one transaction, while the grid shows the table. The
// table holds the previous test's rows, their keys entered, each time.

#include "BenchSupport.h"
#include "db/AnswerKey.h"
#include "db/Database.h"
#include "db/DatasetModel.h"
#include "db/TableDataset.h"
#include "ui/AnswerKeyGrid.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>

namespace {

// Adds `count` answered rows of an earlier test, the way they stand after its preparation.
void addEarlierTest(Database& db, int count) {
    db.exec(QStringLiteral(
                "INSERT INTO websoru (testadi, soruno, dosya, dc) "
                "WITH RECURSIVE q(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM q WHERE n < %1) "
                "SELECT 'Önceki deneme', n, 'test01s' || n || '.mht', 'C' FROM q")
                .arg(count));
}

// Through the window: the button pressed, the grid repainted afterwards.
void AnswerKeyPreparation(benchmark::State& state) {
    const int questions = int(state.range(0));
    BenchWindow bench;
    if (const std::string problem = bench.startProblem(); !problem.empty())
        return benchFail(state, problem);
    Tanaekr& window = *bench.window;
    TableDataset& websoru = TanaekrTestAccess::websoru(window);
    lineEdit(window, "sorusaye")->setText(QString::number(questions));
    addEarlierTest(websoru.database(), questions);

    bool odd = false;
    for (auto _ : state) {
        state.PauseTiming();
        // The previous run's rows get their keys, as the teacher would have typed them.
        websoru.database().exec(QStringLiteral("UPDATE websoru SET dc = 'C'"));
        websoru.setFiltered(websoru.isFiltered());
        lineEdit(window, "testadl")
            ->setText(odd ? QStringLiteral("Deneme B") : QStringLiteral("Deneme A"));
        odd = !odd;
        QCoreApplication::processEvents();
        state.ResumeTiming();

        clickButton(window, "dogrugir");
        QCoreApplication::processEvents(); // the grid shows the new rows
    }

    if (!bench.prompts.shown.isEmpty())
        return benchFail(state, bench.prompts.shown.first().text.toStdString());
    if (websoru.recordCount() != questions ||
        !window.findChild<QWidget*>(QStringLiteral("liste"))->isVisible())
        return benchFail(state, "answer key not prepared");
    state.SetItemsProcessed(state.iterations() * questions);
}

// The same dataset calls as the command, with the grid's model attached but no window.
void AnswerKeyPreparationDataset(benchmark::State& state) {
    const int questions = int(state.range(0));
    ProgramFolder folder;
    TableDataset websoru(QStringLiteral("websoru"));
    websoru.setConnectionString(QStringLiteral("Data Source=") + folder.databasePath);
    websoru.setTableName(QStringLiteral("websoru"));
    websoru.open();
    DatasetModel model(websoru);
    model.setColumns({{QStringLiteral("soruno"), QStringLiteral("Soru No")},
                      {QStringLiteral("dosya"), QStringLiteral("Dosya Adı")},
                      {QStringLiteral("dc"), QStringLiteral("Doğru Cevap")}});
    addEarlierTest(websoru.database(), questions);

    bool odd = false;
    for (auto _ : state) {
        state.PauseTiming();
        websoru.database().exec(QStringLiteral("UPDATE websoru SET dc = 'C'"));
        websoru.setFiltered(websoru.isFiltered());
        const QString testName = odd ? QStringLiteral("Deneme B") : QStringLiteral("Deneme A");
        odd = !odd;
        state.ResumeTiming();

        Transaction command(websoru.database());
        clearAnswerKey(websoru);
        fillAnswerKey(websoru, testName, QStringLiteral("test01"), questions);
        command.commit();
    }

    if (websoru.recordCount() != questions || model.rowCount() != questions)
        return benchFail(state, "answer key not prepared");
    state.SetItemsProcessed(state.iterations() * questions);
}

// "Cevapları yapıştır" in the window: a numbered key for every question read
// from the clipboard, stored in one transaction, the grid repainted. The two
// keys pasted in turn differ in every question.
void AnswerKeyPaste(benchmark::State& state) {
    const int questions = int(state.range(0));
    BenchWindow bench;
    if (const std::string problem = bench.startProblem(); !problem.empty())
        return benchFail(state, problem);
    Tanaekr& window = *bench.window;
    lineEdit(window, "sorusaye")->setText(QString::number(questions));
    clickButton(window, "dogrugir");
    QString keys[2];
    for (int n = 1; n <= questions; ++n)
        for (int turn : {0, 1})
            keys[turn] += QStringLiteral("%1-%2\r\n").arg(n).arg(QChar(u'A' + (n + turn) % 4));

    int turn = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QGuiApplication::clipboard()->setText(keys[turn]);
        turn = 1 - turn;
        QCoreApplication::processEvents();
        state.ResumeTiming();

        clickButton(window, "yapistir");
        QCoreApplication::processEvents(); // the grid shows the new keys
    }

    if (!bench.prompts.shown.isEmpty())
        return benchFail(state, bench.prompts.shown.first().text.toStdString());
    TableDataset& websoru = TanaekrTestAccess::websoru(window);
    if (websoru.value(questions - 1, QStringLiteral("dc")).toString() !=
        QString(QChar(u'A' + (questions + 1 - turn) % 4)))
        return benchFail(state, "keys not stored");
    state.SetItemsProcessed(state.iterations() * questions);
}

} // namespace

BENCHMARK(AnswerKeyPaste)
    ->ArgName("questions")
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(AnswerKeyPreparation)
    ->ArgName("questions")
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(AnswerKeyPreparationDataset)
    ->ArgName("questions")
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
