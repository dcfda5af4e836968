#include "ui/AnswerKeyGrid.h"

#include "core/AppError.h"
#include "core/IntConversion.h"
#include "core/TestRules.h"
#include "db/AnswerKey.h"
#include "db/TableDataset.h"

#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMetaProperty>
#include <QStyledItemDelegate>
#include <QValidator>

// Lets into the key editor only a letter of the options, saying why when it refuses one.
class KeyLetterValidator : public QValidator {
public:
    explicit KeyLetterValidator(const AnswerKeyGrid& grid, QObject* parent)
        : QValidator(parent), m_grid(grid) {}
    State validate(QString& input, int&) const override {
        if (input.isEmpty() || isAnswerLetter(input, m_grid.optionCount()))
            return Acceptable;
        emit const_cast<AnswerKeyGrid&>(m_grid).keyRefused(m_grid.refusalText());
        return Invalid;
    }

private:
    const AnswerKeyGrid& m_grid;
};

namespace {

bool isWholeNumber(const QString& text) {
    try {
        strToInt(text);
        return true;
    } catch (const AppError&) {
        return false;
    }
}

bool isNumberColumn(const DatasetModel& model, int column) {
    const TableDataset& dataset = model.dataset();
    const QString& field = model.columns().at(column).field;
    return dataset.isOpen() && dataset.hasField(field) && dataset.isIntegerField(field);
}

// Lets into a number cell's editor only what is, or is on the way to, a whole
// number the field can hold. Text it could not convert would be refused when
// the editor is committed, and that commit may come inside a focus change.
class WholeNumberValidator : public QValidator {
public:
    explicit WholeNumberValidator(AnswerKeyGrid& grid, QObject* parent)
        : QValidator(parent), m_grid(grid) {}
    State validate(QString& input, int&) const override {
        if (input.isEmpty() || isWholeNumber(input))
            return Acceptable; // empty clears the field
        if (isWholeNumber(input + u'0'))
            return Intermediate; // a sign or a hexadecimal prefix so far
        emit m_grid.keyRefused(QStringLiteral(u"Bu sütuna yalnızca bir tam sayı girilebilir."));
        return Invalid;
    }

private:
    AnswerKeyGrid& m_grid;
};

// The key column gets a one-character editor, a number column a checked one.
class AnswerKeyDelegate : public QStyledItemDelegate {
public:
    explicit AnswerKeyDelegate(AnswerKeyGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        const auto* model = qobject_cast<const DatasetModel*>(index.model());
        if (model && !model->hasRule(index.column()) && isNumberColumn(*model, index.column())) {
            QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
            if (auto* line = qobject_cast<QLineEdit*>(editor))
                line->setValidator(new WholeNumberValidator(*m_grid, line));
            return editor;
        }
        if (!model || !model->hasRule(index.column()))
            return QStyledItemDelegate::createEditor(parent, option, index);
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        editor->setMaxLength(1);
        editor->setValidator(new KeyLetterValidator(*m_grid, editor));
        return editor;
    }

    // Keys show in capitals; the stored letter keeps its case, as the pages write it.
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const auto* model = qobject_cast<const DatasetModel*>(index.model());
        if (model && model->hasRule(index.column()))
            option->text = option->text.toUpper();
    }

private:
    AnswerKeyGrid* m_grid;
};

} // namespace

AnswerKeyGrid::AnswerKeyGrid(QWidget* parent) : EditingTable(parent) {
    setItemDelegate(new AnswerKeyDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                    QAbstractItemView::EditKeyPressed);
    setTabKeyNavigation(false); // Tab goes on to the next control; arrows move between cells
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
         [this](const QString& text) { return isAnswerLetter(text, optionCount()); }},
    });
    setColumnWidth(0, 50);
    setColumnWidth(1, fileColumnWidth);
    setColumnWidth(2, 80);
}

void AnswerKeyGrid::setOptionCount(std::function<qint32()> optionCount) {
    m_optionCount = std::move(optionCount);
}

qint32 AnswerKeyGrid::optionCount() const {
    return effectiveOptionCount(m_optionCount ? m_optionCount() : 5);
}

bool AnswerKeyGrid::isKeyColumn(int column) const {
    return m_model && m_model->hasRule(column);
}

QString AnswerKeyGrid::refusalText() const {
    const qint32 options = optionCount();
    return QStringLiteral(u"Doğru cevap olarak yalnızca A ile %1 arasındaki harflerden biri "
                          u"girilebilir (cevap şıkkı sayısı %2).")
        .arg(QChar(u'A' + options - 1))
        .arg(options);
}

// Delete or Backspace on a key clears it; the question then has no key until one is typed.
void AnswerKeyGrid::keyPressEvent(QKeyEvent* event) {
    if (typeKey(event))
        return;
    const QModelIndex current = currentIndex();
    if (state() != EditingState && current.isValid() && isKeyColumn(current.column()) &&
        (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) &&
        event->modifiers() == Qt::NoModifier) {
        m_model->setData(current, QVariant());
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void AnswerKeyGrid::focusFirstKey() {
    if (!m_model || m_model->rowCount() == 0)
        return;
    for (int column = 0; column < m_model->columnCount(); ++column) {
        if (isKeyColumn(column)) {
            setCurrentIndex(m_model->index(0, column));
            setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

// A letter typed on a key cell (no editor open) is stored as typed and the
// next question's key cell becomes current; Enter moves on without a change.
bool AnswerKeyGrid::typeKey(QKeyEvent* event) {
    const QModelIndex current = currentIndex();
    if (state() == EditingState || !current.isValid() || !isKeyColumn(current.column()) ||
        (event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)))
        return false;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        moveToNextKey();
        event->accept();
        return true;
    }
    const QString text = event->text();
    if (text.size() != 1 || !text.front().isLetter())
        return false;
    event->accept();
    if (!m_model->setData(current, text)) {
        emit keyRefused(refusalText());
        return true;
    }
    moveToNextKey();
    return true;
}

void AnswerKeyGrid::moveToNextKey() {
    const QModelIndex current = currentIndex();
    if (current.row() + 1 < m_model->rowCount())
        setCurrentIndex(m_model->index(current.row() + 1, current.column()));
}

void AnswerKeyGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    const bool keyCell = isKeyColumn(currentIndex().column());
    const bool tab = hint == QAbstractItemDelegate::EditNextItem ||
                     hint == QAbstractItemDelegate::EditPreviousItem;
    // Tab leaves the grid from an open editor too, as it does from a cell.
    QTableView::closeEditor(editor, tab ? QAbstractItemDelegate::NoHint : hint);
    if (tab)
        focusNextPrevChild(hint == QAbstractItemDelegate::EditNextItem);
    else if (keyCell && hint == QAbstractItemDelegate::SubmitModelCache)
        moveToNextKey(); // Enter in a key's editor moves on as a typed letter does
}

void AnswerKeyGrid::addPasteAction() {
    auto* paste = new QAction(QStringLiteral(u"Yapıştır"), this);
    paste->setObjectName(QStringLiteral("yapistirAction"));
    paste->setShortcut(QKeySequence::Paste);
    paste->setShortcutContext(Qt::WidgetShortcut);
    connect(paste, &QAction::triggered, this, &AnswerKeyGrid::pasteRequested);
    addAction(paste);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}
