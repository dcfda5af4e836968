#include "core/TestIdentity.h"

#include <QCryptographicHash>

using namespace Qt::StringLiterals;

QString sha256OfLines(const QStringList& lines) {
    return contentDigest(lines.join(u'\n').toUtf8());
}

QString contentDigest(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

QString testIdentity(const TestIdentityInput& in) {
    QStringList lines{u"dorvana-test/2"_s,
                      in.testName,
                      in.stem,
                      QString::number(in.keys.size()),
                      in.keys,
                      QString::number(in.optionCount),
                      QString::number(in.netRule),
                      QString::number(qMax(in.timeLimitMinutes, 0)),
                      QString::number(in.questionDigests.size())};
    lines += in.questionDigests;
    return sha256OfLines(lines).left(32);
}
