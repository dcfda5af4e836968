#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// One file of a set: its final path and its whole contents.
struct OutputFile {
    QString path;
    QByteArray bytes;
};

// Writes a set of files all or nothing, also when the program is killed or
// the machine stops at any instant. Each file is first written and forced to
// disk as a hidden temporary file beside its final name. Then the planned
// replacement is recorded durably in a small hidden file in the folder of the
// set's first file (the final, temporary and kept names of every file, and
// which final files the set creates), and
// only then are the temporaries renamed over their final names. An existing
// final file is kept under a spare name (a second link to it) until the whole
// set is in place, and the new file gets its permissions (mode, and owner
// where the program may set it). A missing folder is not created, except
// those of `foldersToMake`: folders below the set's folder (that of its first
// file) that are made as part of the set, recorded, and removed again (when
// empty) whenever the set is undone, also by a recovery after a kill. The
// files of a set are in one folder or in real folders below it (never through
// a link); a final name that is a symbolic link or a device is refused ("Not
// a regular file.").
//
// Before anything is written, a replacement left unfinished in a folder of the
// set is finished (or, when that cannot be done, undone) by recoverFileSets.
//
// On a failure while writing, every temporary file is removed, no final file
// is touched, and AppError "Cannot create file "<path>". <reason>" is thrown
// with the final path and the system's reason. A final name taken by a folder
// is found before anything is renamed. Should a rename itself fail after
// others succeeded (a file that cannot be replaced), the files renamed before
// it are put back as they were, every temporary and spare file is removed,
// and the same error is thrown for the file whose rename failed.
void writeFileSet(const std::vector<OutputFile>& files, const QStringList& foldersToMake = {});

// Finishes any set replacement in `folder` that a killed run left half done,
// so that the folder holds the whole earlier set or the whole new one, and
// removes every leftover of such a run: temporaries, kept earlier files and
// the record. Best effort: what cannot be done now is tried again next time.
// Called at start-up for the folder the program starts in.
//
// It acts only on what this program wrote: a record is a regular file (not a
// link, FIFO or device) of at most 64 KB on the folder's own file system,
// and every name in it is a plain file name in that folder or in a real folder
// below it (plain names joined by "/": no "..", not absolute, no link on the
// way) of this writer's own patterns, naming a regular file or nothing. Any other record is left
// alone, nothing it names is touched, and a warning saying why goes to the log (qWarning). A final
// file is removed only when the record says the set created it and it is still the file the set put
// there. Files of names this program never makes are not touched.
void recoverFileSets(const QString& folder);

namespace fileset_testing {
// The steps that change the folder once a replacement is recorded.
enum class Step {
    Recorded,        // the record is durable
    KeepEarlier,     // an earlier final file gets its kept name (a link, or moved aside)
    PutNew,          // a temporary is renamed over its final name
    MarkUndo,        // the record is marked as being undone
    PutBack,         // a kept earlier file is renamed back to its final name
    RemoveTemporary, // while undoing
    RemoveCreated,   // while undoing: a final file the set created
    RemoveKept,      // at the end
    RemoveRecord,    // at the end
};
// Called before each step with the path it changes; fault tests end the
// process there to stand for a kill at that instant. A nonzero return makes a
// KeepEarlier, PutNew or PutBack step fail with that error number instead, as
// a file that cannot be renamed would. Null for none.
void setStepHook(int (*hook)(Step step, const QString& path));
} // namespace fileset_testing
