#include "results/GeneratedTest.h"

#include <QCryptographicHash>
#include <QStringList>

QString sha256OfLines(const QStringList& lines) {
    const QByteArray digest = QCryptographicHash::hash(lines.join(QLatin1Char('\n')).toUtf8(),
                                                       QCryptographicHash::Sha256);
    return QString::fromLatin1(digest.toHex());
}

QString GeneratedTest::identity() const {
    return sha256OfLines({QStringLiteral("dorvana-test/1"), name, stem, QString::number(count),
                          keys, QString::number(optionCount), QString::number(netRule)})
        .left(32);
}
