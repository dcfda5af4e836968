#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Where an installed program keeps its database. A program in a folder it
// cannot write (a system folder such as /usr/bin) with no database beside it
// uses `fileName` in the user's data folder (QStandardPaths::AppDataLocation),
// made with the defaults of dorvana-newdb on the first start. Returns nothing
// when the program's folder is writable or does not exist, so that start-up
// goes on as before (the file-open dialog). Throws AppError when the data
// folder or the new database cannot be made.
std::optional<QString> perUserDatabase(const QString& programFolder, const QString& fileName);

// The database `fileName` in `dataFolder`: the folder is made when missing and
// a new database when no file of that name is there. An existing file is
// never written over, also when another program makes it at the same moment:
// then that one is used. Returns the file's path; throws AppError.
QString databaseInDataFolder(const QString& dataFolder, const QString& fileName);

// The program's private files, never to be read into a page: the database at
// `databasePath` with its journal and log, and the user's data folder.
QStringList privateDataPaths(const QString& databasePath);
