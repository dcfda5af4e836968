#include "pages/HtmlInline.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

// Frames in frames and style sheets importing style sheets: deeper than this
// is left as a reference (it also stops a chain that never ends).
constexpr int kMaxDepth = 4;
// What one page may grow to through inlined files: a style sheet using one
// large image a thousand times must not fill the memory.
constexpr qsizetype kInlineBudget = 64 * 1024 * 1024;
// A linked file larger than this is not read.
constexpr qint64 kMaxLinkedFile = 32 * 1024 * 1024;

// While a page is rewritten, each data: address stands in its text as a short
// mark (two noncharacters around its number); the addresses themselves go into
// the UTF-8 result only at the end, so that large images are never copied
// through UTF-16 text. The marks' characters are taken out of the input first.
constexpr char16_t kMarkOpen = 0xFDD0;
constexpr char16_t kMarkClose = 0xFDD1;

QString withoutMarks(QString text) {
    for (QChar& c : text)
        if (c == kMarkOpen || c == kMarkClose)
            c = QChar::ReplacementCharacter;
    return text;
}

QByteArray normalisedCharset(QByteArray name) {
    name = name.trimmed().toLower();
    while (!name.isEmpty() && (name.front() == '"' || name.front() == '\''))
        name.remove(0, 1);
    while (!name.isEmpty() && (name.back() == '"' || name.back() == '\''))
        name.chop(1);
    if (name == "utf8")
        return "utf-8";
    return name;
}

// The text in the named charset; nothing when the name is unknown.
std::optional<QString> decodeAs(const QByteArray& bytes, const QByteArray& charset) {
    const QByteArray name = normalisedCharset(charset);
    if (name.isEmpty())
        return std::nullopt;
    QStringDecoder decoder(name.constData(), QStringDecoder::Flag::Stateless);
    if (!decoder.isValid())
        return std::nullopt;
    return QString(decoder(bytes));
}

// Byte order mark first: it wins over every declaration, as in a browser.
std::optional<QString> decodeByBom(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE"))
        return decodeAs(bytes.mid(2), "utf-16le");
    if (bytes.startsWith("\xFE\xFF"))
        return decodeAs(bytes.mid(2), "utf-16be");
    return std::nullopt;
}

QString decodeUndeclared(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return decodeAs(bytes, "windows-1254").value_or(text);
}

QByteArray metaCharset(const QByteArray& bytes) {
    static const QRegularExpression meta(
        uR"(<meta\b[^>]*?charset\s*=\s*["']?\s*([A-Za-z0-9._:+-]+))"_s,
        QRegularExpression::CaseInsensitiveOption);
    const auto match = meta.match(QString::fromLatin1(bytes.left(8192)));
    if (!match.hasMatch())
        return {};
    QByteArray name = normalisedCharset(match.captured(1).toLatin1());
    // A page cannot declare itself UTF-16 from inside (its <meta> was read as ASCII).
    if (name.startsWith("utf-16"))
        name = "utf-8";
    return name;
}

QString decodeCss(const QByteArray& bytes, const QByteArray& declaredCharset) {
    if (auto text = decodeByBom(bytes))
        return *text;
    if (auto text = decodeAs(bytes, declaredCharset))
        return *text;
    static const QRegularExpression rule(uR"re(^@charset\s+"([^"]+)")re"_s);
    const auto match = rule.match(QString::fromLatin1(bytes.left(128)));
    if (match.hasMatch())
        if (auto text = decodeAs(bytes, match.captured(1).toLatin1()))
            return *text;
    return decodeUndeclared(bytes);
}

// ---- Small text helpers of the HTML scanner ----

bool isSpace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

bool isNameChar(QChar c) {
    return c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u':';
}

// Character references in an attribute value, the common ones.
QString decodeEntities(const QString& value) {
    if (!value.contains(u'&'))
        return value;
    static const QHash<QString, QString> named = {
        {u"amp"_s, u"&"_s},   {u"lt"_s, u"<"_s},   {u"gt"_s, u">"_s},
        {u"quot"_s, u"\""_s}, {u"apos"_s, u"'"_s}, {u"nbsp"_s, QString(QChar(0xA0))}};
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'&') {
            out += value[i];
            continue;
        }
        const qsizetype semi = value.indexOf(u';', i + 1);
        if (semi < 0 || semi - i > 12) {
            out += value[i];
            continue;
        }
        const QString name = value.mid(i + 1, semi - i - 1);
        if (name.startsWith(u'#')) {
            bool ok = false;
            const uint code = name.size() > 1 && (name[1] == u'x' || name[1] == u'X')
                                  ? name.mid(2).toUInt(&ok, 16)
                                  : name.mid(1).toUInt(&ok, 10);
            if (ok && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF) &&
                code != kMarkOpen && code != kMarkClose) {
                out += QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
                i = semi;
                continue;
            }
        } else if (const auto it = named.constFind(name); it != named.constEnd()) {
            out += *it;
            i = semi;
            continue;
        }
        out += value[i];
    }
    return out;
}

QString quotedAttribute(const QString& value) {
    if (!value.contains(u'&') && !value.contains(u'"'))
        return u'"' + value + u'"';
    QString out = value;
    out.replace(u'&', u"&amp;"_s).replace(u'"', u"&quot;"_s);
    return u'"' + out + u'"';
}

QByteArray typeByExtension(const QString& location) {
    QString name = location.section(u'/', -1).toLower();
    name = name.left(name.indexOf(u'?') < 0 ? name.size() : name.indexOf(u'?'));
    const QString ext = name.section(u'.', -1);
    static const QHash<QString, QByteArray> types = {
        {u"css"_s, "text/css"},    {u"js"_s, "text/javascript"},  {u"htm"_s, "text/html"},
        {u"html"_s, "text/html"},  {u"svg"_s, "image/svg+xml"},   {u"png"_s, "image/png"},
        {u"jpg"_s, "image/jpeg"},  {u"jpeg"_s, "image/jpeg"},     {u"gif"_s, "image/gif"},
        {u"webp"_s, "image/webp"}, {u"bmp"_s, "image/bmp"},       {u"ico"_s, "image/x-icon"},
        {u"mht"_s, "text/html"},   {u"pdf"_s, "application/pdf"},
    };
    return types.value(ext);
}

// Which attributes of which element load a file the page needs to show.
enum class Link { None, File, StyleSheetHref, StyleText };

Link linkKind(const QString& tag, const QString& attribute) {
    if (attribute == u"style")
        return Link::StyleText;
    if (attribute == u"background")
        return Link::File;
    if (attribute == u"src")
        return (tag == u"img" || tag == u"input" || tag == u"script" || tag == u"iframe" ||
                tag == u"frame" || tag == u"embed" || tag == u"video" || tag == u"audio" ||
                tag == u"source" || tag == u"track")
                   ? Link::File
                   : Link::None;
    if (attribute == u"poster" && tag == u"video")
        return Link::File;
    if (attribute == u"data" && tag == u"object")
        return Link::File;
    if (attribute == u"href" && tag == u"link")
        return Link::StyleSheetHref;
    return Link::None;
}

struct Attribute {
    QString name;              // lower case
    QString value;             // entities undone
    qsizetype valueStart = -1; // where the raw value stands in the page, -1 without one
    qsizetype valueEnd = -1;
};

class Inliner {
public:
    explicit Inliner(const ResourceLoader& load) : m_load(load) {}

    QString html(const QString& text, const QString& base, int depth);
    QString css(const QString& text, const QString& base, int depth);
    // The text in UTF-8 with its marks replaced by their data: addresses.
    QByteArray expand(const QString& text) const;

private:
    std::optional<QString> dataUrl(const QString& reference, const QString& base, int depth);
    std::optional<QByteArray> makeDataUrl(const LinkedResource& file, const QString& reference,
                                          int depth);
    QString rewriteTag(const QString& page, qsizetype start, qsizetype end, const QString& tag,
                       const std::vector<Attribute>& attributes, const QString& base, int depth);

    const ResourceLoader& m_load;
    qsizetype m_budget = kInlineBudget;
    std::vector<QByteArray> m_urls;
    // By the file's location: a file reached under several names is made once.
    QHash<QString, qsizetype> m_done; // index into m_urls, -1 when not inlined
    QSet<QString> m_inProgress;
};

std::optional<QString> Inliner::dataUrl(const QString& reference, const QString& base, int depth) {
    const QString ref = reference.trimmed();
    if (ref.isEmpty() || ref.startsWith(u'#') || ref.startsWith(u"data:"_s, Qt::CaseInsensitive) ||
        ref.startsWith(u"javascript:"_s, Qt::CaseInsensitive) ||
        ref.startsWith(u"about:"_s, Qt::CaseInsensitive) || depth > kMaxDepth)
        return std::nullopt;
    const std::optional<LinkedResource> file = m_load(ref, base);
    if (!file)
        return std::nullopt;
    const QString& key = file->location;
    auto done = m_done.constFind(key);
    if (done == m_done.constEnd()) {
        if (m_inProgress.contains(key))
            return std::nullopt; // a page or style sheet that includes itself
        m_inProgress.insert(key);
        std::optional<QByteArray> made = makeDataUrl(*file, ref, depth);
        m_inProgress.remove(key);
        qsizetype index = -1;
        if (made) {
            index = qsizetype(m_urls.size());
            m_urls.push_back(std::move(*made));
        }
        done = m_done.insert(key, index);
    }
    if (*done < 0 || m_urls[std::size_t(*done)].size() > m_budget)
        return std::nullopt;
    m_budget -= m_urls[std::size_t(*done)].size();
    return QChar(kMarkOpen) + QString::number(*done) + QChar(kMarkClose);
}

QByteArray Inliner::expand(const QString& text) const {
    QByteArray out;
    qsizetype at = 0;
    for (;;) {
        const qsizetype open = text.indexOf(QChar(kMarkOpen), at);
        const qsizetype close = open < 0 ? -1 : text.indexOf(QChar(kMarkClose), open);
        if (close < 0) {
            out += QStringView(text).mid(at).toUtf8();
            return out;
        }
        out += QStringView(text).mid(at, open - at).toUtf8();
        out += m_urls[std::size_t(QStringView(text).mid(open + 1, close - open - 1).toLongLong())];
        at = close + 1;
    }
}

std::optional<QByteArray> Inliner::makeDataUrl(const LinkedResource& file, const QString& reference,
                                               int depth) {
    QByteArray type = file.mimeType;
    if (type.isEmpty() || type == "application/octet-stream") {
        type = sniffBinaryType(file.bytes);
        if (type.isEmpty())
            type = typeByExtension(file.location);
        if (type.isEmpty())
            type = typeByExtension(reference);
        if (type.isEmpty())
            type = "application/octet-stream";
    }
    QByteArray payload;
    if (type == "text/css") {
        payload = expand(
            css(withoutMarks(decodeCss(file.bytes, file.charset)), file.location, depth + 1));
        type = "text/css;charset=utf-8";
    } else if (type == "text/html") {
        payload = expand(
            html(withoutMarks(decodeHtml(file.bytes, file.charset)), file.location, depth + 1));
        type = "text/html;charset=utf-8";
    } else {
        payload = file.bytes;
        if (!file.charset.isEmpty() && type.startsWith("text/"))
            type += ";charset=" + normalisedCharset(file.charset);
    }
    QByteArray url;
    url.reserve(type.size() + 13 + (payload.size() + 2) / 3 * 4);
    url.append("data:").append(type).append(";base64,").append(payload.toBase64());
    return url;
}

QString Inliner::css(const QString& text, const QString& base, int depth) {
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    // The rule naming the charset is dropped: the inlined sheet is UTF-8.
    static const QRegularExpression charsetRule(uR"(^\s*@charset\s+["'][^"']*["']\s*;)"_s,
                                                QRegularExpression::CaseInsensitiveOption);
    if (const auto m = charsetRule.match(text); m.hasMatch())
        i = m.capturedEnd();
    const qsizetype n = text.size();
    auto readString = [&](qsizetype at) { // from the quote at `at` to past its end
        const QChar quote = text[at];
        qsizetype j = at + 1;
        while (j < n && text[j] != quote && text[j] != u'\n') {
            if (text[j] == u'\\')
                ++j;
            ++j;
        }
        return std::min(j + 1, n);
    };
    while (i < n) {
        const QChar c = text[i];
        if (c == u'/' && i + 1 < n && text[i + 1] == u'*') {
            const qsizetype end = text.indexOf(u"*/"_s, i + 2);
            const qsizetype stop = end < 0 ? n : end + 2;
            out += QStringView(text).mid(i, stop - i);
            i = stop;
        } else if (c == u'"' || c == u'\'') {
            const qsizetype stop = readString(i);
            out += QStringView(text).mid(i, stop - i);
            i = stop;
        } else if ((c == u'u' || c == u'U') &&
                   QStringView(text).mid(i, 4).compare(u"url(", Qt::CaseInsensitive) == 0 &&
                   (i == 0 || !isNameChar(text[i - 1]))) {
            qsizetype j = i + 4;
            while (j < n && isSpace(text[j]))
                ++j;
            QString ref;
            qsizetype close;
            if (j < n && (text[j] == u'"' || text[j] == u'\'')) {
                const qsizetype stop = readString(j);
                ref = text.mid(j + 1, std::max<qsizetype>(stop - j - 2, 0));
                close = text.indexOf(u')', stop);
            } else {
                close = text.indexOf(u')', j);
                ref = text.mid(j, close < 0 ? -1 : close - j).trimmed();
            }
            if (close < 0) { // an unfinished url( runs to the end of the sheet
                out += QStringView(text).mid(i);
                break;
            }
            if (const auto url = dataUrl(ref, base, depth))
                out += u"url(\""_s + *url + u"\")"_s;
            else
                out += QStringView(text).mid(i, close + 1 - i);
            i = close + 1;
        } else if (c == u'@' &&
                   QStringView(text).mid(i, 7).compare(u"@import", Qt::CaseInsensitive) == 0) {
            qsizetype j = i + 7;
            while (j < n && isSpace(text[j]))
                ++j;
            out += QStringView(text).mid(i, j - i);
            i = j;
            if (j < n && (text[j] == u'"' || text[j] == u'\'')) {
                const qsizetype stop = readString(j);
                const QString ref = text.mid(j + 1, std::max<qsizetype>(stop - j - 2, 0));
                if (const auto url = dataUrl(ref, base, depth))
                    out += u"url(\""_s + *url + u"\")"_s;
                else
                    out += QStringView(text).mid(j, stop - j);
                i = stop;
            }
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

QString Inliner::rewriteTag(const QString& page, qsizetype start, qsizetype end, const QString& tag,
                            const std::vector<Attribute>& attributes, const QString& base,
                            int depth) {
    bool styleSheetLink = false;
    if (tag == u"link") {
        for (const Attribute& a : attributes)
            if (a.name == u"rel") {
                const QString rel = a.value.toLower();
                styleSheetLink = rel.contains(u"stylesheet"_s) || rel.contains(u"icon"_s);
            }
    }
    QString out;
    qsizetype at = start;
    for (const Attribute& a : attributes) {
        if (a.valueStart < 0)
            continue;
        const Link kind = linkKind(tag, a.name);
        std::optional<QString> replacement;
        if (kind == Link::File || (kind == Link::StyleSheetHref && styleSheetLink)) {
            replacement = dataUrl(a.value, base, depth);
        } else if (kind == Link::StyleText && a.value.contains(u"url("_s, Qt::CaseInsensitive)) {
            const QString rewritten = css(a.value, base, depth);
            if (rewritten != a.value)
                replacement = rewritten;
        }
        if (!replacement)
            continue;
        out += QStringView(page).mid(at, a.valueStart - at);
        out += quotedAttribute(*replacement);
        at = a.valueEnd;
    }
    out += QStringView(page).mid(at, end - at);
    return out;
}

QString Inliner::html(const QString& page, const QString& base, int depth) {
    QString out;
    out.reserve(page.size() + page.size() / 2);
    const qsizetype n = page.size();
    qsizetype i = 0;
    qsizetype metaAt = -1;    // where our charset declaration goes: after <head>
    qsizetype doctypeEnd = 0; // else after the doctype
    while (i < n) {
        const qsizetype lt = page.indexOf(u'<', i);
        if (lt < 0 || lt + 1 >= n) {
            out += QStringView(page).mid(i);
            break;
        }
        out += QStringView(page).mid(i, lt - i);
        const QChar next = page[lt + 1];
        if (QStringView(page).mid(lt, 4) == u"<!--") {
            const qsizetype end = page.indexOf(u"-->"_s, lt + 4);
            const qsizetype stop = end < 0 ? n : end + 3;
            out += QStringView(page).mid(lt, stop - lt);
            i = stop;
            continue;
        }
        if (next == u'!' || next == u'?') {
            const qsizetype end = page.indexOf(u'>', lt);
            const qsizetype stop = end < 0 ? n : end + 1;
            out += QStringView(page).mid(lt, stop - lt);
            if (QStringView(page).mid(lt, 9).compare(u"<!doctype", Qt::CaseInsensitive) == 0)
                doctypeEnd = out.size();
            i = stop;
            continue;
        }
        const bool closing = next == u'/';
        qsizetype j = lt + (closing ? 2 : 1);
        if (j >= n || !page[j].isLetter()) {
            out += u'<';
            i = lt + 1;
            continue;
        }
        const qsizetype nameStart = j;
        while (j < n && !isSpace(page[j]) && page[j] != u'/' && page[j] != u'>')
            ++j;
        const QString tag = page.mid(nameStart, j - nameStart).toLower();

        // The attributes, as a browser reads them.
        std::vector<Attribute> attributes;
        while (j < n && page[j] != u'>') {
            if (isSpace(page[j]) || page[j] == u'/') {
                ++j;
                continue;
            }
            Attribute a;
            const qsizetype attrStart = j;
            ++j;
            while (j < n && !isSpace(page[j]) && page[j] != u'/' && page[j] != u'>' &&
                   page[j] != u'=')
                ++j;
            a.name = page.mid(attrStart, j - attrStart).toLower();
            qsizetype k = j;
            while (k < n && isSpace(page[k]))
                ++k;
            if (k < n && page[k] == u'=') {
                ++k;
                while (k < n && isSpace(page[k]))
                    ++k;
                if (k < n && (page[k] == u'"' || page[k] == u'\'')) {
                    const qsizetype close = page.indexOf(page[k], k + 1);
                    const qsizetype stop = close < 0 ? n : close + 1;
                    a.valueStart = k;
                    a.valueEnd = stop;
                    a.value = decodeEntities(page.mid(k + 1, std::max<qsizetype>(stop - k - 2, 0)));
                    j = stop;
                } else {
                    const qsizetype valueStart = k;
                    while (k < n && !isSpace(page[k]) && page[k] != u'>')
                        ++k;
                    a.valueStart = valueStart;
                    a.valueEnd = k;
                    a.value = decodeEntities(page.mid(valueStart, k - valueStart));
                    j = k;
                }
            }
            attributes.push_back(std::move(a));
        }
        const qsizetype tagEnd = std::min(j + 1, n);

        if (closing) {
            out += QStringView(page).mid(lt, tagEnd - lt);
            i = tagEnd;
            continue;
        }
        if (tag == u"meta") {
            bool declaresCharset = false;
            for (const Attribute& a : attributes)
                declaresCharset =
                    declaresCharset || a.name == u"charset" ||
                    (a.name == u"http-equiv" &&
                     a.value.trimmed().compare(u"content-type"_s, Qt::CaseInsensitive) == 0);
            if (declaresCharset) { // replaced by ours
                i = tagEnd;
                continue;
            }
        }
        out += rewriteTag(page, lt, tagEnd, tag, attributes, base, depth);
        i = tagEnd;
        if (tag == u"head" && metaAt < 0)
            metaAt = out.size();

        // Text elements: their content is no markup.
        if (tag == u"script" || tag == u"style" || tag == u"textarea" || tag == u"title" ||
            tag == u"xmp" || tag == u"noembed" || tag == u"noframes") {
            static const QRegularExpression anyEnd(u"</([A-Za-z]+)[\\s/>]"_s);
            qsizetype contentEnd = n;
            for (auto it = anyEnd.globalMatch(page, i); it.hasNext();) {
                const auto m = it.next();
                if (m.captured(1).compare(tag, Qt::CaseInsensitive) == 0) {
                    contentEnd = m.capturedStart();
                    break;
                }
            }
            const QString content = page.mid(i, contentEnd - i);
            out += tag == u"style" ? css(content, base, depth) : content;
            i = contentEnd;
        } else if (tag == u"plaintext") {
            out += QStringView(page).mid(i);
            break;
        }
    }
    out.insert(metaAt >= 0 ? metaAt : doctypeEnd, u"<meta charset=\"utf-8\">"_s);
    return out;
}

} // namespace

QString decodeHtml(const QByteArray& bytes, const QByteArray& declaredCharset) {
    if (auto text = decodeByBom(bytes))
        return *text;
    if (auto text = decodeAs(bytes, declaredCharset))
        return *text;
    if (auto text = decodeAs(bytes, metaCharset(bytes)))
        return *text;
    return decodeUndeclared(bytes);
}

QByteArray inlineHtml(const LinkedResource& page, const ResourceLoader& load) {
    Inliner inliner(load);
    return inliner.expand(
        inliner.html(withoutMarks(decodeHtml(page.bytes, page.charset)), page.location, 0));
}

std::optional<QString> resolveInTree(const QString& rootFolder, const QString& fromFolder,
                                     const QString& relativePath) {
    QString path = relativePath.trimmed();
    path.replace(u'\\', u'/');
    // An address with a scheme or a drive ("http:", "file:", "C:"), or an absolute path.
    static const QRegularExpression scheme(u"^[A-Za-z][A-Za-z0-9+.-]*:"_s);
    if (path.isEmpty() || path.startsWith(u'/') || scheme.match(path).hasMatch())
        return std::nullopt;
    path = path.left(std::min(path.indexOf(u'?') < 0 ? path.size() : path.indexOf(u'?'),
                              path.indexOf(u'#') < 0 ? path.size() : path.indexOf(u'#')));

    const QString root = QFileInfo(rootFolder).canonicalFilePath();
    const QString from = QFileInfo(fromFolder).canonicalFilePath();
    if (root.isEmpty() || from.isEmpty() || (from != root && !from.startsWith(root + u'/')))
        return std::nullopt;
    QStringList steps =
        from == root ? QStringList() : from.mid(root.size() + 1).split(u'/', Qt::SkipEmptyParts);

    auto walk = [&](const QString& relative) -> std::optional<QString> {
        QStringList at = steps;
        for (const QString& part : relative.split(u'/')) {
            if (part.isEmpty() || part == u".")
                continue;
            if (part == u"..") {
                if (at.isEmpty())
                    return std::nullopt; // out of the tree
                at.removeLast();
                continue;
            }
            const QString folder = at.isEmpty() ? root : root + u'/' + at.join(u'/');
            QString name = part;
            if (!QFileInfo::exists(folder + u'/' + name)) {
                // Pages written on Windows do not mind letter case.
                const QStringList entries = QDir(folder).entryList(
                    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
                const auto it = std::find_if(entries.begin(), entries.end(), [&](const QString& e) {
                    return e.compare(part, Qt::CaseInsensitive) == 0;
                });
                if (it == entries.end())
                    return std::nullopt;
                name = *it;
            }
            at.append(name);
        }
        const QFileInfo file(root + u'/' + at.join(u'/'));
        if (at.isEmpty() || !file.exists() || file.isDir())
            return std::nullopt;
        return file.filePath();
    };
    if (auto found = walk(path))
        return found;
    if (path.contains(u'%'))
        return walk(QUrl::fromPercentEncoding(path.toUtf8()));
    return std::nullopt;
}

QByteArray inlineHtmlFile(const QByteArray& bytes, const QString& filePath,
                          const FolderInput& input, QStringList* notRead) {
    const ResourceLoader fromDisk =
        [&input, notRead](const QString& reference,
                          const QString& base) -> std::optional<LinkedResource> {
        const std::optional<QString> path =
            resolveInTree(input.folder(), QFileInfo(base).absolutePath(), reference);
        if (!path)
            return std::nullopt;
        InputFile file = input.read(*path, kMaxLinkedFile);
        if (!file.ok()) {
            const QString entry = input.nameOf(*path) + QStringLiteral(": ") + file.refusal;
            if (notRead && !notRead->contains(entry))
                notRead->append(entry);
            return std::nullopt;
        }
        LinkedResource found;
        found.bytes = std::move(file.bytes);
        found.mimeType = typeByExtension(*path);
        const QByteArray sniffed = sniffBinaryType(found.bytes);
        if (!sniffed.isEmpty())
            found.mimeType = sniffed;
        found.location = file.realPath; // one file under two names is inlined once
        return found;
    };
    LinkedResource page;
    page.bytes = bytes;
    page.mimeType = "text/html";
    page.location = filePath;
    return inlineHtml(page, fromDisk);
}

QByteArray sniffBinaryType(const QByteArray& bytes) {
    if (bytes.startsWith("\x89PNG\r\n\x1A\n"))
        return "image/png";
    if (bytes.startsWith("\xFF\xD8\xFF"))
        return "image/jpeg";
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))
        return "image/gif";
    if (bytes.size() >= 12 && bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WEBP")
        return "image/webp";
    if (bytes.startsWith("BM") && bytes.size() > 18) {
        // The size of the header after the file header tells a bitmap from a text.
        const int header = uchar(bytes[14]) | uchar(bytes[15]) << 8;
        if ((header == 12 || header == 40 || header == 56 || header == 108 || header == 124) &&
            bytes[16] == 0 && bytes[17] == 0)
            return "image/bmp";
    }
    if (bytes.left(1024).contains("%PDF-"))
        return "application/pdf";
    return {};
}
