#include "FileSet.h"

#include "AppError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

[[noreturn]] void fail(const QString& path, const QString& reason) {
    throw AppError(u"Cannot create file \"%1\". %2"_s.arg(path, reason));
}

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

std::filesystem::path fsPath(const QString& path) {
    return std::filesystem::path(path.toStdU16String());
}

// Forces the file's data to the disk, so that a rename never exposes a file
// whose contents are still only in the cache.
bool syncToDisk(QFile& file) {
#ifdef Q_OS_WIN
    return _commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

// Makes the renames themselves durable; best effort, a failure changes nothing
// that was written.
void syncFolder(const QString& folder) {
#ifndef Q_OS_WIN
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
#endif
}

class Temporaries {
public:
    ~Temporaries() {
        for (const QString& path : m_paths) {
            if (!path.isEmpty())
                QFile::remove(path);
        }
    }
    void add(const QString& path) { m_paths.push_back(path); }
    void release(std::size_t i) { m_paths[i].clear(); }
    const QString& at(std::size_t i) const { return m_paths[i]; }

private:
    std::vector<QString> m_paths;
};

// Creates and opens a new file of a name not yet taken, beside the final file:
// a dot, the final name and a random suffix.
QString createTemporary(QFile& file, const QString& finalPath) {
    const QFileInfo final(finalPath);
    for (int attempt = 0;; ++attempt) {
        const QString suffix =
            QString::number(QRandomGenerator::global()->generate64() & 0xFFFFFFFFFFFull, 36);
        file.setFileName(
            final.dir().filePath(u"."_s + final.fileName() + u'.' + suffix + u".tmp"_s));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return file.fileName();
        if (!file.exists() || attempt >= 20)
            fail(finalPath, file.errorString());
    }
}

} // namespace

void writeFileSet(const std::vector<OutputFile>& files) {
    Temporaries temporaries;

    for (const OutputFile& out : files) {
        const QFileInfo final(out.path);
        if (final.isDir())
            fail(out.path, systemReason(EISDIR));

        QFile file;
        temporaries.add(createTemporary(file, out.path));
        if (final.exists())
            file.setPermissions(final.permissions());
        if (file.write(out.bytes) != out.bytes.size() || !file.flush())
            fail(out.path, file.errorString());
        if (!syncToDisk(file))
            fail(out.path, systemReason(errno));
        file.close();
        if (file.error() != QFileDevice::NoError)
            fail(out.path, file.errorString());
    }

    for (std::size_t i = 0; i < files.size(); ++i) {
        std::error_code error;
        std::filesystem::rename(fsPath(temporaries.at(i)), fsPath(files[i].path), error);
        if (error)
            fail(files[i].path, QString::fromLocal8Bit(error.message()));
        temporaries.release(i);
    }

    for (const OutputFile& out : files)
        syncFolder(QFileInfo(out.path).absolutePath());
}
