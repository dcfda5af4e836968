#pragma once

#include "core/Settings.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <exception>
#include <functional>
#include <vector>

class TableDataset;

// One generation run, as the window and every command-line program start it:
// the teacher's inputs are checked, the questions embedded in the single page,
// every file of the set built, missing navigation images added, the test
// remembered in the database, and the whole set written at once or not at all.
// No widget is involved; the caller shows the outcome or the refusal.

struct GenerationInput {
    QString folder;   // output folder
    QString stem;     // file-name stem of every file of the set
    QString testName; // shown above each question
    qint32 questionCount = 0;
    QStringList explanationLines; // the explanation as its box shows it
    Settings settings;
    QStringList privatePaths; // never read into a page: the program's database and data folder

    // Asked, before anything is written, when the output folder does not
    // exist; true makes it (with any missing folder above it). Null: nothing
    // is asked and the run refuses, as when the answer is false.
    std::function<bool(const QString& folder)> createMissingFolder;

    // Also build the pupils' pages of a live exam (kept in memory, not written).
    bool livePages = false;
};

// The run refused its input before anything was written or remembered; the
// message says why, in Turkish, word for word as the teacher sees it.
class GenerationRefused : public std::exception {
public:
    enum class Field { None, QuestionCount };
    explicit GenerationRefused(QString message, Field field = Field::None)
        : m_message(std::move(message)), m_utf8(m_message.toUtf8()), m_field(field) {}
    const QString& message() const noexcept { return m_message; }
    Field field() const noexcept { return m_field; } // the input to correct, where one is meant
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
    Field m_field;
};

struct GenerationOutcome {
    bool written = false;        // false: the teacher chose not to create the missing folder
    QStringList filesWritten;    // every file of the set, full paths, in the order written
    QList<int> missingQuestions; // questions the single page shows as not found
    QStringList refusedFiles;    // files the reading rule kept out of the single page, said why
    QStringList imagesWritten;   // names of the navigation images added
    // The page for pupils (booklet A's with several booklets), empty without the single page.
    QString singlePagePath;
    QString closingText; // the closing message
    QString testIdentity; // the identity of the test remembered in the database
    // With GenerationInput::livePages: each booklet's live page ("A" first),
    // UTF-8, carrying no answer key.
    std::vector<QByteArray> livePages;
};

// The largest question count a run accepts.
constexpr qint32 kMaxQuestionCount = 10000;

// Checks the stem (throws GenerationRefused with its Turkish reason).
void checkStem(const QString& stem);

// Checks a question count: at least 1, at most kMaxQuestionCount.
void checkQuestionCount(qint32 count);

// The whole run over the answer-key rows of `websoru` (their database also
// keeps the test name's sections and the remembered test, with its sections
// and every booklet's order). Throws GenerationRefused for input it refuses,
// before anything is written; a failure to write throws AppError
// "Cannot create file "<path>". <reason>" and leaves the folder as it was.
// With a missing key the dataset stays on that question's row.
GenerationOutcome runGeneration(const GenerationInput& in, TableDataset& websoru);
