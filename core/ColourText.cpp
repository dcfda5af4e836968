#include "core/ColourText.h"

QString colourText(ColourValue value) {
    const auto part = [](ColourValue v) {
        return QStringLiteral("%1").arg(v & 0xFFu, 2, 16, QLatin1Char('0')).toUpper();
    };
    return QLatin1Char('#') + part(value) + part(value >> 8) + part(value >> 16);
}
