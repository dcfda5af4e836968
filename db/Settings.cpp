#include "db/Settings.h"

#include "core/AppError.h"
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
        settings.** number = value.toInt();
    else
        settings.*std::get<bool Settings::*>(field.member) = value.toInt() != 0;
}

} // namespace

QString SettingsField::sqlType() const {
    return type == Type::Text ? QStringLiteral("TEXT") : QStringLiteral("INTEGER");
}

QString SettingsField::sqlDefault() const {
    if (type == Type::Text)
        return u'\'' + defaultValue.toString().replace(u'\'', QStringLiteral("''")) + u'\'';
    return QString::number(defaultValue.toInt());
}

const std::vector<SettingsField>& settingsFields() {
    static const std::vector<SettingsField> fields = {
        {QStringLiteral("sorus"), Type::Text, QStringLiteral("#B86397"), 1, &Settings::sorus},
        {QStringLiteral("cevaps"), Type::Text, QStringLiteral("#B86397"), 1, &Settings::cevaps},
        {QStringLiteral("sonucs"), Type::Text, QStringLiteral("#B86397"), 1, &Settings::sonucs},
        {QStringLiteral("soruac"), Type::Text, QStringLiteral("#F1CFE4"), 1, &Settings::soruac},
        {QStringLiteral("ace"), Type::Text, QStringLiteral("#F1CFE4"), 1, &Settings::ace},
        {QStringLiteral("bd"), Type::Text, QStringLiteral("#DA70D6"), 1, &Settings::bd},
        {QStringLiteral("gezyer"), Type::Text, QString(), 1, &Settings::gezyer},
        {QStringLiteral("siksay"), Type::Integer, 4, 1, &Settings::siksay},
        {QStringLiteral("teksayfa"), Type::Boolean, 1, 2, &Settings::teksayfa},
        {QStringLiteral("sure"), Type::Integer, 0, 2, &Settings::sure},
        {QStringLiteral("yanlis"), Type::Integer, 3, 2, &Settings::yanlis},
        {QStringLiteral("dogrular"), Type::Boolean, 1, 3, &Settings::dogrular},
    };
    return fields;
}

Settings defaultSettings() {
    Settings settings;
    for (const SettingsField& field : settingsFields())
        setMember(field, settings, field.defaultValue);
    return settings;
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
        if (field.type == Type::Boolean)
            value = qint32(value.toBool() ? 1 : 0);
        webrenk.setFieldValue(field.column, value);
    }
    webrenk.next();
    transaction.commit();
}
