#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// What identifies one generated test: the single page carries this digest,
// every result file or code names its test by it, and the program finds the
// stored keys by it. Computed in this one place for the page and the reader.
struct TestIdentityInput {
    QString testName;
    QString stem;
    QString keys; // one upper-case letter per question, in question order
    qint32 optionCount = 4;
    qint32 netRule = 3; // 3, 4, or 0 for "Götürmez"
};

// The first 32 lowercase hex digits of sha256OfLines of "dorvana-test/1", the
// test name, the stem, the count, the keys, the option count and the net
// rule. The count is the length of the keys.
QString testIdentity(const TestIdentityInput& in);

// SHA-256 over the UTF-8 bytes of the lines joined by "\n" (no final one),
// as lowercase hex; the page's script computes the same for result checks.
QString sha256OfLines(const QStringList& lines);
