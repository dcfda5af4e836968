#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

// One connection to a database file of this program, reached through the
// header-block VFS. Engine failures are thrown as AppError with the engine's
// own text; a file held by another program past the busy timeout gives an
// "in use" text instead of waiting on.
//
// One teacher, one program: an existing file is claimed for as long as the
// connection is open (an advisory lock, dropped by the system when the
// process ends in any way). A second program that opens the same file is
// refused at once with inUseText() and changes nothing. The claim is not
// taken on Windows. An existing file is read whole before it is used; a
// damaged one is refused with damagedText() and left as it is, and so is a
// file known by more than one name (otherNamesText()).
//
// Commits go through a rollback journal with full syncing: whenever no
// command is running, the database file alone holds every saved change.
class Database : public QObject {
    Q_OBJECT
public:
    enum class Mode {
        OpenExisting, // the file must exist and be a database of this program
        CreateNew,    // the file must not exist yet; an empty database is made
    };

    explicit Database(const QString& path, Mode mode = Mode::OpenExisting);
    ~Database() override;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // The connection for a file, shared by every dataset on that file so that
    // one command's transaction covers all of them. The connection closes when
    // the last holder lets go of it.
    static std::shared_ptr<Database> shared(const QString& path);

    const QString& path() const { return m_path; }
    sqlite3* handle() const { return m_db; }

    // Runs one or more statements that return no rows.
    void exec(const QString& sql);
    qint64 lastInsertRowId() const;
    void setBusyTimeout(int milliseconds);

    // True while a Transaction object is alive on this connection.
    bool inTransaction() const { return m_depth > 0; }

    // Throws the engine's current error for the result code rc.
    [[noreturn]] void raise(int rc) const;

    static QString inUseText();
    static QString damagedText(const QString& engineText);
    // Why a file with a second name (a hard link) is refused.
    static QString otherNamesText();

signals:
    // The engine dropped an open transaction (a failed commit, or an error
    // that rolls back by itself): rows cached from it are stale.
    void transactionRolledBack();
    // The outermost Transaction object has ended, committed or not.
    void transactionEnded();

private:
    friend class Transaction;
    friend class Statement;
    void beginTransaction();
    void endTransaction(bool quiet);
    void noteFailure();
    void checkSound();
    void closeConnection();

    sqlite3* m_db = nullptr;
    int m_claim = -1; // descriptor holding the claim on the file, or -1
    QString m_path;
    int m_depth = 0;
    bool m_began = false;
};

// A prepared statement. Parameters are numbered from 1, columns from 0.
class Statement {
public:
    Statement(Database& db, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Text, whole numbers, floating numbers and byte arrays; a null QVariant binds NULL.
    void bind(int index, const QVariant& value);
    // Steps once: true when a row is ready, false when the statement is done.
    bool step();
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    // The type the column was declared with in its table, empty for an expression.
    QString declaredType(int column) const;
    // NULL as a null QVariant, integers as qint32 when they fit (else qint64), text as QString.
    QVariant value(int column) const;

private:
    Database& m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

// One command's transaction. The outermost object begins it; nested objects
// on the same connection join it. It is committed when the outermost object
// ends, also when it ends because an exception leaves the command, so what
// the command did before the error stays stored. A failed commit rolls back
// and throws unless an exception is already on its way.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction() noexcept(false);
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Ends this object's part early; commits when it is the outermost.
    void commit();

private:
    Database& m_db;
    int m_uncaught;
    bool m_done = false;
};
