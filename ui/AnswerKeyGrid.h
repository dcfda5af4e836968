#pragma once

#include "db/DatasetModel.h"

#include <QTableView>

class TableDataset;

// The answer-key grid over table websoru: question number, file name and the
// correct letter, which takes one answer letter and nothing else. It can hand
// a value still in an open cell editor to its row, so that a letter being
// typed is not lost when a command reads the rows.
class AnswerKeyGrid : public QTableView {
    Q_OBJECT
public:
    explicit AnswerKeyGrid(QWidget* parent = nullptr);

    // Shows the dataset's rows; operations the grid starts run through `runner`.
    void attach(TableDataset& websoru, DatasetModel::Runner runner);
    // The three columns, the file name column `fileColumnWidth` wide.
    void bindColumns(int fileColumnWidth);

    void commitOpenEditor();

private:
    DatasetModel* m_model = nullptr;
};
