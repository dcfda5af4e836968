#pragma once

#include "core/Booklets.h"
#include "core/DataRecord.h"
#include "core/FileSet.h"
#include "core/Settings.h"
#include "pages/EmbeddedQuestion.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <array>
#include <vector>

// Everything one generation run turns into files, read once from the window
// (or from a command-line program, a test or a benchmark) before anything is built.
struct PageSetInput {
    QString folder;           // output folder, joined to the names with the platform's separator
    QString stem;             // file-name stem of every file of the set
    QString testName;         // shown above each question
    qint32 questionCount = 0; // the count as typed, converted
    QStringList explanationLines;      // the explanation as its box shows it
    Settings settings;                 // colours, navigation folder, options, net rule, single page
    std::vector<DataRecord> answerKey; // one record per question, in question order
    std::vector<Section> sections;     // the test's checked sections, in table order

    // The single page for today's browsers (settings.teksayfa).
    std::vector<EmbeddedQuestion> questions;    // one per question, made self-contained
    std::array<QByteArray, 4> navigationImages; // ilk, geri, ileri, son; empty: the page's own
    QStringList privatePaths; // never read into a page: the program's database and data folder
};

// What the page set's tests are known by once generated: the option count and
// net rule as the pages use them, the keys in upper case, and the identity
// over these, the time limit and the embedded questions' bytes (so the
// questions must be embedded before it is asked for).
struct PageSetTest {
    QString keys;
    qint32 optionCount;
    qint32 netRule;
    QString identity;
    // Every booklet's order ("A", the teacher's, first), from the identity,
    // the sections and settings.kitapcik.
    std::vector<BookletOrder> booklets;
};
PageSetTest pageSetTest(const PageSetInput& in);

// The file names of a set, all made from the stem.
struct PageSetNames {
    explicit PageSetNames(const QString& stem);
    QString frameset;     // stem + "ind.htm", the page pupils open
    QString questionPage; // stem + "sor.htm"
    QString answerSheet;  // stem + "cev.htm"
    QString resultPage;   // stem + "son.htm"
    QString dataFile;     // stem + "xml.xml"
    QString singlePage;   // stem + ".html", the page for today's browsers

    // The single page of each booklet, in booklet order: singlePage alone for
    // one booklet (or a count that is not 2 or 4), else stem + "-A.html",
    // stem + "-B.html", …
    QStringList singlePages(qint32 bookletCount) const;

private:
    QString m_stem;
};

// The whole set in the order it is written: frameset, question page, answer
// sheet, result page (Windows-1254), data file (UTF-8, XML's default) and,
// when asked for, the single page of each booklet (UTF-8).
// A pure function: nothing is read or written here.
std::vector<OutputFile> pageSetFiles(const PageSetInput& in);

// Each booklet's live single page ("A" first; one page for a one-booklet
// test), UTF-8, in memory: served by the live exam, never written.
std::vector<QByteArray> livePages(const PageSetInput& in);
