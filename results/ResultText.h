#pragma once

#include <QString>
#include <QtGlobal>

// How numbers of the class results are written for a Turkish reader: a
// decimal comma, a fixed number of decimals, no thousands separator, and
// never "-0,00".
QString decimalText(double value, int decimals = 2);

// A duration in seconds as hours, minutes and seconds ("00:25:11", "01:05:09";
// more hour digits from 100 hours on), which spreadsheets read as a duration;
// empty for an unknown one (negative). Its title with the unit is durationTitle().
QString durationText(qint64 seconds);
QString durationTitle();
