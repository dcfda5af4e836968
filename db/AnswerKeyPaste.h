#pragma once

#include <QChar>
#include <QString>
#include <QtGlobal>

#include <variant>
#include <vector>

class TableDataset;

// A whole answer key pasted as text into the answer-key rows (table websoru).
//
// Accepted: one letter per line or per cell (tabs, line breaks), a run of
// letters ("ABDCA"), or numbered keys ("1-A 2-C 3) D 4.B", "1A 2C"), whose
// numbers name the question whatever the current row. Spaces, commas and
// semicolons between keys are ignored; lower-case letters count as upper case.
// A text is taken whole or not at all.

// One pasted key: the row it goes into, that row's question number and the
// letter in upper case.
struct PastedKey {
    int row;
    qint32 question;
    QChar letter;
};

// Why a text was refused, and where: line and character from 1 (0 when the
// text as a whole is refused).
struct PasteRefusal {
    int line = 0;
    int column = 0;
    QString reason;

    // The message the user is shown, naming the position and the reason.
    QString message() const;
};

// The rows a paste fills: the question number of every stored row in grid
// order, the row unnumbered keys start on, and the options per question.
struct PasteTarget {
    std::vector<qint32> questions;
    int firstRow = 0;
    qint32 optionCount = 5;
};

using PasteResult = std::variant<std::vector<PastedKey>, PasteRefusal>;

// Longest text taken from the clipboard: far more than 10000 numbered keys need.
inline constexpr qsizetype kMaxPastedChars = 1 << 20;

// Reads a pasted text against the rows; touches nothing.
PasteResult parsePastedKeys(const QString& text, const PasteTarget& target);

// Reads `text` against the dataset's stored rows and, when it is taken, stores
// every key in one transaction, the cursor left on `firstRow`. A refused text
// changes nothing.
PasteResult pasteAnswerKey(TableDataset& websoru, const QString& text, int firstRow,
                           qint32 optionCount);
