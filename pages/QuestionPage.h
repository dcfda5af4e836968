#pragma once

#include <QString>
#include <QStringList>

// The page of the left frame: shows one question at a time from the data
// file, with the navigation images, the counter and the explanation box. Its
// form "bilgi" holds the hidden field "gonder" through which the answer sheet
// hands the answers to the result page.
struct QuestionPageInput {
    QString bodyColour;           // page background, copied unquoted
    QString dataFileName;         // stem + "xml.xml", loaded as the data island
    QString testName;             // shown above the question; markup in it takes effect
    QString navFolder;            // put in front of the navigation image names as typed
    QString explanationColour;    // background of the explanation box
    QStringList explanationLines; // the explanation box's lines as the box shows them
};

// 58 lines plus one per explanation line. Every text is copied unchanged.
QStringList questionPageLines(const QuestionPageInput& in);
