#include "results/CsvExport.h"

#include "results/ResultText.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>

namespace {

// Excel takes no longer text constant in a formula.
constexpr qsizetype kLongestFormulaText = 255;

bool startsLikeFormula(const QString& text) {
    const QChar first = text.front();
    return first == u'=' || first == u'+' || first == u'-' || first == u'@' ||
           first.category() == QChar::Other_Control;
}

// True when a spreadsheet may take the text for a value rather than text.
// Numbers, dates, times, percentages and fractions all hold a digit, and a
// spreadsheet knows more of their forms than we could list (month names,
// "1e3", "1 1/2"), so any digit counts; of words, only the logical values
// of a Turkish or an English spreadsheet.
bool mayBeReadAsValue(const QString& text) {
    if (startsLikeFormula(text) ||
        std::any_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); }))
        return true;
    const QString word = QLocale(QLocale::Turkish).toUpper(text.trimmed());
    return word == u"DOĞRU" || word == u"YANLIŞ" || word == u"TRUE" || word == u"FALSE";
}

// Texts typed by someone else (a pupil's name, the test's name), kept as text.
// Neither a quoted field nor a leading apostrophe does that: LibreOffice Calc
// reads a quoted "1e3" as 1000 unless its import is told otherwise, and keeps
// the apostrophe as part of the text. A formula giving the text as a string
// constant, ="1e3", is read as that very text by Calc and Excel alike. Calc
// cannot read a line break inside a formula and Excel refuses long string
// constants; such texts are no number, date or logical value anyway, and one
// that starts like a formula gets the apostrophe, so that it never runs.
QString textField(const QString& text) {
    if (text.isEmpty() || !mayBeReadAsValue(text))
        return csvField(text);
    if (text.size() <= kLongestFormulaText && !text.contains(u'\r') && !text.contains(u'\n')) {
        QString constant = text;
        constant.replace(QLatin1String("\""), QLatin1String("\"\""));
        return csvField(QStringLiteral("=\"") + constant + u'"');
    }
    return csvField(startsLikeFormula(text) ? u'\'' + text : text);
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
    // "Doğru" and "Yanlış" alone are logical values to a Turkish spreadsheet.
    // Then each question's answer of the pupil, a blank one as an empty cell.
    QStringList classHeader{QStringLiteral("Ad"), QStringLiteral("Doğru sayısı"),
                            QStringLiteral("Yanlış sayısı"), QStringLiteral("Boş sayısı"),
                            QStringLiteral("Net")};
    // Section names are the teacher's text: kept as text like the pupils' names.
    const bool booklet = showsBooklet(test);
    const QStringList sectionTitles = sectionColumnTitles(test);
    for (qsizetype c = 0; c < sectionTitles.size(); ++c)
        classHeader << (booklet && c == 0 ? sectionTitles[c] : textField(sectionTitles[c]));
    classHeader << durationTitle() << QStringLiteral("Deneme");
    for (int q = 1; q <= test.count; ++q)
        classHeader << QStringLiteral("Soru %1").arg(q);
    line(classHeader);
    for (const PupilRow& row : rows) {
        QStringList fields{textField(row.name), QString::number(row.score.correct),
                           QString::number(row.score.wrong), QString::number(row.score.blank),
                           decimalText(row.score.net)};
        const QStringList sectionTexts = sectionColumnTexts(test, row);
        for (qsizetype c = 0; c < sectionTexts.size(); ++c)
            fields << (booklet && c == 0 ? textField(sectionTexts[c]) : sectionTexts[c]);
        fields << durationText(row.seconds) << QString::number(row.attempt);
        for (QChar answer : row.answers)
            fields << (answer == u'-' ? QString() : QString(answer));
        line(fields);
    }
    lines << QString();
    line({QStringLiteral("Öğrenci sayısı"), QString::number(summary.pupils)});
    line({QStringLiteral("Ortalama net"), decimalText(summary.mean)});
    line({QStringLiteral("Ortanca net"), decimalText(summary.median)});
    line({QStringLiteral("Standart sapma"), decimalText(summary.standardDeviation)});
    line({QStringLiteral("En düşük net"), decimalText(summary.lowest)});
    line({QStringLiteral("En yüksek net"), decimalText(summary.highest)});
    for (const auto& [title, value] : sectionSummaryLines(test, summary))
        line({textField(title), value});
    lines << QString();

    // With sections, each question names its own; they follow in the teacher's order.
    const bool sections = !test.sections.empty();
    QStringList header{QStringLiteral("Soru")};
    if (sections)
        header << QStringLiteral("Bölüm");
    header << QStringLiteral("Cevap") << QStringLiteral("Güçlük")
           << QStringLiteral("Ayırt edicilik");
    for (int o = 0; o < test.optionCount; ++o)
        header << QString(QChar(u'A' + o));
    header << QStringLiteral("Boş") << QStringLiteral("İşaret");
    line(header);
    for (const ItemStats& item : items.items) {
        QStringList fields{QString::number(item.question)};
        if (sections)
            fields << (item.section >= 0 ? textField(test.sections[std::size_t(item.section)].name)
                                         : QString());
        fields << QString(item.key) << decimalText(item.difficulty)
               << decimalText(item.discrimination);
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
