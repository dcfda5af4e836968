#include "results/ClassAnalysis.h"

#include "results/PupilName.h"
#include "results/ResultText.h"

#include <QDate>
#include <QSet>
#include <QStringList>
#include <QTime>

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>

namespace {

// Seconds since an epoch for a validated "YYYY-MM-DDTHH:MM:SS", as a plain
// count on the device's clock (no time zone is involved).
qint64 clockSeconds(const QString& text, bool* ok) {
    const QDate date = QDate::fromString(text.left(10), Qt::ISODate);
    const QTime time = QTime::fromString(text.mid(11), Qt::ISODate);
    *ok = text.size() == 19 && date.isValid() && time.isValid();
    return date.toJulianDay() * 86400 + time.msecsSinceStartOfDay() / 1000;
}

} // namespace

QString ItemStats::markText() const {
    QStringList marks;
    if (tooHard)
        marks << QStringLiteral("çok zor");
    if (weakDiscrimination)
        marks << QStringLiteral("ayırt ediciliği düşük");
    return marks.join(QStringLiteral(", "));
}

qint64 secondsTaken(const QString& start, const QString& finish) {
    bool startOk = false;
    bool finishOk = false;
    const qint64 from = clockSeconds(start, &startOk);
    const qint64 to = clockSeconds(finish, &finishOk);
    if (!startOk || !finishOk || to < from)
        return -1;
    return to - from;
}

std::vector<PupilRow> classRows(const GeneratedTest& test,
                                const std::vector<PupilResult>& results) {
    std::vector<PupilRow> rows;
    rows.reserve(results.size());
    for (const PupilResult& result : results) {
        PupilRow row;
        row.name = result.name;
        row.booklet = result.booklet;
        row.answers = answersInTeacherOrder(test, result.booklet, result.answers.toUpper());
        row.score = scoreAnswers(test, row.answers);
        row.sections = sectionScores(test, row.answers);
        row.weighted = weightedTotal(test, row.sections);
        row.seconds = secondsTaken(result.start, result.finish);
        row.attempt = result.attempt;
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<int> sameNameCounts(const std::vector<PupilRow>& rows) {
    std::map<QString, int> results;
    std::vector<QString> keys;
    keys.reserve(rows.size());
    for (const PupilRow& row : rows) {
        keys.push_back(pupilNameKey(row.name));
        ++results[keys.back()];
    }
    std::vector<int> counts;
    counts.reserve(rows.size());
    for (const QString& key : keys)
        counts.push_back(key.isEmpty() ? 1 : results[key]);
    return counts;
}

std::vector<bool> countedRows(const std::vector<PupilRow>& rows) {
    std::vector<bool> counted(rows.size(), false);
    QSet<QString> seen;
    for (std::size_t i = rows.size(); i-- > 0;) {
        const QString key = pupilNameKey(rows[i].name);
        // Results without a name cannot be told apart: each counts.
        if (key.isEmpty() || !seen.contains(key)) {
            seen.insert(key);
            counted[i] = true;
        }
    }
    return counted;
}

std::vector<PupilRow> onePerPupil(const std::vector<PupilRow>& rows) {
    const std::vector<bool> counted = countedRows(rows);
    std::vector<PupilRow> latest;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (counted[i])
            latest.push_back(rows[i]);
    return latest;
}

ClassSummary summarize(const std::vector<PupilRow>& rows) {
    ClassSummary summary;
    summary.pupils = int(rows.size());
    if (rows.empty())
        return summary;
    std::vector<double> nets;
    nets.reserve(rows.size());
    for (const PupilRow& row : rows)
        nets.push_back(row.score.net);
    std::sort(nets.begin(), nets.end());
    const std::size_t n = nets.size();
    summary.lowest = nets.front();
    summary.highest = nets.back();
    summary.mean = std::accumulate(nets.begin(), nets.end(), 0.0) / double(n);
    summary.median = n % 2 ? nets[n / 2] : (nets[n / 2 - 1] + nets[n / 2]) / 2;
    double squares = 0;
    for (double net : nets)
        squares += (net - summary.mean) * (net - summary.mean);
    summary.standardDeviation = std::sqrt(squares / double(n));
    summary.sectionMeans.assign(rows.front().sections.size(), 0);
    for (const PupilRow& row : rows)
        for (std::size_t s = 0; s < summary.sectionMeans.size() && s < row.sections.size(); ++s)
            summary.sectionMeans[s] += row.sections[s].net / double(n);
    return summary;
}

ItemAnalysis analyseItems(const GeneratedTest& test, const std::vector<PupilRow>& rows) {
    ItemAnalysis analysis;
    const int n = int(rows.size());
    if (n == 0)
        return analysis;
    analysis.groupSize = std::max(1, (27 * n + 50) / 100); // 0.27 · n rounded half up
    const int g = analysis.groupSize;

    std::vector<int> byNet(rows.size());
    std::iota(byNet.begin(), byNet.end(), 0);
    std::stable_sort(byNet.begin(), byNet.end(),
                     [&](int a, int b) { return rows[a].score.net > rows[b].score.net; });
    // A class of one is both groups at once.
    std::vector<bool> upper(rows.size(), false), lower(rows.size(), false);
    for (int i = 0; i < g; ++i) {
        upper[std::size_t(byNet[std::size_t(i)])] = true;
        lower[std::size_t(byNet[std::size_t(n - 1 - i)])] = true;
    }

    const std::vector<int> sectionOf = sectionOfQuestions(test.sections, test.count);
    for (int q = 0; q < test.count; ++q) {
        ItemStats item;
        item.question = q + 1;
        item.section = sectionOf[std::size_t(q)];
        item.key = q < test.keys.size() ? test.keys[q].toUpper() : QChar(u'?');
        int upperRight = 0;
        int lowerRight = 0;
        for (std::size_t p = 0; p < rows.size(); ++p) {
            const QChar answer = q < rows[p].answers.size() ? rows[p].answers[q] : QChar(u'-');
            if (answer == u'-') {
                ++item.blanks;
                continue;
            }
            const int option = answer.unicode() - u'A';
            if (option >= 0 && option < 5)
                ++item.chosen[std::size_t(option)];
            if (answer == item.key) {
                ++item.right;
                upperRight += upper[p];
                lowerRight += lower[p];
            }
        }
        item.difficulty = double(item.right) / n;
        item.discrimination = double(upperRight - lowerRight) / g;
        // Compared in whole numbers, so that exactly 0.20 is never marked by rounding.
        item.tooHard = 5 * item.right < n;
        item.weakDiscrimination = 5 * (upperRight - lowerRight) < g;
        analysis.items.push_back(item);
    }
    return analysis;
}

bool showsBooklet(const GeneratedTest& test) {
    return test.booklets.size() > 1;
}

QStringList sectionColumnTitles(const GeneratedTest& test) {
    QStringList titles;
    if (showsBooklet(test))
        titles << QStringLiteral("Kitapçık");
    for (const Section& section : test.sections)
        titles << section.name + QStringLiteral(" Net");
    if (hasWeights(test.sections))
        titles << QStringLiteral("Ağırlıklı toplam");
    return titles;
}

QStringList sectionColumnTexts(const GeneratedTest& test, const PupilRow& row) {
    QStringList texts;
    if (showsBooklet(test))
        texts << row.booklet;
    for (std::size_t s = 0; s < test.sections.size(); ++s)
        texts << (s < row.sections.size() ? decimalText(row.sections[s].net) : QString());
    if (hasWeights(test.sections))
        texts << decimalText(row.weighted);
    return texts;
}

QList<std::pair<QString, QString>> sectionSummaryLines(const GeneratedTest& test,
                                                       const ClassSummary& summary) {
    QList<std::pair<QString, QString>> lines;
    for (std::size_t s = 0; s < test.sections.size() && s < summary.sectionMeans.size(); ++s)
        lines.append({test.sections[s].name + QStringLiteral(" ortalama net"),
                      decimalText(summary.sectionMeans[s])});
    return lines;
}

std::vector<HistogramBin> netHistogram(const std::vector<PupilRow>& rows) {
    if (rows.empty())
        return {};
    double lowest = rows.front().score.net;
    double highest = lowest;
    for (const PupilRow& row : rows) {
        lowest = std::min(lowest, row.score.net);
        highest = std::max(highest, row.score.net);
    }
    const double from = std::floor(lowest);
    // Up to the whole number above the highest net, so that it has a bar of its own.
    const double span = std::floor(highest) + 1 - from;
    const double width = std::ceil(span / 12);
    const int bins = std::max(1, int(std::ceil(span / width)));
    std::vector<HistogramBin> histogram(static_cast<std::size_t>(bins));
    for (int b = 0; b < bins; ++b)
        histogram[std::size_t(b)] = {from + b * width, from + (b + 1) * width, 0};
    for (const PupilRow& row : rows) {
        int b = int(std::floor((row.score.net - from) / width));
        ++histogram[std::size_t(std::clamp(b, 0, bins - 1))].pupils;
    }
    return histogram;
}
