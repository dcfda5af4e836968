// The window's database side: start-up, the settings record and the
// answer-key preparation. The work itself is done in db/.

#include "ui/Tanaekr.h"

#include "core/AppError.h"
#include "core/IntConversion.h"
#include "db/AnswerKey.h"
#include "db/Database.h"
#include "db/ProgramDatabase.h"
#include "db/Settings.h"
#include "db/TableDataset.h"
#include "run/GenerationRun.h"
#include "ui/AnswerKeyGrid.h"
#include "ui/ClassResultsWindow.h"
#include "ui/DirectoryList.h"
#include "ui/ErrorHandler.h"
#include "ui/LiveWindow.h"
#include "ui/Prompts.h"
#include "ui/SectionGrid.h"

#include <QCloseEvent>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>

void Tanaekr::FormCreate() {
    m_database =
        new ProgramDatabase(m_options.programFolder,
                            {[this](const QString& filter, const QString& fileName) {
                                 return m_prompts.openFileName(filter, fileName);
                             },
                             [this](const QString& title, const QString& text) {
                                 m_prompts.message(Prompts::Kind::Information, title, text);
                             }},
                            this);
    // The grid's operations run inside its focus changes and editor commits.
    liste->attach(m_database->websoru(), [this](const std::function<void()>& operation) {
        return runCommandReportingLater(m_prompts, this, operation);
    });
    liste->setOptionCount([this] { return keyOptionCount(); });
    connect(liste, &AnswerKeyGrid::keyRefused, this, [this](const QString& why) { showHint(why); });
    openDatabase();
}

void Tanaekr::openDatabase() {
    m_database->ConnectToMSAccessDB(QStringLiteral("dorvana.MDB"));
    if (m_database->isConnected())
        liste->bindColumns(250);
}

void Tanaekr::FormShow() {
    klasor->setText(QDir::toNativeSeparators(dir->currentFolder()));
    clearAnswerKey(m_database->websoru());
    Settings settings;
    // Each field is shown as it loads: a field that stops the load leaves
    // the ones before it shown.
    // What is shown counts as saved, also when a field stopped the load.
    const auto shownAsSaved = qScopeGuard([this] { m_settingsControls.markSaved(); });
    loadSettings(m_database->webrenk(), settings, [&](const SettingsField& field) {
        m_settingsControls.show(settings, field.member);
    });
    sorusaye->setFocus(Qt::OtherFocusReason);
    syncSections();
    offerOpenLiveExam();
}

void Tanaekr::sorusayeExit() {
    runCommand(m_prompts, [this] {
        // A letter still being typed in the grid is stored (or dropped) before the rows go.
        liste->commitOpenEditor();
        // Every check comes first: a refused command leaves the key as it was.
        const qint32 count = strToInt(sorusaye->text());
        try {
            checkQuestionCount(count);
        } catch (const GenerationRefused& refusal) {
            refuse(refusal);
        }
        TableDataset& websoru = m_database->websoru();
        // One transaction: a kill part-way leaves the old rows or the new, never an empty table.
        Transaction command(websoru.database());
        clearAnswerKey(websoru);
        liste->bindColumns(200);
        if (testadl->text().isEmpty())
            testadl->setFocus(Qt::OtherFocusReason);
        liste->setVisible(true);
        yapistir->setVisible(true);
        fillAnswerKey(websoru, testadl->text(), sayfaad->text(), count);
    });
}

void Tanaekr::sonucokuClick() {
    runCommand(m_prompts, [this] {
        if (!m_database->isConnected())
            throw AppError(QStringLiteral(u"Veritabanı açık değil; sonuçlar okunamaz."));
        auto* window = new ClassResultsWindow(m_prompts, m_database->database(), this);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setOutputFolder(klasor->text());
        window->show();
    });
}

void Tanaekr::renkkaydet() {
    saveSettingsFromControls();
}

bool Tanaekr::saveSettingsFromControls() {
    return runCommand(m_prompts, [this] {
        // Converted first, so a count that is not a number stores nothing.
        saveSettings(m_database->webrenk(), m_settingsControls.read());
        m_settingsControls.markSaved();
        m_prompts.message(Prompts::Kind::Plain, applicationTitle(),
                          QStringLiteral(u"Renk ve klasör bilgileri kaydedildi."));
    });
}

void Tanaekr::closeEvent(QCloseEvent* event) {
    // A live exam's window asks first whether to end the exam or keep it for later.
    for (LiveWindow* live : findChildren<LiveWindow*>())
        if (live->isVisible() && !live->close()) {
            event->ignore();
            return;
        }
    bolumler->commitOpenEditor();
    const bool settingsChanged = m_settingsControls.changedSinceSaved();
    const bool sectionsChanged = bolumler->changedSinceSaved();
    if (m_database && m_database->isConnected() && (settingsChanged || sectionsChanged)) {
        const int choice = m_prompts.choose(
            applicationTitle(), QStringLiteral(u"Değişiklikler kaydedilsin mi?"),
            {QStringLiteral(u"Kaydet"), QStringLiteral(u"Kaydetme"), QStringLiteral(u"Vazgeç")});
        const auto saved = [&] {
            return (!settingsChanged || saveSettingsFromControls()) &&
                   (!sectionsChanged || runCommand(m_prompts, [this] { saveSectionsFromGrid(); }));
        };
        // A failed save keeps the window open with what was typed.
        if (choice == 2 || (choice == 0 && !saved())) {
            event->ignore();
            return;
        }
    }
    QMainWindow::closeEvent(event);
}
