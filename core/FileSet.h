#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

// One file of a set: its final path and its whole contents.
struct OutputFile {
    QString path;
    QByteArray bytes;
};

// Writes a set of files all or nothing. Each file is first written and flushed
// to disk as a temporary file in the folder of its final name; only when every
// one of them is written are they renamed over their final names (an existing
// file is replaced, keeping its permissions). A missing folder is not created.
//
// On a failure while writing, every temporary file made so far is removed, no
// final file is touched, and AppError "Cannot create file "<path>". <reason>"
// is thrown with the final path and the system's reason. A final name taken by
// a folder is found before anything is renamed. Should a rename itself fail
// after others succeeded (a file that cannot be replaced), the files renamed
// before it are put back as they were (each earlier file is kept under a spare
// name, a second link to it, until the whole set is in place), every temporary
// and spare file is removed, and the same error is thrown for the file whose
// rename failed.
void writeFileSet(const std::vector<OutputFile>& files);
