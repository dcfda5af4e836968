#pragma once

#include <QString>
#include <QVariant>

#include <functional>
#include <variant>
#include <vector>

class TableDataset;

// The appearance settings record: the first row of table webrenk.
struct Settings {
    QString sorus;     // question page background
    QString cevaps;    // answer sheet background
    QString sonucs;    // result page background
    QString soruac;    // explanation box background
    QString ace;       // answer sheet columns A, C, E
    QString bd;        // answer sheet columns B, D
    QString gezyer;    // folder of the navigation images
    qint32 siksay = 4; // options per question
    // Schema version 2.
    bool teksayfa = true; // also write the single page for today's browsers
    qint32 sure = 0;      // time limit in minutes, 0 for none
    qint32 yanlis = 3;    // wrong answers that cancel one right answer; 0: none do
    // Schema version 3.
    bool dogrular = true; // the single page's result view lists the correct answers
};

// One field of the record: its column, how it is stored, the value a new or
// upgraded file gets, and the schema version that brought it.
struct SettingsField {
    enum class Type { Text, Integer, Boolean };
    QString column;
    Type type;
    QVariant defaultValue;
    int version;
    std::variant<QString Settings::*, qint32 Settings::*, bool Settings::*> member;

    QString sqlType() const;
    QString sqlDefault() const; // the default as an SQL literal
};

// The fields in the order they are loaded and saved. A new field is one more
// line here (with the next schema version), nothing else.
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
