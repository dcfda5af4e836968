#include "core/IntConversion.h"

#include "core/AppError.h"

#include <limits>

namespace {

int digitValue(QChar c, int base) {
    const char16_t u = c.unicode();
    int v = -1;
    if (u >= u'0' && u <= u'9')
        v = u - u'0';
    else if (base == 16 && u >= u'a' && u <= u'f')
        v = u - u'a' + 10;
    else if (base == 16 && u >= u'A' && u <= u'F')
        v = u - u'A' + 10;
    return v < base ? v : -1;
}

} // namespace

qint32 strToInt(const QString& text) {
    const auto fail = [&text]() -> AppError {
        return AppError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    };

    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text.at(i) == u' ')
        ++i;

    bool negative = false;
    if (i < n && (text.at(i) == u'-' || text.at(i) == u'+')) {
        negative = text.at(i) == u'-';
        ++i;
    }

    int base = 10;
    if (i < n && text.at(i) == u'$') {
        base = 16;
        ++i;
    } else if (i < n && (text.at(i) == u'x' || text.at(i) == u'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < n && text.at(i) == u'0' &&
               (text.at(i + 1) == u'x' || text.at(i + 1) == u'X')) {
        base = 16;
        i += 2;
    }

    if (i >= n)
        throw fail();

    // Accumulate the magnitude; the negative range is one larger than the positive.
    const qint64 limit = negative ? qint64(std::numeric_limits<qint32>::max()) + 1
                                  : qint64(std::numeric_limits<qint32>::max());
    qint64 magnitude = 0;
    for (; i < n; ++i) {
        const int d = digitValue(text.at(i), base);
        if (d < 0)
            throw fail();
        magnitude = magnitude * base + d;
        if (magnitude > limit)
            throw fail();
    }
    return static_cast<qint32>(negative ? -magnitude : magnitude);
}
