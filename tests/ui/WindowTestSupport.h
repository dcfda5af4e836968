#pragma once

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QTest>

// Every file of a folder with its bytes, to show that a failed run left the folder as it was.
inline QMap<QString, QByteArray> folderSnapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        QFile f(folder + QLatin1Char('/') + name);
        files.insert(name, f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>"));
    }
    return files;
}

inline QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

inline QByteArray expectedPage(const QString& name)
{
    QFile f(QStringLiteral(DORVANA_TEST_DATA "/pages/") + name);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing expected file %s", qPrintable(f.fileName()));
    return f.readAll();
}

// Replaces a line edit's text the way a user does: select all, then type.
inline void typeInto(QWidget* field, const QString& text)
{
    field->setFocus(Qt::TabFocusReason);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Delete);
    // keyClicks cannot type the Turkish dotless and cedilla letters; send those one by one.
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

#include "NewDatabase.h"

#include <QTemporaryDir>

// A program folder of its own for one test, holding a new database file.
struct ProgramFolder {
    QTemporaryDir dir;
    QString databasePath;

    explicit ProgramFolder(bool withDatabase = true)
    {
        if (!dir.isValid())
            qFatal("no temporary folder");
        databasePath = dir.filePath(QStringLiteral("dorvana.MDB"));
        if (withDatabase)
            createDatabase(databasePath);
    }
    QString path() const { return dir.path(); }
};
