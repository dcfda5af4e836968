#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// The page of the right frame: one row of radio buttons per question. Its
// finish button joins the chosen letters ("." for none) into the answer
// string, puts it into the question page's field "gonder" and opens the
// result page in the frame "sag".
struct AnswerSheetInput {
    QString pageColour;       // page background
    QString aceColour;        // cells of columns A, C, E and the finish button
    QString bdColour;         // cells of columns B, D and of the question numbers
    QString resultPageName;   // stem + "son.htm"
    qint32 questionCount = 0; // 0 or less: no question rows
    qint32 optionCount = 0;   // 2 or less gives columns A, B; 5 or more gives A to E
};

// With k option columns and N questions (N > 0): 30 + k + N * (k + 4) lines;
// 30 + k when N is 0 or less. Colours and names are copied unchanged.
QStringList answerSheetLines(const AnswerSheetInput& in);
