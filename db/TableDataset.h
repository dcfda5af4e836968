#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <memory>
#include <vector>

class Database;
class DatasetModel;
class Statement;

// A table of the database seen through a cursor. The rows visible under the
// filter are held in memory in the order they were appended (rowid order), so
// moving the cursor costs nothing; changes reach the engine when a row is
// posted. While a transaction is open on the connection, changes are
// announced once, when it ends. Every operation on a dataset that is not open
// throws "<name>: Cannot perform this operation on a closed dataset".
class TableDataset : public QObject {
    Q_OBJECT
public:
    enum class State {
        Browse, // no pending change
        Edit,   // the current row has pending changes
        Insert, // a new row, not yet stored, stands after the last visible row
    };

    explicit TableDataset(const QString& name, QObject* parent = nullptr);
    ~TableDataset() override;

    const QString& name() const { return m_name; }

    // The open database file the table is in; shared by the datasets of one file.
    void setDatabase(std::shared_ptr<Database> database) { m_connection = std::move(database); }
    void setTableName(const QString& table);
    const QString& tableName() const { return m_table; }

    // Opens the table on the connection shared by all datasets of the same
    // file; the cursor then stands on the first row (end flag set when empty).
    void open();
    // Drops the cached rows and any pending change.
    void close();
    bool isOpen() const { return m_open; }
    Database& database();

    // Each posts first (see post()).
    void first();
    void next();
    // Posts, then makes row `index` of the visible rows current. The grid's way of moving.
    void moveTo(int index);
    bool eof() const { return !m_open || m_eof; }

    // Makes the current row changeable; with no visible row starts a new row;
    // no effect while a row is being changed or added.
    void edit();
    // Posts, then starts a new row after the last.
    void append();
    // Removes the current row at once, dropping its pending change; the cursor
    // goes to the following row, or the preceding one when the last was
    // removed. On a new, unposted row it abandons that row instead.
    void deleteRow();
    // Removes every visible row in one statement, dropping any pending change.
    void deleteAll();
    // Stores a changed or new row if any of its fields was set, else drops it.
    void post();
    void cancel();
    State state() const { return m_state; }

    // Filter: with the switch on, only rows whose field equals the value are
    // visible. The value is bound, never pasted into query text. Setting it
    // while the switch is on refilters; switching posts and goes to the first row.
    void setFilter(const QString& field, const QVariant& value);
    void clearFilter();
    // The filter as text, for display only: field='value'.
    QString filterText() const;
    void setFiltered(bool on);
    bool isFiltered() const { return m_filtered; }

    // Stored rows visible under the filter; an unposted new row does not count.
    int recordCount() const;
    QStringList fieldNames() const;
    bool hasField(const QString& field) const;
    // True when the column is declared with an integer type.
    bool isIntegerField(const QString& field) const;

    // The current row's field; null when it has no value or no row is visible.
    QVariant fieldValue(const QString& field) const;
    // Text, a 32-bit integer or null, on a row being changed or added.
    void setFieldValue(const QString& field, const QVariant& value);

    // For a grid: the visible rows, counting a new unposted row after the last.
    int visibleRowCount() const;
    // Visible row index of the cursor; -1 with no visible row.
    int currentIndex() const;
    // A visible row's field as shown, pending changes included; null out of range.
    QVariant value(int row, const QString& field) const;

    // The grid's model, through which row changes are announced (nullptr: none).
    void attachModel(DatasetModel* model) { m_model = model; }

signals:
    // The cursor moved to visible row `row` (-1: none).
    void currentChanged(int row);

private:
    struct Row {
        qint64 rowid;
        QVariantList values;
    };

    void checkOpen() const;
    int fieldIndex(const QString& field) const;
    Statement& statement(const QString& sql);
    QString quotedTable() const;
    void loadRows();
    void reset(int cursor);
    QVariantList readRow(qint64 rowid);
    void startInsert();
    void dropInsert();
    void setCursor(int index);
    bool anyModified() const;
    void afterRollback();
    bool deferring() const;
    void beginReset();
    void endReset();
    void beginInsertRow(int row);
    void endInsertRow(int row);
    void beginRemoveRow(int row);
    void endRemoveRow(int row);
    void notifyRowChanged(int row);
    void notifyCurrent();
    void transactionEnded();

    QString m_name;
    DatasetModel* m_model = nullptr;
    std::shared_ptr<Database> m_connection;
    QString m_table;
    std::shared_ptr<Database> m_db;
    bool m_open = false;
    QStringList m_fields;
    QHash<QString, int> m_fieldIndex; // lower-case name -> column
    std::vector<bool> m_integerField;
    QHash<QString, std::shared_ptr<Statement>> m_statements;

    std::vector<Row> m_rows;
    int m_cursor = -1;
    bool m_eof = true;

    State m_state = State::Browse;
    QVariantList m_buffer;
    std::vector<bool> m_modified;
    int m_returnIndex = -1;

    bool m_resetOpen = false;      // a reset begun and not yet ended
    bool m_currentPending = false; // a cursor move not yet announced

    QString m_filterField;
    QVariant m_filterValue;
    bool m_filtered = false;
};
