#pragma once

#include "run/FormResults.h"

#include <QString>
#include <QStringList>

#include <vector>

class Database;

// The teacher's review of a batch of read forms before anything is stored:
// every flagged row with its choices, what was chosen for it, and the batch's
// summary. The review dialog shows it; no widget here.
class FormReview {
public:
    // `pupils` are the stored class lists' pupils the number flags were made from.
    FormReview(std::vector<ReadSheet> sheets, std::vector<ListedPupil> pupils);

    const std::vector<ReadSheet>& sheets() const { return m_sheets; }
    std::size_t rowCount() const { return m_rows.size(); }
    const ReadSheet& sheetOf(std::size_t row) const { return m_sheets[m_rows[row].sheet]; }
    const FormFlag& flagOf(std::size_t row) const;
    // "form.pdf (sayfa 2) · 5. soru: İki işaret"
    QString rowTitle(std::size_t row) const;

    // The index of the chosen choice, -1 while none is.
    int chosen(std::size_t row) const { return m_chosen[row]; }
    void choose(std::size_t row, int choice);
    // The choice a typed key picks: its letter or digit in any case; space,
    // "-" or "." for "Boş"; -1 for none.
    int choiceForKey(std::size_t row, const QString& typed) const;
    // The pupil the sheet of `row` is stored under, by the choices made so far.
    QString pupilOf(std::size_t row) const;
    // Every flagged row has a choice: the batch may be stored.
    bool complete() const;

    // Sheets read, rows flagged, and every refused file or page with its reason.
    QString summary() const;

    // Stores the sheets as the teacher decided them (storeReviewedSheets).
    ResultBatch store(Database& db, const QDateTime& readAt = QDateTime::currentDateTime()) const;

private:
    // Sheet `index` as the choices made so far decide it, and its pupil.
    ReadSheet decided(std::size_t index, QString& pupil) const;

    struct Row {
        std::size_t sheet;
        std::size_t flag;
    };
    std::vector<ReadSheet> m_sheets;
    std::vector<ListedPupil> m_pupils;
    std::vector<Row> m_rows;
    std::vector<int> m_chosen;
};
