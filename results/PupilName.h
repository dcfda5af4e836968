#pragma once

#include <QString>

// The one rule for pupils' names read back from results.

// Refuses, by throwing AppError with a Turkish reason, a name holding a
// control character (line break, tab, NUL, …) or an invisible one (zero
// width, direction controls, soft hyphen, fillers): such a name would show as
// another pupil's, or break a line of a list, while looking the same.
void checkPupilName(const QString& name);

// The form in which two names are the same pupil: composed (NFC), every run
// of spaces as one, no space at either end, in Turkish lower case (I → ı,
// İ → i).
QString pupilNameKey(const QString& name);

// Text taken from a result file (a name, a test name) for a message: inside
// double quotes, cut to `limit` characters with "…", with control and
// invisible characters shown as spaces and its own double quotes as single
// ones, so it can never pass for the program's own words.
QString quotedFileText(const QString& text, int limit = 40);
