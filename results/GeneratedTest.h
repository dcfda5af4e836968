#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

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
};
