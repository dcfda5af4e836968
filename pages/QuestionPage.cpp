#include "pages/QuestionPage.h"

#include <QStringBuilder>

using namespace Qt::StringLiterals;

QStringList questionPageLines(const QuestionPageInput& in) {
    const QString showCount =
        u"document.bilgi.kac.value=document.bilgi.kac.value+\"/\"+document.bilgi.sorusay.value;"_s;

    QStringList lines;
    lines.reserve(58 + in.explanationLines.size());
    lines
        << u"<HTML>"_s << u"<HEAD>"_s << u"<script>"_s << u"zaman = new Date();"_s << u"sayi=1;"_s
        << u"function  yukle() {"_s
        << u"document.bilgi.tarih.value=zaman.getDay()+\"/\"+zaman.getMonth()+\"/\"+zaman.getYear();"_s
        << u"document.bilgi.saat.value=zaman.getHours()+\":\"+zaman.getMinutes();"_s
        << u"}"_s
        // Next question: the counter stops at the count the data file gives.
        << u"function ileri(){"_s
        << u"if (sayi<eval(document.bilgi.sorusay.value)) {sayi=sayi+1;}"_s
        << u"document.bilgi.kac.value=sayi;"_s << showCount << u"ICERIKTable.nextPage();"_s
        << u"}"_s << u"function geri(){"_s << u"if (sayi>1) {sayi=sayi-1;}"_s
        << u"document.bilgi.kac.value=sayi;"_s << showCount << u"ICERIKTable.previousPage()"_s
        << u"}"_s << u"function ilk(){"_s << u"sayi=1;"_s << u"document.bilgi.kac.value=sayi;"_s
        << showCount << u"ICERIKTable.firstPage();"_s << u"}"_s << u"function son(){"_s
        << u"sayi=document.bilgi.sorusay.value;"_s << u"document.bilgi.kac.value=sayi;"_s
        << showCount << u"ICERIKTable.lastPage();"_s << u"}"_s << u"</script>"_s << QString()
        << u"</HEAD>"_s << (u"<BODY BGCOLOR="_s % in.bodyColour % u"  onload=\"yukle()\">"_s)
        << (u"<XML ID=\"dsoICERIK\" SRC=\""_s % in.dataFileName % u"\"></XML>"_s) << in.testName
        << u"<TABLE width=\"100%\" height=\"100%\" ID=\"ICERIKTable\" DATASRC=\"#dsoICERIK\""_s
        << u"DATAPAGESIZE=\"1\" BORDER=\"0\" CELLPADDING=\"0\"><tr><td>"_s
        << u"<IFRAME FRAMEBORDER=0 width=\"95%\" height=\"60%\" SCROLLING=AUTO "
           u"DATASRC=\"#dsoICERIK\" DATAFLD=\"sdosya\"></IFRAME><br>"_s
        << u"<form name=\"bilgi\">"_s
        << (u"<img src=\""_s % in.navFolder % u"ilk.gif\" ONCLICK=\"ilk()\">"_s)
        << (u"<img src=\""_s % in.navFolder % u"geri.gif\" ONCLICK=\"geri()\">"_s)
        << u"<input name=\"kac\" type=\"text\" size=\"2\" value=\"1\" align=\"right\" READONLY>"_s
        << (u"<img src=\""_s % in.navFolder % u"ileri.gif\" ONCLICK=\"ileri()\">"_s)
        << (u"<img src=\""_s % in.navFolder % u"son.gif\" ONCLICK=\"son()\">"_s)
        << u"<INPUT name=\"sorusay\" DATASRC=\"#dsoICERIK\" DATAFLD=\"sorusay\" "
           u"style=\"visibility: hidden\"><INPUT name=\"tarih\" style=\"visibility: hidden\">"
           u"<INPUT name=\"saat\" style=\"visibility: hidden\"><INPUT name=\"gonder\" "
           u"style=\"visibility: hidden\">"_s
        << u"</form>"_s << u"Açıklama"_s
        << (u"<TEXTAREA NAME=\"kutu\" ROWS=\"6\" COLS=\"91%\" WRAP=\"virtual\" ALIGN=\"center\"  "
            u"style=\"background-color:"_s %
            in.explanationColour % u";\">"_s);
    lines << in.explanationLines;
    lines << u"</TEXTAREA>"_s << u"</td>"_s << u"</tr>"_s << u"</TABLE>"_s << u"</BODY>"_s
          << u"</HTML>"_s;
    return lines;
}
