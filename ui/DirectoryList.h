#pragma once

#include <QListWidget>

// A small folder list: the chain of folders from the root down to the current
// folder, the current folder shown open, and the folders inside it indented
// below. A double click, Return or Space opens a folder and makes it current.
// Open folders and closed ones have icons of their own; every item shows its
// full path as a tooltip, since the narrow list cuts long names.
class DirectoryList : public QListWidget {
    Q_OBJECT
public:
    explicit DirectoryList(QWidget* parent = nullptr);

    // Full path without a trailing separator (the root stays "/").
    QString currentFolder() const { return m_folder; }
    void setCurrentFolder(const QString& folder);

    // The folder an item stands for.
    QString folderOfRow(int row) const;

signals:
    void folderChanged(); // the current folder changed
    void mousePressed();  // any mouse press, before it is handled
    void itemClicked();   // a click that selected an item

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void rebuild();

    QString m_folder;
};
