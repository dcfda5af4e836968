#pragma once

#include "db/ResultStore.h"
#include "forms/FormReading.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

class Database;

// Read forms into the class results: "Optik formları oku" of "Sınıf
// sonuçları" and `dorvana-forms read` both go through here.

// The reasons of a flag on the whole number (FormFlag::Row::Number, position 0).
inline const QString kNotInClassList = QStringLiteral(u"Sınıf listesinde yok");
inline const QString kSharedNumber = QStringLiteral(u"Bu numara iki öğrencide var");

// A pupil of a stored class list.
struct ListedPupil {
    QString number;
    QString name;
    QString className; // empty: not from a list (the number as read)
};

// Every pupil of every stored class list, class by class in the lists' order.
std::vector<ListedPupil> listedPupils(Database& db);

// Reads the files with the database's stored tests, then checks each read
// sheet's pupil number against the stored class lists: a number no list has
// (while some list is stored) is flagged as a whole ("Sınıf listesinde yok",
// position 0), as is a number two pupils share (kSharedNumber). The flag's
// choices are numberCandidates' texts.
std::vector<ReadSheet> readFormsForDatabase(Database& db, const QStringList& files,
                                            const ReadProgress& progress = {});
// The check of the numbers alone, on sheets already read.
void checkNumbers(std::vector<ReadSheet>& sheets, const std::vector<ListedPupil>& pupils);

// The pupils a whole-number flag offers, in the order of its choices: for a
// number no list has, the number as read (when there is one) and then every
// listed pupil; for a shared number, the pupils who share it.
std::vector<ListedPupil> numberCandidates(const std::vector<ListedPupil>& pupils,
                                          const ReadSheet& sheet);
QString candidateText(const ListedPupil& pupil);

// The pupil's name a sheet is stored under: the class list's name for its
// number ("007" and "7" are one pupil), else "Öğrenci <number>".
QString sheetPupilName(Database& db, const ReadSheet& sheet);
QString pupilNameOf(const std::vector<ListedPupil>& pupils, const ReadSheet& sheet);

// Stores the sheets the teacher confirmed (every flag answered: no "?" left
// in number, booklet or answers and no flag on the whole number; a sheet
// with one is refused, never guessed; refused sheets are skipped), each as a
// result scored from the stored key through its booklet, all in one
// transaction as result files are (storeResults). `readAt` is the result's
// start and finish.
ResultBatch storeReadSheets(Database& db, const std::vector<ReadSheet>& sheets,
                            const QDateTime& readAt = QDateTime::currentDateTime());

// As storeReadSheets, each sheet stored under the name beside it (`pupils`
// runs parallel to `sheets`): the review's choice where the number alone
// does not name one pupil.
ResultBatch storeReviewedSheets(Database& db, const std::vector<ReadSheet>& sheets,
                                const QStringList& pupils, const QDateTime& readAt);

// Where a sheet came from, for messages: "form.pdf (sayfa 3)".
QString sheetPlace(const ReadSheet& sheet);
