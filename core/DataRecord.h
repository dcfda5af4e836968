#pragma once

#include <QString>

// One record of the question data file: the question's saved page and its correct letter.
struct DataRecord {
    QString file;
    QString key;
};
