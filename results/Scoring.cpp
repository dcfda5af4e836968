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

const std::vector<qint32>* bookletOrderOf(const GeneratedTest& test, const QString& letter) {
    for (const BookletOrder& b : test.booklets)
        if (letter.size() == 1 && b.letter == letter[0])
            return &b.order;
    return nullptr;
}

QString answersInTeacherOrder(const GeneratedTest& test, const QString& booklet,
                              const QString& answers) {
    if (booklet == QStringLiteral("A") && test.booklets.empty())
        return answers;
    const std::vector<qint32>* order = bookletOrderOf(test, booklet);
    if (!order)
        throw AppError(QStringLiteral("bu testin \"%1\" kitapçığı yok").arg(booklet));
    return toTeacherOrder(*order, answers);
}

std::vector<Score> sectionScores(const GeneratedTest& test, const QString& answers) {
    std::vector<Score> scores(test.sections.size());
    for (std::size_t s = 0; s < test.sections.size(); ++s) {
        Score& score = scores[s];
        const Section& section = test.sections[s];
        for (qint32 q = section.first; q <= section.last && q <= answers.size(); ++q) {
            const QChar mark = answerMark(test, q - 1, answers[q - 1]);
            if (mark == u'B')
                ++score.blank;
            else if (mark == u'Y')
                ++score.wrong;
            else
                ++score.correct;
        }
        score.net = netScore(score.correct, score.wrong, test.netRule);
    }
    return scores;
}

double weightedTotal(const GeneratedTest& test, const std::vector<Score>& sections) {
    double total = 0;
    for (std::size_t s = 0; s < sections.size() && s < test.sections.size(); ++s)
        total += test.sections[s].weight * sections[s].net;
    return total;
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
