#pragma once

#include "core/ColourText.h"

#include <QString>
#include <QStringList>
#include <optional>

// Every message box and standard dialog the window shows goes through this
// interface, so that tests can answer them without a modal loop.
class Prompts {
public:
    enum class Kind {
        Plain,       // the application's title and one OK button
        Information, // information icon, one OK button
        Error,       // error icon, one OK button
    };

    virtual ~Prompts() = default;

    virtual void message(Kind kind, const QString& caption, const QString& text) = 0;

    // A plain message with a second button `action` beside OK; true when the
    // user pressed that button.
    virtual bool messageWithAction(const QString& caption, const QString& text,
                                   const QString& action) = 0;

    // A question with its buttons, the first the default (Return) and the
    // last the answer of Escape or of closing the box; the index of the
    // button pressed.
    virtual int choose(const QString& caption, const QString& text, const QStringList& buttons) = 0;
    // A question with two buttons, `yes` and `no`; true when `yes` was pressed.
    // Return and Escape answer `no`, so that nothing is lost by a stray key.
    virtual bool confirm(const QString& caption, const QString& text, const QString& yes,
                         const QString& no) = 0;

    // Opens a file in the system's default program for it (a page: the browser).
    virtual void openInDefaultProgram(const QString& path) = 0;

    // File-open dialog listing files that match `pattern`; the user may also
    // type the name of a file that does not exist. Empty text when cancelled.
    virtual QString openFileName(const QString& filterDescription, const QString& pattern) = 0;

    // File-open dialog for several existing files matching `pattern`, opened
    // in `folder` (the dialog's own choice when empty); empty when cancelled.
    virtual QStringList openFileNames(const QString& filterDescription, const QString& pattern,
                                      const QString& folder = QString()) = 0;

    // File-save dialog proposing `suggestedName` in `folder` (the dialog's own
    // choice when empty); the user confirms replacing an existing file in the
    // dialog. Empty text when cancelled.
    virtual QString saveFileName(const QString& filterDescription, const QString& pattern,
                                 const QString& suggestedName,
                                 const QString& folder = QString()) = 0;

    // A line of text asked with `label`, the field holding `initial`; nothing
    // when cancelled.
    virtual std::optional<QString> askText(const QString& caption, const QString& label,
                                           const QString& initial = QString()) = 0;

    // Colour dialog opened on `initial`; the chosen colour, or nothing when cancelled.
    virtual std::optional<ColourValue> chooseColour(ColourValue initial) = 0;
};
