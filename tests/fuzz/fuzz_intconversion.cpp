// Whole-number conversion on any text: either a value, which must be the one
// an independent reading of the rules gives, or exactly the "not a valid
// integer value" error, when the rules give none.

#include "FuzzSupport.h"
#include "core/AppError.h"
#include "core/IntConversion.h"

#include <optional>
#include <string>

namespace {

// The rules, read a second way: cut the text into blanks, sign, prefix and
// digits, then judge the digits by their count and value after the leading
// zeros, so no arithmetic can overflow on the way.
std::optional<qint32> referenceValue(const QString& text) {
    const std::u16string s = text.toStdU16String();
    std::size_t i = s.find_first_not_of(u' ');
    if (i == std::u16string::npos)
        return std::nullopt;

    bool negative = false;
    if (s[i] == u'+' || s[i] == u'-')
        negative = s[i++] == u'-';

    unsigned base = 10;
    const std::u16string rest = s.substr(i);
    if (rest.starts_with(u"$") || rest.starts_with(u"x") || rest.starts_with(u"X")) {
        base = 16;
        i += 1;
    } else if (rest.starts_with(u"0x") || rest.starts_with(u"0X")) {
        base = 16;
        i += 2;
    }

    const std::u16string digits = s.substr(i);
    if (digits.empty())
        return std::nullopt;
    const std::u16string allowed = base == 16 ? u"0123456789abcdefABCDEF" : u"0123456789";
    if (digits.find_first_not_of(allowed) != std::u16string::npos)
        return std::nullopt;

    const std::size_t firstSignificant = digits.find_first_not_of(u'0');
    if (firstSignificant == std::u16string::npos)
        return 0;
    const std::u16string significant = digits.substr(firstSignificant);
    // 2147483648 has ten decimal digits, 80000000 has eight hexadecimal ones.
    if (significant.size() > (base == 16 ? 8u : 10u))
        return std::nullopt;
    std::uint64_t magnitude = 0;
    for (const char16_t c : significant) {
        const unsigned d = c <= u'9' ? unsigned(c - u'0') : unsigned((c | 0x20) - u'a' + 10);
        magnitude = magnitude * base + d;
    }
    if (magnitude > (negative ? 0x80000000ull : 0x7FFFFFFFull))
        return std::nullopt;
    return negative ? qint32(-std::int64_t(magnitude)) : qint32(magnitude);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = fuzzText(data, size);
    const std::optional<qint32> expected = referenceValue(text);

    std::optional<qint32> got;
    try {
        got = strToInt(text);
    } catch (const AppError& e) {
        const QString message = u'\'' + text + QStringLiteral("' is not a valid integer value");
        FUZZ_CHECK_MSG(e.text() == message, e.text());
    }
    FUZZ_CHECK_MSG(got == expected,
                   QStringLiteral("text '%1': got %2, expected %3")
                       .arg(text, got ? QString::number(*got) : QStringLiteral("error"),
                            expected ? QString::number(*expected) : QStringLiteral("error")));

    // A value the conversion gives is written back in the plain decimal form
    // it reads again unchanged.
    if (got)
        FUZZ_CHECK(strToInt(QString::number(*got)) == *got);
    return 0;
}
