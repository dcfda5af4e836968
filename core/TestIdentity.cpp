#include "core/TestIdentity.h"

#include <QCryptographicHash>

using namespace Qt::StringLiterals;

QString sha256OfLines(const QStringList& lines) {
    const QByteArray digest =
        QCryptographicHash::hash(lines.join(u'\n').toUtf8(), QCryptographicHash::Sha256);
    return QString::fromLatin1(digest.toHex());
}

QString testIdentity(const TestIdentityInput& in) {
    return sha256OfLines({u"dorvana-test/1"_s, in.testName, in.stem,
                          QString::number(in.keys.size()), in.keys, QString::number(in.optionCount),
                          QString::number(in.netRule)})
        .left(32);
}
