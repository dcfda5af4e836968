#pragma once

// Shared pieces of the fuzz targets: the check that stops on a broken
// property, and a reader that cuts the raw input into counts and texts.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Set by the replay driver to name the input being run, so that a failing
// check says which input broke it; libFuzzer saves the input itself.
inline const char* g_fuzzInputName = nullptr;

[[noreturn]] inline void fuzzFail(const char* what, const char* file, int line,
                                  const QString& detail) {
    std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", file, line, what);
    if (!detail.isEmpty())
        std::fprintf(stderr, "  %s\n", detail.toUtf8().constData());
    if (g_fuzzInputName)
        std::fprintf(stderr, "  input: %s\n", g_fuzzInputName);
    std::abort();
}

#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond))                                                                               \
            fuzzFail(#cond, __FILE__, __LINE__, QString());                                        \
    } while (0)

#define FUZZ_CHECK_MSG(cond, detail)                                                               \
    do {                                                                                           \
        if (!(cond))                                                                               \
            fuzzFail(#cond, __FILE__, __LINE__, (detail));                                         \
    } while (0)

// Text from raw bytes. A piece that starts with byte 0xFE is read as UTF-16
// code units (little-endian, an odd last byte dropped), so lone surrogates and
// any other code unit can be reached; any other piece is read as UTF-8, whose
// invalid sequences become U+FFFD.
inline QString fuzzText(const std::uint8_t* data, std::size_t size) {
    if (size > 0 && data[0] == 0xFE) {
        QString text;
        for (std::size_t i = 1; i + 1 < size; i += 2)
            text.append(QChar(char16_t(data[i] | (data[i + 1] << 8))));
        return text;
    }
    return QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Cuts an input into a few leading count bytes and then texts separated by
// byte 0xFF (a byte UTF-8 never uses, and rare as a UTF-16 byte).
class FuzzFields {
public:
    FuzzFields(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    // The next leading byte, 0 once the input is used up.
    std::uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }

    // The next text up to the separator, empty once the input is used up.
    QString text() {
        const std::size_t start = m_pos;
        while (m_pos < m_size && m_data[m_pos] != 0xFF)
            ++m_pos;
        const QString t = fuzzText(m_data + start, m_pos - start);
        if (m_pos < m_size)
            ++m_pos; // the separator
        return t;
    }

    bool atEnd() const { return m_pos >= m_size; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};
