#pragma once

// Helpers shared by the database tests: real files in temporary folders.

#include "db/Database.h"
#include "db/HeaderVfs.h"
#include "db/NewDatabase.h"
#include "db/TableDataset.h"

#include <QFile>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include <memory>
#include <sqlite3.h>

namespace dbtest {

inline QString newDatabase(const QTemporaryDir& dir,
                           const QString& name = QStringLiteral("dorvana.MDB")) {
    const QString path = dir.filePath(name);
    createDatabase(path);
    return path;
}

inline std::unique_ptr<TableDataset> openTable(const QString& datasetName, const QString& table,
                                               const QString& path) {
    auto dataset = std::make_unique<TableDataset>(datasetName);
    dataset->setDatabase(Database::shared(path));
    dataset->setTableName(table);
    dataset->open();
    return dataset;
}

// Runs SQL on a connection of its own, which sees only committed data.
// Returns the rows; each value as the engine gives it, null as a null QVariant.
inline QList<QVariantList> query(const QString& path, const QString& sql) {
    sqlite3* db = nullptr;
    QList<QVariantList> rows;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE,
                        HeaderVfs::name()) != SQLITE_OK) {
        sqlite3_close(db);
        return {{QStringLiteral("open failed")}};
    }
    sqlite3_stmt* stmt = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db, utf8.constData(), -1, &stmt, nullptr) == SQLITE_OK) {
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QVariantList row;
            for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
                switch (sqlite3_column_type(stmt, c)) {
                case SQLITE_NULL:
                    row.append(QVariant());
                    break;
                case SQLITE_INTEGER:
                    row.append(qint64(sqlite3_column_int64(stmt, c)));
                    break;
                default:
                    row.append(QString::fromUtf8(
                        reinterpret_cast<const char*>(sqlite3_column_text(stmt, c))));
                }
            }
            rows.append(row);
        }
    } else {
        rows.append({QString::fromUtf8(sqlite3_errmsg(db))});
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

inline qint64 count(const QString& path, const QString& table) {
    return query(path, QStringLiteral("SELECT count(*) FROM ") + table)
        .value(0)
        .value(0)
        .toLongLong();
}

} // namespace dbtest

// Checks that `statement` throws AppError with exactly `expected` as its text.
#define DB_EXPECT_ERROR(statement, expected)                                                       \
    do {                                                                                           \
        QString caught_;                                                                           \
        try {                                                                                      \
            statement;                                                                             \
        } catch (const AppError& error_) {                                                         \
            caught_ = error_.text();                                                               \
        }                                                                                          \
        QCOMPARE(caught_, QString(expected));                                                      \
    } while (false)
