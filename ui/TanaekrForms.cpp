// "Optik form": the window asks where to save and hands the rest to
// run/FormPrint, as `dorvana-forms print` does.

#include "ui/Tanaekr.h"

#include "core/AppError.h"
#include "db/ProgramDatabase.h"
#include "db/ResultStore.h"
#include "run/FormPrint.h"
#include "ui/ErrorHandler.h"
#include "ui/Prompts.h"

#include <QDir>
#include <QLineEdit>

void Tanaekr::optikformClick() {
    runCommand(m_prompts, [this] {
        if (!m_database->isConnected())
            throw AppError(QStringLiteral(u"Veritabanı açık değil; optik form hazırlanamaz."));
        Database& db = *m_database->database();
        const QString stem = sayfaad->text();
        // Refused before the dialog: there is nothing to save yet.
        if (!newestTestOfStem(db, stem))
            throw AppError(noGeneratedTestText(stem));
        const QString path =
            m_prompts.saveFileName(QStringLiteral(u"PDF belgesi"), QStringLiteral("*.pdf"),
                                   stem + QStringLiteral("-optik-form.pdf"), klasor->text());
        if (path.isEmpty())
            return;
        FormPrintRequest request;
        request.stem = stem;
        request.pdfPath = path;
        const GeneratedTest test = printStoredForms(db, request);
        m_prompts.message(Prompts::Kind::Plain, applicationTitle(),
                          QStringLiteral(u"\"%1\" testinin optik formu kaydedildi: %2")
                              .arg(test.name, QDir::toNativeSeparators(path)));
    });
}
