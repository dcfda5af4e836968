#pragma once

#include <QString>
#include <QtGlobal>

// What identifies one generated test: a result file or code names the test
// by this digest, so the program can find the keys it was scored against.
struct TestIdentityInput {
    QString testName;
    QString stem;
    QString keys; // one upper-case letter per question, in question order
    qint32 optionCount = 4;
    qint32 netRule = 3; // 3, 4, or 0 for "Götürmez"
};

// The first 32 lowercase hex digits of SHA-256 over "dorvana-test/1", the
// test name, the stem, the count, the keys, the option count and the net
// rule, joined by "\n". The count is the length of the keys.
QString testIdentity(const TestIdentityInput& in);
