#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <optional>

// What the command-line programs share: their exit codes, their options
// given as "--name value" pairs, and a refusal said on standard error.
namespace commandline {

inline constexpr int kDone = 0;
inline constexpr int kRefused = 1; // the reason on standard error, nothing written
inline constexpr int kUsage = 2;

// The options of args[first..]; nothing when one is not `known`, given twice or
// without a value, or one of `needed` is missing or empty.
std::optional<std::map<QString, QString>> options(const QStringList& args, qsizetype first,
                                                  const QStringList& known,
                                                  const QStringList& needed);

// "<program>: <text>" on standard error.
void say(const char* program, const QString& text);

// Runs `work`; a refusal it throws (the program's own, in Turkish, or the
// engine's) is said and ends in kRefused.
int runReportingRefusals(const char* program, const std::function<int()>& work);

} // namespace commandline
