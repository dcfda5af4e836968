// The window's database side: start-up connection, the settings record, the
// answer-key preparation and the grid that shows the answer key.

#include "ui/Tanaekr.h"

#include "core/AppError.h"
#include "core/IntConversion.h"
#include "db/AnswerKey.h"
#include "db/Database.h"
#include "db/DatabaseLocation.h"
#include "db/JetHeader.h"
#include "db/Settings.h"
#include "db/TableDataset.h"
#include "ui/AnswerKeyGrid.h"
#include "ui/DatasetModel.h"
#include "ui/DirectoryList.h"
#include "ui/ErrorHandler.h"
#include "ui/Prompts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>

namespace {

// Removes the characters of codes 0 to 32 from both ends.
QString trimControls(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

void Tanaekr::FormCreate() {
    webtable = new TableDataset(QStringLiteral("webtable"), this);
    webrenk = new TableDataset(QStringLiteral("webrenk"), this);
    websoru = new TableDataset(QStringLiteral("websoru"), this);

    websoruds = new DatasetModel(*websoru, this);
    websoruds->setRunner([this](const std::function<void()>& operation) {
        return runCommand(m_prompts, operation);
    });
    liste->setModel(websoruds);
    liste->setItemDelegate(new DatasetItemDelegate(liste));
    websoruds->setSelectionModel(liste->selectionModel());
    liste->setSelectionBehavior(QAbstractItemView::SelectItems);
    liste->setSelectionMode(QAbstractItemView::SingleSelection);
    liste->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                           QAbstractItemView::EditKeyPressed);
    // Compact rows as in a data grid; the question number column already numbers them.
    liste->verticalHeader()->setDefaultSectionSize(liste->fontMetrics().height() + 6);
    liste->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    liste->verticalHeader()->hide();
    QFont titleFont = liste->horizontalHeader()->font();
    titleFont.setBold(true);
    liste->horizontalHeader()->setFont(titleFont);
    QPalette titlePalette = liste->horizontalHeader()->palette();
    titlePalette.setColor(QPalette::ButtonText, Qt::red);
    liste->horizontalHeader()->setPalette(titlePalette);

    ConnectToMSAccessDB(QStringLiteral("dorvana.MDB"), QString());
}

void Tanaekr::ConnectToMSAccessDB(const QString& fileName, const QString& password) {
    const QString path = GetDBPath(fileName);
    if (trimControls(path).isEmpty()) {
        m_prompts.message(Prompts::Kind::Information, QStringLiteral("Information"),
                          QStringLiteral("No Database Selected"));
        return;
    }
    if (CheckIfAccessDB(path))
        ConnectToAccessDB(path, password);
}

QString Tanaekr::GetDBPath(const QString& fileName) {
    const QString folder = m_options.programFolder.isEmpty()
                               ? QCoreApplication::applicationDirPath()
                               : m_options.programFolder;
    const QString besideProgram = folder + QDir::separator() + fileName;
    if (QFileInfo(besideProgram).isFile())
        return besideProgram;
    // An installed program (folder not writable) keeps its own in the user's data folder.
    if (const std::optional<QString> own = perUserDatabase(folder, fileName))
        return *own;
    return m_prompts.openFileName(QStringLiteral("MS Access DB"), fileName);
}

bool Tanaekr::CheckIfAccessDB(const QString& path) {
    if (isJetHeaderText(readHeaderBytes(path)))
        return true;
    m_prompts.message(Prompts::Kind::Information, QStringLiteral("Information"),
                      QStringLiteral("Invalid Access Database"));
    return false;
}

void Tanaekr::ConnectToAccessDB(const QString& path, const QString& password) {
    connectionString = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + path +
                       QStringLiteral(";") + QStringLiteral("Persist Security Info=False;") +
                       QStringLiteral("Jet OLEDB:Database Password=") + password;
    const std::pair<TableDataset*, QString> tables[] = {
        {webtable, QStringLiteral("webtablo")},
        {webrenk, QStringLiteral("webrenk")},
        {websoru, QStringLiteral("websoru")},
    };
    for (const auto& [dataset, table] : tables) {
        dataset->setConnectionString(connectionString);
        dataset->setTableName(table);
        dataset->open();
    }
    bindGridColumns(250);
}

void Tanaekr::bindGridColumns(int fileColumnWidth) {
    websoruds->setColumns({
        {QStringLiteral("soruno"), QStringLiteral("Soru No"), Qt::AlignRight | Qt::AlignVCenter},
        {QStringLiteral("dosya"), QStringLiteral(u"Dosya Adı"), Qt::AlignLeft | Qt::AlignVCenter},
        {QStringLiteral("dc"), QStringLiteral(u"Doğru Cevap"), Qt::AlignCenter},
    });
    liste->setColumnWidth(0, 50);
    liste->setColumnWidth(1, fileColumnWidth);
    liste->setColumnWidth(2, 80);
}

void Tanaekr::FormShow() {
    klasor->setText(QDir::toNativeSeparators(dir->currentFolder()));
    clearAnswerKey(*websoru);
    QLineEdit* const fields[] = {sorusrenk, cevapzrl, sonuczrl, sacikl,
                                 acer,      ber,      gezyerl,  siksayl};
    loadSettings(*webrenk,
                 [&fields](int index, const QString& text) { fields[index]->setText(text); });
    sorusaye->setFocus(Qt::OtherFocusReason);
}

void Tanaekr::sorusayeExit() {
    runCommand(m_prompts, [this] {
        // One transaction: a kill part-way leaves the old rows or the new, never an empty table.
        Transaction command(websoru->database());
        clearAnswerKey(*websoru);
        bindGridColumns(200);
        if (testadl->text().isEmpty())
            testadl->setFocus(Qt::OtherFocusReason);
        const qint32 count = strToInt(sorusaye->text());
        if (count <= 0)
            sorusaye->setFocus(Qt::OtherFocusReason);
        refuseTooManyQuestions(count);
        liste->setVisible(true);
        fillAnswerKey(*websoru, testadl->text(), sayfaad->text(), count);
    });
}

void Tanaekr::renkkaydet() {
    runCommand(m_prompts, [this] {
        saveSettings(*webrenk,
                     {sorusrenk->text(), cevapzrl->text(), sonuczrl->text(), sacikl->text(),
                      acer->text(), ber->text(), gezyerl->text(), siksayl->text()});
        m_prompts.message(Prompts::Kind::Plain, applicationTitle(),
                          QStringLiteral(u"Renk ve klasör bilgileri kaydedildi."));
    });
}
