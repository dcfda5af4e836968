// Start-up to the first shown window: the database found beside the program,
// checked, its tables opened, the previous answer key cleared and the settings
// loaded into the fields, the window painted.

#include "BenchSupport.h"
#include "db/Database.h"
#include "db/NewDatabase.h"

#include <QFile>

#include <chrono>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// A database as a previous session leaves it: `rows` answer-key rows of its test.
void makeDatabase(const QString& path, int rows) {
    createDatabase(path);
    Database db(path);
    db.exec(QStringLiteral(
                "INSERT INTO websoru (testadi, soruno, dosya, dc) "
                "WITH RECURSIVE q(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM q WHERE n < %1) "
                "SELECT 'Önceki deneme', n, 'test01s' || n || '.mht', 'C' FROM q")
                .arg(rows));
}

bool restoreDatabase(const QString& from, const QString& to) {
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(to + QLatin1String(suffix));
    return QFile::copy(from, to);
}

// The window made and shown in this process, whose application is already up.
// range(0): answer-key rows the database holds from the previous session.
void StartupWindow(benchmark::State& state) {
    const int rows = int(state.range(0));
    ProgramFolder folder(false);
    QTemporaryDir templates;
    const QString saved = templates.filePath(QStringLiteral("saved.MDB"));
    makeDatabase(saved, rows);

    ScriptedPrompts prompts;
    std::unique_ptr<Tanaekr> window;
    for (auto _ : state) {
        state.PauseTiming();
        window.reset();
        if (!restoreDatabase(saved, folder.databasePath))
            return benchFail(state, "cannot copy the database");
        state.ResumeTiming();

        window = std::make_unique<Tanaekr>(prompts, Tanaekr::Options{folder.path()});
        window->show();
        window->activateWindow();
        if (!waitUntilShown(*window))
            return benchFail(state, "window not shown");
    }
    if (!prompts.shown.isEmpty())
        return benchFail(state, prompts.shown.first().text.toStdString());
    if (lineEdit(*window, "siksayl")->text() != QStringLiteral("4"))
        return benchFail(state, "settings not loaded");
}

// A whole new program process: libraries loaded, application and fonts set
// up, then the window as above. The time runs until the process says its
// window is shown; its closing afterwards is not counted.
void StartupProcess(benchmark::State& state) {
    ProgramFolder folder;
    const QByteArray folderPath = QFile::encodeName(folder.path());
    char program[] = "/proc/self/exe";
    char name[] = "dorvana_bench";
    char mode[] = "--startup-child";

    for (auto _ : state) {
        int ready[2];
        if (::pipe(ready) != 0)
            return benchFail(state, "no pipe");
        ::fcntl(ready[0], F_SETFD, FD_CLOEXEC);
        QByteArray readyFd = QByteArray::number(ready[1]);
        char* argv[] = {name, mode, const_cast<char*>(folderPath.constData()), readyFd.data(),
                        nullptr};

        const auto start = std::chrono::steady_clock::now();
        pid_t child = 0;
        const int spawned = posix_spawn(&child, program, nullptr, nullptr, argv, environ);
        ::close(ready[1]);
        char byte = 0;
        const bool told = spawned == 0 && ::read(ready[0], &byte, 1) == 1 && byte == '1';
        const auto shown = std::chrono::steady_clock::now();
        ::close(ready[0]);
        state.SetIterationTime(std::chrono::duration<double>(shown - start).count());

        int status = 0;
        if (spawned != 0)
            return benchFail(state, "cannot start the program");
        if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
            !told)
            return benchFail(state, "the program did not start cleanly");
    }
}

} // namespace

BENCHMARK(StartupWindow)
    ->ArgName("earlier_rows")
    ->Arg(0)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(StartupProcess)->Unit(benchmark::kMillisecond)->UseManualTime();
