#include "ui/DirectoryList.h"

#include <QDir>
#include <QFileInfo>
#include <QMouseEvent>
#include <QStyle>

namespace {
constexpr int kPathRole = Qt::UserRole + 1;
constexpr int kIndentStep = 2; // blanks per level of depth
} // namespace

DirectoryList::DirectoryList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setIconSize(QSize(12, 12));
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { setCurrentFolder(item->data(kPathRole).toString()); });
    setCurrentFolder(QDir::currentPath());
}

QString DirectoryList::folderOfRow(int row) const {
    const QListWidgetItem* it = item(row);
    return it ? it->data(kPathRole).toString() : QString();
}

void DirectoryList::setCurrentFolder(const QString& folder) {
    const QString clean = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    if (clean == m_folder || !QFileInfo(clean).isDir())
        return;
    m_folder = clean;
    rebuild();
    emit folderChanged();
}

void DirectoryList::rebuild() {
    clear();
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);

    // The chain from the root to the current folder, each one level deeper.
    QStringList chain;
    for (QDir d(m_folder);;) {
        chain.prepend(d.absolutePath());
        if (d.isRoot() || !d.cdUp())
            break;
    }
    int depth = 0;
    for (const QString& path : std::as_const(chain)) {
        const QString name =
            QDir(path).isRoot() ? QDir::toNativeSeparators(path) : QFileInfo(path).fileName();
        auto* it = new QListWidgetItem(openIcon, QString(depth * kIndentStep, u' ') + name, this);
        it->setData(kPathRole, path);
        ++depth;
    }
    setCurrentRow(count() - 1);

    const QFileInfoList children = QDir(m_folder).entryInfoList(
        QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    for (const QFileInfo& child : children) {
        auto* it = new QListWidgetItem(closedIcon,
                                       QString(depth * kIndentStep, u' ') + child.fileName(), this);
        it->setData(kPathRole, QDir::cleanPath(child.absoluteFilePath()));
    }
    scrollToItem(currentItem());
}

void DirectoryList::mousePressEvent(QMouseEvent* event) {
    emit mousePressed();
    QListWidget::mousePressEvent(event);
}

void DirectoryList::mouseReleaseEvent(QMouseEvent* event) {
    QListWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && itemAt(event->position().toPoint()))
        emit itemClicked();
}
