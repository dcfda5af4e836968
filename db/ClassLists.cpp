#include "db/ClassLists.h"

#include "core/AppError.h"
#include "db/Database.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QString checkedClassName(const QString& className) {
    const QString name = className.trimmed();
    if (name.isEmpty())
        throw AppError(u"Sınıfın adı boş olamaz."_s);
    if (name.size() > kMaxClassName)
        throw AppError(u"Sınıfın adı en çok %1 karakter olabilir."_s.arg(kMaxClassName));
    if (std::any_of(name.cbegin(), name.cend(), [](QChar c) {
            return c.category() == QChar::Other_Control || c.category() == QChar::Other_Format;
        }))
        throw AppError(u"Sınıfın adında denetim ya da görünmeyen bir karakter var."_s);
    return name;
}

} // namespace

QString classListsTableSql() {
    return u"CREATE TABLE IF NOT EXISTS sinif (sinifadi TEXT, sira INTEGER, no TEXT, ad TEXT);"_s;
}

void storeClassList(Database& db, const QString& className,
                    const std::vector<ClassMember>& members) {
    const QString name = checkedClassName(className);
    Transaction transaction(db);
    Statement remove(db, u"DELETE FROM sinif WHERE sinifadi = ?"_s);
    remove.bind(1, name);
    remove.step();
    Statement insert(db, u"INSERT INTO sinif (sinifadi, sira, no, ad) VALUES (?, ?, ?, ?)"_s);
    for (std::size_t i = 0; i < members.size(); ++i) {
        insert.reset();
        insert.bind(1, name);
        insert.bind(2, qint32(i + 1));
        insert.bind(3, members[i].number);
        insert.bind(4, members[i].name);
        insert.step();
    }
    transaction.commit();
}

std::vector<ClassMember> classList(Database& db, const QString& className) {
    // One row beyond the limit is enough to tell a list too long.
    Statement select(db, u"SELECT no, ad FROM sinif WHERE sinifadi = ? ORDER BY sira, rowid "
                         u"LIMIT %1"_s.arg(kMaxClassMembers + 1));
    select.bind(1, className.trimmed());
    std::vector<ClassMember> members;
    while (select.step()) {
        const QVariant number = select.value(0);
        const QVariant name = select.value(1);
        if (members.size() == std::size_t(kMaxClassMembers) ||
            number.typeId() != QMetaType::QString || name.typeId() != QMetaType::QString ||
            name.toString().size() > kMaxClassMemberName)
            throw AppError(u"\"%1\" sınıfının kayıtlı listesi bozuk; liste okunamadı."_s.arg(
                className.trimmed().left(kMaxClassName)));
        members.push_back({number.toString(), name.toString()});
    }
    return members;
}

QStringList classNames(Database& db) {
    Statement select(db, u"SELECT DISTINCT sinifadi FROM sinif WHERE typeof(sinifadi) = 'text'"_s);
    QStringList names;
    while (select.step())
        names << select.value(0).toString();
    QCollator collator{QLocale(QLocale::Turkish, QLocale::Turkey)};
    collator.setNumericMode(true);
    std::sort(names.begin(), names.end(), collator);
    return names;
}
