#pragma once

#include "ui/Prompts.h"

#include <QApplication>
#include <QLabel>
#include <QList>
#include <QMessageBox>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <deque>

// Answers the window's dialogs from a script and records every message box,
// so tests run without a modal loop.
class ScriptedPrompts : public Prompts {
public:
    struct Shown {
        Kind kind;
        QString caption;
        QString text;
    };

    QList<Shown> shown;                                 // message boxes, in order
    std::deque<QString> nextFileNames;                  // "" answers a cancel
    std::deque<std::optional<ColourValue>> nextColours; // nullopt answers a cancel
    std::deque<QStringList> nextFileLists;              // several files; {} answers a cancel
    std::deque<QString> nextSaveNames;                  // "" answers a cancel
    QStringList suggestedSaveNames;                     // name each save dialog proposed
    QList<ColourValue> colourDialogStarts;              // colour each colour dialog opened on
    QStringList fileDialogFilters;                      // "description|pattern" of each file dialog
    int unexpectedDialogs = 0;                          // dialogs asked with no scripted answer
    QStringList actionsOffered;                         // second button of each message
    std::deque<bool> nextActionPresses;                 // true presses it; none: OK
    QStringList openedFiles;                            // files opened in their program
    QList<QStringList> choices;                         // buttons of each question asked
    std::deque<int> nextChoices;                        // button pressed; none: the last (Escape)
    QStringList dialogFolders;                          // folder each file list or save opened in
    QStringList confirmations;                          // text of each confirmation asked
    std::deque<bool> nextConfirms;                      // answers; none: an unexpected dialog
    std::deque<std::optional<QString>> nextTexts;       // nullopt answers a cancel

    void message(Kind kind, const QString& caption, const QString& text) override {
        shown.append({kind, caption, text});
    }

    bool messageWithAction(const QString& caption, const QString& text,
                           const QString& action) override {
        shown.append({Kind::Plain, caption, text});
        actionsOffered << action;
        if (nextActionPresses.empty())
            return false;
        const bool pressed = nextActionPresses.front();
        nextActionPresses.pop_front();
        return pressed;
    }

    int choose(const QString& caption, const QString& text, const QStringList& buttons) override {
        shown.append({Kind::Plain, caption, text});
        choices << buttons;
        if (nextChoices.empty())
            return int(buttons.size()) - 1;
        const int choice = nextChoices.front();
        nextChoices.pop_front();
        return choice;
    }

    bool confirm(const QString& caption, const QString& text, const QString& yes,
                 const QString& no) override {
        confirmations << caption + u'|' + text + u'|' + yes + u'|' + no;
        if (nextConfirms.empty()) {
            ++unexpectedDialogs;
            return false;
        }
        const bool yesPressed = nextConfirms.front();
        nextConfirms.pop_front();
        return yesPressed;
    }

    void openInDefaultProgram(const QString& path) override { openedFiles << path; }

    QString openFileName(const QString& description, const QString& pattern) override {
        fileDialogFilters << description + QLatin1Char('|') + pattern;
        if (nextFileNames.empty()) {
            ++unexpectedDialogs;
            return {};
        }
        QString name = nextFileNames.front();
        nextFileNames.pop_front();
        return name;
    }

    QStringList openFileNames(const QString& description, const QString& pattern,
                              const QString& folder) override {
        fileDialogFilters << description + QLatin1Char('|') + pattern;
        dialogFolders << folder;
        if (nextFileLists.empty()) {
            ++unexpectedDialogs;
            return {};
        }
        QStringList names = nextFileLists.front();
        nextFileLists.pop_front();
        return names;
    }

    QString saveFileName(const QString& description, const QString& pattern,
                         const QString& suggestedName, const QString& folder) override {
        fileDialogFilters << description + QLatin1Char('|') + pattern;
        dialogFolders << folder;
        suggestedSaveNames << suggestedName;
        if (nextSaveNames.empty()) {
            ++unexpectedDialogs;
            return {};
        }
        QString name = nextSaveNames.front();
        nextSaveNames.pop_front();
        return name;
    }

    std::optional<QString> askText(const QString&, const QString&, const QString&) override {
        if (nextTexts.empty()) {
            ++unexpectedDialogs;
            return std::nullopt;
        }
        // Taken apart: GCC takes a copy of an optional QString for uninitialised.
        const bool cancelled = !nextTexts.front().has_value();
        const QString text = nextTexts.front().value_or(QString());
        nextTexts.pop_front();
        if (cancelled)
            return std::nullopt;
        return text;
    }

    std::optional<ColourValue> chooseColour(ColourValue initial) override {
        colourDialogStarts << initial;
        if (nextColours.empty()) {
            ++unexpectedDialogs;
            return std::nullopt;
        }
        auto answer = nextColours.front();
        nextColours.pop_front();
        return answer;
    }

    QStringList texts() const {
        QStringList list;
        for (const Shown& s : shown)
            list << s.text;
        return list;
    }
};

// Answers the real message boxes (QtPrompts) as a user does, with one key
// sent to the box's focus widget. A box the key leaves open is closed without
// a button, so that the test goes on.
class MessageBoxAnswerer {
public:
    struct Seen {
        QString text;
        QFont font; // of the text
        bool closedByKey;
    };
    QList<Seen> seen;

    explicit MessageBoxAnswerer(Qt::Key key) {
        m_timer.callOnTimeout([this, key] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus && box->isAncestorOf(focus) ? focus : box, key);
            seen.append({box->text(),
                         box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->font(),
                         !box->isVisible()});
            if (box->isVisible())
                box->done(-1);
        });
        m_timer.start(10);
    }

private:
    QTimer m_timer;
};
