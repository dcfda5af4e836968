#include "db/NewDatabase.h"

#include "core/AppError.h"
#include "db/Database.h"
#include "db/HeaderVfs.h"
#include "db/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString systemText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

void syncPath(const QString& path, int flags) {
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

void removeLeftovers(const QString& temp) {
    for (const auto* suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(temp + QString::fromLatin1(suffix));
}

void fillNewDatabase(const QString& temp) {
    Database db(temp, Database::Mode::CreateNew);
    Transaction transaction(db);
    db.exec(newDatabaseSql());
    transaction.commit();
    // Closing the last connection moves everything from the log into the file.
}

} // namespace

void createDatabase(const QString& path) {
    const QFileInfo target(path);
    if (target.exists() || target.isSymLink())
        throw AppError(QStringLiteral("The file \"%1\" already exists; a new database is never "
                                      "written over an existing file")
                           .arg(path));
    const QDir folder = target.absoluteDir();
    if (!folder.exists())
        throw AppError(QStringLiteral("The folder \"%1\" does not exist").arg(folder.path()));

    const QString temp = folder.filePath(
        QStringLiteral(".%1.%2.new")
            .arg(target.fileName(), QString::number(QRandomGenerator::global()->generate64(), 16)));
    try {
        fillNewDatabase(temp);
        if (QFileInfo::exists(temp + QStringLiteral("-wal")))
            throw AppError(QStringLiteral("The new database could not be completed"));
        syncPath(temp, O_RDONLY);
    } catch (...) {
        removeLeftovers(temp);
        throw;
    }

    // A hard link puts the file in place only if the name is still free, so a
    // file made meanwhile by someone else is not replaced either.
    const QByteArray from = QFile::encodeName(temp);
    const QByteArray to = QFile::encodeName(target.absoluteFilePath());
    if (::link(from.constData(), to.constData()) != 0) {
        const int error = errno;
        if (error == EEXIST) {
            removeLeftovers(temp);
            throw AppError(QStringLiteral("The file \"%1\" already exists; a new database is "
                                          "never written over an existing file")
                               .arg(path));
        }
        // Some file systems have no hard links: rename, having checked the name.
        if (QFileInfo::exists(path) || std::rename(from.constData(), to.constData()) != 0) {
            const int renameError = errno;
            removeLeftovers(temp);
            throw AppError(QStringLiteral("Cannot create the file \"%1\". %2")
                               .arg(path, systemText(renameError)));
        }
    } else {
        ::unlink(from.constData());
    }
    syncPath(folder.absolutePath(), O_RDONLY | O_DIRECTORY);
}
