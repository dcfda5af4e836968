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

    // The test's identity: the first 32 hex digits of SHA-256 over the lines
    // "dorvana-test/1", name, stem, count, keys, optionCount, netRule joined
    // by "\n". The single page carries the same value and every result
    // names it.
    QString identity() const;
};

// SHA-256 of the lines joined by "\n" (no final one), UTF-8, lower-case hex.
QString sha256OfLines(const QStringList& lines);
