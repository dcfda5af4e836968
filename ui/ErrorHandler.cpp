#include "ui/ErrorHandler.h"

#include "core/AppError.h"
#include "ui/Prompts.h"

#include <QCoreApplication>
#include <QFileInfo>

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

bool runCommand(Prompts& prompts, const std::function<void()>& command) {
    QString text;
    try {
        command();
        return true;
    } catch (const CommandStopped&) {
        return false; // the command has told the user already
    } catch (const AppError& e) {
        text = e.text();
    } catch (const std::bad_alloc&) {
        text = QStringLiteral(u"Bellek yetmedi; işlem yapılamadı");
    } catch (const std::exception& e) {
        text = QString::fromLocal8Bit(e.what());
    } catch (...) {
        text = QStringLiteral(u"Beklenmeyen bir hata oluştu");
    }
    prompts.message(Prompts::Kind::Error, applicationTitle(), errorBoxText(text));
    return false;
}
