// The benchmark program. Everything runs on Qt's offscreen platform, so it
// needs no display. Called as "dorvana_bench --startup-child <folder> <fd>" it
// is instead one start of the program for the start-up benchmark.

#include "BenchSupport.h"
#include "ui/AppSetup.h"

#include <QApplication>

#include <cstdlib>
#include <cstring>

#include <unistd.h>

namespace {

// Starts as the program does (application, fonts and texts, window over the
// database in `folder`), writes one byte to the file descriptor `ready` as soon
// as the window is shown with its settings loaded, then closes as the program
// does. Returns 0 when it came up cleanly.
int startupChild(int argc, char** argv, const char* folder, int ready) {
    QApplication app(argc, argv);
    prepareApplication(app);
    ScriptedPrompts prompts;
    Tanaekr window(prompts, Tanaekr::Options{QString::fromLocal8Bit(folder)});
    window.show();
    window.activateWindow();
    const bool shown = waitUntilShown(window);
    const bool clean =
        shown && prompts.shown.isEmpty() && !lineEdit(window, "siksayl")->text().isEmpty();
    const char byte = clean ? '1' : '0';
    const bool told = ::write(ready, &byte, 1) == 1;
    ::close(ready);
    return clean && told ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 4 && std::strcmp(argv[1], "--startup-child") == 0)
        return startupChild(argc, argv, argv[2], std::atoi(argv[3]));

    QApplication app(argc, argv);
    prepareApplication(app);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return g_benchFailed ? 1 : 0;
}
