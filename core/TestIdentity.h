#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include "core/Sections.h"

#include <vector>

// What identifies one generated test: the single page carries this digest,
// keys the pupil's saved progress in the browser by it, and every result file
// or code names its test by it. Computed in this one place at generation; the
// reader finds a test by the identity stored with it, never by recomputing.
struct TestIdentityInput {
    QString testName;
    QString stem;
    QString keys; // one upper-case letter per question, in question order
    qint32 optionCount = 4;
    qint32 netRule = 3;          // 3, 4, or 0 for "Götürmez"
    qint32 timeLimitMinutes = 0; // 0 or less: no limit
    // contentDigest of each question's embedded bytes, in question order; an
    // empty text for a question the page does not have.
    QStringList questionDigests;
    std::vector<Section> sections; // the practice exam's subjects, if any
    qint32 bookletCount = 1;       // 1, 2 or 4 booklet types
};

// The first 32 lowercase hex digits of sha256OfLines of "dorvana-test/2", the
// test name, the stem, the count, the keys, the option count, the net rule,
// the time limit, the number of question digests and the digests. Two tests
// that differ in any question's bytes or in the time limit differ here, so a
// browser never mixes their pupils' progress. A test with sections or more
// than one booklet is "dorvana-test/3": the same lines, then the booklet count,
// the number of sections and, for each, its name, first, last and weight.
QString testIdentity(const TestIdentityInput& in);

// SHA-256 of the bytes as lowercase hex.
QString contentDigest(const QByteArray& bytes);

// SHA-256 over the UTF-8 bytes of the lines joined by "\n" (no final one),
// as lowercase hex; the page's script computes the same for result checks.
QString sha256OfLines(const QStringList& lines);
