#include "pages/DataFile.h"

#include <QStringBuilder>
#include <algorithm>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

// True for a code unit that XML 1.0 cannot carry in any form, not even as a
// character reference: the C0 controls other than tab, line feed and carriage
// return, and U+FFFE and U+FFFF. Surrogates are judged in pairs by the caller.
bool outsideXml(char16_t u) {
    return (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || u == 0xFFFE || u == 0xFFFF;
}

QString escaped(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0, n = value.size(); i < n; ++i) {
        const QChar c = value.at(i);
        if (c == u'&') {
            out += u"&amp;";
        } else if (c == u'<') {
            out += u"&lt;";
        } else if (c == u'>') {
            out += u"&gt;";
        } else if (c.isHighSurrogate() && i + 1 < n && value.at(i + 1).isLowSurrogate()) {
            out += c;
            out += value.at(++i);
        } else if (c.isSurrogate() || outsideXml(c.unicode())) {
            // A character XML cannot hold would leave the whole file unreadable;
            // the replacement character keeps the file well-formed and marks the place.
            out += QChar::ReplacementCharacter;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

QStringList dataFileLines(qint32 questionCount, const std::vector<DataRecord>& records) {
    const qint32 questions = std::max(questionCount, 0);
    if (records.size() != std::size_t(questions))
        throw std::invalid_argument("dataFileLines: one record per question expected");

    const QString countLine = u"<sorusay>"_s % QString::number(questionCount) % u"</sorusay>"_s;

    QStringList lines;
    lines.reserve(6 * qsizetype(questions) + 3);
    lines << u"<?xml version=\"1.0\"?>"_s << u"<ICERIK>"_s;
    for (qint32 n = 1; n <= questions; ++n) {
        const DataRecord& record = records[std::size_t(n - 1)];
        lines << u" <sorular>"_s << (u"   <soruno>"_s % QString::number(n) % u"</soruno>"_s)
              << (u"   <sdosya>"_s % escaped(record.file) % u"</sdosya>"_s)
              << (u"   <dc>"_s % escaped(record.key) % u"</dc>"_s) << countLine << u" </sorular>"_s;
    }
    lines << u"</ICERIK>"_s;
    return lines;
}
