#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

class QFile;
class QObject;

// The few things the program asks of the operating system directly, in one
// place, so that a port to another system changes only this file.
namespace platform {

// The system's own text for an error number (errno), in the user's locale.
QString systemErrorText(int error);

// The error number of the last failed system call.
int lastSystemError();

// Forces an open file's data to the disk. Returns 0, or the error number.
int syncFile(int handle);

// Makes the names created, renamed or removed in a folder durable. Best
// effort: a failure changes nothing that was written. Does nothing where
// folders cannot be synced.
void syncFolder(const QString& folder);

// A hidden name beside `path` that is not taken yet at the moment of the
// call: a dot, the file's name, a random part and `ending`
// (".test01ind.htm.k3j9x2a.dorvana-tmp"). Creating the file remains the
// caller's job, exclusively.
QString hiddenSiblingName(const QString& path, const QString& ending);

// Gives `target` (an open file) the permission bits and, where the program
// may set it, the owner of the file at `source`. Best effort.
void copyModeAndOwner(const QString& source, QFile& target);

// What a name in a folder is, seen without following a symbolic link.
enum class FileKind { Missing, Regular, SymbolicLink, Folder, Other };

struct FileStatus {
    FileKind kind = FileKind::Missing;
    qint64 size = 0;
    quint64 device = 0; // the file system it lives on; 0 where unknown
    quint64 id = 0;     // the file itself (inode), the same under every name; 0 where unknown
};

// The status of `path` itself (lstat): a symbolic link is reported as one.
FileStatus fileStatus(const QString& path);

// The whole contents of a regular file of at most `maxBytes`, read without
// following a symbolic link, without blocking (a FIFO or device is refused
// before it is read) and without allocating more than `maxBytes` + 1 bytes.
// Otherwise no value, and `why` says why.
std::optional<QByteArray> readSmallRegularFile(const QString& path, qint64 maxBytes,
                                               QString* why);

// A file opened for reading without waiting on it: a FIFO with no writer or a
// device opens at once. What was opened is described from the open descriptor
// itself, so a name swapped between a check and the open changes nothing.
struct OpenedFile {
    int handle = -1; // the descriptor, -1 when the open failed
    int error = 0;   // the error number of a failed open
    bool regular = false;
    qint64 size = 0;
    QString realPath; // the descriptor's real path, empty where the system does not tell it
};
OpenedFile openForReading(const QString& path);
void closeFile(int handle);

// Leaves `path` to its owner alone: read and write for a file, also entry for
// a folder; nothing for the group and others. Best effort; no effect where
// the system keeps permissions otherwise.
void restrictToOwner(const QString& path);

// Calls `handler` on the event loop of `context`'s thread when the process is
// asked to end (SIGTERM or SIGINT where the system has them), instead of the
// process ending at once. Set once per process; later calls are ignored.
void onTerminationRequest(QObject* context, std::function<void()> handler);

} // namespace platform
