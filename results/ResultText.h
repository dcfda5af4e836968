#pragma once

#include <QString>
#include <QtGlobal>

// How numbers of the class results are written for a Turkish reader: a
// decimal comma, a fixed number of decimals, no thousands separator, and
// never "-0,00".
QString decimalText(double value, int decimals = 2);

// A duration in seconds as "m:ss", or "h:mm:ss" from an hour on; empty for
// an unknown one (negative).
QString durationText(qint64 seconds);
