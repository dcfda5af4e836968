#include "ui/AnswerKeyGrid.h"

#include "db/AnswerKey.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QMetaProperty>
#include <QStyledItemDelegate>
#include <QValidator>

namespace {

// Lets into the editor only what the column's rule takes.
class ColumnRuleValidator : public QValidator {
public:
    ColumnRuleValidator(const DatasetModel& model, int column, QObject* parent)
        : QValidator(parent), m_model(model), m_column(column) {}
    State validate(QString& input, int&) const override {
        return input.isEmpty() || m_model.accepts(m_column, input) ? Acceptable : Invalid;
    }

private:
    const DatasetModel& m_model;
    int m_column;
};

// A column with a rule (the key letter) gets a one-character editor.
class AnswerKeyDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        const auto* model = qobject_cast<const DatasetModel*>(index.model());
        if (!model || !model->hasRule(index.column()))
            return QStyledItemDelegate::createEditor(parent, option, index);
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        editor->setMaxLength(1);
        editor->setValidator(new ColumnRuleValidator(*model, index.column(), editor));
        return editor;
    }
};

} // namespace

AnswerKeyGrid::AnswerKeyGrid(QWidget* parent) : QTableView(parent) {
    setItemDelegate(new AnswerKeyDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                    QAbstractItemView::EditKeyPressed);
    // Compact rows as in a data grid; the question number column already numbers them.
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->hide();
    QFont titleFont = horizontalHeader()->font();
    titleFont.setBold(true);
    horizontalHeader()->setFont(titleFont);
    QPalette titlePalette = horizontalHeader()->palette();
    titlePalette.setColor(QPalette::ButtonText, Qt::red);
    horizontalHeader()->setPalette(titlePalette);
}

void AnswerKeyGrid::attach(TableDataset& websoru, DatasetModel::Runner runner) {
    m_model = new DatasetModel(websoru, this);
    m_model->setRunner(std::move(runner));
    setModel(m_model);
    m_model->setSelectionModel(selectionModel());
}

void AnswerKeyGrid::bindColumns(int fileColumnWidth) {
    m_model->setColumns({
        {QStringLiteral("soruno"), QStringLiteral("Soru No"), Qt::AlignRight | Qt::AlignVCenter},
        {QStringLiteral("dosya"), QStringLiteral(u"Dosya Adı"), Qt::AlignLeft | Qt::AlignVCenter},
        {QStringLiteral("dc"), QStringLiteral(u"Doğru Cevap"), Qt::AlignCenter,
         [](const QString& text) { return isAnswerLetter(text); }},
    });
    setColumnWidth(0, 50);
    setColumnWidth(1, fileColumnWidth);
    setColumnWidth(2, 80);
}

void AnswerKeyGrid::commitOpenEditor() {
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
