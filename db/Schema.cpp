#include "db/Schema.h"

#include "core/AppError.h"
#include "db/ClassLists.h"
#include "db/Database.h"
#include "db/LiveStore.h"
#include "db/ResultStore.h"
#include "db/Sections.h"
#include "db/Settings.h"

#include <QStringList>

namespace {

QString settingsTableSql() {
    QStringList columns;
    for (const SettingsField& field : settingsFields())
        columns << field.column + u' ' + field.sqlType();
    return QStringLiteral("CREATE TABLE webrenk (%1);").arg(columns.join(QStringLiteral(", ")));
}

QString defaultSettingsRowSql() {
    QStringList values;
    for (const SettingsField& field : settingsFields())
        values << field.sqlDefault();
    return QStringLiteral("INSERT INTO webrenk VALUES (%1);")
        .arg(values.join(QStringLiteral(", ")));
}

void setVersion(Database& db, int version) {
    db.exec(QStringLiteral("PRAGMA user_version = %1;").arg(version));
}

} // namespace

QString newDatabaseSql() {
    return QStringLiteral("CREATE TABLE webtablo (id INTEGER PRIMARY KEY);") + settingsTableSql() +
           QStringLiteral(
               "CREATE TABLE websoru (testadi TEXT, soruno INTEGER, dosya TEXT, dc TEXT);") +
           sectionsTableSql() + classListsTableSql() + liveTablesSql() + defaultSettingsRowSql() +
           QStringLiteral("PRAGMA user_version = %1;").arg(kCurrentSchemaVersion);
}

int schemaVersion(Database& db) {
    Statement statement(db, QStringLiteral("PRAGMA user_version"));
    const int version = statement.step() ? statement.value(0).toInt() : 0;
    return version == 0 ? 1 : version;
}

QString newerSchemaText(int fileVersion) {
    return QStringLiteral(u"Bu veritabanı dosyası programın daha yeni bir sürümüyle yapılmış "
                          u"(dosya sürümü %1, bu programınki %2). Dosyaya dokunulmadı; lütfen "
                          u"programın yeni sürümünü kullanınız.")
        .arg(fileVersion)
        .arg(kCurrentSchemaVersion);
}

QString foreignSchemaText(const QString& kind, const QString& name) {
    const QString shown = name.size() > 40 ? name.left(40) + u'…' : name;
    return QStringLiteral(u"Bu veritabanı dosyasında bu programın yapmadığı bir %1 var (\"%2\"); "
                          u"kayıtlarda kendiliğinden çalışacak komutlar içeriyor olabilir. "
                          u"Dosyaya dokunulmadı; lütfen programın kendi yaptığı bir veritabanı "
                          u"dosyasını kullanınız.")
        .arg(kind, shown);
}

void refuseForeignSchema(Database& db) {
    const int fileVersion = schemaVersion(db);
    if (fileVersion > kCurrentSchemaVersion)
        throw AppError(newerSchemaText(fileVersion));
    Statement objects(db, QStringLiteral("SELECT type, name FROM sqlite_master "
                                         "WHERE type IN ('trigger', 'view') ORDER BY rowid"));
    if (objects.step())
        throw AppError(foreignSchemaText(objects.value(0).toString() == QLatin1String("view")
                                             ? QStringLiteral(u"görünüm")
                                             : QStringLiteral(u"tetikleyici"),
                                         objects.value(1).toString()));
}

void upgradeSchema(Database& db) {
    const int fileVersion = schemaVersion(db);
    if (fileVersion > kCurrentSchemaVersion)
        throw AppError(newerSchemaText(fileVersion));
    if (fileVersion == kCurrentSchemaVersion)
        return;

    Transaction transaction(db);
    for (const SettingsField& field : settingsFields()) {
        if (field.version > fileVersion)
            db.exec(QStringLiteral("ALTER TABLE webrenk ADD COLUMN %1 %2 DEFAULT %3;")
                        .arg(field.column, field.sqlType(), field.sqlDefault()));
    }
    if (fileVersion < 2) {
        createResultTables(db);
    } else {
        if (fileVersion < 3)
            addAttemptColumn(db);
        if (fileVersion < 4)
            addSectionAndBookletColumns(db);
    }
    if (fileVersion < 4)
        db.exec(sectionsTableSql());
    if (fileVersion < 5)
        db.exec(classListsTableSql());
    if (fileVersion < 6)
        db.exec(liveTablesSql());
    setVersion(db, kCurrentSchemaVersion);
    transaction.commit();
}
