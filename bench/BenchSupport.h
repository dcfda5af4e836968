#pragma once

#include "ScriptedPrompts.h"
#include "WindowTestSupport.h"
#include "ui/Tanaekr.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWindow>

#include <memory>
#include <string>

// Set when a benchmark could not do its work; the run then ends with a failure.
inline bool g_benchFailed = false;

inline void benchFail(benchmark::State& state, const std::string& why) {
    g_benchFailed = true;
    state.SkipWithError(why.c_str());
}

// Processes events until the window is on the (offscreen) screen, then once
// more so that its first paint is done. False when it does not appear.
inline bool waitUntilShown(QWidget& window, int timeoutMs = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (!(window.windowHandle() && window.windowHandle()->isExposed())) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return true;
}

// The program's window over a new database in a program folder of its own,
// shown as at start-up, with an output folder for the pages.
struct BenchWindow {
    ProgramFolder programFolder;
    QTemporaryDir outputFolder;
    ScriptedPrompts prompts;
    std::unique_ptr<Tanaekr> window;

    // outputBase: the folder to make the output folder in; empty for the system's temporary folder.
    explicit BenchWindow(const QString& outputBase = {})
        : outputFolder(outputBase.isEmpty()
                           ? QDir::tempPath() + QStringLiteral("/dorvana-bench-XXXXXX")
                           : outputBase + QStringLiteral("/dorvana-bench-XXXXXX")) {
        window = std::make_unique<Tanaekr>(prompts, Tanaekr::Options{programFolder.path()});
        window->show();
        window->activateWindow();
    }

    // Empty when the window came up as at a normal start, else what went wrong.
    std::string startProblem() {
        if (!outputFolder.isValid())
            return "no output folder";
        if (!waitUntilShown(*window))
            return "window not shown";
        if (!prompts.shown.isEmpty())
            return "start-up message: " + prompts.shown.first().text.toStdString();
        return {};
    }
};
