#pragma once

#include "results/GeneratedTest.h"
#include "results/ResultInput.h"

#include <QDateTime>

#include <functional>
#include <optional>
#include <vector>

class Database;

// The tests this program generated and the pupils' results read back for
// them, in two tables beside the answer key:
//   websinav: kimlik (identity, key), testadi, sayfaad (stem), sorusay,
//             cevaplar (keys), siksay, netkural, zaman (time of the last run),
//             bolumler (sections, db/Sections.h) and kitapciklar (booklet
//             orders, bookletOrdersText; empty for tests stored before them)
//   websonuc: no, kimlik, ad (pupil), cevap (answers, in the booklet's order),
//             baslangic, bitis, denetim (check), eklenme (time read in),
//             deneme (attempt, from schema version 3), kitapcik (booklet,
//             from version 4); one row per result,
//             an exact repeat refused by a unique constraint.
// Times are local, "YYYY-MM-DDTHH:MM:SS".

// Creates both tables where they are missing (part of a schema upgrade).
void createResultTables(Database& db);

// Adds the attempt column to a version 2 file's results (schema upgrade to 3).
void addAttemptColumn(Database& db);
// Adds the sections and booklets of tests and results (schema upgrade to 4).
void addSectionAndBookletColumns(Database& db);

// Stores a generated test; the same test generated again only gets the new time.
void rememberTest(Database& db, const GeneratedTest& test);

// The stored test of an identity, if any. A stored test whose sections or
// booklet orders are damaged is refused (AppError, Turkish).
std::optional<GeneratedTest> findTest(Database& db, const QString& identity);

// The stored test last generated under the file-name stem `stem`, if any;
// refused as findTest.
std::optional<GeneratedTest> newestTestOfStem(Database& db, const QString& stem);

// Stored tests that have at least one result, newest run first; refused as findTest.
std::vector<GeneratedTest> testsWithResults(Database& db);

// The stored results of a test, in the order they were added.
std::vector<PupilResult> resultsOf(Database& db, const QString& identity);

// Removes stored results (each named by its test, pupil, answers, start and
// finish, as resultsOf gives them) in one transaction; throws AppError, and
// removes none, when one of them is no longer stored.
void deleteResults(Database& db, const std::vector<PupilResult>& results);

enum class StoreOutcome { Stored, Repeat };

// Stores a checked result in a transaction of its own (or the caller's);
// an exact repeat of a stored one (same test, pupil, answers, start and
// finish) is left out and reported.
StoreOutcome storeResult(Database& db, const PupilResult& result,
                         const QDateTime& addedAt = QDateTime::currentDateTime());

// A result not stored, with the place it came from and why, in Turkish.
struct RefusedResult {
    QString what;   // the file's name, or "Kod (satır N)"
    QString reason; // Turkish
    // A likely repeat (the same pupil's name, compared by pupilNameKey, on the
    // same test): the teacher may still add it with storeAnyway.
    std::optional<PupilResult> likelyRepeat;
};

struct ResultBatch {
    int stored = 0;
    std::vector<RefusedResult> refused;
    QString lastStoredTest; // identity of the last test a result was stored for
};

// Reads result `index` (throwing AppError with the reason when it cannot be
// read) and names where it came from in `what`.
using ResultReader = std::function<PupilResult(int index, QString& what)>;

// Reads `count` results, all before the transaction begins, checks each
// against its stored test (a test this database does not know or cannot
// read, answers that do not fit, a booklet the test does not have, an exact
// repeat are refused; a result whose pupil already has one
// on the test, stored or earlier in the batch, is held back as a likely repeat)
// and stores the rest, all in one transaction: a refused result leaves the
// others stored.
ResultBatch storeResults(Database& db, int count, const ResultReader& read);

// Stores the likely repeats of a batch that the teacher chose to add, in one
// transaction; returns how many were stored (an exact repeat is not).
int storeAnyway(Database& db, const std::vector<RefusedResult>& refused);
