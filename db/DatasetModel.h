#pragma once

#include "db/TableDataset.h"

#include <QAbstractTableModel>
#include <QList>
#include <QPointer>
#include <QString>

#include <functional>

class QItemSelectionModel;

// One column of a grid over a dataset: the field it shows and its title.
struct DatasetColumn {
    QString field;
    QString title;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    // The texts the column takes; an empty rule takes any text.
    std::function<bool(const QString&)> accepts = {};
};

// A grid's model over the rows visible in a TableDataset, a new row that is
// being added included. Editing a cell moves the dataset to that row (which
// stores the row left behind), puts the row into editing and sets the field;
// the row is stored when the cursor leaves it. A column takes only the texts
// its rule accepts; setting an invalid value (or, in a ruled column, an empty
// text) clears the field.
//
// The dataset announces its row changes through this model only (the
// model's own protocol of resets, insertions, removals and data changes); a
// dataset has at most one model.
class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Runs a dataset operation the view started; returns false when it failed.
    using Runner = std::function<bool(const std::function<void()>& operation)>;

    explicit DatasetModel(TableDataset& dataset, QObject* parent = nullptr);
    ~DatasetModel() override;

    TableDataset& dataset() const { return *m_dataset; }
    void setColumns(const QList<DatasetColumn>& columns);
    const QList<DatasetColumn>& columns() const { return m_columns; }

    // The default runner catches AppError and emits errorRaised with its text;
    // a window can route the errors to its own error handling instead.
    void setRunner(Runner runner);

    // Keeps the view's current row and the dataset's current row the same,
    // both ways. Pass the view's selection model once the view has this model.
    void setSelectionModel(QItemSelectionModel* selection);

    // True when the column's rule takes the text.
    bool accepts(int column, const QString& text) const;
    bool hasRule(int column) const;

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
    friend class TableDataset; // announces its row changes through the calls below
    void rowsWillReset();
    void rowsWereReset();
    void rowWillBeInserted(int row);
    void rowWasInserted();
    void rowWillBeRemoved(int row);
    void rowWasRemoved();
    void rowWasChanged(int row);

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
