#include "pages/TestIdentity.h"

#include <QCryptographicHash>
#include <QStringList>

using namespace Qt::StringLiterals;

QString testIdentity(const TestIdentityInput& in) {
    const QStringList lines{u"dorvana-test/1"_s,
                            in.testName,
                            in.stem,
                            QString::number(in.keys.size()),
                            in.keys,
                            QString::number(in.optionCount),
                            QString::number(in.netRule)};
    const QByteArray digest =
        QCryptographicHash::hash(lines.join(u'\n').toUtf8(), QCryptographicHash::Sha256);
    return QString::fromLatin1(digest.toHex().left(32));
}
