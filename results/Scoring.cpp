#include "results/Scoring.h"

#include "core/AppError.h"
#include "core/TestRules.h"

void checkAnswersFit(const GeneratedTest& test, const QString& answers) {
    if (answers.size() != test.count)
        throw AppError(QStringLiteral("cevap sayısı (%1) testin soru sayısına (%2) uymuyor")
                           .arg(answers.size())
                           .arg(test.count));
    for (qsizetype i = 0; i < answers.size(); ++i) {
        if (answers[i] != u'-' && !isOptionLetter(answers[i], test.optionCount))
            throw AppError(QStringLiteral("%1. sorunun cevabı \"%2\" bu testin seçeneklerinden "
                                          "değil")
                               .arg(i + 1)
                               .arg(answers[i]));
    }
}

Score scoreAnswers(const GeneratedTest& test, const QString& answers) {
    Score score;
    for (qsizetype i = 0; i < answers.size(); ++i) {
        const QChar mark = answerMark(test, i, answers[i]);
        if (mark == u'B')
            ++score.blank;
        else if (mark == u'Y')
            ++score.wrong;
    }
    score.correct = test.count - score.wrong - score.blank;
    score.net = netScore(score.correct, score.wrong, test.netRule);
    return score;
}

QChar answerMark(const GeneratedTest& test, qsizetype question, QChar answer) {
    if (answer == u'-')
        return u'B';
    if (question >= test.keys.size() || answer.toUpper() != test.keys[question].toUpper())
        return u'Y';
    return u'D';
}

std::vector<AnsweredQuestion> answeredQuestions(const GeneratedTest& test, const QString& answers) {
    std::vector<AnsweredQuestion> questions;
    questions.reserve(std::size_t(answers.size()));
    for (qsizetype i = 0; i < answers.size(); ++i)
        questions.push_back({int(i + 1), answers[i].toUpper(),
                             i < test.keys.size() ? test.keys[i].toUpper() : QChar(u'?'),
                             answerMark(test, i, answers[i])});
    return questions;
}
