#pragma once

#include <QTableView>

// The answer-key grid. Besides a plain table view it can hand a value still
// in an open cell editor to its row, so that a letter being typed is not lost
// when a command reads the rows.
class AnswerKeyGrid : public QTableView {
    Q_OBJECT
public:
    using QTableView::QTableView;

    void commitOpenEditor();
};
