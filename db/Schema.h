#pragma once

#include <QString>

class Database;

// Which tables and fields a database file has is told by its schema version
// (PRAGMA user_version). Files of the first program carry 0, which counts as 1.
constexpr int kCurrentSchemaVersion = 6;

// The statements that make the program's first tables at the current version
// (the answer key, its sections and the class lists), with the default settings row;
// createResultTables (db/ResultStore.h) adds the tables of generated tests and results.
QString newDatabaseSql();

// The file's schema version, 0 read as 1.
int schemaVersion(Database& db);

// Brings an older file up to the current version in one transaction: the
// fields and tables each later version brought are added with their defaults,
// and nothing stored is changed. A file of a later version than this program
// knows is refused with a Turkish message and left as it is.
void upgradeSchema(Database& db);

QString newerSchemaText(int fileVersion);

// Refuses, reading only, a file this program must not change: one of a later
// version, or one whose schema holds a trigger or a view (this program makes
// none; such SQL would run on its saves).
void refuseForeignSchema(Database& db);
QString foreignSchemaText(const QString& kind, const QString& name);
