#pragma once

#include "core/DataRecord.h"
#include "core/FileSet.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <vector>

// Everything one generation run turns into files, read once from the window
// (or from a test or a benchmark) before anything is built.
struct PageSetInput {
    QString folder;           // output folder, joined to the names with the platform's separator
    QString stem;             // file-name stem of every file of the set
    QString testName;         // shown above each question
    qint32 questionCount = 0; // the count as typed, converted
    qint32 optionCount = 0;   // options per question, converted
    QStringList explanationLines;      // the explanation as its box shows it
    QString navFolder;                 // put in front of the navigation image names
    QString questionColour;            // question page background
    QString explanationColour;         // explanation box background
    QString answerColour;              // answer sheet background
    QString aceColour;                 // answer sheet columns A, C, E
    QString bdColour;                  // answer sheet columns B, D
    QString resultColour;              // result page background
    std::vector<DataRecord> answerKey; // one record per question, in question order
};

// The file names of a set, all made from the stem.
struct PageSetNames {
    explicit PageSetNames(const QString& stem);
    QString frameset;     // stem + "ind.htm", the page pupils open
    QString questionPage; // stem + "sor.htm"
    QString answerSheet;  // stem + "cev.htm"
    QString resultPage;   // stem + "son.htm"
    QString dataFile;     // stem + "xml.xml"
};

// The whole set in the order it is written: frameset, question page, answer
// sheet, result page (Windows-1254) and data file (UTF-8, XML's default).
// A pure function: nothing is read or written here.
std::vector<OutputFile> pageSetFiles(const PageSetInput& in);
