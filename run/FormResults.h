#pragma once

#include "db/ResultStore.h"
#include "forms/FormReading.h"

#include <QDateTime>
#include <QString>

#include <vector>

class Database;

// Read forms into the class results: "Optik formları oku" of "Sınıf
// sonuçları" and `dorvana-forms read` both go through here.

// Reads the files with the database's stored tests, then checks each read
// sheet's pupil number against the stored class lists: a number no list has
// (while some list is stored) is flagged in place ("Sınıf listesinde yok"),
// as is a number two pupils share.
std::vector<ReadSheet> readFormsForDatabase(Database& db, const QStringList& files,
                                            const ReadProgress& progress = {});

// The pupil's name a sheet is stored under: the class list's name for its
// number, else "Öğrenci <number>".
QString sheetPupilName(Database& db, const ReadSheet& sheet);

// Stores the sheets the teacher confirmed (every flag answered: no "?" left
// in number, booklet or answers; refused sheets are skipped), each as a
// result scored from the stored key through its booklet, all in one
// transaction as result files are (storeResults). `readAt` is the result's
// start and finish.
ResultBatch storeReadSheets(Database& db, const std::vector<ReadSheet>& sheets,
                            const QDateTime& readAt = QDateTime::currentDateTime());
