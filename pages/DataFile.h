#pragma once

#include "core/DataRecord.h"

#include <QStringList>
#include <QtGlobal>
#include <vector>

// The question data file: an XML file with root "ICERIK" and one "sorular"
// record per question (number, question file, key letter, question count).
// The question page pages through the records; the result page takes the keys
// and the count from them. It is meant to be written in UTF-8, XML's default,
// since it declares no encoding.
//
// records holds one record per question, in question order: exactly
// max(questionCount, 0) of them, else std::invalid_argument is thrown.
// "&", "<" and ">" in the file names and keys are written as entity
// references, so the file stays well-formed and readers get the values back.
// A character XML cannot carry at all (a C0 control other than tab, line feed
// and carriage return, U+FFFE, U+FFFF, a lone surrogate) is written as U+FFFD.
// 6 * N + 3 lines for N questions.
QStringList dataFileLines(qint32 questionCount, const std::vector<DataRecord>& records);
