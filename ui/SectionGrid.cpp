#include "ui/SectionGrid.h"

#include "core/AppError.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QMetaProperty>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>

#include <array>

using namespace Qt::StringLiterals;

namespace {

enum Column { Name, First, Last, Weight, ColumnCount };

using Row = std::array<QString, ColumnCount>;

} // namespace

// The rows as texts, exactly as typed.
class SectionRows : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    QList<Row> rows;
    QList<Row> saved;

    void append(const Row& row) {
        beginInsertRows({}, int(rows.size()), int(rows.size()));
        rows.append(row);
        endInsertRows();
    }
    void remove(int row) {
        beginRemoveRows({}, row, row);
        rows.removeAt(row);
        endRemoveRows();
    }
    void reset(QList<Row> newRows) {
        beginResetModel();
        rows = std::move(newRows);
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : ColumnCount;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid())
            return {};
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return rows[index.row()][std::size_t(index.column())];
        if (role == Qt::TextAlignmentRole && index.column() != Name)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        static const std::array<QString, ColumnCount> titles = {u"Bölüm adı"_s, u"İlk soru"_s,
                                                                u"Son soru"_s, u"Katsayı"_s};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
            section < ColumnCount)
            return titles[std::size_t(section)];
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (!index.isValid() || role != Qt::EditRole)
            return false;
        rows[index.row()][std::size_t(index.column())] = value.toString().trimmed();
        emit dataChanged(index, index);
        return true;
    }
};

namespace {

// Lets into an editor only what matches `pattern` (or is on its way to it),
// naming what the cell takes when it refuses a character.
class CellValidator : public QRegularExpressionValidator {
public:
    CellValidator(const QString& pattern, QString why, SectionGrid& grid, QObject* parent)
        : QRegularExpressionValidator(QRegularExpression(pattern), parent), m_why(std::move(why)),
          m_grid(grid) {}
    State validate(QString& input, int& pos) const override {
        const State state = QRegularExpressionValidator::validate(input, pos);
        if (state == Invalid)
            emit m_grid.entryRefused(m_why);
        return state;
    }

private:
    QString m_why;
    SectionGrid& m_grid;
};

class SectionDelegate : public QStyledItemDelegate {
public:
    explicit SectionDelegate(SectionGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (!line)
            return editor;
        if (index.column() == Name)
            line->setMaxLength(kMaxSectionName);
        else if (index.column() == Weight)
            line->setValidator(new CellValidator(
                u"[0-9]{0,3}([,.][0-9]{0,4})?"_s,
                u"Katsayı bir sayı olmalıdır (örneğin 1 ya da 1,5)."_s, *m_grid, line));
        else
            line->setValidator(new CellValidator(
                u"[0-9]{0,5}"_s, u"Bu sütuna yalnızca bir soru numarası girilebilir."_s, *m_grid,
                line));
        return editor;
    }

private:
    SectionGrid* m_grid;
};

// "2. satır (Fen)", or "2. satır" while the row has no name.
QString rowText(qsizetype index, const QString& name) {
    const QString row = u"%1. satır"_s.arg(index + 1);
    return name.isEmpty() ? row : row + u" ("_s + name + u')';
}

Row rowOf(const Section& section) {
    return {section.name, QString::number(section.first), QString::number(section.last),
            weightText(section.weight)};
}

} // namespace

SectionGrid::SectionGrid(QWidget* parent) : EditingTable(parent), m_rows(new SectionRows(this)) {
    setModel(m_rows);
    setItemDelegate(new SectionDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                    QAbstractItemView::EditKeyPressed);
    setTabKeyNavigation(false); // Tab goes on to the next control, as in the answer-key grid
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->hide();
    QFont titleFont = horizontalHeader()->font();
    titleFont.setBold(true);
    horizontalHeader()->setFont(titleFont);
    QPalette titlePalette = horizontalHeader()->palette(); // red titles, as the answer-key grid's
    titlePalette.setColor(QPalette::ButtonText, Qt::red);
    horizontalHeader()->setPalette(titlePalette);
    setColumnWidth(Name, 170);
    setColumnWidth(First, 65);
    setColumnWidth(Last, 65);
    setColumnWidth(Weight, 65);
}

void SectionGrid::setSections(const std::vector<Section>& sections) {
    QList<Row> rows;
    for (const Section& section : sections)
        rows << rowOf(section);
    m_rows->reset(rows);
    markSaved();
}

std::vector<Section> SectionGrid::sections() const {
    std::vector<Section> sections;
    for (qsizetype i = 0; i < m_rows->rows.size(); ++i) {
        const Row& row = m_rows->rows[i];
        Section section;
        section.name = row[Name];
        const auto number = [&](Column column, const QString& what) {
            bool ok = false;
            const qint32 value = row[column].toInt(&ok);
            if (!ok)
                throw AppError(
                    u"Bölüm listesi, %1: %2 yazılmamış."_s.arg(rowText(i, row[Name]), what));
            return value;
        };
        section.first = number(First, u"ilk soru"_s);
        section.last = number(Last, u"son soru"_s);
        if (!row[Weight].isEmpty() && !parseWeight(row[Weight], section.weight))
            throw AppError(
                u"Bölüm listesi, %1: katsayı bir sayı değil."_s.arg(rowText(i, row[Name])));
        sections.push_back(std::move(section));
    }
    return sections;
}

void SectionGrid::addSection(qint32 questionCount) {
    if (m_rows->rows.size() >= kMaxSections) {
        emit entryRefused(u"Bir testte en çok %1 bölüm olabilir."_s.arg(kMaxSections));
        return;
    }
    commitOpenEditor();
    const qint32 previousLast = m_rows->rows.isEmpty() ? 0 : m_rows->rows.last()[Last].toInt();
    const qint32 first = previousLast + 1;
    const qint32 last = questionCount >= first ? questionCount : first;
    const int row = int(m_rows->rows.size());
    m_rows->append(Row{QString(), QString::number(first), QString::number(last), u"1"_s});
    const QModelIndex name = m_rows->index(row, Name);
    setCurrentIndex(name);
    setFocus(Qt::OtherFocusReason);
    edit(name);
}

void SectionGrid::removeCurrentSection() {
    commitOpenEditor();
    const int row = currentIndex().row();
    if (row < 0 || row >= m_rows->rows.size())
        return;
    m_rows->remove(row);
}

void SectionGrid::markSaved() {
    m_rows->saved = m_rows->rows;
}

bool SectionGrid::changedSinceSaved() const {
    return m_rows->rows != m_rows->saved;
}
