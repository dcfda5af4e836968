#pragma once

#include <QString>
#include <QtGlobal>

#include <vector>

// One subject of a practice exam ("Türkçe 1–40"): a run of questions scored
// with its own net. Questions in no section count only in the totals.
struct Section {
    QString name;
    qint32 first = 1;  // first question, 1-based
    qint32 last = 1;   // last question, inclusive
    double weight = 1; // "Katsayı": the section net's weight in the weighted total

    bool operator==(const Section&) const = default;
};

// The longest section name a table takes.
inline constexpr int kMaxSectionName = 40;
// The most sections a test has.
inline constexpr int kMaxSections = 50;

// Throws AppError with the Turkish reason when the table cannot belong to a
// test of `questionCount` questions: an empty or too long name, two sections of
// the same name, a first or last question outside 1..count, a first after its
// last, a weight that is not above 0 (or above 100), two sections sharing a
// question. Rows are named by their 1-based place in the table.
void checkSections(const std::vector<Section>& sections, qint32 questionCount);

// For each question 1..count (index question − 1) the index of its section in
// `sections`, or -1. The sections must have passed checkSections.
std::vector<int> sectionOfQuestions(const std::vector<Section>& sections, qint32 questionCount);

// Whether any weight differs from 1: only then a weighted total is shown.
bool hasWeights(const std::vector<Section>& sections);

// A weight as the teacher reads and types it: "1", "1,5", "0,25".
QString weightText(double weight);
// Reads "1,5" or "1.5"; false when the text is not a number.
bool parseWeight(const QString& text, double& weight);
