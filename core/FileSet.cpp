#include "core/FileSet.h"

#include "core/AppError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

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
bool syncToDisk(int handle) {
#ifdef Q_OS_WIN
    return _commit(handle) == 0;
#else
    return ::fsync(handle) == 0;
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

// A free name beside the final file for keeping the earlier file while the set is replaced.
QString sparePath(const QString& finalPath) {
    const QFileInfo final(finalPath);
    for (;;) {
        const QString suffix =
            QString::number(QRandomGenerator::global()->generate64() & 0xFFFFFFFFFFFull, 36);
        const QString path =
            final.dir().filePath(u"."_s + final.fileName() + u'.' + suffix + u".old"_s);
        if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
            return path;
    }
}

} // namespace

void writeFileSet(const std::vector<OutputFile>& files) {
    Temporaries temporaries;

    // Each temporary file's sync to disk runs in a thread of its own, started
    // as soon as the file is written: the syncs of a set overlap, and the file
    // system can commit them together instead of one after the other. Failures
    // are still reported for the first file of the set that failed, as if the
    // files had been written and synced one by one.
    const std::size_t count = files.size();
    std::vector<std::unique_ptr<QFile>> opened;
    std::vector<int> syncErrors(count, 0);
    std::vector<std::thread> syncs;
    opened.reserve(count);
    syncs.reserve(count);
    struct JoinSyncs {
        std::vector<std::thread>& threads;
        ~JoinSyncs() {
            for (std::thread& thread : threads)
                if (thread.joinable())
                    thread.join();
        }
    } joinSyncs{syncs};

    // Ends the syncs, then fails on the first of the files before `end` whose
    // sync or close failed; closes them all.
    auto finishFiles = [&](std::size_t end) {
        for (std::thread& thread : syncs)
            if (thread.joinable())
                thread.join();
        for (std::size_t i = 0; i < end; ++i) {
            if (syncErrors[i] != 0)
                fail(files[i].path, systemReason(syncErrors[i]));
            QFile& file = *opened[i];
            file.close();
            if (file.error() != QFileDevice::NoError)
                fail(files[i].path, file.errorString());
        }
    };

    for (std::size_t i = 0; i < count; ++i) {
        const OutputFile& out = files[i];
        try {
            const QFileInfo final(out.path);
            if (final.isDir())
                fail(out.path, systemReason(EISDIR));

            opened.push_back(std::make_unique<QFile>());
            QFile& file = *opened.back();
            temporaries.add(createTemporary(file, out.path));
            if (final.exists())
                file.setPermissions(final.permissions());
            if (file.write(out.bytes) != out.bytes.size() || !file.flush())
                fail(out.path, file.errorString());
        } catch (const AppError&) {
            // A file before this one whose sync failed was the set's first failure.
            finishFiles(i);
            throw;
        }

        const int handle = opened[i]->handle();
        int* const error = &syncErrors[i];
        try {
            syncs.emplace_back([handle, error] { *error = syncToDisk(handle) ? 0 : errno; });
        } catch (const std::system_error&) {
            // No thread to spare: sync here and now.
            *error = syncToDisk(handle) ? 0 : errno;
        }
    }
    finishFiles(count);

    // Each final file that exists is first kept under a spare name (a second
    // link to it where the file system has them, else moved aside), so that a
    // rename failing half way through the set can put every earlier file back.
    struct Kept {
        QString spare;        // the earlier file under its spare name, or empty
        bool existed = false; // a file of the final name was there before
    };
    std::vector<Kept> kept(files.size());
    auto putBack = [&](std::size_t done) {
        for (std::size_t j = done; j-- > 0;) {
            std::error_code ignored;
            if (!kept[j].spare.isEmpty()) {
                std::filesystem::rename(fsPath(kept[j].spare), fsPath(files[j].path), ignored);
                if (!ignored)
                    kept[j].spare.clear();
            } else if (!kept[j].existed) {
                std::filesystem::remove(fsPath(files[j].path), ignored);
            }
        }
    };
    struct SpareCleanup {
        std::vector<Kept>& kept;
        ~SpareCleanup() {
            for (const Kept& k : kept)
                if (!k.spare.isEmpty())
                    QFile::remove(k.spare);
        }
    } spareCleanup{kept};

    for (std::size_t i = 0; i < files.size(); ++i) {
        const QString& finalPath = files[i].path;
        std::error_code error;
        kept[i].existed =
            std::filesystem::exists(std::filesystem::symlink_status(fsPath(finalPath), error));
        bool movedAside = false;
        if (kept[i].existed) {
            const QString spare = sparePath(finalPath);
            std::error_code linkError;
            std::filesystem::create_hard_link(fsPath(finalPath), fsPath(spare), linkError);
            if (!linkError) {
                kept[i].spare = spare;
            } else {
                std::error_code moveError;
                std::filesystem::rename(fsPath(finalPath), fsPath(spare), moveError);
                if (!moveError) {
                    kept[i].spare = spare;
                    movedAside = true;
                }
                // Neither worked: the rename below meets the same obstacle and reports it.
            }
        }
        error.clear();
        std::filesystem::rename(fsPath(temporaries.at(i)), fsPath(finalPath), error);
        if (error) {
            if (movedAside) {
                std::error_code ignored;
                std::filesystem::rename(fsPath(kept[i].spare), fsPath(finalPath), ignored);
                if (!ignored)
                    kept[i].spare.clear();
            }
            putBack(i);
            fail(finalPath, QString::fromLocal8Bit(error.message()));
        }
        temporaries.release(i);
    }

    // Several files of a set share a folder; each folder is synced once.
    QStringList folders;
    for (const OutputFile& out : files)
        folders.append(QFileInfo(out.path).absolutePath());
    folders.removeDuplicates();
    for (const QString& folder : std::as_const(folders))
        syncFolder(folder);
}
