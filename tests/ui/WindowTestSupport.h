#pragma once

#include "../pages/ExpectedFile.h"
#include "db/Database.h"
#include "db/ProgramDatabase.h"
#include "db/TableDataset.h"
#include "ui/Prompts.h"
#include "ui/Tanaekr.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <memory>

// What tests and benchmarks may reach inside the window besides its controls,
// which they find by object name.
struct TanaekrTestAccess {
    static TableDataset& websoru(Tanaekr& window) { return window.m_database->websoru(); }
    static QString databasePath(const Tanaekr& window) {
        return window.m_database->database()->path();
    }
};

// The window on a program folder, shown and active as after a start; its
// dialogs are answered by `prompts`.
inline std::unique_ptr<Tanaekr> showWindow(Prompts& prompts, const QString& programFolder) {
    auto window = std::make_unique<Tanaekr>(prompts, Tanaekr::Options{programFolder});
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get()))
        qWarning("the window did not become active");
    return window;
}

inline QLineEdit* lineEdit(const QWidget& window, const char* name) {
    return window.findChild<QLineEdit*>(QLatin1String(name));
}

inline void clickButton(const QWidget& window, const char* name) {
    QTest::mouseClick(window.findChild<QPushButton*>(QLatin1String(name)), Qt::LeftButton);
}

// What the error box shows for a use of a table that did not open.
inline QString closedDataset(const char* dataset) {
    return QLatin1String(dataset) +
           QStringLiteral(": Cannot perform this operation on a closed dataset.");
}

// "Doğru cevapları gir" for the fields as they stand, then the letters entered
// through the grid's model, as the grid enters them. False when a letter was refused.
inline bool prepareAnswerKey(const QWidget& window, const QString& letters) {
    clickButton(window, "dogrugir");
    QAbstractItemModel* model = window.findChild<QTableView*>(QStringLiteral("liste"))->model();
    bool allTaken = true;
    for (qsizetype i = 0; i < letters.size(); ++i)
        allTaken = model->setData(model->index(int(i), 2), QString(letters[i])) && allTaken;
    return allTaken;
}

// Every file of a folder with its bytes, to show that a failed run left the folder as it was.
inline QMap<QString, QByteArray> folderSnapshot(const QString& folder) {
    QMap<QString, QByteArray> files;
    const QStringList names =
        QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        QFile f(folder + QLatin1Char('/') + name);
        files.insert(name, f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>"));
    }
    return files;
}

inline QByteArray fileBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

inline QByteArray expectedPage(const QString& name) {
    return expectedFile(name);
}

// Replaces a line edit's text the way a user does: select all, then type.
inline void typeInto(QWidget* field, const QString& text) {
    field->setFocus(Qt::TabFocusReason);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Delete);
    // keyClicks cannot type the Turkish dotless and cedilla letters; send those one by one.
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

#include "db/NewDatabase.h"

#include <QTemporaryDir>

// A program folder of its own for one test, holding a new database file.
struct ProgramFolder {
    QTemporaryDir dir;
    QString databasePath;

    explicit ProgramFolder(bool withDatabase = true) {
        if (!dir.isValid())
            qFatal("no temporary folder");
        databasePath = dir.filePath(QStringLiteral("dorvana.MDB"));
        if (withDatabase)
            createDatabase(databasePath);
    }
    QString path() const { return dir.path(); }
};
