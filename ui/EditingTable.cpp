#include "ui/EditingTable.h"

#include <QMetaProperty>

void EditingTable::commitOpenEditor() {
    if (state() != QAbstractItemView::EditingState)
        return;
    // Cell editors are children of the viewport; the open one holds the typed text.
    const QList<QWidget*> editors = viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* editor : editors) {
        if (editor->isVisible() && editor->metaObject()->userProperty().isValid()) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }
}
