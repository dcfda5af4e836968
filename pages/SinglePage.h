#pragma once

#include "core/Sections.h"
#include "core/Settings.h"
#include "pages/EmbeddedQuestion.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <vector>

// Everything the single page shows, taken from the main window and the
// answer-key rows at generation time.
struct SinglePageInput {
    QString testName;             // shown as text, never as markup
    QString stem;                 // names the pupil's result file
    QStringList explanationLines; // shown under every question

    // The teacher's settings: colours used as the classic pages use them (a
    // text that is not a colour leaves the default colour in its place), the
    // option count (2 or less gives 2, 5 or more gives 5), the net rule and
    // the time limit in minutes (0 or less: none), and whether the result view
    // lists the correct answer of each question (off: only the pupil's
    // answers and the totals).
    Settings settings;
    QString keys;                      // one letter per question: the count of questions
    QList<EmbeddedQuestion> questions; // by question; a missing entry shows as missing

    // The teacher's navigation images (ilk, geri, ileri, son); empty ones
    // are replaced by the page's own icons.
    QByteArray firstImage;
    QByteArray previousImage;
    QByteArray nextImage;
    QByteArray lastImage;

    QString testIdentity; // from testIdentity(): keys the pupil's saved state and result

    // The practice exam's subjects: the answer sheet is grouped by them and
    // the result view gives each its own net. Checked against the count.
    std::vector<Section> sections;
    // Which booklet this page is: none (a null letter) for a one-booklet test,
    // else "A" to "D" of `bookletCount`. `order` is that booklet's order
    // (order[p] is the teacher's number shown at position p + 1); empty: the
    // teacher's order. `keys` and `questions` stay in the teacher's order.
    QChar booklet;
    std::vector<qint32> order;
    qint32 bookletCount = 1;

    // The live form, served by the teacher's program (docs/live-protocol.md):
    // no key and no test identity in it (the identity is a digest over the
    // keys), no result file or code; answers go to the program as they are
    // given and the program sends back the totals and, at the exam's end, the key.
    bool live = false;
};

// contentDigest of each question's bytes as the page embeds them, for the
// first `count` questions; an empty text where the page has none.
QStringList questionDigests(const QList<EmbeddedQuestion>& questions, qsizetype count);

// The whole page as UTF-8: one file with its script, style, questions and
// images inside, which reads nothing else at run time.
QByteArray singlePageBytes(const SinglePageInput& in);
