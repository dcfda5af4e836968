#include "ui/AppSetup.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void prepareApplication(QApplication& app) {
    const QStringList freeSans{QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), freeSans);
    QFont::insertSubstitutions(QStringLiteral("Arial"), freeSans);

    // Dates, numbers and Qt's own dialogs in Turkish, whatever the system's locale.
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Turkish, QLocale::Turkey), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
    else
        delete translator;
}
