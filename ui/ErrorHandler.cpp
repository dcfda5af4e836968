#include "ui/ErrorHandler.h"

#include "core/AppError.h"
#include "ui/Prompts.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>

#include <optional>

QString applicationTitleFor(const QString& programPath) {
    QString name = QFileInfo(programPath).fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    if (!name.isEmpty())
        name = name.left(1).toUpper() + name.mid(1).toLower();
    return name;
}

QString applicationTitle() {
    return applicationTitleFor(QCoreApplication::applicationFilePath());
}

QString errorBoxText(const QString& errorText) {
    if (!errorText.isEmpty() && errorText.back() > QLatin1Char('.'))
        return errorText + QLatin1Char('.');
    return errorText;
}

namespace {

// Runs the command; false when it ended in an error, with the error box's
// text in `box` unless the command has told the user already.
bool runCaught(const std::function<void()>& command, std::optional<QString>& box) {
    QString text;
    try {
        command();
        return true;
    } catch (const CommandStopped&) {
        return false;
    } catch (const AppError& e) {
        text = e.text();
    } catch (const std::bad_alloc&) {
        text = QStringLiteral(u"Bellek yetmedi; işlem yapılamadı");
    } catch (const std::exception& e) {
        text = QString::fromLocal8Bit(e.what());
    } catch (...) {
        text = QStringLiteral(u"Beklenmeyen bir hata oluştu");
    }
    box = errorBoxText(text);
    return false;
}

} // namespace

bool runCommand(Prompts& prompts, const std::function<void()>& command) {
    std::optional<QString> box;
    if (runCaught(command, box))
        return true;
    if (box)
        prompts.message(Prompts::Kind::Error, applicationTitle(), *box);
    return false;
}

bool runCommandReportingLater(Prompts& prompts, const QObject* context,
                              const std::function<void()>& command) {
    std::optional<QString> box;
    if (runCaught(command, box))
        return true;
    if (box)
        QTimer::singleShot(0, context, [&prompts, text = *box] {
            prompts.message(Prompts::Kind::Error, applicationTitle(), text);
        });
    return false;
}
