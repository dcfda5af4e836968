#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class Database;
class TableDataset;

// The program's database as the window uses it: found beside the program or
// picked by the teacher, checked by its first bytes, brought up to the
// current schema version, then its three tables opened, each through a
// dataset of its own.
class ProgramDatabase : public QObject {
    Q_OBJECT
public:
    // What start-up asks the teacher or tells them; the window answers through its dialogs.
    struct Dialogs {
        // The file-open dialog: returns the chosen path, empty when cancelled.
        std::function<QString(const QString& filter, const QString& fileName)> pickFile;
        // An information box with its title and text.
        std::function<void(const QString& title, const QString& text)> inform;
    };

    // programFolder: searched for the database file; empty means the program's own folder.
    ProgramDatabase(QString programFolder, Dialogs dialogs, QObject* parent = nullptr);
    ~ProgramDatabase() override;

    // The start-up sequence, in the order it runs.
    void ConnectToMSAccessDB(const QString& fileName);
    QString GetDBPath(const QString& fileName);
    bool CheckIfAccessDB(const QString& path);
    void ConnectToAccessDB(const QString& path);

    // True once the three tables are open.
    bool isConnected() const;
    // The open database file; null before it is opened.
    const std::shared_ptr<Database>& database() const { return m_connection; }

    TableDataset& webrenk() const { return *m_webrenk; }
    TableDataset& websoru() const { return *m_websoru; }

private:
    QString m_programFolder;
    Dialogs m_dialogs;
    std::shared_ptr<Database> m_connection;
    TableDataset* m_webtable;
    TableDataset* m_webrenk;
    TableDataset* m_websoru;
};
