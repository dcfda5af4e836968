#pragma once

#include "results/GeneratedTest.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <memory>
#include <vector>

// Filled optical forms for measuring the reader, made from the program's own
// printed forms (rendered at 300 dpi from their PDF) and repeatable from a
// seed. See FormCorpus.cpp for how the marks are drawn and the sheets
// degraded.

enum class Capture { Scan, Photo };

// What one printed row holds.
enum class RowKind {
    Blank,
    Mark,    // one pencil mark, of any darkness, size and completeness the reader must take
    Faint,   // one very light or small mark: doubtful
    Erased,  // an eraser's grey residue and nothing else: doubtful
    Changed, // a residue on one bubble and a mark on another: doubtful
    Two,     // two marks: doubtful, no right answer
    Crossed, // one bubble crossed out, another marked: doubtful
};

struct PlannedRow {
    RowKind kind = RowKind::Blank;
    int option = 0; // the mark (or the faint mark, the residue of Erased)
    int other = 0;  // Changed: the residue; Two: the second mark; Crossed: the crossed bubble
};

struct SheetPlan {
    quint32 seed = 0;
    Capture capture = Capture::Scan;
    int turn = 0;             // 0, 90, 180 or 270 degrees: how the sheet went into the scanner
    int form = 0;             // which printed form: FormCorpus::forms()
    double pencil = 0.7;      // this pupil's pencil: darkness of a firm mark, 0 to 1
    QString number;           // marked in the bubbles, or printed on the pupil's own form
    bool numberFaint = false; // one digit marked faintly: the number must be flagged
    int booklet = 0;
    std::vector<PlannedRow> rows; // one per question
};

class FormCorpus {
public:
    FormCorpus();
    ~FormCorpus();

    // The test every sheet belongs to: 40 questions of five options, two booklets.
    const GeneratedTest& test() const;
    // The printed forms: 0 blank with 4 digits, 1 blank with 7 digits, 2.. pupils' own forms.
    int forms() const;

    SheetPlan randomPlan(quint32 seed, Capture capture) const;
    // The filled, degraded sheet as a grey JPEG file's bytes.
    QByteArray makeSheet(const SheetPlan& plan) const;
    // What a reader should find: number, booklet letter, answers (the
    // intended letter or "." per question, "?" where there is none to find)
    // and the doubtful questions, which a reader should flag.
    QJsonObject truth(const SheetPlan& plan) const;

private:
    struct Printed;
    std::unique_ptr<Printed> printed;
};
