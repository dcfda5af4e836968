#pragma once

#include "core/Sections.h"

#include <QString>
#include <QtGlobal>

#include <vector>

// Booklet types of one test (A, B, …): booklet A is the teacher's order; each
// further booklet orders the questions differently within each section (the
// whole test when there are none), questions in no section keeping their place.

// The booklet counts a test may have: 1, 2 or 4.
bool isBookletCount(qint32 count);

// "A", "AB" or "ABCD"; a count that is not 1, 2 or 4 counts as 1.
QString bookletLetters(qint32 count);

// One booklet's order: order[p] is the teacher's number (1-based) of the
// question the booklet shows at position p + 1.
struct BookletOrder {
    QChar letter;
    std::vector<qint32> order;

    bool operator==(const BookletOrder&) const = default;
};

// The orders of every booklet of a test of `questionCount` questions,
// derived from its identity and each letter: the same test always gives the
// same booklets. A one-booklet test gives the single identity order "A".
std::vector<BookletOrder> bookletOrders(const QString& testIdentity, qint32 questionCount,
                                        const std::vector<Section>& sections, qint32 bookletCount);

// The identity order 1..count.
std::vector<qint32> teacherOrder(qint32 questionCount);

// Whether `order` is a permutation of 1..questionCount.
bool isQuestionOrder(const std::vector<qint32>& order, qint32 questionCount);

// Answers given in a booklet's order, put back in the teacher's order.
// `order` must be a permutation of 1..answers.size().
QString toTeacherOrder(const std::vector<qint32>& order, const QString& bookletAnswers);

// The stored form of the orders: "A:1,2,3;B:3,1,2". parseBookletOrders
// refuses (AppError) any text that is not such a list of permutations of
// 1..questionCount with letters A, B, C, D in order.
QString bookletOrdersText(const std::vector<BookletOrder>& booklets);
std::vector<BookletOrder> parseBookletOrders(const QString& text, qint32 questionCount);
