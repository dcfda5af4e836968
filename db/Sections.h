#pragma once

#include "core/Sections.h"

#include <QString>
#include <QtGlobal>

#include <vector>

class Database;

// Each test name's sections, kept beside its answer key in table bolum
// (testadi, sira: the row's place in the table from 1, ad, ilk, son, katsayi),
// and the sections of a generated test as websinav keeps them: a JSON array
// of {ad, ilk, son, katsayi}, empty text for none.

// The statement that makes table bolum where it is missing.
QString sectionsTableSql();

// The stored sections of a test name in table order; none when it has none.
// Refuses (AppError, Turkish) a stored table this program could not have
// written: more rows than a test may have, a field that is not a number, a
// name beyond the length a table takes.
std::vector<Section> loadSections(Database& db, const QString& testName);

// Replaces the sections of a test name in one transaction, after checkSections
// against `questionCount`: a refused table throws its reason and leaves what
// was stored as it was. No sections removes the test's rows.
void saveSections(Database& db, const QString& testName, const std::vector<Section>& sections,
                  qint32 questionCount);

// The stored form of a generated test's sections, and back. Reading refuses
// (AppError, Turkish) a text over the size a table of kMaxSections takes, one
// that is not such an array, and sections that do not fit `questionCount`.
QString sectionsJson(const std::vector<Section>& sections);
std::vector<Section> parseSectionsJson(const QString& text, qint32 questionCount);
