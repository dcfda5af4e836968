// The MHTML reader and the HTML inliner on arbitrary bytes: no crash, no
// endless loop, and whatever comes out is one UTF-8 document that declares
// itself so. The seeds are pages saved by Chromium and a small archive in the
// style of older programs (frames, imports, "cid:", a Windows path).

#include "FuzzSupport.h"
#include "pages/HtmlInline.h"
#include "pages/Mhtml.h"

#include <QStringDecoder>

namespace {

void checkDocument(const QByteArray& html, const char* what) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(html);
    FUZZ_CHECK_MSG(!utf8.hasError(), QString::fromLatin1(what));
    FUZZ_CHECK_MSG(text.contains(QStringLiteral("<meta charset=\"utf-8\">")),
                   QString::fromLatin1(what));
    FUZZ_CHECK_MSG(!text.contains(QChar(0xFDD0)), QString::fromLatin1(what));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    looksLikeMhtml(bytes);
    if (const std::optional<QByteArray> html = mhtmlToHtml(bytes))
        checkDocument(*html, "MHTML");

    // The same bytes as a page whose every reference names the page itself:
    // frames in frames and sheets importing sheets end, each inlined once.
    const ResourceLoader self = [&bytes](const QString& reference,
                                         const QString&) -> std::optional<LinkedResource> {
        if (reference.endsWith(QStringLiteral(".css")))
            return LinkedResource{bytes, "text/css", {}, reference};
        if (reference.endsWith(QStringLiteral(".png")))
            return LinkedResource{bytes, {}, {}, reference};
        return LinkedResource{bytes, "text/html", {}, reference};
    };
    checkDocument(inlineHtml({bytes, "text/html", {}, QStringLiteral("http://x/s1.htm")}, self),
                  "HTML");
    return 0;
}
