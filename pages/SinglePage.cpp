#include "pages/SinglePage.h"

#include "core/Booklets.h"
#include "core/TestIdentity.h"
#include "core/TestRules.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QStringBuilder>

using namespace Qt::StringLiterals;

namespace {

QByteArray resource(const QString& name) {
    QFile f(u":/singlepage/"_s + name);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("single page resource %s is missing from the build", qPrintable(name));
    return f.readAll();
}

// Text for HTML content and quoted attribute values.
QByteArray htmlText(const QString& text) {
    QString out = text.toHtmlEscaped();
    out.replace(u'\'', u"&#39;"_s);
    return out.toUtf8();
}

// A JSON string that may stand inside a script element: no character in it
// can close the element or start markup, and JavaScript's own line breaks
// are escaped too.
QByteArray jsonString(const QString& text) {
    QByteArray out = "\"";
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        switch (u) {
        case u'"':
            out += "\\\"";
            break;
        case u'\\':
            out += "\\\\";
            break;
        case u'\n':
            out += "\\n";
            break;
        case u'\r':
            out += "\\r";
            break;
        case u'\t':
            out += "\\t";
            break;
        default:
            if (u < 0x20 || u == u'<' || u == u'>' || u == u'&' || u == 0x2028 || u == 0x2029 ||
                c.isSurrogate())
                out += "\\u" + QByteArray::number(u, 16).rightJustified(4, '0');
            else
                out += QString(c).toUtf8();
        }
    }
    return out + "\"";
}

// Only a colour reaches the style sheet: "#" with 3, 4, 6 or 8 hex digits, or a
// colour name. Anything else keeps the page's default colour.
QByteArray colour(const QString& text, const QString& fallback) {
    static const QRegularExpression form(
        u"^(#([0-9A-Fa-f]{3,4}|[0-9A-Fa-f]{6}|[0-9A-Fa-f]{8})|[A-Za-z]{3,30})$"_s);
    const QString t = text.trimmed();
    return (form.match(t).hasMatch() ? t : fallback).toLatin1();
}

QByteArray imageMime(const QByteArray& bytes) {
    if (bytes.startsWith("\x89PNG"))
        return "image/png";
    if (bytes.startsWith("\xFF\xD8"))
        return "image/jpeg";
    if (bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WEBP")
        return "image/webp";
    if (bytes.trimmed().startsWith('<'))
        return "image/svg+xml";
    return "image/gif";
}

// Base64 straight into the page: QByteArray::toBase64 is several times slower
// and a test of a hundred large questions is tens of megabytes of it.
void appendBase64(QByteArray& out, const QByteArray& bytes) {
    static constexpr char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const qsizetype start = out.size();
    out.resize(start + (bytes.size() + 2) / 3 * 4);
    char* to = out.data() + start;
    const auto* from = reinterpret_cast<const unsigned char*>(bytes.constData());
    qsizetype left = bytes.size();
    for (; left >= 3; left -= 3, from += 3, to += 4) {
        const unsigned v = unsigned(from[0]) << 16 | unsigned(from[1]) << 8 | from[2];
        to[0] = alphabet[v >> 18];
        to[1] = alphabet[(v >> 12) & 63];
        to[2] = alphabet[(v >> 6) & 63];
        to[3] = alphabet[v & 63];
    }
    if (left > 0) {
        const unsigned v = unsigned(from[0]) << 16 | (left > 1 ? unsigned(from[1]) << 8 : 0u);
        to[0] = alphabet[v >> 18];
        to[1] = alphabet[(v >> 12) & 63];
        to[2] = left > 1 ? alphabet[(v >> 6) & 63] : '=';
        to[3] = '=';
    }
}

// The teacher's image when there is one, else a drawn arrow. The button
// around it carries the name, so the picture itself is decoration.
QByteArray navigationPicture(const QByteArray& image, const char* path) {
    if (!image.isEmpty()) {
        QByteArray out = "<img alt=\"\" src=\"data:" + imageMime(image) + ";base64,";
        appendBase64(out, image);
        return out + "\">";
    }
    return QByteArray("<svg aria-hidden=\"true\" focusable=\"false\" width=\"28\" height=\"28\" "
                      "viewBox=\"0 0 24 24\"><path fill=\"currentColor\" d=\"") +
           path + "\"/></svg>";
}

// The keys, mixed with the test's identity and in base64: not readable at a
// glance in the page source. Only a deterrent.
QByteArray encodedKeys(const QString& keys, const QString& identity) {
    QByteArray bytes = keys.toLatin1();
    const QByteArray mix = identity.isEmpty() ? QByteArray("dorvana") : identity.toLatin1();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(bytes[i] ^ mix[i % mix.size()]);
    return bytes.toBase64();
}

// page.js as the offline page has it, or with its live-only lines and live.js
// in its place: lines ending in "// live-only" exist only in the live form, and
// the one holding "/* live.js */" stands for live.js, which shares page.js's scope.
QByteArray pageScript(bool live) {
    static const QByteArray marker = "// live-only";
    const QByteArray script = resource(u"page.js"_s);
    QByteArray out;
    out.reserve(script.size() + (live ? 16384 : 0));
    qsizetype from = 0;
    while (from < script.size()) {
        qsizetype end = script.indexOf('\n', from);
        end = end < 0 ? script.size() : end + 1;
        const QByteArray line = script.mid(from, end - from);
        from = end;
        if (!line.trimmed().endsWith(marker))
            out += line;
        else if (live)
            out += line.contains("/* live.js */") ? resource(u"live.js"_s) : line;
    }
    return out;
}

qsizetype questionElementsSize(const SinglePageInput& in, qsizetype count) {
    qsizetype size = 0;
    for (qsizetype i = 0; i < count && i < in.questions.size(); ++i) {
        size += (in.questions.at(i).data.size() + 2) / 3 * 4 + 200;
        for (const QByteArray& image : in.questions.at(i).pageImages)
            size += (image.size() + 2) / 3 * 4 + 200;
    }
    return size;
}

bool isEmbedded(const EmbeddedQuestion& q) {
    return q.kind != EmbeddedQuestion::Kind::Missing && !q.data.isEmpty();
}

// Written straight into the page: tens of megabytes are not copied twice.
void appendQuestionElements(QByteArray& out, const SinglePageInput& in, qsizetype count) {
    for (qsizetype i = 0; i < count && i < in.questions.size(); ++i) {
        const EmbeddedQuestion& q = in.questions.at(i);
        const char* kind = nullptr;
        switch (q.kind) {
        case EmbeddedQuestion::Kind::Html:
            kind = "html";
            break;
        case EmbeddedQuestion::Kind::Image:
            kind = "resim";
            break;
        case EmbeddedQuestion::Kind::Pdf:
            kind = "pdf";
            break;
        case EmbeddedQuestion::Kind::Missing:
            break;
        }
        if (!isEmbedded(q))
            continue;
        // Base64 cannot close the element, whatever the question holds.
        const QByteArray id = "dv-soru-" + QByteArray::number(i + 1);
        out += "<script type=\"application/octet-stream\" id=\"" + id + "\" data-tur=\"" + kind +
               "\" data-mime=\"" + htmlText(q.mimeType) + '"';
        if (q.kind == EmbeddedQuestion::Kind::Pdf)
            out += " data-sayfalar=\"" + QByteArray::number(q.pageImages.size()) +
                   "\" data-eksik=\"" + htmlText(q.leftOut) + '"';
        out += '>';
        appendBase64(out, q.data);
        out += "</script>\n";
        // A PDF's pages as images: "dv-soru-n-1", "dv-soru-n-2", ...
        for (qsizetype p = 0; p < q.pageImages.size(); ++p) {
            out += "<script type=\"application/octet-stream\" id=\"" + id + '-' +
                   QByteArray::number(p + 1) + "\" data-mime=\"" + imageMime(q.pageImages.at(p)) +
                   "\">";
            appendBase64(out, q.pageImages.at(p));
            out += "</script>\n";
        }
    }
}

// The booklet and its subjects for the page's script: the letter ("" for a
// one-booklet test), the booklet count, the order when it is not the
// teacher's, and each section's name, run and weight.
QByteArray bookletData(const SinglePageInput& in, qsizetype count) {
    QByteArray out =
        ",\"kitapcik\":" + jsonString(in.booklet.isNull() ? QString() : QString(in.booklet)) +
        ",\"kitapcikSayisi\":" +
        QByteArray::number(isBookletCount(in.bookletCount) ? in.bookletCount : 1);
    if (!in.order.empty() && isQuestionOrder(in.order, qint32(count))) {
        QByteArrayList numbers;
        numbers.reserve(qsizetype(in.order.size()));
        for (const qint32 q : in.order)
            numbers << QByteArray::number(q);
        out += ",\"sira\":[" + numbers.join(',') + ']';
    }
    QByteArrayList sections;
    for (const Section& s : in.sections)
        sections << "{\"ad\":" + jsonString(s.name) + ",\"ilk\":" + QByteArray::number(s.first) +
                        ",\"son\":" + QByteArray::number(s.last) +
                        ",\"katsayi\":" + QByteArray::number(s.weight, 'g', 15) + '}';
    return out + ",\"bolumler\":[" + sections.join(',') + ']';
}

} // namespace

namespace {

// A PDF question's digest covers the images and the note the page shows of it too.
QString questionDigest(const EmbeddedQuestion& q) {
    if (q.pageImages.isEmpty() && q.leftOut.isEmpty())
        return contentDigest(q.data);
    QStringList parts{contentDigest(q.data), q.leftOut};
    for (const QByteArray& image : q.pageImages)
        parts << contentDigest(image);
    return contentDigest(parts.join(u'\n').toUtf8());
}

} // namespace

QStringList questionDigests(const QList<EmbeddedQuestion>& questions, qsizetype count) {
    QStringList digests;
    for (qsizetype i = 0; i < count; ++i)
        digests << (i < questions.size() && isEmbedded(questions.at(i))
                        ? questionDigest(questions.at(i))
                        : QString());
    return digests;
}

QByteArray singlePageBytes(const SinglePageInput& in) {
    const QString keys = in.keys.toUpper();
    const qint32 options = effectiveOptionCount(in.settings.siksay);
    const qint32 netRule = effectiveNetRule(in.settings.yanlis);

    // The live page names no test and carries no key, not even mixed: the
    // identity is itself a digest over the keys.
    const QByteArray data =
        "{\"surum\":1,\"test\":" + jsonString(in.live ? QString() : in.testIdentity) +
        ",\"ad\":" + jsonString(in.testName) + ",\"kok\":" + jsonString(in.stem) +
        ",\"sayi\":" + QByteArray::number(keys.size()) +
        ",\"secenek\":" + QByteArray::number(options) + ",\"net\":" + QByteArray::number(netRule) +
        ",\"sure\":" + QByteArray::number(qMax(in.settings.sure, 0)) +
        ",\"dogrular\":" + (in.settings.dogrular ? "true" : "false") + ",\"anahtar\":\"" +
        (in.live ? QByteArray() : encodedKeys(keys, in.testIdentity)) + '"' +
        bookletData(in, keys.size()) + (in.live ? ",\"canli\":true}" : "}");

    const Settings& set = in.settings;
    const Settings defaults;
    const QByteArray colours = ":root{--soru-zemin:" + colour(set.sorus, defaults.sorus) +
                               ";--aciklama-zemin:" + colour(set.soruac, defaults.soruac) +
                               ";--cevap-zemin:" + colour(set.cevaps, defaults.cevaps) +
                               ";--ace:" + colour(set.ace, defaults.ace) +
                               ";--bd:" + colour(set.bd, defaults.bd) +
                               ";--sonuc-zemin:" + colour(set.sonucs, defaults.sonucs) + ";}";
    const QHash<QByteArray, QByteArray> parts{
        {"TITLE", htmlText(in.testName)},
        {"STYLE", resource(u"page.css"_s)},
        {"COLOURS", colours},
        {"NAV_FIRST", navigationPicture(in.firstImage, "M6 5h2v14H6zM19 5v14l-9-7z")},
        {"NAV_PREVIOUS", navigationPicture(in.previousImage, "M17 5v14L7 12z")},
        {"NAV_NEXT", navigationPicture(in.nextImage, "M7 5v14l10-7z")},
        {"NAV_LAST", navigationPicture(in.lastImage, "M16 5h2v14h-2zM5 5v14l9-7z")},
        {"EXPLANATION", htmlText(in.explanationLines.join(u'\n'))},
        {"DATA", data},
        // The scoring module first: page.js calls it.
        {"SCRIPT", resource(u"scoring.js"_s) + '\n' + pageScript(in.live)},
    };

    // One pass over the template, so nothing the teacher typed is ever read
    // as a placeholder.
    QByteArray page = resource(u"page.html"_s);
    if (in.live) {
        // The live page talks to the program that served it, and to nothing
        // else; its empty icon keeps the browser from asking for one.
        page.replace("connect-src 'none'", "connect-src 'self'");
        page.replace("<meta charset=\"utf-8\">",
                     "<meta charset=\"utf-8\">\n<link rel=\"icon\" href=\"data:,\">");
    }
    QByteArray out;
    qsizetype size = page.size();
    for (const QByteArray& part : parts)
        size += part.size();
    out.reserve(size + questionElementsSize(in, keys.size()));
    qsizetype from = 0;
    for (;;) {
        const qsizetype open = page.indexOf("@@", from);
        const qsizetype close = open < 0 ? -1 : page.indexOf("@@", open + 2);
        if (close < 0) {
            out += page.mid(from);
            break;
        }
        out += page.mid(from, open - from);
        const QByteArray name = page.mid(open + 2, close - open - 2);
        if (name == "QUESTIONS")
            appendQuestionElements(out, in, keys.size());
        else
            out += parts.value(name);
        from = close + 2;
    }
    return out;
}
