#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>
#include <functional>

class TableDataset;

// The appearance settings record: the first row of table webrenk. Its fields
// in the order they are loaded and saved; the last one is an integer.
const QStringList& settingsFields();

// The value as text: text gives itself, a whole number its decimal text. A null
// value throws AppError "Could not convert variant of type (Null) into type (String)".
QString variantText(const QVariant& value);

// Reads the current row of webrenk field by field, in order, and hands each
// field's text to `apply` with the field's position. A null field throws at
// that field; the fields before it have been applied.
void loadSettings(TableDataset& webrenk,
                  const std::function<void(int index, const QString& text)>& apply);

// Stores the eight texts in the first row, making the row when the table is
// empty. The last text is converted to a whole number before anything is
// touched, so a text that is not one stores nothing, then or later.
void saveSettings(TableDataset& webrenk, const std::array<QString, 8>& texts);
