#pragma once

#include <QByteArray>
#include <QString>

// The start-up check of a database file's first bytes.

// Reads up to 19 bytes from the start of the file; a shorter file gives fewer.
// The file is opened for reading and writing, as the check has always done,
// so a read-only file is refused here. A missing file throws AppError
// "File not found", a file without access "File access denied".
QByteArray readHeaderBytes(const QString& path);

// True when the bytes, each taken as a one-character text with the characters
// of codes 0 to 32 removed at both ends and joined, give "StandardJetDB" exactly.
bool isJetHeaderText(const QByteArray& bytes);
