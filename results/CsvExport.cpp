#include "results/CsvExport.h"

#include "results/ResultText.h"

#include <QStringList>

namespace {

// Texts typed by someone else (a pupil's name, the test's name).
QString textField(const QString& text) {
    if (!text.isEmpty()) {
        const QChar first = text.front();
        if (first == u'=' || first == u'+' || first == u'-' || first == u'@' ||
            first.category() == QChar::Other_Control)
            return csvField(u'\'' + text);
    }
    return csvField(text);
}

} // namespace

QString csvField(const QString& text) {
    if (!text.contains(u';') && !text.contains(u'"') && !text.contains(u'\r') &&
        !text.contains(u'\n'))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return u'"' + quoted + u'"';
}

QByteArray classResultsCsv(const GeneratedTest& test, const std::vector<PupilRow>& rows,
                           const ClassSummary& summary, const ItemAnalysis& items) {
    QStringList lines;
    const auto line = [&](const QStringList& fields) { lines << fields.join(u';'); };

    line({QStringLiteral("Test"), textField(test.name)});
    lines << QString();
    line({QStringLiteral("Ad"), QStringLiteral("Doğru"), QStringLiteral("Yanlış"),
          QStringLiteral("Boş"), QStringLiteral("Net"), QStringLiteral("Süre"),
          QStringLiteral("Deneme")});
    for (const PupilRow& row : rows)
        line({textField(row.name), QString::number(row.score.correct),
              QString::number(row.score.wrong), QString::number(row.score.blank),
              decimalText(row.score.net), durationText(row.seconds), QString::number(row.attempt)});
    lines << QString();
    line({QStringLiteral("Öğrenci sayısı"), QString::number(summary.pupils)});
    line({QStringLiteral("Ortalama net"), decimalText(summary.mean)});
    line({QStringLiteral("Ortanca net"), decimalText(summary.median)});
    line({QStringLiteral("Standart sapma"), decimalText(summary.standardDeviation)});
    line({QStringLiteral("En düşük net"), decimalText(summary.lowest)});
    line({QStringLiteral("En yüksek net"), decimalText(summary.highest)});
    lines << QString();

    QStringList header{QStringLiteral("Soru"), QStringLiteral("Cevap"), QStringLiteral("Güçlük"),
                       QStringLiteral("Ayırt edicilik")};
    for (int o = 0; o < test.optionCount; ++o)
        header << QString(QChar(u'A' + o));
    header << QStringLiteral("Boş") << QStringLiteral("İşaret");
    line(header);
    for (const ItemStats& item : items.items) {
        QStringList fields{QString::number(item.question), QString(item.key),
                           decimalText(item.difficulty), decimalText(item.discrimination)};
        for (int o = 0; o < test.optionCount; ++o)
            fields << QString::number(item.chosen[std::size_t(o)]);
        fields << QString::number(item.blanks) << item.markText();
        line(fields);
    }

    QByteArray bytes("\xEF\xBB\xBF");
    for (const QString& text : lines)
        bytes += text.toUtf8() + "\r\n";
    return bytes;
}
