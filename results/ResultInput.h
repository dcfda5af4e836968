#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <vector>

// One pupil's result as the single page hands it out, in a result file
// (.dvsonuc, JSON) or as a result code ("DV3" + base32); docs/result-file.md
// describes both. Pages written before booklets hand out version 2 ("DV2"),
// read as booklet "A"; pages written before attempts were counted hand out
// version 1 ("DV1"), read as attempt 1 of booklet "A". Every reader refuses by throwing
// AppError with a Turkish reason that can follow the file's name.
struct PupilResult {
    QString test;     // identity of the test (32 hex digits)
    QString testName; // shown only; a result file may carry it, a code does not
    QString name;     // the pupil's name as typed
    QString answers;  // one letter or "-" per question
    QString start;    // "YYYY-MM-DDTHH:MM:SS", local time of the pupil's device
    QString finish;
    int attempt = 1; // the pupil's attempt at the test on that browser, from 1
    QString check;   // 16 hex digits over the fields above (not the test name)
    // The booklet the pupil answered, "A" to "D" ("A" before version 3, and for
    // a one-booklet test); `answers` are in that booklet's order.
    QString booklet = QStringLiteral("A");
};

// More attempts than this are not a count a page could have kept.
inline constexpr int kMaxAttempt = 999999;

// A result file or code larger than this is not a result.
inline constexpr qint64 kResultSizeLimit = 1024 * 1024;

// First 16 hex digits of SHA-256 over the lines "dvsonuc/<version>", test,
// (from version 3) booklet, name, answers, start, finish and (from version 2)
// the attempt.
QString resultCheck(const PupilResult& result, int version);

// The bytes of a result file: UTF-8 JSON with "format" "dvsonuc", "version"
// 1, 2 or 3 and the fields above ("attempt" from version 2, "booklet" from
// version 3); any key order, extra keys allowed.
PupilResult parseResultFile(const QByteArray& bytes);

// Reads and parses the file at `path`: a regular file only (a FIFO or a
// device is refused, never waited on), one over the size limit refused
// without reading it.
PupilResult readResultFile(const QString& path);

// One result code, "DV3", "DV2" or "DV1"; spaces, line breaks and "-" are ignored, case too.
PupilResult parseResultCode(const QString& code);

// Text pasted by the teacher: one code per line, empty lines skipped.
struct PastedCode {
    int line = 0; // 1-based line of the text
    QString text; // the line as pasted, trimmed
};
std::vector<PastedCode> splitPastedCodes(const QString& pasted);
