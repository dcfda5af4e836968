#include "ui/DirectoryList.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

namespace {
constexpr int kPathRole = Qt::UserRole + 1;
constexpr int kIndentStep = 2; // blanks per level of depth

// A folder drawn in the palette's colours: a closed one as a plain folder, an
// open one with its front flap tilted, so the two differ in every style.
QIcon folderIcon(bool open) {
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor back(0xC8, 0x9B, 0x2E);
    const QColor front(0xF2, 0xC9, 0x4C);
    painter.setPen(QColor(0x80, 0x60, 0x10));
    painter.setBrush(back);
    painter.drawRect(QRectF(0.5, 2.5, 10, 8));
    painter.drawRect(QRectF(0.5, 1.5, 4, 1));
    painter.setBrush(front);
    if (open)
        painter.drawPolygon(QPolygonF{{2.5, 5.5}, {11.5, 5.5}, {9.5, 10.5}, {0.5, 10.5}});
    else
        painter.drawRect(QRectF(0.5, 4.5, 10, 6));
    painter.end();
    return QIcon(pixmap);
}
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
    const QIcon closedIcon = folderIcon(false);
    const QIcon openIcon = folderIcon(true);

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
        it->setData(Qt::UserRole + 2, true); // open
        it->setToolTip(QDir::toNativeSeparators(path));
        ++depth;
    }
    setCurrentRow(count() - 1);

    const QFileInfoList children = QDir(m_folder).entryInfoList(
        QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    for (const QFileInfo& child : children) {
        auto* it = new QListWidgetItem(closedIcon,
                                       QString(depth * kIndentStep, u' ') + child.fileName(), this);
        it->setData(kPathRole, QDir::cleanPath(child.absoluteFilePath()));
        it->setData(Qt::UserRole + 2, false);
        it->setToolTip(QDir::toNativeSeparators(child.absoluteFilePath()));
    }
    scrollToItem(currentItem());
}

void DirectoryList::keyPressEvent(QKeyEvent* event) {
    const bool opens = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
                       event->key() == Qt::Key_Space;
    if (opens && currentItem() && event->modifiers() == Qt::NoModifier) {
        setCurrentFolder(currentItem()->data(kPathRole).toString());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
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
