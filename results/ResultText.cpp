#include "results/ResultText.h"

#include <cmath>

QString decimalText(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    double rounded = std::round(value * scale) / scale;
    if (rounded == 0)
        rounded = 0; // drops the sign of -0
    QString text = QString::number(rounded, 'f', decimals);
    text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}

QString durationText(qint64 seconds) {
    if (seconds < 0)
        return {};
    const qint64 hours = seconds / 3600;
    const qint64 minutes = seconds / 60 % 60;
    const qint64 rest = seconds % 60;
    const auto two = [](qint64 v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    return two(hours) + u':' + two(minutes) + u':' + two(rest);
}

QString durationTitle() {
    return QStringLiteral("Süre (sa:dk:sn)");
}

QString minutesText(qint64 seconds) {
    if (seconds < 0)
        return {};
    return QStringLiteral("%1:%2")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString minutesTitle() {
    return QStringLiteral("Süre (dk:sn)");
}

QString shownName(const QString& name) {
    return name.trimmed().isEmpty() ? QStringLiteral("(adsız)") : name;
}
