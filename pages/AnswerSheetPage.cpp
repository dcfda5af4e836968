#include "pages/AnswerSheetPage.h"

#include "core/TestRules.h"

#include <QStringBuilder>
#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

QStringList answerSheetLines(const AnswerSheetInput& in) {
    const qint32 questions = std::max(in.questionCount, 0);
    const int columns = effectiveOptionCount(in.optionCount);

    QStringList lines;
    lines.reserve(30 + columns + qsizetype(questions) * (columns + 4));
    lines << u"<html>"_s << u"<head>"_s << u"<script>"_s << u"var vc=new Array();"_s
          << u"vercev=\"\";"_s
          << u"zaman = new Date();"_s
          // The question number is all of the button's name after the "s", so
          // that questions from 100 on are told apart.
          << u"function  kontrol(harf) {"_s << u"sno=eval(event.srcElement.name.substring(1));"_s
          << u"vc[eval(sno)]=harf;"_s << u"}"_s << u"function  yukle() {"_s
          << u"document.fbasla.basla.value=zaman.getDate()+\"/\"+(zaman.getMonth()+1)+\"/\"+"
             u"zaman.getFullYear()+\"  -  \"+zaman.getHours()+\":\"+zaman.getMinutes();"_s
          << u"}"_s << u"function sonuc() {"_s;

    std::vector<QString> numbers;
    numbers.reserve(std::size_t(questions));
    for (qint32 n = 1; n <= questions; ++n)
        numbers.push_back(QString::number(n));

    // A question without a choice gives "." in the answer string.
    for (const QString& n : numbers)
        lines << (u"if (vc["_s % n % u"]==null) {vc["_s % n % u"]=\".\";}"_s);
    for (const QString& n : numbers)
        lines << (u"vercev=vercev+vc["_s % n % u"]"_s);

    lines << u";"_s << u"parent.sol.document.bilgi.gonder.value=vercev;"_s
          << (u"window.open(\""_s % in.resultPageName % u"\",\"sag\");"_s) << u"}"_s
          << u"</script>"_s << u"</head>"_s
          << (u"<BODY BGCOLOR="_s % in.pageColour % u"  onload=\"yukle()\">"_s)
          << u"<form name=\"fbasla\">"_s << u"Başlama:<input name=\"basla\">"_s << u"</form>"_s
          << (u"<BUTTON STYLE=\"background-color:"_s % in.aceColour %
              u";font-weight: bold;\" onclick=\"sonuc()\">Test bitti.<br> Sonuçları göster."
              u"</BUTTON><br>"_s)
          << u"<table>"_s;

    // Columns alternate the two colours from A; the B and D buttons carry two
    // blanks before "onclick".
    struct Column {
        char16_t letter;
        const QString* colour;
        QString button;
    };
    const QString oneBlank = u"><input type=\"radio\" onclick=\"kontrol('"_s;
    const QString twoBlanks = u"><input type=\"radio\"  onclick=\"kontrol('"_s;
    const Column all[5] = {
        {u'A', &in.aceColour, oneBlank}, {u'B', &in.bdColour, twoBlanks},
        {u'C', &in.aceColour, oneBlank}, {u'D', &in.bdColour, twoBlanks},
        {u'E', &in.aceColour, oneBlank},
    };

    lines << (u"<tr align=center><td></td><td bgcolor="_s % in.aceColour % u">A</td>"_s);
    for (int c = 1; c < columns; ++c)
        lines << (u"<td bgcolor="_s % *all[c].colour % u'>' % QChar(all[c].letter) % u"</td>"_s);
    lines << u"</tr>"_s;

    for (const QString& n : numbers) {
        lines << (u"<tr><td align=right  bgcolor="_s % in.bdColour % u'>' % n % u"</td>"_s);
        for (int c = 0; c < columns; ++c) {
            lines << (u"<td bgcolor="_s % *all[c].colour % all[c].button % QChar(all[c].letter) %
                      u"')\" name=\"s"_s % n % u"\"></td>"_s);
        }
        lines << u"</tr>"_s;
    }

    lines << u"</table>"_s << u"</body>"_s << u"</html>"_s;
    return lines;
}
