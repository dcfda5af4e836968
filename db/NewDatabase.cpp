#include "db/NewDatabase.h"

#include "core/AppError.h"
#include "core/Platform.h"
#include "db/Database.h"
#include "db/HeaderVfs.h"
#include "db/ResultStore.h"
#include "db/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace {

std::filesystem::path fsPath(const QString& path) {
    return std::filesystem::path(path.toStdU16String());
}

QString alreadyExistsText(const QString& path) {
    return QStringLiteral(u"\"%1\" adlı dosya zaten var; yeni veri tabanı var olan bir dosyanın "
                          u"yerine yazılmaz")
        .arg(path);
}

void syncFileAt(const QString& path) {
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        platform::syncFile(file.handle());
}

void removeLeftovers(const QString& temp) {
    for (const auto* suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(temp + QString::fromLatin1(suffix));
}

void fillNewDatabase(const QString& temp) {
    Database db(temp, Database::Mode::CreateNew);
    Transaction transaction(db);
    db.exec(newDatabaseSql());
    createResultTables(db);
    transaction.commit();
    // With the rollback journal the committed file holds everything by itself.
}

} // namespace

void createDatabase(const QString& path) {
    const QFileInfo target(path);
    if (target.exists() || target.isSymLink())
        throw AppError(alreadyExistsText(path));
    const QDir folder = target.absoluteDir();
    if (!folder.exists())
        throw AppError(QStringLiteral(u"\"%1\" klasörü bulunamadı").arg(folder.path()));

    const QString temp =
        platform::hiddenSiblingName(target.absoluteFilePath(), QStringLiteral(".new"));
    try {
        fillNewDatabase(temp);
        if (QFileInfo::exists(temp + QStringLiteral("-wal")) ||
            QFileInfo::exists(temp + QStringLiteral("-journal")))
            throw AppError(QStringLiteral(u"Yeni veri tabanı tamamlanamadı"));
        syncFileAt(temp);
    } catch (...) {
        removeLeftovers(temp);
        throw;
    }

    // A hard link puts the file in place only if the name is still free, so a
    // file made meanwhile by someone else is not replaced either.
    std::error_code linkError;
    std::filesystem::create_hard_link(fsPath(temp), fsPath(target.absoluteFilePath()), linkError);
    if (linkError == std::errc::file_exists) {
        removeLeftovers(temp);
        throw AppError(alreadyExistsText(path));
    }
    if (linkError) {
        // Some file systems have no hard links: rename, having checked the name.
        std::error_code renameError;
        if (QFileInfo::exists(path))
            renameError = std::make_error_code(std::errc::file_exists);
        else
            std::filesystem::rename(fsPath(temp), fsPath(target.absoluteFilePath()), renameError);
        if (renameError) {
            removeLeftovers(temp);
            throw AppError(QStringLiteral(u"\"%1\" dosyası oluşturulamadı. %2")
                               .arg(path, QString::fromLocal8Bit(renameError.message())));
        }
    } else {
        QFile::remove(temp);
    }
    platform::syncFolder(folder.absolutePath());
}
