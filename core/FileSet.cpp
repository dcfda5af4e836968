#include "core/FileSet.h"

#include "core/AppError.h"
#include "core/Platform.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Hidden names of this writer's own files. Only files of these endings are
// ever removed by a recovery.
const QString kTempEnding = u".dorvana-tmp"_s;
const QString kKeepEnding = u".dorvana-old"_s;
const QString kRecordEnding = u".dorvana-set"_s;
const QByteArray kRecordFirstLine = "dorvana-set 1";
const QByteArray kRecordLastLine = "end";
const QByteArray kRecordUndoLine = "undo";

void (*g_stepHook)() = nullptr;

void step() {
    if (g_stepHook)
        g_stepHook();
}

[[noreturn]] void fail(const QString& path, const QString& reason) {
    throw AppError(u"Cannot create file \"%1\". %2"_s.arg(path, reason));
}

std::filesystem::path fsPath(const QString& path) {
    return std::filesystem::path(path.toStdU16String());
}

bool exists(const QString& path) {
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(fsPath(path), ignored));
}

std::error_code renameFile(const QString& from, const QString& to) {
    std::error_code error;
    std::filesystem::rename(fsPath(from), fsPath(to), error);
    return error;
}

void removeFile(const QString& path) {
    std::error_code ignored;
    std::filesystem::remove(fsPath(path), ignored);
}

// One file of a recorded replacement: where it goes, where its new contents
// wait, and where the earlier file is kept meanwhile.
struct Entry {
    QString final;
    QString temp;
    QString keep;
};

// A replacement as recorded in its folder. `complete` is false for a record
// whose writing was cut short: no rename had begun then. `undo` marks one
// that could not be finished and is being undone.
struct Replacement {
    QString recordPath;
    std::vector<Entry> entries;
    bool complete = false;
    bool undo = false;
};

QByteArray encodeName(const QDir& folder, const QString& path) {
    return folder.relativeFilePath(path).toUtf8().toPercentEncoding();
}

// Writes the record and forces it and the names of the temporaries to disk:
// from here on a kill leaves a folder that recovery can finish.
void writeRecord(const Replacement& replacement, const QStringList& folders,
                 const QString& reportedPath) {
    const QDir folder = QFileInfo(replacement.recordPath).absoluteDir();
    QByteArray text = kRecordFirstLine + '\n';
    for (const Entry& e : replacement.entries)
        text += encodeName(folder, e.final) + ' ' + encodeName(folder, e.temp) + ' ' +
                encodeName(folder, e.keep) + '\n';
    text += kRecordLastLine + '\n';

    QFile record(replacement.recordPath);
    if (!record.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        fail(reportedPath, record.errorString());
    const bool written = record.write(text) == text.size() && record.flush();
    const int syncError = written ? platform::syncFile(record.handle()) : 0;
    const QString writeError = record.errorString();
    record.close();
    if (!written || syncError != 0 || record.error() != QFileDevice::NoError) {
        removeFile(replacement.recordPath);
        fail(reportedPath,
             written && syncError ? platform::systemErrorText(syncError) : writeError);
    }
    for (const QString& f : folders)
        platform::syncFolder(f);
}

std::optional<Replacement> readRecord(const QString& recordPath) {
    QFile record(recordPath);
    if (!record.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QList<QByteArray> lines = record.readAll().split('\n');
    if (lines.isEmpty() || lines.first() != kRecordFirstLine)
        return std::nullopt;
    const QDir folder = QFileInfo(recordPath).absoluteDir();
    Replacement replacement;
    replacement.recordPath = recordPath;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i] == kRecordLastLine) {
            replacement.complete = true;
            replacement.undo = lines.value(i + 1) == kRecordUndoLine;
            break;
        }
        const QList<QByteArray> fields = lines[i].split(' ');
        if (fields.size() != 3)
            break; // cut short while being written
        const auto name = [&](int field) {
            return folder.absoluteFilePath(
                QString::fromUtf8(QByteArray::fromPercentEncoding(fields[field])));
        };
        const Entry e{name(0), name(1), name(2)};
        // Names this writer never makes: a line cut short as it was written.
        if (!e.temp.endsWith(kTempEnding) || !e.keep.endsWith(kKeepEnding))
            break;
        replacement.entries.push_back(e);
    }
    return replacement;
}

QStringList foldersOf(const Replacement& replacement) {
    QStringList folders{QFileInfo(replacement.recordPath).absolutePath()};
    for (const Entry& e : replacement.entries)
        folders.append(QFileInfo(e.final).absolutePath());
    folders.removeDuplicates();
    return folders;
}

struct RenameFailure {
    std::size_t index;
    QString reason;
};

// Puts every temporary that is still waiting in place of its final file,
// keeping the earlier file first. Safe to run again after a kill at any step.
std::optional<RenameFailure> rollForward(const Replacement& replacement) {
    for (std::size_t i = 0; i < replacement.entries.size(); ++i) {
        const Entry& e = replacement.entries[i];
        if (!exists(e.temp))
            continue; // renamed before
        if (exists(e.final) && !exists(e.keep)) {
            step();
            // A second link where the file system has them, else moved aside
            // (undoing puts it back). Neither worked: the rename below meets
            // the same obstacle and reports it.
            std::error_code linkError;
            std::filesystem::create_hard_link(fsPath(e.final), fsPath(e.keep), linkError);
            if (linkError)
                (void)renameFile(e.final, e.keep);
        }
        step();
        if (const std::error_code error = renameFile(e.temp, e.final))
            return RenameFailure{i, QString::fromLocal8Bit(error.message())};
    }
    return std::nullopt;
}

// Gives every final file back its earlier state and removes the temporaries.
// Returns false when something could not be put back.
bool rollBack(const Replacement& replacement) {
    bool whole = true;
    for (std::size_t i = replacement.entries.size(); i-- > 0;) {
        const Entry& e = replacement.entries[i];
        step();
        if (exists(e.temp)) {
            // Not renamed: the final file is the earlier one, or was moved aside.
            removeFile(e.temp);
            if (exists(e.keep)) {
                if (exists(e.final))
                    removeFile(e.keep);
                else
                    whole = !renameFile(e.keep, e.final) && whole;
            }
        } else if (replacement.complete) {
            if (exists(e.keep))
                whole = !renameFile(e.keep, e.final) && whole;
            else
                removeFile(e.final); // no earlier file: the set had none of this name
        }
    }
    return whole;
}

// The replacement's end: the kept earlier files and the record go.
void removeLeftovers(const Replacement& replacement) {
    for (const Entry& e : replacement.entries) {
        if (exists(e.keep)) {
            step();
            removeFile(e.keep);
        }
    }
    step();
    removeFile(replacement.recordPath);
}

// Marks a recorded replacement as being undone, so that a recovery after a
// kill goes on undoing it rather than finishing a half-undone set.
void markUndo(const Replacement& replacement) {
    QFile record(replacement.recordPath);
    if (!record.open(QIODevice::Append))
        return;
    if (record.write(kRecordUndoLine + '\n') > 0 && record.flush())
        platform::syncFile(record.handle());
}

// Finishes a recorded replacement, or undoes it when it cannot be finished.
// Returns the failure that made it undo, if any; the record stays only when
// even undoing failed, for a later try.
std::optional<RenameFailure> complete(const Replacement& replacement) {
    const QStringList folders = foldersOf(replacement);
    std::optional<RenameFailure> failure;
    if (replacement.complete && !replacement.undo) {
        failure = rollForward(replacement);
        if (!failure) {
            for (const QString& f : folders)
                platform::syncFolder(f); // the new set is durable before the earlier one goes
            removeLeftovers(replacement);
            return std::nullopt;
        }
        markUndo(replacement);
    }
    if (rollBack(replacement)) {
        for (const QString& f : folders)
            platform::syncFolder(f);
        removeLeftovers(replacement);
    }
    return failure.value_or(RenameFailure{0, QString()});
}

// Removes temporaries left open by a failed write; a released path stays.
class Temporaries {
public:
    ~Temporaries() {
        for (const QString& path : m_paths)
            if (!path.isEmpty())
                QFile::remove(path);
    }
    void add(const QString& path) { m_paths.push_back(path); }
    void releaseAll() { m_paths.clear(); }
    const QString& at(std::size_t i) const { return m_paths[i]; }

private:
    std::vector<QString> m_paths;
};

// Creates and opens a new hidden file of a name not yet taken beside the final file.
QString createTemporary(QFile& file, const QString& finalPath) {
    for (int attempt = 0;; ++attempt) {
        file.setFileName(platform::hiddenSiblingName(finalPath, kTempEnding));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return file.fileName();
        if (!file.exists() || attempt >= 20)
            fail(finalPath, file.errorString());
    }
}

// Writes every file of the set to its temporary and forces it to disk. Each
// sync runs in a thread of its own, started as soon as its file is written:
// the syncs of a set overlap, and the file system can commit them together.
// Failures are reported for the first file of the set that failed, as if the
// files had been written and synced one by one.
void writeTemporaries(const std::vector<OutputFile>& files, Temporaries& temporaries) {
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
                fail(files[i].path, platform::systemErrorText(syncErrors[i]));
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
                fail(out.path, platform::systemErrorText(EISDIR));

            opened.push_back(std::make_unique<QFile>());
            QFile& file = *opened.back();
            temporaries.add(createTemporary(file, out.path));
            if (final.exists())
                platform::copyModeAndOwner(out.path, file);
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
            syncs.emplace_back([handle, error] { *error = platform::syncFile(handle); });
        } catch (const std::system_error&) {
            // No thread to spare: sync here and now.
            *error = platform::syncFile(handle);
        }
    }
    finishFiles(count);
}

} // namespace

void recoverFileSets(const QString& folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return;
    bool allFinished = true;
    QDirIterator records(folder, {u".*"_s + kRecordEnding}, QDir::Files | QDir::Hidden);
    while (records.hasNext()) {
        const QString path = records.next();
        const std::optional<Replacement> replacement = readRecord(path);
        if (!replacement) {
            allFinished = false; // not a record of ours after all: left alone
            continue;
        }
        complete(*replacement);
        allFinished = allFinished && !exists(path);
    }
    if (!allFinished)
        return; // a record still needs its kept files
    // Temporaries of a run killed before it recorded anything.
    QDirIterator leftovers(folder, {u".*"_s + kTempEnding, u".*"_s + kKeepEnding},
                           QDir::Files | QDir::Hidden | QDir::System);
    while (leftovers.hasNext())
        removeFile(leftovers.next());
}

void writeFileSet(const std::vector<OutputFile>& files) {
    if (files.empty())
        return;
    QStringList folders;
    for (const OutputFile& out : files)
        folders.append(QFileInfo(out.path).absolutePath());
    folders.removeDuplicates();
    for (const QString& f : std::as_const(folders))
        recoverFileSets(f);

    Temporaries temporaries;
    writeTemporaries(files, temporaries);

    Replacement replacement;
    replacement.recordPath = platform::hiddenSiblingName(
        QFileInfo(files.front().path).absoluteDir().filePath(u"dorvana"_s), kRecordEnding);
    for (std::size_t i = 0; i < files.size(); ++i) {
        const QString final = QFileInfo(files[i].path).absoluteFilePath();
        replacement.entries.push_back({final, QFileInfo(temporaries.at(i)).absoluteFilePath(),
                                       platform::hiddenSiblingName(final, kKeepEnding)});
    }
    replacement.complete = true;
    writeRecord(replacement, folders, files.front().path);
    temporaries.releaseAll(); // from here on the record owns them
    step();

    if (const std::optional<RenameFailure> failure = complete(replacement))
        fail(files[failure->index].path, failure->reason);
}

namespace fileset_testing {
void setStepHook(void (*hook)()) {
    g_stepHook = hook;
}
} // namespace fileset_testing
