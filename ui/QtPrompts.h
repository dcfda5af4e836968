#pragma once

#include "ui/Prompts.h"

class QWidget;

// The real dialogs: Qt's message box, file dialog and colour dialog, modal over `parent`.
class QtPrompts : public Prompts {
public:
    void setParent(QWidget* parent) { m_parent = parent; }

    void message(Kind kind, const QString& caption, const QString& text) override;
    bool messageWithAction(const QString& caption, const QString& text,
                           const QString& action) override;
    int choose(const QString& caption, const QString& text, const QStringList& buttons) override;
    bool confirm(const QString& caption, const QString& text, const QString& yes,
                 const QString& no) override;
    void openInDefaultProgram(const QString& path) override;
    QString openFileName(const QString& filterDescription, const QString& pattern) override;
    QStringList openFileNames(const QString& filterDescription, const QString& pattern,
                              const QString& folder) override;
    QString saveFileName(const QString& filterDescription, const QString& pattern,
                         const QString& suggestedName, const QString& folder) override;
    std::optional<QString> askText(const QString& caption, const QString& label,
                                   const QString& initial) override;
    std::optional<ColourValue> chooseColour(ColourValue initial) override;

private:
    QWidget* m_parent = nullptr;
};
