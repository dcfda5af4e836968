#include "forms/FormCode.h"

#include <QStringList>

namespace {
const QString kPrefix = QStringLiteral("DVF");
const QChar kSeparator = u';';

bool isIdentity(const QString& text) {
    if (text.isEmpty() || text.size() > 64)
        return false;
    for (const QChar c : text)
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f')))
            return false;
    return true;
}
} // namespace

QString formCodeText(const FormCode& code) {
    QStringList parts{kPrefix, QString::number(code.layoutVersion), code.identity.toLower()};
    if (!code.pupilNumber.isEmpty())
        parts.append(code.pupilNumber);
    return parts.join(kSeparator);
}

std::optional<FormCode> parseFormCode(const QString& text) {
    const QStringList parts = text.trimmed().split(kSeparator);
    if (parts.size() < 3 || parts.size() > 4 || parts[0] != kPrefix)
        return std::nullopt;
    bool ok = false;
    FormCode code;
    code.layoutVersion = parts[1].toInt(&ok);
    if (!ok || code.layoutVersion < 1 || !isIdentity(parts[2]))
        return std::nullopt;
    code.identity = parts[2];
    if (parts.size() == 4) {
        if (parts[3].isEmpty() || parts[3].size() > kMaxPupilNumber)
            return std::nullopt;
        code.pupilNumber = parts[3];
    }
    return code;
}
