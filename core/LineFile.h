#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// Output files are built as lists of lines and written whole: every line, the
// last one included, is followed by carriage return and line feed.

// True when the Windows-1254 code page has a byte for the code point. The
// C1 controls that the code page leaves undefined (U+0081, U+008D, U+008E,
// U+008F, U+0090, U+009D, U+009E) count as not held, and so does every other
// C1 control, since their bytes stand for other characters in this code page.
bool cp1254CanHold(char32_t codePoint);

// The first code point of the text that Windows-1254 cannot hold (a lone
// surrogate counts as its own code unit), or nothing when the whole text fits.
std::optional<char32_t> firstCharOutsideCp1254(const QString& text);

// The lines in Windows-1254 bytes. A character the code page cannot hold is
// written as the numeric character reference "&#NNNN;" of its code point
// (decimal), so that the page still shows it; nothing is replaced by "?" or
// dropped.
QByteArray encodeCp1254Lines(const QStringList& lines);

// Windows-1254 bytes as text. The bytes the code page leaves undefined come
// out as the C1 control of the same number, as Windows decodes them, so that
// a reader's check for control characters refuses them rather than letting
// them pass as letters.
QString decodeCp1254(QByteArrayView bytes);

// The lines in UTF-8, without a byte-order mark. A lone surrogate, which
// UTF-8 cannot carry, is written as U+FFFD.
QByteArray encodeUtf8Lines(const QStringList& lines);
