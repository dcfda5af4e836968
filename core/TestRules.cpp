#include "core/TestRules.h"

#include <algorithm>
#include <cmath>

qint32 effectiveOptionCount(qint32 typed) {
    return std::clamp(typed, 2, 5);
}

QString optionLetters(qint32 typed) {
    return QStringLiteral("ABCDE").left(effectiveOptionCount(typed));
}

bool isOptionLetter(QChar letter, qint32 typed) {
    const char16_t c = letter.toUpper().unicode();
    return c >= u'A' && c < u'A' + effectiveOptionCount(typed);
}

qint32 effectiveNetRule(qint32 rule) {
    return rule == 4 || rule == 0 ? rule : 3;
}

double netScore(int right, int wrong, qint32 rule) {
    const qint32 r = effectiveNetRule(rule);
    return r > 0 ? right - double(wrong) / r : double(right);
}

QString netText(double net) {
    // Math.round in the page: the nearest whole number, halves upwards.
    double cents = std::floor(net * 100 + 0.5);
    if (cents == 0)
        cents = 0; // drops the sign of -0
    QString text = QString::number(cents / 100, 'f', 2);
    text.replace(u'.', u',');
    return text;
}
