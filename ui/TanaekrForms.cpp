// "Optik form" and "Kişiye özel formlar": the window asks which class and
// where to save, and hands the rest to run/FormPrint, as `dorvana-forms print`
// does.

#include "ui/Tanaekr.h"

#include "core/AppError.h"
#include "db/ClassLists.h"
#include "db/ProgramDatabase.h"
#include "db/ResultStore.h"
#include "run/FormPrint.h"
#include "ui/ErrorHandler.h"
#include "ui/Prompts.h"

#include <QDir>
#include <QLineEdit>
#include <QRegularExpression>

namespace {

// Asks where to save the forms of the test last generated under `stem`
// (refused before the dialog when there is none) and writes them.
void saveForms(Prompts& prompts, Database& db, const QString& stem, const QString& folder,
               const QString& suggestedName, std::vector<FormPupil> pupils) {
    if (!newestTestOfStem(db, stem))
        throw AppError(noGeneratedTestText(stem));
    const QString path = prompts.saveFileName(QStringLiteral(u"PDF belgesi"),
                                              QStringLiteral("*.pdf"), suggestedName, folder);
    if (path.isEmpty())
        return;
    FormPrintRequest request;
    request.stem = stem;
    request.pdfPath = path;
    request.pupils = std::move(pupils);
    const GeneratedTest test = printStoredForms(db, request);
    prompts.message(Prompts::Kind::Plain, applicationTitle(),
                    QStringLiteral(u"\"%1\" testinin optik formu kaydedildi: %2")
                        .arg(test.name, QDir::toNativeSeparators(path)));
}

} // namespace

void Tanaekr::optikformClick() {
    runCommand(m_prompts, [this] {
        if (!m_database->isConnected())
            throw AppError(QStringLiteral(u"Veritabanı açık değil; optik form hazırlanamaz."));
        saveForms(m_prompts, *m_database->database(), sayfaad->text(), klasor->text(),
                  sayfaad->text() + QStringLiteral("-optik-form.pdf"), {});
    });
}

void Tanaekr::kisiyeozelClick() {
    runCommand(m_prompts, [this] {
        if (!m_database->isConnected())
            throw AppError(QStringLiteral(u"Veritabanı açık değil; optik form hazırlanamaz."));
        Database& db = *m_database->database();
        const QStringList classes = classNames(db);
        if (classes.isEmpty())
            throw AppError(
                QStringLiteral(u"Kayıtlı sınıf listesi yok. Önce \"Sınıf listesi al\" ile "
                               u"bir sınıf listesi alınız."));
        // One class: no question. Several: the teacher picks one, or cancels.
        int chosen = 0;
        if (classes.size() > 1) {
            chosen =
                m_prompts.choose(applicationTitle(),
                                 QStringLiteral(u"Hangi sınıfın öğrencilerine form hazırlansın?"),
                                 classes + QStringList{QStringLiteral(u"Vazgeç")});
            if (chosen < 0 || chosen >= classes.size())
                return;
        }
        const QString className = classes[chosen];
        saveForms(
            m_prompts, db, sayfaad->text(), klasor->text(),
            sayfaad->text() + u'-' +
                QString(className).replace(QRegularExpression(QStringLiteral(R"([\\/:*?"<>|])")),
                                           QStringLiteral("-")) +
                QStringLiteral("-optik-form.pdf"),
            formPupils(classList(db, className)));
    });
}
