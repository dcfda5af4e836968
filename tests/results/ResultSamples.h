#pragma once

// Result files and codes made the way the single page makes them, for tests
// and benchmarks of the reader. Written here from the published format, not
// with the reader's own helpers, so that the two check each other.

#include "results/GeneratedTest.h"
#include "results/ResultInput.h"

#include <QCryptographicHash>
#include <QStringList>

namespace samples {

// Five questions, four options, three wrong cancel one right.
inline GeneratedTest exampleTest() {
    GeneratedTest test;
    test.name = QStringLiteral("Deneme");
    test.stem = QStringLiteral("dn");
    test.count = 5;
    test.keys = QStringLiteral("ABCDA");
    test.optionCount = 4;
    test.netRule = 3;
    test.generatedAt = QDateTime(QDate(2026, 12, 8), QTime(9, 30, 0));
    // As stored by an earlier version, before the identity covered the questions.
    test.identity = QStringLiteral("345e7765a0f00d1c479b509e43b05fd2");
    return test;
}

inline QString sha256Hex(const QStringList& lines, int digits) {
    return QString::fromLatin1(
        QCryptographicHash::hash(lines.join(u'\n').toUtf8(), QCryptographicHash::Sha256)
            .toHex()
            .left(digits));
}

inline PupilResult result(const QString& test, const QString& name, const QString& answers,
                          const QString& start = QStringLiteral("2026-12-09T10:15:02"),
                          const QString& finish = QStringLiteral("2026-12-09T10:40:13")) {
    PupilResult r{test, QString(), name, answers, start, finish, 1, QString()};
    r.check = sha256Hex({QStringLiteral("dvsonuc/1"), test, name, answers, start, finish}, 16);
    return r;
}

// The same result as a retake, as today's page writes it (version 2).
inline PupilResult retake(PupilResult r, int attempt) {
    r.attempt = attempt;
    r.check = sha256Hex({QStringLiteral("dvsonuc/2"), r.test, r.name, r.answers, r.start, r.finish,
                         QString::number(attempt)},
                        16);
    return r;
}

inline QString jsonString(const QString& text) {
    QString out = QStringLiteral("\"");
    for (QChar c : text) {
        if (c == u'"' || c == u'\\')
            out += u'\\' + QString(c);
        else if (c.unicode() < 0x20)
            out += QStringLiteral("\\u%1").arg(int(c.unicode()), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + u'"';
}

// The file's bytes, keys in the published order.
inline QByteArray fileBytes(const PupilResult& r, const QString& testName) {
    const QString json =
        QStringLiteral("{\"format\":\"dvsonuc\",\"version\":1,\"test\":") + jsonString(r.test) +
        QStringLiteral(",\"testName\":") + jsonString(testName) + QStringLiteral(",\"name\":") +
        jsonString(r.name) + QStringLiteral(",\"answers\":") + jsonString(r.answers) +
        QStringLiteral(",\"start\":") + jsonString(r.start) + QStringLiteral(",\"finish\":") +
        jsonString(r.finish) + QStringLiteral(",\"check\":") + jsonString(r.check) + u'}';
    return json.toUtf8();
}

// A result on booklet `booklet` as today's page writes it (version 3).
inline QByteArray bookletFileBytes(PupilResult r, const QString& booklet, const QString& testName) {
    r.check = sha256Hex({QStringLiteral("dvsonuc/3"), r.test, booklet, r.name, r.answers, r.start,
                         r.finish, QString::number(r.attempt)},
                        16);
    const QString json =
        QStringLiteral("{\"format\":\"dvsonuc\",\"version\":3,\"test\":") + jsonString(r.test) +
        QStringLiteral(",\"testName\":") + jsonString(testName) + QStringLiteral(",\"booklet\":") +
        jsonString(booklet) + QStringLiteral(",\"name\":") + jsonString(r.name) +
        QStringLiteral(",\"answers\":") + jsonString(r.answers) + QStringLiteral(",\"start\":") +
        jsonString(r.start) + QStringLiteral(",\"finish\":") + jsonString(r.finish) +
        QStringLiteral(",\"attempt\":") + QString::number(r.attempt) +
        QStringLiteral(",\"check\":") + jsonString(r.check) + u'}';
    return json.toUtf8();
}

// retake as "DV2" with its attempt.
inline QString code(const PupilResult& r) {
    static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";
    QStringList lines{r.test, r.name, r.answers, r.start, r.finish};
    if (r.attempt > 1)
        lines << QString::number(r.attempt);
    const QByteArray payload = (lines << r.check).join(u'\n').toUtf8();
    QString text = r.attempt > 1 ? QStringLiteral("DV2") : QStringLiteral("DV1");
    quint64 buffer = 0;
    int bits = 0;
    for (char byte : payload) {
        buffer = (buffer << 8) | quint8(byte);
        bits += 8;
        while (bits >= 5) {
            bits -= 5;
            text += QLatin1Char(alphabet[(buffer >> bits) & 31]);
        }
    }
    if (bits > 0)
        text += QLatin1Char(alphabet[(buffer << (5 - bits)) & 31]);
    QStringList groups;
    for (qsizetype i = 0; i < text.size(); i += 5)
        groups << text.mid(i, 5);
    return groups.join(u' ');
}

} // namespace samples
