#pragma once

// Helpers of the fault tests: the window driven as a teacher drives it, and
// child processes that run part of the program until they are killed.

#include "DbTestSupport.h"
#include "ScriptedPrompts.h"
#include "WindowTestSupport.h"
#include "ui/ErrorHandler.h"
#include "ui/Tanaekr.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>

#include <cstdio>
#include <memory>

namespace reliability {

// The window on a program folder, shown, with its prompts answered by a script.
struct Window {
    ScriptedPrompts prompts;
    std::unique_ptr<Tanaekr> window;

    explicit Window(const QString& programFolder) : window(showWindow(prompts, programFolder)) {}
    QLineEdit* edit(const char* name) const { return lineEdit(*window, name); }
    void click(const char* name) { clickButton(*window, name); }
    // "Doğru cevapları gir" for the count, then the letters entered through the grid's model.
    void prepareKeys(const QString& testName, int count, const QString& letters) {
        edit("testadl")->setText(testName);
        edit("sorusaye")->setText(QString::number(count));
        prepareAnswerKey(*window, letters);
    }
};

// Tells the parent how far the child got: one line on standard output, sent at once.
inline void tellParent(const QByteArray& line) {
    std::fputs((line + '\n').constData(), stdout);
    std::fflush(stdout);
}

// Starts this test program again with `args` (its child mode) and waits for
// its first line; returns false when it did not come.
inline bool startChild(QProcess& child, const QStringList& args, QByteArray* firstLine = nullptr,
                       int timeoutMs = 60000) {
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), args);
    if (!child.waitForStarted())
        return false;
    QElapsedTimer timer;
    timer.start();
    while (!child.canReadLine()) {
        if (child.state() != QProcess::Running || timer.elapsed() > timeoutMs)
            return false;
        child.waitForReadyRead(100);
    }
    const QByteArray line = child.readLine().trimmed();
    if (firstLine)
        *firstLine = line;
    return true;
}

inline QList<QVariantList> integrityCheck(const QString& path) {
    return dbtest::query(path, QStringLiteral("PRAGMA integrity_check"));
}

inline const QList<QVariantList> kIntegrityOk = {{QStringLiteral("ok")}};

} // namespace reliability
