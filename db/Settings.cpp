#include "db/Settings.h"

#include "core/AppError.h"
#include "core/Booklets.h"
#include "db/Database.h"
#include "db/TableDataset.h"

namespace {

using Type = SettingsField::Type;

QVariant memberValue(const SettingsField& field, const Settings& settings) {
    return std::visit([&settings](auto member) { return QVariant::fromValue(settings.*member); },
                      field.member);
}

// A null value stops the load with the text error, whatever the field's type.
void setMember(const SettingsField& field, Settings& settings, const QVariant& value) {
    const QString text = variantText(value);
    if (auto text_member = std::get_if<QString Settings::*>(&field.member))
        settings.** text_member = text;
    else if (auto number = std::get_if<qint32 Settings::*>(&field.member))
        settings.** number =
            !field.accepts || field.accepts(value.toInt()) ? value.toInt() : Settings{}.**number;
    else
        settings.*std::get<bool Settings::*>(field.member) = value.toInt() != 0;
}

} // namespace

SettingsField::Type SettingsField::type() const {
    if (std::holds_alternative<QString Settings::*>(member))
        return Type::Text;
    return std::holds_alternative<qint32 Settings::*>(member) ? Type::Integer : Type::Boolean;
}

QVariant SettingsField::defaultValue() const {
    return memberValue(*this, Settings{});
}

QString SettingsField::sqlType() const {
    return type() == Type::Text ? QStringLiteral("TEXT") : QStringLiteral("INTEGER");
}

QString SettingsField::sqlDefault() const {
    const QVariant value = defaultValue();
    if (type() == Type::Text)
        return u'\'' + value.toString().replace(u'\'', QStringLiteral("''")) + u'\'';
    return QString::number(type() == Type::Boolean ? int(value.toBool()) : value.toInt());
}

const std::vector<SettingsField>& settingsFields() {
    static const std::vector<SettingsField> fields = {
        {QStringLiteral("sorus"), 1, &Settings::sorus},
        {QStringLiteral("cevaps"), 1, &Settings::cevaps},
        {QStringLiteral("sonucs"), 1, &Settings::sonucs},
        {QStringLiteral("soruac"), 1, &Settings::soruac},
        {QStringLiteral("ace"), 1, &Settings::ace},
        {QStringLiteral("bd"), 1, &Settings::bd},
        {QStringLiteral("gezyer"), 1, &Settings::gezyer},
        {QStringLiteral("siksay"), 1, &Settings::siksay},
        {QStringLiteral("teksayfa"), 2, &Settings::teksayfa},
        {QStringLiteral("sure"), 2, &Settings::sure},
        {QStringLiteral("yanlis"), 2, &Settings::yanlis},
        {QStringLiteral("dogrular"), 3, &Settings::dogrular},
        {QStringLiteral("kitapcik"), 4, &Settings::kitapcik, isBookletCount},
    };
    return fields;
}

Settings defaultSettings() {
    return Settings{};
}

QString variantText(const QVariant& value) {
    if (value.isNull())
        throw AppError(
            QStringLiteral("Could not convert variant of type (Null) into type (String)"));
    return value.toString();
}

void loadSettings(TableDataset& webrenk, Settings& into,
                  const std::function<void(const SettingsField&)>& loaded) {
    for (const SettingsField& field : settingsFields()) {
        setMember(field, into, webrenk.fieldValue(field.column));
        loaded(field);
    }
}

void saveSettings(TableDataset& webrenk, const Settings& settings) {
    Transaction transaction(webrenk.database());
    webrenk.first();
    webrenk.edit();
    for (const SettingsField& field : settingsFields()) {
        QVariant value = memberValue(field, settings);
        if (field.type() == Type::Boolean)
            value = qint32(value.toBool() ? 1 : 0);
        webrenk.setFieldValue(field.column, value);
    }
    webrenk.next();
    transaction.commit();
}
