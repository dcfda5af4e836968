#include "db/TableDataset.h"

#include "core/AppError.h"
#include "db/Database.h"
#include "db/DatasetModel.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QString quoted(const QString& identifier) {
    // Statement texts are built for every stored row; most names hold no quote to double.
    if (!identifier.contains(u'"'))
        return u'"' + identifier + u'"';
    QString text = identifier;
    text.replace(u'"', QStringLiteral("\"\""));
    return u'"' + text + u'"';
}

} // namespace

TableDataset::TableDataset(const QString& name, QObject* parent) : QObject(parent), m_name(name) {}

TableDataset::~TableDataset() {
    m_statements.clear();
}

void TableDataset::setTableName(const QString& table) {
    m_table = table;
}

QString TableDataset::quotedTable() const {
    return quoted(m_table);
}

void TableDataset::open() {
    if (m_open)
        return;
    if (!m_connection)
        throw AppError(m_name + QStringLiteral(u": Veritabanı dosyası açık değil"));
    beginReset();
    try {
        m_db = m_connection;
        Statement probe(*m_db, QStringLiteral("SELECT * FROM %1 LIMIT 0").arg(quotedTable()));
        m_fields.clear();
        m_fieldIndex.clear();
        m_integerField.clear();
        for (int c = 0; c < probe.columnCount(); ++c) {
            const QString field = probe.columnName(c);
            m_fields.append(field);
            m_fieldIndex.insert(field.toLower(), c);
            m_integerField.push_back(probe.declaredType(c).contains(u"INT"_s, Qt::CaseInsensitive));
        }
        m_open = true;
        loadRows();
    } catch (...) {
        m_open = false;
        m_statements.clear();
        m_db.reset();
        m_rows.clear();
        reset(-1);
        throw;
    }
    connect(m_db.get(), &Database::transactionRolledBack, this, &TableDataset::afterRollback);
    connect(m_db.get(), &Database::transactionEnded, this, &TableDataset::transactionEnded);
    reset(m_rows.empty() ? -1 : 0);
}

void TableDataset::close() {
    if (!m_open)
        return;
    beginReset();
    disconnect(m_db.get(), nullptr, this, nullptr);
    m_statements.clear();
    m_db.reset();
    m_open = false;
    m_rows.clear();
    m_cursor = -1;
    m_eof = true;
    m_state = State::Browse;
    m_buffer.clear();
    endReset();
    notifyCurrent();
}

Database& TableDataset::database() {
    checkOpen();
    return *m_db;
}

void TableDataset::checkOpen() const {
    if (!m_open)
        throw AppError(m_name +
                       QStringLiteral(": Cannot perform this operation on a closed dataset"));
}

int TableDataset::fieldIndex(const QString& field) const {
    const auto it = m_fieldIndex.constFind(field.toLower());
    if (it == m_fieldIndex.constEnd())
        throw AppError(m_name + QStringLiteral(": Field '%1' not found").arg(field));
    return it.value();
}

Statement& TableDataset::statement(const QString& sql) {
    auto& slot = m_statements[sql];
    if (!slot)
        slot = std::make_shared<Statement>(*m_db, sql);
    slot->reset();
    return *slot;
}

// Reads the visible rows from the engine, in the order they were appended.
void TableDataset::loadRows() {
    QString sql = QStringLiteral("SELECT rowid, * FROM %1").arg(quotedTable());
    const bool where = m_filtered && !m_filterField.isEmpty();
    if (where)
        sql +=
            QStringLiteral(" WHERE %1 IS ?1").arg(quoted(m_fields.at(fieldIndex(m_filterField))));
    sql += QStringLiteral(" ORDER BY rowid");
    Statement& select = statement(sql);
    if (where)
        select.bind(1, m_filterValue);
    std::vector<Row> rows;
    const int columns = int(m_fields.size());
    while (select.step()) {
        Row row{select.value(0).toLongLong(), {}};
        row.values.reserve(columns);
        for (int c = 0; c < columns; ++c)
            row.values.append(select.value(c + 1));
        rows.push_back(std::move(row));
    }
    select.reset();
    m_rows = std::move(rows);
}

// Shows freshly loaded rows: no pending change, the cursor on `cursor`.
// The caller has called beginReset() before changing the rows.
void TableDataset::reset(int cursor) {
    m_state = State::Browse;
    m_buffer.clear();
    m_cursor = m_rows.empty() ? -1 : std::clamp(cursor, 0, int(m_rows.size()) - 1);
    m_eof = m_rows.empty();
    endReset();
    notifyCurrent();
}

void TableDataset::afterRollback() {
    // What the engine holds is the truth again; show it.
    try {
        beginReset();
        loadRows();
    } catch (const AppError&) {
        m_rows.clear();
    }
    m_state = State::Browse;
    reset(m_cursor);
}

QVariantList TableDataset::readRow(qint64 rowid) {
    Statement& select =
        statement(QStringLiteral("SELECT * FROM %1 WHERE rowid = ?1").arg(quotedTable()));
    select.bind(1, rowid);
    QVariantList values;
    if (select.step()) {
        values.reserve(m_fields.size());
        for (int c = 0; c < m_fields.size(); ++c)
            values.append(select.value(c));
    }
    select.reset();
    return values;
}

// Notifications. While a command's transaction is open, a change of the rows
// is announced as one reset that ends with the transaction, and cursor moves
// as one move at its end: a view then follows a command of thousands of rows
// in one step instead of one per row.
bool TableDataset::deferring() const {
    return m_db && m_db->inTransaction();
}

void TableDataset::beginReset() {
    if (!m_resetOpen) {
        m_resetOpen = true;
        if (m_model)
            m_model->rowsWillReset();
    }
}

void TableDataset::endReset() {
    if (m_resetOpen && !deferring()) {
        m_resetOpen = false;
        if (m_model)
            m_model->rowsWereReset();
    }
}

void TableDataset::beginInsertRow(int row) {
    if (deferring() || m_resetOpen)
        beginReset();
    else if (m_model)
        m_model->rowWillBeInserted(row);
}

void TableDataset::endInsertRow(int) {
    if (!m_resetOpen && m_model)
        m_model->rowWasInserted();
}

void TableDataset::beginRemoveRow(int row) {
    if (deferring() || m_resetOpen)
        beginReset();
    else if (m_model)
        m_model->rowWillBeRemoved(row);
}

void TableDataset::endRemoveRow(int) {
    if (!m_resetOpen && m_model)
        m_model->rowWasRemoved();
}

void TableDataset::notifyRowChanged(int row) {
    if (!m_resetOpen && m_model)
        m_model->rowWasChanged(row);
}

void TableDataset::notifyCurrent() {
    if (deferring() || m_resetOpen)
        m_currentPending = true;
    else
        emit currentChanged(currentIndex());
}

void TableDataset::transactionEnded() {
    endReset();
    if (m_currentPending && !m_resetOpen) {
        m_currentPending = false;
        emit currentChanged(currentIndex());
    }
}

void TableDataset::setCursor(int index) {
    if (index == m_cursor)
        return;
    m_cursor = index;
    notifyCurrent();
}

bool TableDataset::anyModified() const {
    return std::find(m_modified.begin(), m_modified.end(), true) != m_modified.end();
}

void TableDataset::first() {
    checkOpen();
    post();
    m_eof = m_rows.empty();
    setCursor(m_rows.empty() ? -1 : 0);
}

void TableDataset::next() {
    checkOpen();
    post();
    if (m_cursor + 1 < int(m_rows.size())) {
        m_eof = false;
        setCursor(m_cursor + 1);
    } else {
        m_eof = true;
    }
}

void TableDataset::moveTo(int index) {
    checkOpen();
    if (index == currentIndex())
        return;
    post();
    if (m_rows.empty())
        return;
    m_eof = false;
    setCursor(std::clamp(index, 0, int(m_rows.size()) - 1));
}

void TableDataset::edit() {
    checkOpen();
    if (m_state != State::Browse)
        return;
    if (m_rows.empty()) {
        startInsert();
        return;
    }
    m_buffer = m_rows[std::size_t(m_cursor)].values;
    m_modified.assign(std::size_t(m_fields.size()), false);
    m_state = State::Edit;
}

void TableDataset::append() {
    checkOpen();
    post();
    startInsert();
}

void TableDataset::startInsert() {
    const int row = int(m_rows.size());
    m_returnIndex = m_cursor;
    beginInsertRow(row);
    m_buffer = QVariantList(m_fields.size());
    m_modified.assign(std::size_t(m_fields.size()), false);
    m_state = State::Insert;
    endInsertRow(row);
    m_cursor = row;
    notifyCurrent();
}

// Abandons the new row and returns to the row that was current before it.
void TableDataset::dropInsert() {
    const int row = int(m_rows.size());
    beginRemoveRow(row);
    m_state = State::Browse;
    m_buffer.clear();
    endRemoveRow(row);
    m_cursor = m_rows.empty() ? -1 : std::clamp(m_returnIndex, 0, int(m_rows.size()) - 1);
    notifyCurrent();
}

void TableDataset::deleteRow() {
    checkOpen();
    if (m_state == State::Insert) {
        dropInsert();
        return;
    }
    if (m_rows.empty())
        throw AppError(m_name +
                       QStringLiteral(": Cannot perform this operation on an empty dataset"));
    const int row = m_cursor;
    Statement& del =
        statement(QStringLiteral("DELETE FROM %1 WHERE rowid = ?1").arg(quotedTable()));
    del.bind(1, m_rows[std::size_t(row)].rowid);
    del.step();
    del.reset();

    m_state = State::Browse;
    m_buffer.clear();
    beginRemoveRow(row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRow(row);
    m_eof = m_rows.empty();
    m_cursor = m_rows.empty() ? -1 : std::min(row, int(m_rows.size()) - 1);
    notifyCurrent();
}

void TableDataset::deleteAll() {
    checkOpen();
    QString sql = QStringLiteral("DELETE FROM %1").arg(quotedTable());
    const bool where = m_filtered && !m_filterField.isEmpty();
    if (where)
        sql +=
            QStringLiteral(" WHERE %1 IS ?1").arg(quoted(m_fields.at(fieldIndex(m_filterField))));
    Statement& del = statement(sql);
    if (where)
        del.bind(1, m_filterValue);
    del.step();
    del.reset();
    beginReset();
    m_rows.clear();
    reset(-1);
}

void TableDataset::post() {
    checkOpen();
    if (m_state == State::Edit) {
        const std::size_t row = std::size_t(m_cursor);
        if (anyModified()) {
            QStringList sets;
            QVariantList values;
            for (int c = 0; c < m_fields.size(); ++c) {
                if (m_modified[std::size_t(c)]) {
                    sets.append(quoted(m_fields.at(c)) + QStringLiteral(" = ?"));
                    values.append(m_buffer.at(c));
                }
            }
            Statement& update = statement(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                                              .arg(quotedTable(), sets.join(u", "_s)));
            int p = 1;
            for (const QVariant& v : values)
                update.bind(p++, v);
            update.bind(p, m_rows[row].rowid);
            update.step();
            update.reset();
            m_rows[row].values = readRow(m_rows[row].rowid);
        }
        m_state = State::Browse;
        m_buffer.clear();
        notifyRowChanged(m_cursor);
        return;
    }
    if (m_state != State::Insert)
        return;
    if (!anyModified()) {
        dropInsert();
        return;
    }
    QStringList columns;
    QStringList marks;
    for (int c = 0; c < m_fields.size(); ++c) {
        if (m_modified[std::size_t(c)]) {
            columns.append(quoted(m_fields.at(c)));
            marks.append(u"?"_s);
        }
    }
    Statement& insert =
        statement(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(quotedTable(), columns.join(u", "_s), marks.join(u", "_s)));
    int p = 1;
    for (int c = 0; c < m_fields.size(); ++c)
        if (m_modified[std::size_t(c)])
            insert.bind(p++, m_buffer.at(c));
    insert.step();
    insert.reset();
    const qint64 rowid = m_db->lastInsertRowId();
    Row stored{rowid, readRow(rowid)};

    const int pending = int(m_rows.size());
    m_state = State::Browse;
    m_buffer.clear();
    // The engine gives a new row the highest rowid, so it normally takes the
    // place of the pending row at the end of the visible rows.
    if (m_rows.empty() || m_rows.back().rowid < rowid) {
        m_rows.push_back(std::move(stored));
        m_cursor = pending;
        notifyRowChanged(pending);
        return;
    }
    beginRemoveRow(pending);
    endRemoveRow(pending);
    const auto at = std::lower_bound(m_rows.begin(), m_rows.end(), rowid,
                                     [](const Row& r, qint64 id) { return r.rowid < id; });
    const int row = int(at - m_rows.begin());
    beginInsertRow(row);
    m_rows.insert(at, std::move(stored));
    endInsertRow(row);
    m_cursor = row;
    notifyCurrent();
}

void TableDataset::cancel() {
    checkOpen();
    if (m_state == State::Edit) {
        m_state = State::Browse;
        m_buffer.clear();
        notifyRowChanged(m_cursor);
    } else if (m_state == State::Insert) {
        dropInsert();
    }
}

void TableDataset::setFilter(const QString& field, const QVariant& value) {
    if (m_open)
        fieldIndex(field);
    m_filterField = field;
    m_filterValue = value;
    if (m_open && m_filtered)
        setFiltered(true);
}

void TableDataset::clearFilter() {
    m_filterField.clear();
    m_filterValue = QVariant();
    if (m_open && m_filtered)
        setFiltered(true);
}

QString TableDataset::filterText() const {
    if (m_filterField.isEmpty())
        return {};
    return m_filterField + QStringLiteral("='") + m_filterValue.toString() + u'\'';
}

void TableDataset::setFiltered(bool on) {
    checkOpen();
    post();
    const bool was = m_filtered;
    m_filtered = on;
    try {
        beginReset();
        loadRows();
    } catch (...) {
        m_filtered = was;
        reset(m_cursor);
        throw;
    }
    reset(0);
}

int TableDataset::recordCount() const {
    checkOpen();
    return int(m_rows.size());
}

QStringList TableDataset::fieldNames() const {
    checkOpen();
    return m_fields;
}

bool TableDataset::hasField(const QString& field) const {
    return m_fieldIndex.contains(field.toLower());
}

bool TableDataset::isIntegerField(const QString& field) const {
    checkOpen();
    return m_integerField[std::size_t(fieldIndex(field))];
}

QVariant TableDataset::fieldValue(const QString& field) const {
    checkOpen();
    const int c = fieldIndex(field);
    if (m_state != State::Browse)
        return m_buffer.at(c);
    if (m_cursor < 0)
        return {};
    return m_rows[std::size_t(m_cursor)].values.at(c);
}

void TableDataset::setFieldValue(const QString& field, const QVariant& value) {
    checkOpen();
    const int c = fieldIndex(field);
    if (m_state == State::Browse)
        throw AppError(m_name + QStringLiteral(": Dataset not in edit or insert mode"));
    m_buffer[c] = value;
    m_modified[std::size_t(c)] = true;
    notifyRowChanged(currentIndex());
}

int TableDataset::visibleRowCount() const {
    return int(m_rows.size()) + (m_state == State::Insert ? 1 : 0);
}

int TableDataset::currentIndex() const {
    return m_cursor;
}

QVariant TableDataset::value(int row, const QString& field) const {
    const auto it = m_fieldIndex.constFind(field.toLower());
    if (!m_open || it == m_fieldIndex.constEnd() || row < 0 || row >= visibleRowCount())
        return {};
    if (row == m_cursor && m_state != State::Browse)
        return m_buffer.at(it.value());
    return m_rows[std::size_t(row)].values.at(it.value());
}
