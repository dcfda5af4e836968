#pragma once

#include <QString>
#include <QtGlobal>

// Converts a field's text to a signed 32-bit whole number.
// Blanks before the number are skipped; an optional "-" or "+" follows; the
// prefixes "$", "x", "X", "0x" and "0X" make the rest hexadecimal. Anything
// else (empty text, a trailing blank, another character, a value outside the
// 32-bit range) throws AppError "'<text>' is not a valid integer value".
qint32 strToInt(const QString& text);
