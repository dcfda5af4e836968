// The settings record: saved by "Renk ve klasör bilgilerini kaydet" in the
// window, and loaded from the file as at start-up (table opened on a new
// connection, then the record read field by field).

#include "BenchSupport.h"
#include "db/Database.h"
#include "db/Settings.h"
#include "db/TableDataset.h"

#include <QLineEdit>

namespace {

void SettingsSave(benchmark::State& state) {
    BenchWindow bench;
    if (const std::string problem = bench.startProblem(); !problem.empty())
        return benchFail(state, problem);
    Tanaekr& window = *bench.window;

    bool odd = false;
    for (auto _ : state) {
        state.PauseTiming();
        // A changed colour each time, so that every save writes.
        lineEdit(window, "sorusrenk")
            ->setText(odd ? QStringLiteral("#112233") : QStringLiteral("#332211"));
        odd = !odd;
        state.ResumeTiming();
        window.renkkaydet();
    }

    const QString saved = QStringLiteral(u"Renk ve klasör bilgileri kaydedildi.");
    for (const auto& shown : std::as_const(bench.prompts.shown))
        if (shown.text != saved)
            return benchFail(state, shown.text.toStdString());
}

void SettingsLoad(benchmark::State& state) {
    ProgramFolder folder;
    Settings settings;
    for (auto _ : state) {
        TableDataset webrenk(QStringLiteral("webrenk"));
        webrenk.setDatabase(Database::shared(folder.databasePath));
        webrenk.setTableName(QStringLiteral("webrenk"));
        webrenk.open();
        loadSettings(webrenk, settings, [](const SettingsField&) {});
        state.PauseTiming(); // closing the connection is not part of loading
        webrenk.close();
        state.ResumeTiming();
    }
    if (settings.siksay != 4)
        return benchFail(state, "settings not loaded");
}

} // namespace

BENCHMARK(SettingsSave)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SettingsLoad)->Unit(benchmark::kMillisecond)->UseRealTime();
