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
        const QChar answer = answers[i];
        if (answer == u'-')
            ++score.blank;
        else if (i >= test.keys.size() || answer.toUpper() != test.keys[i].toUpper())
            ++score.wrong;
    }
    score.correct = test.count - score.wrong - score.blank;
    score.net = netScore(score.correct, score.wrong, test.netRule);
    return score;
}
