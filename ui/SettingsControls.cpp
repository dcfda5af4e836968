#include "ui/SettingsControls.h"

#include "core/IntConversion.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include <algorithm>

void SettingsControls::show(const Settings& settings, const SettingsMember& member) const {
    for (const Control& control : m_controls) {
        if (control.member != member)
            continue;
        if (auto* edit = qobject_cast<QLineEdit*>(control.widget)) {
            if (const auto text = std::get_if<QString Settings::*>(&member))
                edit->setText(settings.**text);
            else if (const auto number = std::get_if<qint32 Settings::*>(&member))
                edit->setText(QString::number(settings.**number));
        } else if (auto* box = qobject_cast<QCheckBox*>(control.widget)) {
            if (const auto flag = std::get_if<bool Settings::*>(&member))
                box->setChecked(settings.**flag);
        } else if (auto* choice = qobject_cast<QComboBox*>(control.widget)) {
            if (const auto number = std::get_if<qint32 Settings::*>(&member))
                choice->setCurrentIndex(std::max(0, choice->findData(settings.**number)));
        }
    }
}

Settings SettingsControls::read(Settings settings) const {
    for (const Control& control : m_controls) {
        if (auto* edit = qobject_cast<QLineEdit*>(control.widget)) {
            if (const auto text = std::get_if<QString Settings::*>(&control.member))
                settings.** text = edit->text();
            else if (const auto number = std::get_if<qint32 Settings::*>(&control.member))
                settings.** number = strToInt(edit->text());
        } else if (auto* box = qobject_cast<QCheckBox*>(control.widget)) {
            if (const auto flag = std::get_if<bool Settings::*>(&control.member))
                settings.** flag = box->isChecked();
        } else if (auto* choice = qobject_cast<QComboBox*>(control.widget)) {
            if (const auto number = std::get_if<qint32 Settings::*>(&control.member))
                settings.** number = choice->currentData().toInt();
        }
    }
    return settings;
}

QStringList SettingsControls::shown() const {
    QStringList texts;
    for (const Control& control : m_controls) {
        if (auto* edit = qobject_cast<QLineEdit*>(control.widget))
            texts << edit->text();
        else if (auto* box = qobject_cast<QCheckBox*>(control.widget))
            texts << QString::number(int(box->isChecked()));
        else if (auto* choice = qobject_cast<QComboBox*>(control.widget))
            texts << choice->currentData().toString();
    }
    return texts;
}
