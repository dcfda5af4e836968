#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <vector>

// One pupil's result as the single page hands it out, in a result file
// (.dvsonuc, JSON) or as a result code ("DV1" + base32). Every reader refuses
// by throwing AppError with a Turkish reason that can follow the file's name.
struct PupilResult {
    QString test;     // identity of the test (32 hex digits)
    QString testName; // shown only; a result file may carry it, a code does not
    QString name;     // the pupil's name as typed
    QString answers;  // one letter or "-" per question
    QString start;    // "YYYY-MM-DDTHH:MM:SS", local time of the pupil's device
    QString finish;
    QString check; // 16 hex digits over the fields above (not the test name)
};

// A result file or code larger than this is not a result.
inline constexpr qint64 kResultSizeLimit = 1024 * 1024;

// First 16 hex digits of SHA-256 over "dvsonuc/1", test, name, answers, start, finish.
QString resultCheck(const PupilResult& result);

// The bytes of a result file: UTF-8 JSON with "format" "dvsonuc", "version"
// 1 and the fields above; any key order, extra keys allowed.
PupilResult parseResultFile(const QByteArray& bytes);

// Reads and parses the file at `path`: a regular file only (a FIFO or a
// device is refused, never waited on), one over the size limit refused
// without reading it.
PupilResult readResultFile(const QString& path);

// One result code; spaces, line breaks and "-" are ignored, case too.
PupilResult parseResultCode(const QString& code);

// Text pasted by the teacher: one code per line, empty lines skipped.
struct PastedCode {
    int line = 0; // 1-based line of the text
    QString text; // the line as pasted, trimmed
};
std::vector<PastedCode> splitPastedCodes(const QString& pasted);
