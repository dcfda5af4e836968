#pragma once

#include "db/DatasetModel.h"

#include "ui/EditingTable.h"

class TableDataset;

// The answer-key grid over table websoru: question number, file name and the
// correct letter, which takes one answer letter and nothing else. It can hand
// a value still in an open cell editor to its row, so that a letter being
// typed is not lost when a command reads the rows.
class AnswerKeyGrid : public EditingTable {
    Q_OBJECT
public:
    explicit AnswerKeyGrid(QWidget* parent = nullptr);

    // Shows the dataset's rows; operations the grid starts run through `runner`.
    void attach(TableDataset& websoru, DatasetModel::Runner runner);
    // The three columns, the file name column `fileColumnWidth` wide.
    void bindColumns(int fileColumnWidth);
    // The options per question; the key column takes their letters only.
    void setOptionCount(std::function<qint32()> optionCount);

    // Makes the first question's key cell current and gives the grid the focus.
    void focusFirstKey();

    // The text the status bar shows when a letter is refused.
    QString refusalText() const;

    // "Yapıştır" in the context menu and Ctrl+V on the grid (not in an open
    // cell editor, which pastes into its own cell) ask for a whole key.
    void addPasteAction();

signals:
    // A key was typed that the options do not have, or a character a number cell cannot take.
    void keyRefused(const QString& why);
    // The user asked to paste a whole answer key from the clipboard.
    void pasteRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    friend class KeyLetterValidator;
    qint32 optionCount() const;
    bool isKeyColumn(int column) const;
    // Typing the key from the keyboard: a letter on a key cell is taken at once.
    bool typeKey(QKeyEvent* event);
    void moveToNextKey();

    DatasetModel* m_model = nullptr;
    std::function<qint32()> m_optionCount;
};
