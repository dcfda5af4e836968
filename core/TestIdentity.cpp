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
    if (!in.sections.empty() || in.bookletCount != 1) {
        lines[0] = u"dorvana-test/3"_s;
        lines << QString::number(in.bookletCount) << QString::number(in.sections.size());
        for (const Section& s : in.sections)
            lines << s.name << QString::number(s.first) << QString::number(s.last) << weightText(s.weight);
    }
    return sha256OfLines(lines).left(32);
}
