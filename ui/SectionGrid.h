#pragma once

#include "core/Sections.h"

#include "ui/EditingTable.h"

#include <vector>

class SectionRows;

// The sections grid of the "Bölümler" page: name, first and last question and
// weight of each section, kept as the teacher typed them until they are read.
// Nothing typed is checked on its way into a cell beyond what the cell can
// hold (digits in the question cells, a decimal number in the weight), so no
// commit of a cell can fail; the whole table is checked when it is read.
class SectionGrid : public EditingTable {
    Q_OBJECT
public:
    explicit SectionGrid(QWidget* parent = nullptr);

    // Shows the sections and counts them as saved.
    void setSections(const std::vector<Section>& sections);

    // The rows as sections, in table order. A question cell left empty
    // throws AppError with the row's place; an empty weight is 1. The
    // sections are not checked against each other here (checkSections).
    std::vector<Section> sections() const;

    // A new row after the last, its first question after the last row's
    // last, its name's editor open; refused (signal) beyond kMaxSections.
    void addSection(qint32 questionCount);
    // Removes the current row.
    void removeCurrentSection();

    void markSaved();
    bool changedSinceSaved() const;

signals:
    // A character a cell cannot take, or a row beyond the limit: why, for the status bar.
    void entryRefused(const QString& why);

private:
    SectionRows* m_rows;
};
