#pragma once

#include "results/GeneratedTest.h"
#include "results/ResultInput.h"
#include "results/Scoring.h"

#include <QStringList>

#include <array>
#include <vector>

// One row of the class table, scored from the test's stored key.
struct PupilRow {
    QString name;
    QString answers; // upper-cased, in the teacher's order whatever the booklet
    Score score;
    QString booklet;             // the booklet the pupil answered, "A" to "D"
    std::vector<Score> sections; // one per section of the test, in its table's order
    double weighted = 0;         // weight × net summed over the sections
    qint64 seconds = -1;         // finish − start, -1 when the clock went backwards
    int attempt = 1;             // the pupil's attempt on that browser
};

// Rows in the order of `results`, which must fit the test (checkAnswersFit),
// each mapped back to the teacher's order through its booklet (AppError for
// a booklet the test does not have).
std::vector<PupilRow> classRows(const GeneratedTest& test, const std::vector<PupilResult>& results);

// The rows the statistics count: one per pupil, the last added result of
// each name (names compared by pupilNameKey), in the order of `rows`. Rows
// without a name are all kept, as nothing tells their pupils apart.
std::vector<PupilRow> onePerPupil(const std::vector<PupilRow>& rows);
// For each row, whether onePerPupil keeps it.
std::vector<bool> countedRows(const std::vector<PupilRow>& rows);
// For each row, how many rows hold a result of the same pupil (itself
// included; 1 for a row without a name), so that repeats can be shown.
std::vector<int> sameNameCounts(const std::vector<PupilRow>& rows);

// Seconds from start to finish (both "YYYY-MM-DDTHH:MM:SS" on the same
// device clock), or -1 when finish lies before start or a time is unreadable.
qint64 secondsTaken(const QString& start, const QString& finish);

// Nets of the class. The standard deviation is that of the population (the
// class is the whole group, so the sum of squares is divided by n).
struct ClassSummary {
    int pupils = 0;
    double mean = 0;
    double median = 0;
    double standardDeviation = 0;
    double lowest = 0;
    double highest = 0;
    std::vector<double> sectionMeans; // each section's mean net, in table order
};
ClassSummary summarize(const std::vector<PupilRow>& rows);

// Item analysis of one question. Difficulty is the share of the class that
// answered right; discrimination is (right in the upper group − right in the
// lower group) / group size, the groups being the top and bottom 27 % by net.
struct ItemStats {
    int question = 0; // 1-based, in the teacher's order
    int section = -1; // index of its section in the test's table, -1 for none
    QChar key;
    int right = 0;
    double difficulty = 0;
    double discrimination = 0;
    std::array<int, 5> chosen{}; // pupils choosing A to E
    int blanks = 0;
    bool tooHard = false;            // difficulty < 0.20
    bool weakDiscrimination = false; // discrimination < 0.20
    bool marked() const { return tooHard || weakDiscrimination; }

    // "çok zor", "ayırt ediciliği düşük", both or nothing.
    QString markText() const;
};

struct ItemAnalysis {
    // max(1, round(0.27 · n)); pupils tied on net at a group's border are
    // taken in the order their results were added, so each group holds
    // exactly this many pupils.
    int groupSize = 0;
    std::vector<ItemStats> items;
};
ItemAnalysis analyseItems(const GeneratedTest& test, const std::vector<PupilRow>& rows);

// What the sections and booklets add to the class table, after the net, in
// the window, the CSV and the printed report alike: "Kitapçık" when the test
// has more than one booklet, "<Bölüm adı> Net" for each section, and
// "Ağırlıklı toplam" when a weight differs from 1.
bool showsBooklet(const GeneratedTest& test);
QStringList sectionColumnTitles(const GeneratedTest& test);
// The row's values for those columns (booklet first when shown), as shown.
QStringList sectionColumnTexts(const GeneratedTest& test, const PupilRow& row);
// The summary's lines for the sections: "<Bölüm adı> ortalama net" and its value.
QList<std::pair<QString, QString>> sectionSummaryLines(const GeneratedTest& test,
                                                       const ClassSummary& summary);

// Bars of the nets' histogram: bins [from, to) of a whole-number width,
// from the whole number at or below the lowest net to the one above the
// highest, at most twelve of them.
struct HistogramBin {
    double from = 0;
    double to = 0;
    int pupils = 0;
};
std::vector<HistogramBin> netHistogram(const std::vector<PupilRow>& rows);
