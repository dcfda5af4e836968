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
// Format 2 adds the files the set created (format 1 records only replaced ones);
// format 3 the folders it created, and files in folders below the record's.
const QByteArray kRecordFirstLine = "dorvana-set 3";
const QByteArray kRecordFirstLineV2 = "dorvana-set 2";
const QByteArray kRecordFirstLineV1 = "dorvana-set 1";
const QByteArray kFolderMark = "folder";
const QByteArray kRecordLastLine = "end";
const QByteArray kRecordUndoLine = "undo";
const QByteArray kNoKeep = "-";
// A record is a few lines: anything larger is not ours and is not even read whole.
constexpr qint64 kRecordMaxBytes = 64 * 1024;

using fileset_testing::Step;
int (*g_stepHook)(Step, const QString&) = nullptr;

// Before each step that changes the folder: the test hook may stop there, or
// make the step fail with an error number.
int step(Step kind, const QString& path) {
    return g_stepHook ? g_stepHook(kind, path) : 0;
}

[[noreturn]] void fail(const QString& path, const QString& reason) {
    throw AppError(u"Cannot create file \"%1\". %2"_s.arg(path, reason));
}

std::filesystem::path fsPath(const QString& path) {
    return std::filesystem::path(path.toStdU16String());
}

bool exists(const QString& path) {
    return platform::fileStatus(path).kind != platform::FileKind::Missing;
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

QString errorText(const std::error_code& error) {
    return QString::fromLocal8Bit(error.message());
}

// One file of a recorded replacement: where it goes, where its new contents
// wait, and where the earlier file is kept meanwhile. `created`: no file of
// the final name was there when the set was recorded; the file the set puts
// there is the temporary's file `tempId` (0 where the system has no such
// number), and only that file is ever removed again.
struct Entry {
    QString final;
    QString temp;
    QString keep;
    bool created = false;
    quint64 tempId = 0;
};

// A replacement as recorded in its folder. `complete` is false for a record
// whose writing was cut short: no rename had begun then. `undo` marks one
// that could not be finished and is being undone.
struct Replacement {
    QString recordPath;
    std::vector<Entry> entries;
    QStringList createdFolders; // made by the set, outermost first; removed again when undone
    bool complete = false;
    bool undo = false;
};

// A path as the record names it: relative to the record's folder, each part
// percent-encoded on its own, so that only "/" separates them.
QByteArray encodeName(const QString& path, const QString& folder) {
    QByteArrayList parts;
    for (const QString& part : QDir(folder).relativeFilePath(path).split(u'/'))
        parts << part.toUtf8().toPercentEncoding();
    return parts.join('/');
}

// Writes the record and forces it and the names of the temporaries to disk:
// from here on a kill leaves a folder that recovery can finish.
void writeRecord(const Replacement& replacement, const QString& folder,
                 const QString& reportedPath) {
    QByteArray text = kRecordFirstLine + '\n';
    for (const QString& created : replacement.createdFolders)
        text += kFolderMark + ' ' + encodeName(created, folder) + '\n';
    for (const Entry& e : replacement.entries) {
        text += encodeName(e.final, folder) + ' ' + encodeName(e.temp, folder) + ' ';
        text +=
            e.created ? kNoKeep + ' ' + QByteArray::number(e.tempId) : encodeName(e.keep, folder);
        text += '\n';
    }
    text += kRecordLastLine + '\n';
    if (text.size() + kRecordUndoLine.size() + 2 > kRecordMaxBytes) // recovery would refuse it
        fail(reportedPath, u"Too many files in one set."_s);

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
    platform::syncFolder(folder);
}

// A name that stays in the folder it is joined to: no separator of either
// kind, no "..", not absolute, not empty.
bool plainName(const QString& name) {
    if (name.isEmpty() || name == "."_L1 || name == ".."_L1 || name.contains(u'/') ||
        name.contains(u'\\') || name.contains(QChar(0)))
        return false;
#if defined(Q_OS_WIN)
    if (name.contains(u':')) // a drive ("C:x") or a stream
        return false;
#endif
    return true;
}

// A relative path of plain names ("resim/ilk.gif"), split into its folder
// part ("resim", or empty) and its last name. False for anything else.
bool plainRelativePath(const QString& path, QString& folderPart, QString& name) {
    const QStringList parts = path.split(u'/');
    for (const QString& part : parts)
        if (!plainName(part))
            return false;
    name = parts.last();
    folderPart = parts.mid(0, parts.size() - 1).join(u'/');
    return true;
}

// Every folder between `folder` and `path` is a real folder (not a link) on
// the same file system, or missing: nothing the record names leads elsewhere.
bool foldersBetweenAreOwn(const QString& folder, const QString& path, quint64 device) {
    QString at = QFileInfo(path).absolutePath();
    while (at.size() > folder.size()) {
        const platform::FileStatus status = platform::fileStatus(at);
        if (status.kind != platform::FileKind::Missing &&
            (status.kind != platform::FileKind::Folder || status.device != device))
            return false;
        at = QFileInfo(at).absolutePath();
    }
    return true;
}

// The random part platform::hiddenSiblingName puts in a name.
bool randomPart(QStringView text) {
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (!(c >= u'0' && c <= u'9') && !(c >= u'a' && c <= u'z'))
            return false;
    return true;
}

// `name` is one this writer makes beside `final`: ".<final>.<random><ending>".
bool ownSiblingName(const QString& name, const QString& final, const QString& ending) {
    const QString start = u'.' + final + u'.';
    return name.size() > start.size() + ending.size() && name.startsWith(start) &&
           name.endsWith(ending) &&
           randomPart(
               QStringView(name).sliced(start.size(), name.size() - start.size() - ending.size()));
}

// A leftover of this writer, by its name alone: ".<name>.<random><ending>".
bool ownLeftoverName(const QString& name, const QString& ending) {
    if (!name.startsWith(u'.') || !name.endsWith(ending))
        return false;
    const QStringView rest = QStringView(name).chopped(ending.size());
    const qsizetype dot = rest.lastIndexOf(u'.');
    return dot > 1 && randomPart(rest.sliced(dot + 1));
}

bool ownRecordName(const QString& name) {
    return ownSiblingName(name, u"dorvana"_s, kRecordEnding);
}

// A file of the folder that recovery may act on: a regular file on the
// folder's own file system, or nothing of that name.
bool ownKindOfFile(const QString& path, quint64 device) {
    const platform::FileStatus status = platform::fileStatus(path);
    return status.kind == platform::FileKind::Missing ||
           (status.kind == platform::FileKind::Regular && status.device == device);
}

// Reads a record of `folder`. A record is acted on only when everything in
// it is what this writer makes; otherwise no value, and `why` says why.
std::optional<Replacement> readRecord(const QString& folder, const QString& recordPath,
                                      QString& why) {
    const quint64 device = platform::fileStatus(folder).device;
    if (!ownRecordName(QFileInfo(recordPath).fileName())) {
        why = u"not a name this program gives its records"_s;
        return std::nullopt;
    }
    if (platform::fileStatus(recordPath).device != device) {
        why = u"not a regular file of the folder's own file system"_s;
        return std::nullopt;
    }
    const std::optional<QByteArray> text =
        platform::readSmallRegularFile(recordPath, kRecordMaxBytes, &why);
    if (!text)
        return std::nullopt;
    QList<QByteArray> lines = text->split('\n');
    // A last line without its line break was cut short as it was written.
    lines.removeLast();
    Replacement replacement;
    replacement.recordPath = recordPath;
    if (text->isEmpty())
        return replacement; // created, then killed before its first line: names nothing
    if (lines.isEmpty() ||
        (lines.first() != kRecordFirstLine && lines.first() != kRecordFirstLineV2 &&
         lines.first() != kRecordFirstLineV1)) {
        why = u"no record of this program"_s;
        return std::nullopt;
    }
    const QDir dir(folder);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i] == kRecordLastLine) {
            replacement.complete = true;
            replacement.undo = lines.mid(i + 1).contains(kRecordUndoLine);
            break;
        }
        const QList<QByteArray> fields = lines[i].split(' ');
        const auto name = [&](int field) {
            QStringList parts;
            for (const QByteArray& part : fields[field].split('/'))
                parts << QString::fromUtf8(QByteArray::fromPercentEncoding(part));
            return parts.join(u'/');
        };
        if (fields.size() == 2 && fields[0] == kFolderMark && lines.first() == kRecordFirstLine) {
            QString above, last;
            const QString created = dir.filePath(name(1));
            if (!plainRelativePath(name(1), above, last) ||
                !foldersBetweenAreOwn(folder, created + u"/x"_s, device)) {
                why = u"line %1 names a folder that is not one of this program's own"_s.arg(i + 1);
                return std::nullopt;
            }
            replacement.createdFolders << created;
            continue;
        }
        const bool created = fields.size() == 4 && fields[2] == kNoKeep;
        bool idOk = true;
        const Entry e{name(0), name(1), created ? QString() : name(2), created,
                      created ? fields[3].toULongLong(&idOk) : 0};
        // Names this writer makes, in this folder or a folder below it, of its own patterns.
        QString finalFolder, finalName, tempFolder, tempName, keepFolder, keepName;
        const bool own =
            (fields.size() == 3 || created) && idOk &&
            plainRelativePath(e.final, finalFolder, finalName) &&
            plainRelativePath(e.temp, tempFolder, tempName) && tempFolder == finalFolder &&
            (created ||
             (plainRelativePath(e.keep, keepFolder, keepName) && keepFolder == finalFolder)) &&
            (finalFolder.isEmpty() || lines.first() == kRecordFirstLine) &&
            !finalName.endsWith(kTempEnding) && !finalName.endsWith(kKeepEnding) &&
            !finalName.endsWith(kRecordEnding) &&
            ownSiblingName(tempName, finalName, kTempEnding) &&
            (created || ownSiblingName(keepName, finalName, kKeepEnding));
        if (!own) {
            why =
                u"line %1 names a file that is not one of this program's own in this folder"_s.arg(
                    i + 1);
            return std::nullopt;
        }
        Entry entry{dir.filePath(e.final), dir.filePath(e.temp),
                    created ? QString() : dir.filePath(e.keep), created, e.tempId};
        for (const QString* path : {&entry.final, &entry.temp, &entry.keep}) {
            if (!path->isEmpty() &&
                (!ownKindOfFile(*path, device) || !foldersBetweenAreOwn(folder, *path, device))) {
                why = u"\"%1\" is not a regular file of the folder's own file system"_s.arg(
                    QFileInfo(*path).fileName());
                return std::nullopt;
            }
        }
        replacement.entries.push_back(entry);
    }
    return replacement;
}

struct RenameFailure {
    std::size_t index;
    QString reason;
};

// Puts every temporary that is still waiting in place of its final file,
// keeping the earlier file first. Safe to run again after a kill at any step:
// an earlier file is renamed over only once it is kept.
std::optional<RenameFailure> rollForward(const Replacement& replacement) {
    for (std::size_t i = 0; i < replacement.entries.size(); ++i) {
        const Entry& e = replacement.entries[i];
        if (!exists(e.temp))
            continue;                     // renamed before
        if (e.created && exists(e.final)) // a file that was not there when the set began
            return RenameFailure{i, platform::systemErrorText(EEXIST)};
        if (!e.created && !exists(e.keep)) {
            if (int injected = step(Step::KeepEarlier, e.final))
                return RenameFailure{i, platform::systemErrorText(injected)};
            // A second link where the file system has them, else moved aside
            // (undoing puts it back). Neither worked: nothing is renamed over it.
            std::error_code linkError;
            std::filesystem::create_hard_link(fsPath(e.final), fsPath(e.keep), linkError);
            if (linkError) {
                if (const std::error_code error = renameFile(e.final, e.keep))
                    return RenameFailure{i, errorText(error)};
            }
        }
        if (int injected = step(Step::PutNew, e.final))
            return RenameFailure{i, platform::systemErrorText(injected)};
        if (const std::error_code error = renameFile(e.temp, e.final))
            return RenameFailure{i, errorText(error)};
    }
    return std::nullopt;
}

// Gives every final file back its earlier state and removes the temporaries.
// Returns false when something could not be put back. Safe to run again
// after a kill at any step: an earlier file is only ever renamed from its
// kept name back to its final name, never removed, and a final file is
// removed only when the set created it and it is still the set's own file.
bool rollBack(const Replacement& replacement) {
    bool whole = true;
    const auto putBack = [&whole](const Entry& e) {
        if (int injected = step(Step::PutBack, e.final); injected != 0)
            whole = false;
        else if (renameFile(e.keep, e.final))
            whole = false;
    };
    for (std::size_t i = replacement.entries.size(); i-- > 0;) {
        const Entry& e = replacement.entries[i];
        if (exists(e.temp)) {
            // Not renamed: the final file is the earlier one, or was moved aside.
            if (!e.created && !exists(e.final) && exists(e.keep))
                putBack(e);
            step(Step::RemoveTemporary, e.temp);
            removeFile(e.temp);
        } else if (!e.created) {
            if (exists(e.keep))
                putBack(e); // over the new file, or over itself (a second link): harmless
        } else if (replacement.complete) {
            const platform::FileStatus final = platform::fileStatus(e.final);
            if (final.kind == platform::FileKind::Regular &&
                (e.tempId == 0 || final.id == e.tempId)) {
                step(Step::RemoveCreated, e.final);
                removeFile(e.final); // no earlier file: the set had none of this name
            }
        }
    }
    // A folder the set made goes again once empty; one holding anything else stays.
    for (qsizetype i = replacement.createdFolders.size(); i-- > 0;) {
        const QString& created = replacement.createdFolders[i];
        if (platform::fileStatus(created).kind == platform::FileKind::Folder) {
            step(Step::RemoveCreated, created);
            std::error_code ignored;
            std::filesystem::remove(fsPath(created), ignored); // an empty folder only
        }
    }
    return whole;
}

// The replacement's end: the kept earlier files and the record go.
void removeLeftovers(const Replacement& replacement) {
    for (const Entry& e : replacement.entries) {
        if (!e.created && exists(e.keep)) {
            step(Step::RemoveKept, e.keep);
            removeFile(e.keep);
        }
    }
    step(Step::RemoveRecord, replacement.recordPath);
    removeFile(replacement.recordPath);
}

// Marks a recorded replacement as being undone, durably, so that a recovery
// after a kill goes on undoing it rather than finishing a half-undone set.
bool markUndo(const Replacement& replacement) {
    step(Step::MarkUndo, replacement.recordPath);
    QFile record(replacement.recordPath);
    if (!record.open(QIODevice::Append))
        return false;
    // On a line of its own, even after a mark cut short by a kill.
    const QByteArray line = '\n' + kRecordUndoLine + '\n';
    return record.write(line) == line.size() && record.flush() &&
           platform::syncFile(record.handle()) == 0;
}

// Finishes a recorded replacement, or undoes it when it cannot be finished.
// Returns the failure that made it undo, if any; the record stays only when
// even undoing failed, for a later try.
std::optional<RenameFailure> complete(const Replacement& replacement) {
    const QString folder = QFileInfo(replacement.recordPath).absolutePath();
    std::optional<RenameFailure> failure;
    if (replacement.complete && !replacement.undo) {
        failure = rollForward(replacement);
        if (!failure) {
            platform::syncFolder(folder); // the new set is durable before the earlier one goes
            removeLeftovers(replacement);
            return std::nullopt;
        }
        if (!markUndo(replacement))
            return failure; // not undone unmarked: the next recovery takes it up
    }
    if (rollBack(replacement)) {
        platform::syncFolder(folder);
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
            // A recovery acts on regular files only: a link or a device is not replaced.
            if (const auto kind = platform::fileStatus(out.path).kind;
                kind != platform::FileKind::Missing && kind != platform::FileKind::Regular)
                fail(out.path, u"Not a regular file."_s);

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
    if (folder.isEmpty() || platform::fileStatus(folder).kind != platform::FileKind::Folder)
        return;
    const quint64 device = platform::fileStatus(folder).device;
    bool allFinished = true;
    QDirIterator records(folder, {u".*"_s + kRecordEnding},
                         QDir::Files | QDir::Hidden | QDir::System);
    while (records.hasNext()) {
        const QString path = records.next();
        QString why;
        const std::optional<Replacement> replacement = readRecord(folder, path, why);
        if (!replacement) {
            // Not a record of ours after all: left alone, and said.
            qWarning("Dorvana: \"%s\" is left alone, not recovered: %s", qPrintable(path),
                     qPrintable(why));
            allFinished = false;
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
    while (leftovers.hasNext()) {
        const QString path = leftovers.next();
        const QString name = QFileInfo(path).fileName();
        const platform::FileStatus status = platform::fileStatus(path);
        if ((ownLeftoverName(name, kTempEnding) || ownLeftoverName(name, kKeepEnding)) &&
            status.kind == platform::FileKind::Regular && status.device == device)
            removeFile(path);
    }
}

void writeFileSet(const std::vector<OutputFile>& files, const QStringList& foldersToMake) {
    if (files.empty())
        return;
    QStringList folders;
    for (const OutputFile& out : files)
        folders.append(QFileInfo(out.path).absolutePath());
    folders.removeDuplicates();
    for (const QString& f : std::as_const(folders))
        recoverFileSets(f);

    // The record names files of its own folder, and of folders below it that
    // are real folders there or that the set makes.
    const QString folder = QFileInfo(files.front().path).absolutePath();
    const quint64 device = platform::fileStatus(folder).device;
    const auto inside = [&folder](const QString& path) {
        QString above, name;
        return plainRelativePath(QDir(folder).relativeFilePath(path), above, name);
    };
    for (const OutputFile& out : files)
        if (!inside(QFileInfo(out.path).absoluteFilePath()))
            fail(out.path, u"A set's files must all be in one folder."_s);

    Replacement replacement;
    // Made before the files, removed again on any failure: a kill before the
    // record leaves at most an empty folder.
    struct MadeFolders {
        QStringList& made;
        bool keep = false;
        ~MadeFolders() {
            for (qsizetype i = made.size(); !keep && i-- > 0;) {
                std::error_code ignored;
                std::filesystem::remove(fsPath(made[i]), ignored);
            }
        }
    } madeFolders{replacement.createdFolders};
    for (const QString& wanted : foldersToMake) {
        const QString target = QDir::cleanPath(QFileInfo(wanted).absoluteFilePath());
        if (!inside(target + u"/x"_s))
            fail(target, u"A set's files must all be in one folder."_s);
        QStringList missing;
        for (QString at = target; at.size() > folder.size(); at = QFileInfo(at).absolutePath())
            missing.prepend(at);
        for (const QString& at : std::as_const(missing)) {
            const platform::FileStatus status = platform::fileStatus(at);
            if (status.kind == platform::FileKind::Folder && status.device == device)
                continue;
            if (status.kind != platform::FileKind::Missing)
                fail(at, u"Not a folder."_s);
            std::error_code error;
            std::filesystem::create_directory(fsPath(at), error);
            if (error)
                fail(at, errorText(error));
            replacement.createdFolders << at;
        }
    }
    for (const OutputFile& out : files)
        if (!foldersBetweenAreOwn(folder, QFileInfo(out.path).absoluteFilePath(), device))
            fail(out.path, u"Not a regular file."_s);
    if (!replacement.createdFolders.isEmpty())
        platform::syncFolder(folder);

    Temporaries temporaries;
    writeTemporaries(files, temporaries);

    replacement.recordPath =
        platform::hiddenSiblingName(QDir(folder).filePath(u"dorvana"_s), kRecordEnding);
    for (std::size_t i = 0; i < files.size(); ++i) {
        const QString final = QFileInfo(files[i].path).absoluteFilePath();
        const QString temp = QFileInfo(temporaries.at(i)).absoluteFilePath();
        const bool created = !exists(final);
        replacement.entries.push_back(
            {final, temp, created ? QString() : platform::hiddenSiblingName(final, kKeepEnding),
             created, platform::fileStatus(temp).id});
    }
    replacement.complete = true;
    writeRecord(replacement, folder, files.front().path);
    temporaries.releaseAll(); // from here on the record owns them
    madeFolders.keep = true;  // and the folders the set made
    step(Step::Recorded, replacement.recordPath);

    if (const std::optional<RenameFailure> failure = complete(replacement))
        fail(files[failure->index].path, failure->reason);
}

namespace fileset_testing {
void setStepHook(int (*hook)(Step, const QString&)) {
    g_stepHook = hook;
}
} // namespace fileset_testing
