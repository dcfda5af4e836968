#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// The one rule for reading a file that comes from outside into what the
// program makes or stores: question files and the files they link, the
// navigation images of a page, pupils' result files. Such a file is whatever
// a memory stick or a shared folder brought: a link to a private file, a FIFO
// that never ends, a device. It is read only when it is a regular file,
// opened without waiting on it, and never above a size limit.

struct InputFile {
    QByteArray bytes;
    QString realPath; // where the bytes came from, all links followed
    QString refusal;  // why the file was not read, in Turkish; empty when it was
    bool tooBig = false;
    bool ok() const { return refusal.isEmpty(); }
};

// A regular file read whole. A FIFO, a device or a folder is refused without
// being waited on; so is a file of more than `limit` bytes, unread.
InputFile readRegularFile(const QString& path, qint64 limit);

// The files a page may take in: regular files whose real path lies inside
// the output folder, with no hidden file or folder (a name starting with
// ".") on the way below it, and none of the program's private files (its
// database, its data folder) or anything inside them.
class FolderInput {
public:
    FolderInput(const QString& folder, const QStringList& privatePaths);

    // The file at `path` under the rule; a refused one is not opened, or (when
    // its name changed meanwhile) not read.
    InputFile read(const QString& path, qint64 limit) const;

    // Why the file at `realPath` may not be read (Turkish), or empty.
    QString refusalFor(const QString& realPath) const;

    const QString& folder() const { return m_folder; }

    // How a message names the file at `path`: relative to the folder.
    QString nameOf(const QString& path) const;

private:
    QString m_folder;
    QString m_root; // the folder's real path
    QStringList m_private;
};
