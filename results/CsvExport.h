#pragma once

#include "results/ClassAnalysis.h"

#include <QByteArray>

// The class results as one CSV file that Turkish spreadsheets open right:
// UTF-8 with a byte-order mark, ";" between fields, decimal comma, CR LF,
// fields quoted as RFC 4180 asks. The test's name, the class table, the
// summary and the item analysis follow one another, an empty line between.
// A text that a spreadsheet would take for a number, a date, a logical value
// or a formula is written so that it stays text (see textField).
QByteArray classResultsCsv(const GeneratedTest& test, const std::vector<PupilRow>& rows,
                           const ClassSummary& summary, const ItemAnalysis& items);

// One field as written in the file.
QString csvField(const QString& text);
