#include "pages/ResultPage.h"

#include "core/TestRules.h"

#include <QStringBuilder>
#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// The net: rights less a share of the wrongs (core/TestRules).
QString netLine(qint32 netRule) {
    const qint32 rule = effectiveNetRule(netRule);
    if (rule == 0)
        return u"net=msorusay-yanlis-bos;"_s;
    return u"net=msorusay-yanlis-bos-(yanlis/"_s % QString::number(rule) % u");"_s;
}

} // namespace

QStringList resultPageLines(const ResultPageInput& in) {
    const qint32 questions = std::max(in.questionCount, 0);

    QStringList lines;
    lines.reserve(64 + qsizetype(questions) * 10);
    lines << u"<html>"_s << u"<head>"_s << u"<script>"_s << u"function yukle() {"_s
          << u"var x, doc, root, oku, mbilgi,bos,yanlis,dogru;"_s
          << u"a=parent.sol.document.bilgi.gonder.value;"_s
          << u"yer=a.indexOf(\"=\",1)+1;"_s
          // The scored part runs to the end of the answer string, so every
          // question of a long test is scored.
          << u"document.bilgi.sizin.value=a.substring(yer);"_s << u"a=document.bilgi.sizin.value;"_s
          << u"document.bilgi.sizin.value=a.toUpperCase();"_s << u"a=document.bilgi.sizin.value;"_s
          << u"doc = new ActiveXObject(\"Microsoft.XMLDOM\");"_s << u"doc.async = false;"_s
          << (u"doc.load(\""_s % in.dataFileName % u"\");"_s) << u"if (doc.parseError != 0)"_s
          << u"alert(doc.parseError.reason);"_s << u"else{"_s << u"root = doc.documentElement;"_s
          << u"oku = root.childNodes.item(0);"_s
          << u"mbilgi = oku.getElementsByTagName(\"sorusay\");"_s
          << u"msorusay=eval(mbilgi.item(0).text);"_s << u"x=0;"_s
          << u"document.bilgi.benim.value=\"\";"_s << u"ben=\"\";"_s << u"bos=0;"_s
          << u"yanlis=0;"_s << u"dogru=0;"_s << u"for(x=0;x<msorusay;x=x+1)"_s << u"{"_s
          << u"if (a.substring(x,x+1)==\".\") {bos=bos+1;}"_s << u"}"_s
          << u"for(x=0;x<msorusay;x=x+1)"_s << u"{"_s << u"oku = root.childNodes.item(x);"_s
          << u"mbilgi = oku.getElementsByTagName(\"dc\");"_s << u"ben=ben+mbilgi.item(0).text;"_s
          << u"document.bilgi.benim.value=ben.toUpperCase();"_s << u"}"_s
          << u"ben=document.bilgi.benim.value;"_s;

    std::vector<QString> numbers;
    numbers.reserve(std::size_t(questions) + 1);
    for (qint32 n = 0; n <= questions; ++n)
        numbers.push_back(QString::number(n));

    // Per question: show the number, the answer and the key; mark a wrong
    // answer "Y", then a blank one "B".
    for (qint32 n = 1; n <= questions; ++n) {
        const QString& no = numbers[std::size_t(n)];
        const QString& before = numbers[std::size_t(n - 1)];
        lines << (u"document.bilgi.no"_s % no % u".value=\""_s % no % u"\";"_s)
              << (u"document.bilgi.cev"_s % no % u".value=  a.substring("_s % before % u',' % no %
                  u");"_s)
              << (u"document.bilgi.dog"_s % no % u".value=ben.substring("_s % before % u',' % no %
                  u");"_s)
              << (u"if (document.bilgi.dog"_s % no % u".value!=document.bilgi.cev"_s % no %
                  u".value) {document.bilgi.dur"_s % no % u".value=\"Y\";yanlis=yanlis+1;};"_s)
              << (u"if (document.bilgi.cev"_s % no % u".value==\".\") {document.bilgi.dur"_s % no %
                  u".value=\"B\";};"_s);
    }

    lines << u"}"_s << u"yanlis=yanlis-bos;"_s << u"dogru=msorusay-(yanlis+bos);"_s
          << netLine(in.netRule) << u"document.bilgi.dogrum.value=dogru;"_s
          << u"document.bilgi.yanlism.value=yanlis;"_s << u"document.bilgi.bosm.value=bos;"_s
          << u"document.bilgi.netm.value=net;"_s << u"}"_s << u"</script>"_s << u"</head>"_s
          << (u"<BODY BGCOLOR="_s % in.pageColour % u"  onload=\"yukle()\">"_s)
          << u"<form name=\"bilgi\"><Table><tr>"_s
          << u"<td>Doğru :</td><td><input name=\"dogrum\" size=2></td></tr><tr>"_s
          << u"<td>Yanlış:</td><td><input name=\"yanlism\" size=2></td></tr><tr>"_s
          << u"<td>Boş :</td><td><input name=\"bosm\"size=2></td></tr><tr>"_s
          << u"<td>Net :</td><td><input name=\"netm\" size=20></td></tr>"_s
          << u"<table border=1 CELLPADDING=0 CELLSPACING=0 >"_s
          << u"<tr align=\"center\"><td>No</td><td>Cevabınız</td><td>Doğru</td><td>D/Y</td></tr>"_s;

    // Per question a row of four borderless buttons the script fills in.
    const QString cell =
        u"<td><input type=\"button\" style=\"border-style: none; background-color:"_s %
        in.pageColour % u"\" size=1 name=\""_s;
    for (qint32 n = 1; n <= questions; ++n) {
        const QString& no = numbers[std::size_t(n)];
        lines << u"<tr align=\"center\">"_s << (cell % u"no"_s % no % u"\"></td>"_s)
              << (cell % u"cev"_s % no % u"\"></td>"_s) << (cell % u"dog"_s % no % u"\"></td>"_s)
              << (cell % u"dur"_s % no % u"\"></td></tr>"_s);
    }

    lines << u"</table>"_s << u"<input name=\"sizin\" size=20 style=\"visibility: hidden\"><br>"_s
          << u"<input name=\"benim\" size=20 style=\"visibility: hidden\"><br> "_s << u"</form>"_s
          << u"</body>"_s << u"</html>"_s;
    return lines;
}
