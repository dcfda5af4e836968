#pragma once

#include <QTableView>

// A grid whose open cell editor can be ended from outside, keeping what it
// holds: a command started while a cell is being typed in sees that text.
class EditingTable : public QTableView {
public:
    using QTableView::QTableView;

    // Hands a value still in an open cell editor to its row and closes it.
    void commitOpenEditor();
};
