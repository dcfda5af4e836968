#include "core/Booklets.h"

#include "core/AppError.h"

#include <QCryptographicHash>
#include <QStringList>

#include <algorithm>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

// splitmix64: the same numbers on every platform and compiler, unlike the
// standard library's distributions.
struct Draw {
    quint64 state;
    quint64 next() {
        quint64 z = (state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
};

quint64 seedOf(const QString& identity, QChar letter) {
    const QByteArray digest =
        QCryptographicHash::hash((u"dorvana-kitapcik/1\n"_s + identity + u'\n' + letter).toUtf8(),
                                 QCryptographicHash::Sha256);
    quint64 seed = 0;
    for (int i = 0; i < 8; ++i)
        seed = (seed << 8) | quint8(digest[i]);
    return seed;
}

// Runs of questions shuffled together: each section, or the whole test.
std::vector<std::pair<qint32, qint32>> shuffledRuns(const std::vector<Section>& sections,
                                                    qint32 count) {
    std::vector<std::pair<qint32, qint32>> runs;
    if (sections.empty())
        runs.emplace_back(1, count);
    for (const Section& s : sections)
        runs.emplace_back(qMax(s.first, 1), qMin(s.last, count));
    return runs;
}

} // namespace

bool isBookletCount(qint32 count) {
    return count == 1 || count == 2 || count == 4;
}

QString bookletLetters(qint32 count) {
    return u"ABCD"_s.left(isBookletCount(count) ? count : 1);
}

std::vector<qint32> teacherOrder(qint32 questionCount) {
    std::vector<qint32> order(std::size_t(qMax(questionCount, 0)));
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = qint32(i + 1);
    return order;
}

std::vector<BookletOrder> bookletOrders(const QString& testIdentity, qint32 questionCount,
                                        const std::vector<Section>& sections, qint32 bookletCount) {
    const QString letters = bookletLetters(bookletCount);
    std::vector<BookletOrder> booklets;
    booklets.push_back({u'A', teacherOrder(questionCount)});
    for (qsizetype b = 1; b < letters.size(); ++b) {
        const QChar letter = letters[b];
        Draw draw{seedOf(testIdentity, letter)};
        std::vector<qint32> order = teacherOrder(questionCount);
        for (const auto& [first, last] : shuffledRuns(sections, questionCount)) {
            const auto begin = order.begin() + (first - 1);
            const auto end = order.begin() + last;
            if (last - first < 1)
                continue;
            // A few draws until this run differs from every earlier booklet's
            // (a run of two questions has only two orders for four booklets).
            for (int attempt = 0; attempt < 8; ++attempt) {
                for (qint32 i = last - first; i > 0; --i)
                    std::iter_swap(begin + i, begin + qint32(draw.next() % quint64(i + 1)));
                const bool seen =
                    std::any_of(booklets.begin(), booklets.end(), [&](const BookletOrder& earlier) {
                        return std::equal(begin, end, earlier.order.begin() + (first - 1));
                    });
                if (!seen)
                    break;
            }
        }
        booklets.push_back({letter, std::move(order)});
    }
    return booklets;
}

bool isQuestionOrder(const std::vector<qint32>& order, qint32 questionCount) {
    if (qint64(order.size()) != qint64(questionCount))
        return false;
    std::vector<bool> seen(order.size());
    for (qint32 q : order) {
        if (q < 1 || q > questionCount || seen[std::size_t(q - 1)])
            return false;
        seen[std::size_t(q - 1)] = true;
    }
    return true;
}

QString toTeacherOrder(const std::vector<qint32>& order, const QString& bookletAnswers) {
    QString teacher(bookletAnswers.size(), u'-');
    for (std::size_t p = 0; p < order.size() && qsizetype(p) < bookletAnswers.size(); ++p)
        teacher[order[p] - 1] = bookletAnswers[qsizetype(p)];
    return teacher;
}

QString bookletOrdersText(const std::vector<BookletOrder>& booklets) {
    QStringList parts;
    for (const BookletOrder& b : booklets) {
        QStringList numbers;
        numbers.reserve(qsizetype(b.order.size()));
        for (qint32 q : b.order)
            numbers << QString::number(q);
        parts << QString(b.letter) + u':' + numbers.join(u',');
    }
    return parts.join(u';');
}

std::vector<BookletOrder> parseBookletOrders(const QString& text, qint32 questionCount) {
    const AppError damaged(u"Testin kayıtlı kitapçık sıraları bozuk."_s);
    std::vector<BookletOrder> booklets;
    const QStringList parts = text.split(u';');
    if (!isBookletCount(qint32(parts.size())))
        throw damaged;
    for (qsizetype b = 0; b < parts.size(); ++b) {
        const QString& part = parts[b];
        if (part.size() < 2 || part[0] != QChar(char16_t(u'A' + b)) || part[1] != u':')
            throw damaged;
        BookletOrder booklet{part[0], {}};
        const QStringList numbers = part.mid(2).split(u',');
        booklet.order.reserve(std::size_t(numbers.size()));
        for (const QString& n : numbers) {
            bool ok = false;
            booklet.order.push_back(n.toInt(&ok));
            if (!ok)
                throw damaged;
        }
        if (!isQuestionOrder(booklet.order, questionCount))
            throw damaged;
        booklets.push_back(std::move(booklet));
    }
    return booklets;
}
