#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include "core/Booklets.h"
#include "core/Sections.h"

#include <vector>

// What one generation run wrote, as far as reading pupils' results needs it.
struct GeneratedTest {
    QString name;           // the test name
    QString stem;           // the file-name stem
    qint32 count = 0;       // number of questions
    QString keys;           // one upper-case letter A to E per question
    qint32 optionCount = 4; // options per question, 2 to 5
    qint32 netRule = 3;     // wrong answers that cancel one right: 3 or 4; 0 = none do
    QDateTime generatedAt;  // local time of the run
    // The identity the single page carries (testIdentity of core/TestIdentity.h),
    // as made at generation and stored with the test. Never recomputed from the
    // fields above: tests of earlier versions keep the identity their pages carry.
    QString identity;
    std::vector<Section> sections; // checked sections; none: one net for the whole test
    // Every booklet's order, "A" (the teacher's order) first; a test stored
    // before booklets existed has none and reads as booklet A alone.
    std::vector<BookletOrder> booklets;
};

// The order of booklet `letter` ("A" is the teacher's order for any test), or
// null when the test has no such booklet.
const std::vector<qint32>* bookletOrderOf(const GeneratedTest& test, const QString& letter);
