#pragma once

#include "db/Settings.h"

#include <QStringList>

#include <vector>

class QWidget;

// The window's control of each settings field, in one table that serves
// loading the record, saving it, reading a generation run and telling
// whether anything was changed since. A line edit holds a text or a whole
// number, a check box a flag, a choice box a whole number as its item data.
class SettingsControls {
public:
    struct Control {
        SettingsMember member;
        QWidget* widget;
    };

    SettingsControls() = default;
    explicit SettingsControls(std::vector<Control> controls) : m_controls(std::move(controls)) {}

    // Shows one field of `settings` in its control; a field without a control is passed over.
    void show(const Settings& settings, const SettingsMember& member) const;

    // The settings as the controls hold them, over `base` for fields without
    // a control. A whole number that does not convert throws its conversion
    // error, in the table's order, before anything is used.
    Settings read(Settings base = {}) const;

    // What the controls show, one text per control: compared to tell a change.
    QStringList shown() const;

    // Remembers what the controls show as saved (after loading or saving).
    void markSaved() { m_saved = shown(); }
    bool changedSinceSaved() const { return shown() != m_saved; }

private:
    std::vector<Control> m_controls;
    QStringList m_saved;
};
