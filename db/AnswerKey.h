#pragma once

#include "core/DataRecord.h"

#include <QString>
#include <QtGlobal>

#include <exception>
#include <vector>

class TableDataset;

// The answer-key rows of table websoru: testadi, soruno, dosya, dc.

// Question `question` has no correct letter (dc null, empty or blanks only).
class MissingKey : public std::exception {
public:
    explicit MissingKey(qint32 question) : m_question(question) {}
    qint32 question() const noexcept { return m_question; }
    const char* what() const noexcept override { return "answer key missing"; }

private:
    qint32 m_question;
};

// Switches the filter off and removes every row, of every test name.
void clearAnswerKey(TableDataset& websoru);

// Filters on testadi = testName and appends `count` rows (none when count is 0
// or less): testadi, soruno n and dosya stem + "s" + n + ".mht". Ends on the first row.
void fillAnswerKey(TableDataset& websoru, const QString& testName, const QString& stem,
                   qint32 count);

// fillAnswerKey for keys.size() questions, each row given its letter of
// `keys`, in one transaction: the key as a command-line program prepares it.
void prepareAnswerKey(TableDataset& websoru, const QString& testName, const QString& stem,
                      const QString& keys);

// The answer-key letter rule: one letter, either case, from A to the letter
// of the last option (A to E when the option count is not 2 to 5).
bool isAnswerLetter(const QString& text, qint32 optionCount = 5);

// The question file name of question n.
QString questionFileName(const QString& stem, qint32 n);

// The records of questions 1 to questionCount, walking the visible rows from
// the first (which stores a pending edit first). With fewer rows than
// questions the last row's values repeat. Throws MissingKey at the first
// question without a letter, and the conversion error at a dosya without a
// value; either way the dataset stays on that question's row.
std::vector<DataRecord> readAnswerKey(TableDataset& websoru, qint32 questionCount);
