#include "ui/QtPrompts.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <QWidget>

void QtPrompts::message(Kind kind, const QString& caption, const QString& text) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    if (kind == Kind::Information)
        icon = QMessageBox::Information;
    else if (kind == Kind::Error)
        icon = QMessageBox::Critical;
    QMessageBox box(icon, caption, text, QMessageBox::Ok, m_parent);
    if (m_parent)
        box.setFont(m_parent->font()); // the window's font, not the desktop's
    box.exec();
}

bool QtPrompts::messageWithAction(const QString& caption, const QString& text,
                                  const QString& action) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, m_parent);
    if (m_parent)
        box.setFont(m_parent->font());
    QPushButton* actionButton = box.addButton(action, QMessageBox::ActionRole);
    // As in a plain message, Return presses OK and Escape closes: with a second
    // button Qt finds no escape button of its own, and Escape did nothing.
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
    return box.clickedButton() == actionButton;
}

int QtPrompts::choose(const QString& caption, const QString& text, const QStringList& buttons) {
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, m_parent);
    if (m_parent)
        box.setFont(m_parent->font());
    QList<QAbstractButton*> pressed;
    for (const QString& name : buttons)
        pressed << box.addButton(name, pressed.isEmpty() ? QMessageBox::AcceptRole
                                                         : QMessageBox::ActionRole);
    box.setDefaultButton(qobject_cast<QPushButton*>(pressed.constFirst()));
    box.setEscapeButton(pressed.constLast());
    box.exec();
    const auto index = pressed.indexOf(box.clickedButton());
    return index < 0 ? int(buttons.size()) - 1 : int(index);
}

bool QtPrompts::confirm(const QString& caption, const QString& text, const QString& yes,
                        const QString& no) {
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, m_parent);
    if (m_parent)
        box.setFont(m_parent->font());
    QPushButton* yesButton = box.addButton(yes, QMessageBox::YesRole);
    QPushButton* noButton = box.addButton(no, QMessageBox::NoRole);
    box.setDefaultButton(noButton);
    box.setEscapeButton(noButton);
    box.exec();
    return box.clickedButton() == yesButton;
}

void QtPrompts::openInDefaultProgram(const QString& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

QString QtPrompts::openFileName(const QString& filterDescription, const QString& pattern) {
    QFileDialog dialog(m_parent);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(QStringLiteral("%1 (%2)").arg(filterDescription, pattern));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QStringList QtPrompts::openFileNames(const QString& filterDescription, const QString& pattern,
                                     const QString& folder) {
    QFileDialog dialog(m_parent);
    if (!folder.isEmpty())
        dialog.setDirectory(folder);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters({QStringLiteral("%1 (%2)").arg(filterDescription, pattern),
                           QStringLiteral("Tüm dosyalar (*)")});
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

QString QtPrompts::saveFileName(const QString& filterDescription, const QString& pattern,
                                const QString& suggestedName, const QString& folder) {
    QFileDialog dialog(m_parent);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("%1 (%2)").arg(filterDescription, pattern));
    if (!folder.isEmpty())
        dialog.setDirectory(folder);
    dialog.selectFile(suggestedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtPrompts::askText(const QString& caption, const QString& label,
                                          const QString& initial) {
    bool accepted = false;
    const QString text =
        QInputDialog::getText(m_parent, caption, label, QLineEdit::Normal, initial, &accepted);
    if (!accepted)
        return std::nullopt;
    return text;
}

std::optional<ColourValue> QtPrompts::chooseColour(ColourValue initial) {
    const QColor start(int(initial & 0xFF), int((initial >> 8) & 0xFF),
                       int((initial >> 16) & 0xFF));
    const QColor chosen = QColorDialog::getColor(start, m_parent);
    if (!chosen.isValid())
        return std::nullopt;
    return ColourValue(chosen.red()) | ColourValue(chosen.green()) << 8 |
           ColourValue(chosen.blue()) << 16;
}
