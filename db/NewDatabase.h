#pragma once

#include <QString>

// Creates a new database file at `path` holding the tables webtablo, webrenk
// and websoru and one settings record with the window's default colours, an
// empty navigation folder and 4 options. Refuses to write over an existing
// file. The file appears whole or not at all: it is built under a temporary
// name in the same folder and then moved into place.
void createDatabase(const QString& path);
