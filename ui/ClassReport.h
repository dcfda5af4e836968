#pragma once

#include "results/ClassAnalysis.h"

#include <QImage>
#include <QString>

class QPrinter;

// The printed class report: the test, the summary, the histogram, the class
// table and the item analysis with its marks.
struct ClassReport {
    GeneratedTest test;
    std::vector<PupilRow> rows;
    ClassSummary summary;
    ItemAnalysis items;
    QImage histogram; // may be null
};

// The report as HTML; the histogram is referenced as "histogram.png".
QString classReportHtml(const ClassReport& report);

// Lays the report out on the printer's pages and prints it (a PDF file when
// the printer is set to PDF output).
void printClassReport(const ClassReport& report, QPrinter& printer);
