#include "app/CommandLine.h"

#include "core/AppError.h"
#include "run/GenerationRun.h"

#include <cstdio>

namespace commandline {

std::optional<std::map<QString, QString>> options(const QStringList& args, qsizetype first,
                                                  const QStringList& known,
                                                  const QStringList& needed) {
    if ((args.size() - first) % 2 != 0)
        return std::nullopt;
    std::map<QString, QString> given;
    for (qsizetype i = first; i + 1 < args.size(); i += 2) {
        if (!known.contains(args[i]) || given.count(args[i]))
            return std::nullopt;
        given[args[i]] = args[i + 1];
    }
    for (const QString& name : needed)
        if (given[name].isEmpty())
            return std::nullopt;
    return given;
}

void say(const char* program, const QString& text) {
    std::fprintf(stderr, "%s: %s\n", program, text.toUtf8().constData());
}

int runReportingRefusals(const char* program, const std::function<int()>& work) {
    try {
        return work();
    } catch (const GenerationRefused& refusal) {
        say(program, refusal.message());
    } catch (const AppError& error) {
        say(program, error.text());
    } catch (const std::exception& error) {
        say(program, QString::fromLocal8Bit(error.what()));
    }
    return kRefused;
}

} // namespace commandline
