#include "db/Sections.h"

#include "core/AppError.h"
#include "db/Database.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// A generous bound on one section's JSON: name, three numbers and the keys.
constexpr qsizetype kMaxSectionJson = 400;

AppError damagedTable(const QString& testName) {
    return AppError(u"\"%1\" testinin kayıtlı bölüm listesi bozuk; bölümler okunamadı."_s.arg(
        testName.left(kMaxSectionName)));
}

// A stored whole number that fits the section's field; false for anything else.
bool storedNumber(const QVariant& value, qint32& number) {
    if (value.typeId() != QMetaType::Int)
        return false;
    number = value.toInt();
    return true;
}

} // namespace

QString sectionsTableSql() {
    return u"CREATE TABLE IF NOT EXISTS bolum (testadi TEXT, sira INTEGER, ad TEXT, "
           u"ilk INTEGER, son INTEGER, katsayi REAL);"_s;
}

std::vector<Section> loadSections(Database& db, const QString& testName) {
    // One row beyond the limit is enough to tell a table too long.
    Statement select(db, u"SELECT ad, ilk, son, katsayi FROM bolum WHERE testadi = ? "
                         u"ORDER BY sira, rowid LIMIT %1"_s.arg(kMaxSections + 1));
    select.bind(1, testName);
    std::vector<Section> sections;
    while (select.step()) {
        if (sections.size() == std::size_t(kMaxSections))
            throw damagedTable(testName);
        Section section;
        const QVariant name = select.value(0);
        const QVariant weight = select.value(3);
        if (name.typeId() != QMetaType::QString || name.toString().size() > kMaxSectionName ||
            !storedNumber(select.value(1), section.first) ||
            !storedNumber(select.value(2), section.last) ||
            (weight.typeId() != QMetaType::Double && weight.typeId() != QMetaType::Int))
            throw damagedTable(testName);
        section.name = name.toString();
        section.weight = weight.toDouble();
        sections.push_back(std::move(section));
    }
    return sections;
}

void saveSections(Database& db, const QString& testName, const std::vector<Section>& sections,
                  qint32 questionCount) {
    checkSections(sections, questionCount);
    Transaction transaction(db);
    Statement remove(db, u"DELETE FROM bolum WHERE testadi = ?"_s);
    remove.bind(1, testName);
    remove.step();
    Statement insert(db, u"INSERT INTO bolum (testadi, sira, ad, ilk, son, katsayi) "
                         u"VALUES (?, ?, ?, ?, ?, ?)"_s);
    for (std::size_t i = 0; i < sections.size(); ++i) {
        const Section& section = sections[i];
        insert.reset();
        insert.bind(1, testName);
        insert.bind(2, qint32(i + 1));
        insert.bind(3, section.name.trimmed());
        insert.bind(4, section.first);
        insert.bind(5, section.last);
        insert.bind(6, section.weight);
        insert.step();
    }
    transaction.commit();
}

QString sectionsJson(const std::vector<Section>& sections) {
    if (sections.empty())
        return {};
    QJsonArray array;
    for (const Section& section : sections)
        array.append(QJsonObject{{u"ad"_s, section.name},
                                 {u"ilk"_s, section.first},
                                 {u"son"_s, section.last},
                                 {u"katsayi"_s, section.weight}});
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

std::vector<Section> parseSectionsJson(const QString& text, qint32 questionCount) {
    if (text.isEmpty())
        return {};
    const AppError damaged(u"Testin kayıtlı bölümleri bozuk."_s);
    if (text.size() > kMaxSections * kMaxSectionJson)
        throw damaged;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8());
    if (!document.isArray())
        throw damaged;
    std::vector<Section> sections;
    for (const QJsonValue& value : document.array()) {
        const QJsonObject object = value.toObject();
        const QJsonValue name = object.value(u"ad"_s);
        const double first = object.value(u"ilk"_s).toDouble(NAN);
        const double last = object.value(u"son"_s).toDouble(NAN);
        const double weight = object.value(u"katsayi"_s).toDouble(NAN);
        // Whole numbers only; NaN and fractions fail the comparison.
        if (!name.isString() || !(std::abs(first) < 1e9 && first == std::floor(first)) ||
            !(std::abs(last) < 1e9 && last == std::floor(last)))
            throw damaged;
        sections.push_back({name.toString(), qint32(first), qint32(last), weight});
    }
    try {
        checkSections(sections, questionCount);
    } catch (const AppError&) {
        throw damaged;
    }
    return sections;
}
