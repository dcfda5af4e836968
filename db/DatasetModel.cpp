#include "db/DatasetModel.h"

#include "core/AppError.h"
#include "core/IntConversion.h"
#include "db/TableDataset.h"

#include <QItemSelectionModel>

DatasetModel::DatasetModel(TableDataset& dataset, QObject* parent)
    : QAbstractTableModel(parent), m_dataset(&dataset) {
    dataset.attachModel(this);
    connect(&dataset, &TableDataset::currentChanged, this, &DatasetModel::datasetRowChanged);
}

DatasetModel::~DatasetModel() {
    if (m_dataset)
        m_dataset->attachModel(nullptr);
}

// While the dataset changes its rows, the view's own moves of its current
// index are not the user's: the dataset is not moved for them, and the view
// is put back on the dataset's row afterwards.
void DatasetModel::rowsWillReset() {
    m_syncing = true;
    beginResetModel();
}

void DatasetModel::rowsWereReset() {
    endResetModel();
    m_syncing = false;
    showDatasetRow();
}

void DatasetModel::rowWillBeInserted(int row) {
    m_syncing = true;
    beginInsertRows({}, row, row);
}

void DatasetModel::rowWasInserted() {
    endInsertRows();
    m_syncing = false;
    showDatasetRow();
}

void DatasetModel::rowWillBeRemoved(int row) {
    m_syncing = true;
    beginRemoveRows({}, row, row);
}

void DatasetModel::rowWasRemoved() {
    endRemoveRows();
    m_syncing = false;
    showDatasetRow();
}

void DatasetModel::rowWasChanged(int row) {
    if (row >= 0 && row < rowCount() && !m_columns.isEmpty())
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void DatasetModel::setColumns(const QList<DatasetColumn>& columns) {
    beginResetModel();
    m_columns = columns;
    endResetModel();
    showDatasetRow();
}

void DatasetModel::setRunner(Runner runner) {
    m_runner = std::move(runner);
}

bool DatasetModel::run(const std::function<void()>& operation) {
    if (m_runner)
        return m_runner(operation);
    try {
        operation();
        return true;
    } catch (const AppError& error) {
        emit errorRaised(error.text());
        return false;
    }
}

void DatasetModel::setSelectionModel(QItemSelectionModel* selection) {
    if (m_selection)
        disconnect(m_selection, nullptr, this, nullptr);
    m_selection = selection;
    if (!selection)
        return;
    connect(selection, &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { viewRowChanged(current); });
    showDatasetRow();
}

// The user moved to another row of the grid: the dataset follows, storing the
// row it leaves. If the dataset cannot follow, the grid goes back to its row.
void DatasetModel::viewRowChanged(const QModelIndex& current) {
    if (m_syncing || !m_dataset || !current.isValid() || !m_dataset->isOpen())
        return;
    if (current.row() != m_dataset->currentIndex())
        run([&] { m_dataset->moveTo(current.row()); });
    if (m_dataset->currentIndex() != current.row())
        showDatasetRow();
}

void DatasetModel::datasetRowChanged(int) {
    showDatasetRow();
}

// Puts the view's current row on the dataset's current row.
void DatasetModel::showDatasetRow() {
    if (!m_selection || !m_dataset || m_syncing || m_selection->model() != this)
        return;
    const int row = m_dataset->currentIndex();
    const QModelIndex current = m_selection->currentIndex();
    if (row < 0 || row >= rowCount() || m_columns.isEmpty()) {
        if (current.isValid()) {
            m_syncing = true;
            m_selection->clearCurrentIndex();
            m_syncing = false;
        }
        return;
    }
    if (current.isValid() && current.row() == row)
        return;
    const int column = current.isValid() ? current.column() : 0;
    m_syncing = true;
    m_selection->setCurrentIndex(index(row, column), QItemSelectionModel::ClearAndSelect);
    m_syncing = false;
}

bool DatasetModel::hasRule(int column) const {
    return column >= 0 && column < m_columns.size() && bool(m_columns.at(column).accepts);
}

bool DatasetModel::accepts(int column, const QString& text) const {
    return !hasRule(column) || m_columns.at(column).accepts(text);
}

int DatasetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_dataset ? 0 : m_dataset->visibleRowCount();
}

int DatasetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !m_dataset || index.column() >= m_columns.size())
        return {};
    const DatasetColumn& column = m_columns.at(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return m_dataset->value(index.row(), column.field);
    case Qt::EditRole: {
        // Cells are edited as text, whatever the field's type.
        const QVariant value = m_dataset->value(index.row(), column.field);
        return value.isNull() ? QString() : value.toString();
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(column.alignment);
    default:
        return {};
    }
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < m_columns.size())
        return m_columns.at(section).title;
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool DatasetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || !m_dataset || !m_dataset->isOpen() ||
        index.column() >= m_columns.size() || index.row() >= rowCount())
        return false;
    const int row = index.row();
    const QString field = m_columns.at(index.column()).field;
    const QString text = value.toString();
    // Clearing (a null value, or an emptied editor) is not a value the rule must take.
    const bool clearing = !value.isValid() || (hasRule(index.column()) && text.isEmpty());
    if (!clearing && !accepts(index.column(), text))
        return false;
    if (clearing && m_dataset->value(row, field).isNull())
        return true; // nothing to clear
    if (!value.isNull() && data(index, Qt::EditRole).toString() == text &&
        !m_dataset->value(row, field).isNull())
        return true; // an editor closed without a change

    return run([&] {
        QVariant stored = text;
        if (clearing)
            stored = QVariant();
        else if (m_dataset->isIntegerField(field))
            stored = text.isEmpty() ? QVariant() : QVariant(strToInt(text));
        if (m_dataset->currentIndex() != row)
            m_dataset->moveTo(row);
        m_dataset->edit();
        m_dataset->setFieldValue(field, stored);
    });
}
