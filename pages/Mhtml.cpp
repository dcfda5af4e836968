// GMime's headers come first: GLib names a structure member "signals", which
// Qt defines as a keyword.
#include <gmime/gmime.h>

#include "pages/HtmlInline.h"
#include "pages/Mhtml.h"

#include <QHash>
#include <QString>
#include <QUrl>

#include <memory>
#include <mutex>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// A message nested deeper than this is no page a program saved.
constexpr int kMaxNesting = 8;

struct Part {
    QByteArray mimeType;
    QByteArray charset;
    QString location;
    QString contentId;
    QByteArray bytes;
};

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T> using GPtr = std::unique_ptr<T, GObjectUnref>;

void initGMime() {
    static std::once_flag once;
    std::call_once(once, [] { g_mime_init(); });
}

QString headerText(const char* value) {
    return value ? QString::fromUtf8(value).trimmed() : QString();
}

QString withoutAngles(QString id) {
    id = id.trimmed();
    if (id.startsWith(u'<') && id.endsWith(u'>'))
        id = id.mid(1, id.size() - 2);
    return id;
}

QByteArray decodedContent(GMimePart* part) {
    GMimeDataWrapper* content = g_mime_part_get_content(part);
    if (!content)
        return {};
    GPtr<GMimeStream> out(g_mime_stream_mem_new());
    if (g_mime_data_wrapper_write_to_stream(content, out.get()) < 0)
        return {};
    const GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(out.get()));
    return bytes ? QByteArray(reinterpret_cast<const char*>(bytes->data), qsizetype(bytes->len))
                 : QByteArray();
}

// Collects the leaf parts; false when a multipart misses its closing boundary
// (the file was cut short) or the nesting is absurd.
bool collectParts(GMimeObject* object, const QByteArray& archive, int depth,
                  std::vector<Part>& parts) {
    if (depth > kMaxNesting)
        return false;
    if (GMIME_IS_MULTIPART(object)) {
        GMimeMultipart* multipart = GMIME_MULTIPART(object);
        const char* boundary = g_mime_multipart_get_boundary(multipart);
        if (!boundary || !archive.contains(QByteArray("--") + boundary + "--"))
            return false;
        const int count = g_mime_multipart_get_count(multipart);
        for (int i = 0; i < count; ++i)
            if (!collectParts(g_mime_multipart_get_part(multipart, i), archive, depth + 1, parts))
                return false;
        return true;
    }
    if (!GMIME_IS_PART(object))
        return true; // an attached message is no part of the page
    GMimePart* mimePart = GMIME_PART(object);
    Part part;
    if (GMimeContentType* type = g_mime_object_get_content_type(object)) {
        char* name = g_mime_content_type_get_mime_type(type);
        part.mimeType = QByteArray(name ? name : "").toLower();
        g_free(name);
    }
    part.charset = QByteArray(g_mime_object_get_content_type_parameter(object, "charset"));
    part.location = headerText(g_mime_part_get_content_location(mimePart));
    part.contentId = withoutAngles(headerText(g_mime_object_get_content_id(object)));
    part.bytes = decodedContent(mimePart);
    parts.push_back(std::move(part));
    return true;
}

// An address as a key: parsed and written back, so that "%C5%9F" and "ş" or a
// fragment make no difference.
QString addressKey(const QString& address) {
    const QUrl url(address);
    if (!url.isValid())
        return address;
    return url.adjusted(QUrl::RemoveFragment).toString(QUrl::FullyEncoded);
}

class ArchiveParts {
public:
    explicit ArchiveParts(std::vector<Part> parts) : m_parts(std::move(parts)) {
        for (qsizetype i = qsizetype(m_parts.size()) - 1; i >= 0; --i) {
            const Part& part = m_parts[std::size_t(i)];
            if (!part.contentId.isEmpty())
                m_byId.insert(part.contentId, i);
            if (!part.location.isEmpty()) {
                m_byLocation.insert(part.location, i);
                m_byLocation.insert(addressKey(part.location), i);
                m_byFoldedLocation.insert(addressKey(part.location).toLower(), i);
            }
        }
    }

    // The part the page begins with: the one the multipart names as its
    // start, else the first HTML part.
    const Part* page(const QString& startId) const {
        if (const auto it = m_byId.constFind(withoutAngles(startId));
            !startId.isEmpty() && it != m_byId.constEnd() &&
            m_parts[std::size_t(*it)].mimeType == "text/html")
            return &m_parts[std::size_t(*it)];
        for (const Part& part : m_parts)
            if (part.mimeType == "text/html")
                return &part;
        return nullptr;
    }

    const Part* find(QString reference, const QString& base) const {
        reference = reference.trimmed();
        reference.replace(u'\\', u'/');
        if (reference.startsWith(u"cid:"_s, Qt::CaseInsensitive)) {
            const QString id = withoutAngles(QUrl::fromPercentEncoding(reference.mid(4).toUtf8()));
            const auto it = m_byId.constFind(id);
            return it == m_byId.constEnd() ? nullptr : &m_parts[std::size_t(*it)];
        }
        if (const auto it = m_byLocation.constFind(reference); it != m_byLocation.constEnd())
            return &m_parts[std::size_t(*it)];
        const QString key = addressKey(QUrl(base).resolved(QUrl(reference)).toString());
        if (const auto it = m_byLocation.constFind(key); it != m_byLocation.constEnd())
            return &m_parts[std::size_t(*it)];
        // Pages saved on Windows do not mind letter case.
        if (const auto it = m_byFoldedLocation.constFind(key.toLower());
            it != m_byFoldedLocation.constEnd())
            return &m_parts[std::size_t(*it)];
        return nullptr;
    }

private:
    std::vector<Part> m_parts;
    QHash<QString, qsizetype> m_byId;
    QHash<QString, qsizetype> m_byLocation;
    QHash<QString, qsizetype> m_byFoldedLocation;
};

LinkedResource asResource(const Part& part, const QString& fallbackLocation) {
    QString location = part.location;
    if (location.isEmpty())
        location = part.contentId.isEmpty() ? fallbackLocation : u"cid:"_s + part.contentId;
    return {part.bytes, part.mimeType, part.charset, location};
}

} // namespace

bool looksLikeMhtml(const QByteArray& bytes) {
    const QByteArray head = bytes.left(16384);
    bool namesMime = false;
    qsizetype at = 0;
    bool first = true;
    while (at < head.size()) {
        qsizetype end = head.indexOf('\n', at);
        if (end < 0)
            return false; // no end of the header block in sight
        QByteArray line = head.mid(at, end - at);
        at = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            return !first && namesMime;
        if (line.front() == ' ' || line.front() == '\t') {
            if (first)
                return false; // a continuation needs a header before it
            continue;
        }
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            return false;
        for (qsizetype i = 0; i < colon; ++i)
            if (uchar(line[i]) <= 0x20 || uchar(line[i]) >= 0x7F)
                return false;
        const QByteArray name = line.left(colon).toLower();
        namesMime = namesMime || name == "content-type" || name == "mime-version";
        first = false;
    }
    return false;
}

std::optional<QByteArray> mhtmlToHtml(const QByteArray& archive) {
    initGMime();
    GPtr<GMimeStream> stream(
        g_mime_stream_mem_new_with_buffer(archive.constData(), std::size_t(archive.size())));
    GPtr<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
    GPtr<GMimeMessage> message(g_mime_parser_construct_message(parser.get(), nullptr));
    if (!message)
        return std::nullopt;
    GMimeObject* body = g_mime_message_get_mime_part(message.get());
    if (!body)
        return std::nullopt;

    std::vector<Part> collected;
    if (!collectParts(body, archive, 0, collected))
        return std::nullopt;
    const ArchiveParts parts(std::move(collected));
    const Part* page =
        parts.page(headerText(g_mime_object_get_content_type_parameter(body, "start")));
    if (!page)
        return std::nullopt;

    // The page's own address, also where a saving browser names it only in the message header.
    QString pageLocation = page->location;
    if (pageLocation.isEmpty())
        pageLocation = headerText(
            g_mime_object_get_header(GMIME_OBJECT(message.get()), "Snapshot-Content-Location"));

    const ResourceLoader fromArchive =
        [&parts](const QString& reference, const QString& base) -> std::optional<LinkedResource> {
        const Part* part = parts.find(reference, base);
        if (!part)
            return std::nullopt;
        return asResource(*part, base);
    };
    return inlineHtml(asResource(*page, pageLocation), fromArchive);
}
