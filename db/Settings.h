#pragma once

#include "core/Settings.h"

#include <QString>
#include <QVariant>

#include <functional>
#include <variant>
#include <vector>

class TableDataset;

// A member of the settings record, of any of the types it holds.
using SettingsMember = std::variant<QString Settings::*, qint32 Settings::*, bool Settings::*>;

// One field of the record in table webrenk: its column, the schema version
// that brought it, and its member. The type and the default follow from the
// member (text, whole number, or a flag stored as 0 or 1; the default is the
// member's initialiser in core/Settings.h).
struct SettingsField {
    enum class Type { Text, Integer, Boolean };
    QString column;
    int version;
    SettingsMember member;
    // The whole numbers the field takes; a stored value it refuses reads as the default.
    bool (*accepts)(qint32) = nullptr;

    Type type() const;
    QVariant defaultValue() const;
    QString sqlType() const;
    QString sqlDefault() const; // the default as an SQL literal
};

// The fields in the order they are loaded and saved. A new field is one more
// line here (with the next schema version), its member in core/Settings.h
// and its control in the window's table (ui/SettingsControls.cpp).
const std::vector<SettingsField>& settingsFields();

// The record every new database starts with.
Settings defaultSettings();

// The value as text: text gives itself, a whole number its decimal text. A null
// value throws AppError "Could not convert variant of type (Null) into type (String)".
QString variantText(const QVariant& value);

// Reads the current row of webrenk field by field, in order, into `into`,
// calling `loaded` after each field. A null field throws at that field; the
// fields before it have been loaded and reported.
void loadSettings(TableDataset& webrenk, Settings& into,
                  const std::function<void(const SettingsField&)>& loaded);

// Stores the record in the first row in one transaction, making the row when
// the table is empty.
void saveSettings(TableDataset& webrenk, const Settings& settings);
