#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// The scoring page, opened in the frame "sag" by the answer sheet. Its script
// reads the answer string from the question page, the keys and the count from
// the data file, and shows a row per question and the totals.
struct ResultPageInput {
    qint32 questionCount = 0; // 0 or less: no question rows
    QString dataFileName;     // stem + "xml.xml"
    QString pageColour;       // page and cell background, copied unquoted
    qint32 netRule = 3;       // wrong answers that cancel one right; 0: none do
};

// 10 * N + 64 lines for N questions (64 when N is 0 or less).
QStringList resultPageLines(const ResultPageInput& in);
