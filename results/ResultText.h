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

// The same duration as the window shows it: minutes and seconds ("25:11",
// "75:02" past the hour), empty for an unknown one. Title: minutesTitle().
QString minutesText(qint64 seconds);
QString minutesTitle();

// A pupil's name as lists show it: "(adsız)" for a result without a name.
QString shownName(const QString& name);
