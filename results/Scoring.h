#pragma once

#include "results/GeneratedTest.h"

#include <QString>

#include <vector>

// The Turkish net rule: a letter different from the key (case ignored) is
// wrong, "-" is blank, the rest are right; net = right − wrong / netRule,
// or right alone when the rule is 0 ("Götürmez").
struct Score {
    int correct = 0;
    int wrong = 0;
    int blank = 0;
    double net = 0;
};

// Refuses (AppError, Turkish reason) answers that do not belong to `test`:
// another length than its question count, or a letter beyond its options.
void checkAnswersFit(const GeneratedTest& test, const QString& answers);

// Scores answers that fit the test, from its stored key.
Score scoreAnswers(const GeneratedTest& test, const QString& answers);

// A pupil's answers in the order of `booklet` ("A".."D"), put back in the
// teacher's order; refuses (AppError, Turkish reason) a booklet the test does
// not have. The answers must have the test's length.
QString answersInTeacherOrder(const GeneratedTest& test, const QString& booklet,
                              const QString& answers);

// The score of each section of the test (in its table's order), from answers
// in the teacher's order: right, wrong, blank and net by the test's net rule.
std::vector<Score> sectionScores(const GeneratedTest& test, const QString& answers);

// The sum of weight × section net.
double weightedTotal(const GeneratedTest& test, const std::vector<Score>& sections);

// A question's mark as the pages show it: "D" right, "Y" wrong, "B" blank.
QChar answerMark(const GeneratedTest& test, qsizetype question, QChar answer);

// One question of a pupil's answers, for the per-pupil view.
struct AnsweredQuestion {
    int question = 0; // 1-based
    QChar answer;     // as given, "-" for blank
    QChar key;
    QChar mark; // D, Y or B
};
std::vector<AnsweredQuestion> answeredQuestions(const GeneratedTest& test, const QString& answers);
