#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// A class list as school systems export it: a CSV file of "No;Adı Soyadı".

struct ClassMember {
    QString number; // digits only, as the list wrote it (leading zeros kept)
    QString name;   // composed (NFC), spaces trimmed and runs of them made one

    bool operator==(const ClassMember&) const = default;
};

// The form in which two numbers are the same pupil: leading zeros do not make
// another pupil, as 007 and 7 read the same on a form.
QString pupilNumberKey(const QString& number);

constexpr int kMaxClassMembers = 2000;
constexpr int kMaxPupilNumberDigits = 10;
constexpr int kMaxClassMemberName = 100;

// The pupils of a class list, in the list's order. The bytes are UTF-8 when
// they are valid UTF-8 (a byte-order mark is dropped), UTF-16 when they start
// with its byte-order mark, else Windows-1254. Fields are separated by ";", or
// by a tab or "," when the first line uses that and no ";"; quoted fields are
// read as RFC 4180 writes them; lines end in CR LF or LF; blank lines are
// skipped. The first line is the header "No;Adı Soyadı" (in any case and
// spacing) unless its first field is already a pupil's number.
// Refuses the whole list (AppError, Turkish, naming the line) for a number
// that is not up to 10 digits, a number given twice, a missing, overlong or
// unprintable name, a third field that is not empty, broken quotes, more than
// kMaxClassMembers pupils or none at all.
std::vector<ClassMember> parseClassList(const QByteArray& csv);

// The class list in the file at `path`, read under the program's rule for
// outside files (core/SafeInput: a regular file of at most 1 MiB), then parsed.
std::vector<ClassMember> readClassListFile(const QString& path);
