#pragma once

#include <QString>
#include <functional>

class Prompts;

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
