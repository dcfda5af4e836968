#include "ui/ClassReport.h"

#include "results/ResultText.h"

#include <QPrinter>
#include <QTextDocument>
#include <QUrl>

namespace {

QString cell(const QString& text, bool number = false) {
    return (number ? QStringLiteral("<td align=\"right\">") : QStringLiteral("<td>")) +
           text.toHtmlEscaped() + QStringLiteral("</td>");
}

QString headerRow(const QStringList& names) {
    QString html = QStringLiteral("<tr>");
    for (const QString& name : names)
        html += QStringLiteral("<th>") + name.toHtmlEscaped() + QStringLiteral("</th>");
    return html + QStringLiteral("</tr>");
}

} // namespace

QString classReportHtml(const ClassReport& r) {
    const ClassSummary& s = r.summary;
    QString html = QStringLiteral("<html><body style=\"font-family: sans-serif\">");
    html += QStringLiteral("<h2>Sınıf sonuçları: %1</h2>").arg(r.test.name.toHtmlEscaped());
    html += QStringLiteral("<p>%1 soru, %2 seçenek, %3</p>")
                .arg(r.test.count)
                .arg(r.test.optionCount)
                .arg(r.test.netRule > 0
                         ? QStringLiteral("%1 yanlış bir doğruyu götürür").arg(r.test.netRule)
                         : QStringLiteral("yanlış doğruyu götürmez"));
    html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">");
    QList<std::pair<QString, QString>> summary{
        {QStringLiteral("Öğrenci sayısı"), QString::number(s.pupils)},
        {QStringLiteral("Ortalama net"), decimalText(s.mean)},
        {QStringLiteral("Ortanca net"), decimalText(s.median)},
        {QStringLiteral("Standart sapma (sınıfın tamamı)"), decimalText(s.standardDeviation)},
        {QStringLiteral("En düşük net"), decimalText(s.lowest)},
        {QStringLiteral("En yüksek net"), decimalText(s.highest)}};
    summary += sectionSummaryLines(r.test, s);
    for (const auto& [name, value] : summary)
        html += QStringLiteral("<tr>") + cell(name) + cell(value, true) + QStringLiteral("</tr>");
    html += QStringLiteral("</table>");
    if (!r.histogram.isNull())
        html += QStringLiteral("<p><img src=\"histogram.png\" width=\"480\"></p>");

    html += QStringLiteral("<h3>Sınıf listesi</h3><table border=\"1\" cellspacing=\"0\" "
                           "cellpadding=\"3\">");
    html += headerRow(
        QStringList{QStringLiteral("Ad"), QStringLiteral("Doğru"), QStringLiteral("Yanlış"),
                    QStringLiteral("Boş"), QStringLiteral("Net")} +
        sectionColumnTitles(r.test) + QStringList{minutesTitle(), QStringLiteral("Deneme")});
    for (const PupilRow& row : r.rows) {
        html += QStringLiteral("<tr>") + cell(shownName(row.name)) +
                cell(QString::number(row.score.correct), true) +
                cell(QString::number(row.score.wrong), true) +
                cell(QString::number(row.score.blank), true) +
                cell(decimalText(row.score.net), true);
        const QStringList sectionTexts = sectionColumnTexts(r.test, row);
        for (qsizetype c = 0; c < sectionTexts.size(); ++c)
            html += cell(sectionTexts[c], !(showsBooklet(r.test) && c == 0));
        html += cell(minutesText(row.seconds), true) + cell(QString::number(row.attempt), true) +
                QStringLiteral("</tr>");
    }
    html += QStringLiteral("</table>");

    html += QStringLiteral("<h3>Madde analizi</h3><p>Güçlük (p): doğru cevaplayanların oranı "
                           "(1,00 = herkes doğru cevapladı). Doğru seçeneğin sayısı kalın. Ayırt "
                           "edicilik: netlere göre en üstteki ve en alttaki %27'lik grupların "
                           "(her biri ") +
            QString::number(r.items.groupSize) +
            QStringLiteral(" öğrenci) doğru oranları farkı. Güçlüğü ya da ayırt ediciliği "
                           "0,20'nin altındaki sorular işaretlidir.</p>");
    html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">");
    const bool sections = !r.test.sections.empty();
    QStringList header{QStringLiteral("Soru")};
    if (sections)
        header << QStringLiteral("Bölüm");
    header << QStringLiteral("Cevap") << QStringLiteral("Güçlük (p)")
           << QStringLiteral("Ayırt edicilik");
    for (int o = 0; o < r.test.optionCount; ++o)
        header << QString(QChar(u'A' + o));
    header << QStringLiteral("Boş") << QStringLiteral("İşaret");
    html += headerRow(header);
    for (const ItemStats& item : r.items.items) {
        html += item.marked() ? QStringLiteral("<tr style=\"background-color: #FCE4E4\">")
                              : QStringLiteral("<tr>");
        html += cell(QString::number(item.question), true);
        if (sections)
            html += cell(item.section >= 0 ? r.test.sections[std::size_t(item.section)].name
                                           : QString());
        html += cell(QString(item.key)) + cell(decimalText(item.difficulty), true) +
                cell(decimalText(item.discrimination), true);
        for (int o = 0; o < r.test.optionCount; ++o) {
            const QString count = QString::number(item.chosen[std::size_t(o)]);
            html += item.key == QChar(u'A' + o) ? QStringLiteral("<td align=\"right\"><b>") +
                                                      count + QStringLiteral("</b></td>")
                                                : cell(count, true);
        }
        html += cell(QString::number(item.blanks), true) + cell(item.markText()) +
                QStringLiteral("</tr>");
    }
    html += QStringLiteral("</table></body></html>");
    return html;
}

void printClassReport(const ClassReport& report, QPrinter& printer) {
    QTextDocument document;
    if (!report.histogram.isNull())
        document.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("histogram.png")),
                             report.histogram);
    document.setHtml(classReportHtml(report));
    document.print(&printer);
}
