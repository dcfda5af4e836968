#pragma once

#include <QByteArray>
#include <QString>
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
// set's first file (the final, temporary and kept names of every file), and
// only then are the temporaries renamed over their final names. An existing
// final file is kept under a spare name (a second link to it) until the whole
// set is in place, and the new file gets its permissions (mode, and owner
// where the program may set it). A missing folder is not created.
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
void writeFileSet(const std::vector<OutputFile>& files);

// Finishes any set replacement in `folder` that a killed run left half done,
// so that the folder holds the whole earlier set or the whole new one, and
// removes every leftover of such a run: temporaries, kept earlier files and
// the record. Files of names this program never makes are not touched. Best
// effort and silent: what cannot be done now is tried again next time.
// Called at start-up for the folder the program starts in.
void recoverFileSets(const QString& folder);

namespace fileset_testing {
// Called before each step that changes the folder once a replacement is
// recorded (each kept link, each rename, each removal); fault tests end the
// process there to stand for a kill at that instant. Null for none.
void setStepHook(void (*hook)());
} // namespace fileset_testing
