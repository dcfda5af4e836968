#pragma once

#include "db/TableDataset.h"

#include <QAbstractTableModel>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStyledItemDelegate>

#include <functional>

class QItemSelectionModel;
class QValidator;
#include "db/TableDataset.h"

// One column of a grid over a dataset: the field it shows and its title.
struct DatasetColumn {
    QString field;
    QString title;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

// A grid's model over the rows visible in a TableDataset, a new row that is
// being added included. Editing a cell moves the dataset to that row (which
// stores the row left behind), puts the row into editing and sets the field;
// the row is stored when the cursor leaves it. The answer-key column "dc"
// takes one letter, A to E in either case, and nothing else.
class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Runs a dataset operation the view started; returns false when it failed.
    using Runner = std::function<bool(const std::function<void()>& operation)>;

    explicit DatasetModel(TableDataset& dataset, QObject* parent = nullptr);

    TableDataset& dataset() const { return *m_dataset; }
    void setColumns(const QList<DatasetColumn>& columns);
    const QList<DatasetColumn>& columns() const { return m_columns; }

    // The default runner catches AppError and emits errorRaised with its text;
    // a window can route the errors to its own error handling instead.
    void setRunner(Runner runner);

    // Keeps the view's current row and the dataset's current row the same,
    // both ways. Pass the view's selection model once the view has this model.
    void setSelectionModel(QItemSelectionModel* selection);

    // The answer-key letter rule: one letter, A to E, either case.
    static bool isAnswerLetter(const QString& text);
    bool isAnswerKeyColumn(int column) const;
    // A validator for the column's cell editor (one answer letter for "dc"),
    // or nullptr when the column takes any text.
    QValidator* createValidator(int column, QObject* parent) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    void errorRaised(const QString& text);

private:
    bool run(const std::function<void()>& operation);
    void viewRowChanged(const QModelIndex& current);
    void datasetRowChanged(int row);
    void showDatasetRow();

    QPointer<TableDataset> m_dataset;
    QList<DatasetColumn> m_columns;
    Runner m_runner;
    QPointer<QItemSelectionModel> m_selection;
    bool m_syncing = false;
};

// Gives the answer-key column a one-letter editor that takes only A to E.
class DatasetItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
};
