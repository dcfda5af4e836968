#pragma once

#include "pages/EmbeddedQuestion.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Everything the single page shows, taken from the main window and the
// answer-key rows at generation time.
struct SinglePageInput {
    QString testName;             // shown as text, never as markup
    QString stem;                 // names the pupil's result file
    QStringList explanationLines; // shown under every question

    // The teacher's colour texts, used as the classic pages use them. A text
    // that is not a colour leaves the page's own colour in its place.
    QString questionPageColour; // question view background
    QString explanationColour;  // explanation box background
    QString answerSheetColour;  // answer sheet background
    QString columnsAceColour;   // answer sheet: option columns A, C, E and the finish button
    QString columnsBdColour;    // answer sheet: option columns B, D and the question numbers
    QString resultPageColour;   // result view background

    qint32 optionCount = 4;            // letters per question; 2 or less gives 2, 5 or more gives 5
    qint32 netRule = 3;                // wrong answers that cancel one right: 3, 4, or 0 for none
    qint32 timeLimitMinutes = 0;       // 0 or less: no time limit
    QString keys;                      // one letter per question: the count of questions
    QList<EmbeddedQuestion> questions; // by question; a missing entry shows as missing

    // The teacher's navigation images (ilk, geri, ileri, son); empty ones
    // are replaced by the page's own icons.
    QByteArray firstImage;
    QByteArray previousImage;
    QByteArray nextImage;
    QByteArray lastImage;

    // The result view lists the correct answer of each question (and whether
    // the pupil's was right); off, it shows only the pupil's answers and the totals.
    bool showCorrectAnswers = true;

    QString testIdentity; // from testIdentity(): keys the pupil's saved state and result
};

// contentDigest of each question's bytes as the page embeds them, for the
// first `count` questions; an empty text where the page has none.
QStringList questionDigests(const QList<EmbeddedQuestion>& questions, qsizetype count);

// The whole page as UTF-8: one file with its script, style, questions and
// images inside, which reads nothing else at run time.
QByteArray singlePageBytes(const SinglePageInput& in);
