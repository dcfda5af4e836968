#include "run/FormReview.h"

#include "core/AppError.h"

namespace {

const QString kBlank = QStringLiteral(u"Boş");
constexpr QChar kDroppedDigit = u' '; // a number's place chosen blank, dropped at the end

QString flagRowText(const FormFlag& flag) {
    switch (flag.row) {
    case FormFlag::Row::Answer:
        return QStringLiteral(u"%1. soru").arg(flag.question);
    case FormFlag::Row::Booklet:
        return QStringLiteral(u"kitapçık");
    case FormFlag::Row::Number:
        break;
    }
    return flag.position == 0 ? QStringLiteral(u"öğrenci numarası")
                              : QStringLiteral(u"numaranın %1. hanesi").arg(flag.position);
}

void setAt(QString& text, int position, QChar value) {
    if (position >= 1 && position <= text.size())
        text[position - 1] = value;
}

// Where a digit's flag stands in the number as read: an empty place is left
// out of it, so the k-th digit flag is the k-th "?" (0 when there is none).
int flaggedDigitPlace(const ReadSheet& sheet, std::size_t flagIndex) {
    qsizetype ordinal = 0;
    for (std::size_t f = 0; f < flagIndex; ++f)
        if (sheet.flags[f].row == FormFlag::Row::Number && sheet.flags[f].position > 0)
            ++ordinal;
    for (qsizetype i = 0; i < sheet.number.size(); ++i)
        if (sheet.number[i] == u'?' && ordinal-- == 0)
            return int(i + 1);
    return 0;
}

} // namespace

FormReview::FormReview(std::vector<ReadSheet> sheets, std::vector<ListedPupil> pupils)
    : m_sheets(std::move(sheets)), m_pupils(std::move(pupils)) {
    for (std::size_t s = 0; s < m_sheets.size(); ++s)
        if (m_sheets[s].refused.isEmpty())
            for (std::size_t f = 0; f < m_sheets[s].flags.size(); ++f)
                m_rows.push_back({s, f});
    m_chosen.assign(m_rows.size(), -1);
}

const FormFlag& FormReview::flagOf(std::size_t row) const {
    return m_sheets[m_rows[row].sheet].flags[m_rows[row].flag];
}

QString FormReview::rowTitle(std::size_t row) const {
    const FormFlag& flag = flagOf(row);
    return QStringLiteral(u"%1 · %2: %3")
        .arg(sheetPlace(sheetOf(row)), flagRowText(flag), flag.reason);
}

void FormReview::choose(std::size_t row, int choice) {
    if (choice >= 0 && choice < flagOf(row).choices.size())
        m_chosen[row] = choice;
}

int FormReview::choiceForKey(std::size_t row, const QString& typed) const {
    if (typed.size() != 1)
        return -1;
    const QStringList& choices = flagOf(row).choices;
    if (typed == QStringLiteral(" ") || typed == QStringLiteral("-") ||
        typed == QStringLiteral("."))
        return int(choices.indexOf(kBlank));
    return int(choices.indexOf(typed.toUpper()));
}

bool FormReview::complete() const {
    return std::all_of(m_chosen.begin(), m_chosen.end(), [](int c) { return c >= 0; });
}

QString FormReview::summary() const {
    const auto refused = std::count_if(m_sheets.begin(), m_sheets.end(),
                                       [](const ReadSheet& s) { return !s.refused.isEmpty(); });
    QString text = QStringLiteral(u"%1 form okundu, %2 satır işaretlendi, %3 sayfa alınmadı.")
                       .arg(qsizetype(m_sheets.size()) - refused)
                       .arg(m_rows.size())
                       .arg(refused);
    for (const ReadSheet& sheet : m_sheets)
        if (!sheet.refused.isEmpty())
            text += QStringLiteral(u"\n• %1: %2").arg(sheetPlace(sheet), sheet.refused);
    return text;
}

ReadSheet FormReview::decided(std::size_t index, QString& pupil) const {
    ReadSheet sheet = m_sheets[index];
    QString chosenPupil;
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        if (m_rows[row].sheet != index || m_chosen[row] < 0)
            continue;
        const FormFlag& flag = flagOf(row);
        const QString choice = flag.choices[m_chosen[row]];
        const QChar first = choice == kBlank ? QChar() : choice.front();
        switch (flag.row) {
        case FormFlag::Row::Answer:
            setAt(sheet.answers, flag.question, first.isNull() ? u'.' : first);
            break;
        case FormFlag::Row::Booklet:
            // A booklet left blank stays undecided: scoring it by booklet A would be a guess.
            if (!first.isNull())
                sheet.booklet = QString(first);
            break;
        case FormFlag::Row::Number:
            if (flag.position > 0) {
                setAt(sheet.number, flaggedDigitPlace(m_sheets[index], m_rows[row].flag),
                      first.isNull() ? kDroppedDigit : first);
                break;
            }
            for (const ListedPupil& candidate : numberCandidates(m_pupils, m_sheets[index]))
                if (candidateText(candidate) == choice) {
                    sheet.number = candidate.number;
                    chosenPupil = candidate.name;
                }
            break;
        }
    }
    sheet.number.remove(kDroppedDigit);
    // The whole-number flags are answered once a pupil was chosen for each.
    if (!chosenPupil.isEmpty())
        std::erase_if(sheet.flags, [](const FormFlag& flag) {
            return flag.row == FormFlag::Row::Number && flag.position == 0;
        });
    pupil = chosenPupil.isEmpty() ? pupilNameOf(m_pupils, sheet) : chosenPupil;
    return sheet;
}

QString FormReview::pupilOf(std::size_t row) const {
    QString pupil;
    decided(m_rows[row].sheet, pupil);
    return pupil;
}

ResultBatch FormReview::store(Database& db, const QDateTime& readAt) const {
    if (!complete())
        throw AppError(QStringLiteral(u"İşaretlenen her satır için bir seçim yapılmalı."));
    std::vector<ReadSheet> sheets;
    QStringList pupils;
    for (std::size_t index = 0; index < m_sheets.size(); ++index) {
        QString pupil;
        sheets.push_back(decided(index, pupil));
        pupils << pupil;
    }
    return storeReviewedSheets(db, sheets, pupils, readAt);
}
