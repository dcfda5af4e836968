#include "db/ProgramDatabase.h"

#include "db/Database.h"
#include "db/DatabaseLocation.h"
#include "db/JetHeader.h"
#include "db/Schema.h"
#include "db/TableDataset.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

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

ProgramDatabase::ProgramDatabase(QString programFolder, Dialogs dialogs, QObject* parent)
    : QObject(parent), m_programFolder(std::move(programFolder)), m_dialogs(std::move(dialogs)),
      m_webtable(new TableDataset(QStringLiteral("webtable"), this)),
      m_webrenk(new TableDataset(QStringLiteral("webrenk"), this)),
      m_websoru(new TableDataset(QStringLiteral("websoru"), this)) {}

ProgramDatabase::~ProgramDatabase() = default;

void ProgramDatabase::ConnectToMSAccessDB(const QString& fileName) {
    const QString path = GetDBPath(fileName);
    if (trimControls(path).isEmpty()) {
        m_dialogs.inform(QStringLiteral("Information"), QStringLiteral("No Database Selected"));
        return;
    }
    if (CheckIfAccessDB(path))
        ConnectToAccessDB(path);
}

QString ProgramDatabase::GetDBPath(const QString& fileName) {
    const QString folder =
        m_programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : m_programFolder;
    const QString besideProgram = folder + QDir::separator() + fileName;
    if (QFileInfo(besideProgram).isFile())
        return besideProgram;
    // The name's case does not matter, as on the systems the program came from;
    // an exact match wins, then the first in name order.
    const QStringList sameName =
        QDir(folder)
            .entryList(QDir::Files, QDir::Name)
            .filter(QRegularExpression(u'^' + QRegularExpression::escape(fileName) + u'$',
                                       QRegularExpression::CaseInsensitiveOption));
    if (!sameName.isEmpty())
        return folder + QDir::separator() + sameName.constFirst();
    // An installed program (folder not writable) keeps its own in the user's data folder.
    if (const std::optional<QString> own = perUserDatabase(folder, fileName))
        return *own;
    return m_dialogs.pickFile(QStringLiteral("MS Access DB"), fileName);
}

bool ProgramDatabase::CheckIfAccessDB(const QString& path) {
    if (isJetHeaderText(readHeaderBytes(path)))
        return true;
    m_dialogs.inform(QStringLiteral("Information"), QStringLiteral("Invalid Access Database"));
    return false;
}

void ProgramDatabase::ConnectToAccessDB(const QString& path) {
    // The datasets share this connection; holding it keeps the file claimed for the whole run.
    m_connection = Database::shared(path);
    try {
        upgradeSchema(*m_connection);
    } catch (...) {
        m_connection.reset();
        throw;
    }
    const std::pair<TableDataset*, QString> tables[] = {
        {m_webtable, QStringLiteral("webtablo")},
        {m_webrenk, QStringLiteral("webrenk")},
        {m_websoru, QStringLiteral("websoru")},
    };
    for (const auto& [dataset, table] : tables) {
        dataset->setDatabase(m_connection);
        dataset->setTableName(table);
        dataset->open();
    }
}

bool ProgramDatabase::isConnected() const {
    return m_webtable->isOpen() && m_webrenk->isOpen() && m_websoru->isOpen();
}
