#pragma once

#include "results/ClassList.h"

#include <QString>
#include <QStringList>

#include <vector>

class Database;

// The class lists, kept by class name in table sinif (sinifadi, sira: the
// pupil's place in the list from 1, no, ad).

constexpr int kMaxClassName = 40;

// The statement that makes table sinif where it is missing.
QString classListsTableSql();

// Replaces the list of the class in one transaction; the other classes keep
// theirs. The name is stored trimmed; an empty one, one over kMaxClassName
// characters or one holding a control character is refused (AppError,
// Turkish) before anything changes.
void storeClassList(Database& db, const QString& className,
                    const std::vector<ClassMember>& members);

// The stored list of the class in its order; empty for a class not stored.
// Refuses (AppError, Turkish) rows this program could not have written.
std::vector<ClassMember> classList(Database& db, const QString& className);

// The names of the stored classes, sorted as Turkish sorts them ("9-A"
// before "10-A", "Ç" after "C").
QStringList classNames(Database& db);
