#pragma once

#include <QString>
#include <QtGlobal>

// The rules of one test, in one place for the pages, the answer-key grid, the
// generation run and the scoring of results read back. The single page's
// script (pages/singlepage/scoring.js) applies the same rules offline; the
// shared vectors in tests/data/results/vectors.json hold both to them.

// The options the pages show for the count the teacher typed: A–B for 2 or
// less, A–C for 3, A–D for 4, A–E for 5 or more.
qint32 effectiveOptionCount(qint32 typed);

// The letters a pupil can choose, "AB" to "ABCDE", for a typed count.
QString optionLetters(qint32 typed);

// One letter of the options (either case) for a typed count.
bool isOptionLetter(QChar letter, qint32 typed);

// Wrong answers that cancel one right: 3, 4, or 0 for none ("Götürmez");
// any other value is the long-standing 3.
qint32 effectiveNetRule(qint32 rule);

// right − wrong / rule, or right alone for "Götürmez".
double netScore(int right, int wrong, qint32 rule);

// The net as a pupil and a teacher read it: two decimals, a decimal comma,
// halves rounded up as the page's script rounds them, never "-0,00".
QString netText(double net);
