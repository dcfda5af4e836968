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
#include "ui/AnswerKeyGrid.h"
#include "ui/ClassResultsWindow.h"
#include "ui/DirectoryList.h"
#include "ui/ErrorHandler.h"
#include "ui/Prompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>

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
    ConnectToMSAccessDB(QStringLiteral("dorvana.MDB"), QString());
}

void Tanaekr::ConnectToMSAccessDB(const QString& fileName, const QString& password) {
    m_database->ConnectToMSAccessDB(fileName, password);
    if (m_database->isConnected())
        liste->bindColumns(250);
}

void Tanaekr::FormShow() {
    klasor->setText(QDir::toNativeSeparators(dir->currentFolder()));
    clearAnswerKey(m_database->websoru());
    const std::pair<QString, QLineEdit*> fields[] = {
        {QStringLiteral("sorus"), sorusrenk}, {QStringLiteral("cevaps"), cevapzrl},
        {QStringLiteral("sonucs"), sonuczrl}, {QStringLiteral("soruac"), sacikl},
        {QStringLiteral("ace"), acer},        {QStringLiteral("bd"), ber},
        {QStringLiteral("gezyer"), gezyerl},  {QStringLiteral("siksay"), siksayl},
        {QStringLiteral("sure"), sure},
    };
    Settings settings;
    loadSettings(m_database->webrenk(), settings, [&](const SettingsField& field) {
        for (const auto& [column, edit] : fields) {
            if (column != field.column)
                continue;
            if (const auto text = std::get_if<QString Settings::*>(&field.member))
                edit->setText(settings.**text);
            else if (const auto number = std::get_if<qint32 Settings::*>(&field.member))
                edit->setText(QString::number(settings.**number));
        }
        if (field.column == u"teksayfa")
            teksayfa->setChecked(settings.teksayfa);
        else if (field.column == u"dogrular")
            dogrular->setChecked(settings.dogrular);
        else if (field.column == u"yanlis")
            yanlis->setCurrentIndex(std::max(0, yanlis->findData(settings.yanlis)));
    });
    sorusaye->setFocus(Qt::OtherFocusReason);
}

void Tanaekr::sorusayeExit() {
    runCommand(m_prompts, [this] {
        // A letter still being typed in the grid is stored (or dropped) before the rows go.
        liste->commitOpenEditor();
        // Every check comes first: a refused command leaves the key as it was.
        const qint32 count = strToInt(sorusaye->text());
        refuseUnusableCount(count);
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
        auto* window = new ClassResultsWindow(
            m_prompts, Database::shared(TableDataset::dataSourceOf(m_database->connectionString())),
            this);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setOutputFolder(klasor->text());
        window->show();
    });
}

void Tanaekr::renkkaydet() {
    runCommand(m_prompts, [this] {
        Settings settings;
        // Converted first, so a count that is not a number stores nothing.
        settings.siksay = strToInt(siksayl->text());
        settings.sure = strToInt(sure->text());
        settings.sorus = sorusrenk->text();
        settings.cevaps = cevapzrl->text();
        settings.sonucs = sonuczrl->text();
        settings.soruac = sacikl->text();
        settings.ace = acer->text();
        settings.bd = ber->text();
        settings.gezyer = gezyerl->text();
        settings.teksayfa = teksayfa->isChecked();
        settings.dogrular = dogrular->isChecked();
        settings.yanlis = yanlis->currentData().toInt();
        saveSettings(m_database->webrenk(), settings);
        m_prompts.message(Prompts::Kind::Plain, applicationTitle(),
                          QStringLiteral(u"Renk ve klasör bilgileri kaydedildi."));
    });
}
