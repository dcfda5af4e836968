#include "core/LineFile.h"

#include <QStringView>
#include <algorithm>
#include <array>

namespace {

// Code points of the bytes 0x80 to 0x9F; 0 marks a byte the code page leaves undefined.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0,      0,      // 88-8F
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0,      0x0178, // 98-9F
};

// The six bytes of 0xA0 to 0xFF that hold Turkish letters instead of the
// Latin-1 letters of the same number.
struct Turkish {
    unsigned char byte;
    char16_t codePoint;
};
constexpr std::array<Turkish, 6> kTurkish = {{
    {0xD0, 0x011E}, // Ğ
    {0xDD, 0x0130}, // İ
    {0xDE, 0x015E}, // Ş
    {0xF0, 0x011F}, // ğ
    {0xFD, 0x0131}, // ı
    {0xFE, 0x015F}, // ş
}};

// The byte for a code point, or -1 when the code page has none.
int cp1254Byte(char32_t c) {
    if (c < 0x80)
        return int(c);
    if (c >= 0xA0 && c <= 0xFF) {
        for (const Turkish& t : kTurkish) {
            if (t.byte == c)
                return -1; // the Latin-1 letter whose place a Turkish letter took
        }
        return int(c);
    }
    if (c < 0xA0)
        return -1; // C1 controls
    for (const Turkish& t : kTurkish) {
        if (t.codePoint == c)
            return t.byte;
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] != 0 && kHighControls[i] == c)
            return int(0x80 + i);
    }
    return -1;
}

// Walks the text by code point; a lone surrogate is returned as its code unit.
template <typename F> void forEachCodePoint(QStringView text, F&& f) {
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t u = text[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < size &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            f(QChar::surrogateToUcs4(u, text[i + 1].unicode()));
            ++i;
        } else {
            f(char32_t(u));
        }
    }
}

} // namespace

QString decodeCp1254(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char b : bytes) {
        const auto byte = static_cast<unsigned char>(b);
        char16_t c = byte;
        if (byte >= 0x80 && byte < 0xA0 && kHighControls[byte - 0x80] != 0)
            c = kHighControls[byte - 0x80];
        for (const Turkish& t : kTurkish) {
            if (t.byte == byte)
                c = t.codePoint;
        }
        *out++ = QChar(c);
    }
    return text;
}

bool cp1254CanHold(char32_t codePoint) {
    return cp1254Byte(codePoint) >= 0;
}

std::optional<char32_t> firstCharOutsideCp1254(const QString& text) {
    std::optional<char32_t> found;
    forEachCodePoint(text, [&](char32_t c) {
        if (!found && !cp1254CanHold(c))
            found = c;
    });
    return found;
}

QByteArray encodeCp1254Lines(const QStringList& lines) {
    // One byte per code unit is the usual case; references grow the buffer.
    qsizetype size = 0;
    for (const QString& line : lines)
        size += line.size() + 2;
    QByteArray out(size, Qt::Uninitialized);
    char* data = out.data();
    qsizetype pos = 0;
    auto reserve = [&](qsizetype more) {
        if (pos + more > out.size()) {
            out.resize(std::max(out.size() * 2, pos + more));
            data = out.data();
        }
    };
    for (const QString& line : lines) {
        reserve(line.size() + 2);
        const char16_t* text = reinterpret_cast<const char16_t*>(line.constData());
        for (qsizetype i = 0, n = line.size(); i < n; ++i) {
            const char16_t u = text[i];
            if (u < 0x80) {
                data[pos++] = char(u);
                continue;
            }
            char32_t c = u;
            if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(text[i + 1]))
                c = QChar::surrogateToUcs4(u, text[++i]);
            const int byte = cp1254Byte(c);
            if (byte >= 0) {
                data[pos++] = char(byte);
            } else {
                const QByteArray reference = "&#" + QByteArray::number(uint(c)) + ';';
                reserve(reference.size() + (n - i) + 2);
                std::copy(reference.cbegin(), reference.cend(), data + pos);
                pos += reference.size();
            }
        }
        data[pos++] = '\r';
        data[pos++] = '\n';
    }
    out.truncate(pos);
    return out;
}

QByteArray encodeUtf8Lines(const QStringList& lines) {
    QByteArray out;
    for (const QString& line : lines) {
        QString text = line;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar u = text[i];
            if (u.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                ++i;
            else if (u.isSurrogate())
                text[i] = QChar::ReplacementCharacter;
        }
        out.append(text.toUtf8());
        out.append("\r\n");
    }
    return out;
}
