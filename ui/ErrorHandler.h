#pragma once

#include <QString>
#include <functional>

class Prompts;
class QObject;

// The application's title as the error boxes show it: the program file's name
// without folder and without anything from its first "." on, the first letter in
// upper case and every letter after it in lower case ("dorvana" gives "Dorvana").
QString applicationTitleFor(const QString& programPath);
QString applicationTitle();

// The text of an error box: a full stop is added when the text's last
// character sorts after ".".
QString errorBoxText(const QString& errorText);

// Runs one command. An error it does not catch itself ends it and is shown in
// an error box titled with the application's title; then the program goes on.
// Returns false when the command ended in an error.
bool runCommand(Prompts& prompts, const std::function<void()>& command);

// The same for a command run from inside an event that a modal loop must not
// interrupt, such as a focus change or a cell editor's commit: a box opened
// there would let the editor be deleted while the event still uses it. The
// error box is shown once control is back in the event loop, unless
// `context` is gone by then.
bool runCommandReportingLater(Prompts& prompts, const QObject* context,
                              const std::function<void()>& command);
