#include "db/DatabaseLocation.h"

#include "core/AppError.h"
#include "core/Platform.h"
#include "db/NewDatabase.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString userDataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

bool exists(const QFileInfo& file) {
    return file.exists() || file.isSymLink();
}

// The folder holds the answer keys: on a computer the pupils share, only its
// owner may look in, also when it was made open by something else. Folders
// above it are made as usual.
bool makeOwnFolder(const QString& folder) {
    const QString absolute = QFileInfo(folder).absoluteFilePath();
    if (!QDir().mkpath(QFileInfo(absolute).absolutePath()))
        return false;
    QDir().mkdir(absolute, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    platform::restrictToOwner(absolute);
    return QFileInfo(absolute).isDir(); // also when another program made it meanwhile
}

} // namespace

QString databaseInDataFolder(const QString& dataFolder, const QString& fileName) {
    const QString path = QDir(dataFolder).filePath(fileName);
    if (exists(QFileInfo(path))) {
        if (QFileInfo(dataFolder).isDir())
            platform::restrictToOwner(dataFolder);
        return path;
    }
    if (!makeOwnFolder(dataFolder))
        throw AppError(QStringLiteral(u"Kullanıcının veri klasörü \"%1\" oluşturulamadı.")
                           .arg(QDir::toNativeSeparators(dataFolder)));
    try {
        createDatabase(path);
    } catch (const AppError& error) {
        // Another copy of the program made it in the meantime: use that one.
        if (exists(QFileInfo(path)))
            return path;
        throw AppError(QStringLiteral(u"Veritabanı dosyası \"%1\" oluşturulamadı: %2")
                           .arg(QDir::toNativeSeparators(path), error.text()));
    }
    return path;
}

std::optional<QString> perUserDatabase(const QString& programFolder, const QString& fileName) {
    const QFileInfo folder(programFolder);
    if (!folder.isDir() || folder.isWritable())
        return std::nullopt;
    if (exists(QFileInfo(QDir(programFolder).filePath(fileName))))
        return std::nullopt;
    const QString dataFolder = userDataFolder();
    if (dataFolder.isEmpty())
        return std::nullopt;
    return databaseInDataFolder(dataFolder, fileName);
}

QStringList privateDataPaths(const QString& databasePath) {
    QStringList paths;
    if (!databasePath.isEmpty())
        for (const char* suffix : {"", "-journal", "-wal", "-shm"})
            paths << databasePath + QLatin1String(suffix);
    const QString dataFolder = userDataFolder();
    if (!dataFolder.isEmpty())
        paths << dataFolder;
    return paths;
}
