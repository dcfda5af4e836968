#include "pages/PdfPages.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPdfDocument>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// About 150 dpi: sharp on a phone and on paper, an A4 page is 1240 px wide.
constexpr double kDotsPerPoint = 150.0 / 72.0;
// No wider than an A4 page at that resolution, no taller than two of them:
// a page of ten metres is shown smaller, not at ten metres.
constexpr int kMaxWidth = 1240;
constexpr int kMaxHeight = 2 * 1754;

QString loadRefusal(QPdfDocument::Error error) {
    switch (error) {
    case QPdfDocument::Error::IncorrectPassword:
    case QPdfDocument::Error::UnsupportedSecurityScheme:
        return u"PDF parolayla korunuyor; açılamadı"_s;
    case QPdfDocument::Error::InvalidFileFormat:
        return u"PDF bozuk; açılamadı"_s;
    default:
        return u"PDF açılamadı"_s;
    }
}

// The page's size in pixels: about 150 dpi, within the bounds; empty for a
// page without a usable size.
QSize pixelSize(QSizeF points, bool* shrunk) {
    if (!(points.width() > 0 && points.height() > 0) || !std::isfinite(points.width()) ||
        !std::isfinite(points.height()))
        return {};
    const double scale =
        std::min({kDotsPerPoint, kMaxWidth / points.width(), kMaxHeight / points.height()});
    *shrunk = scale < kDotsPerPoint;
    const QSize size(qMax(1, int(points.width() * scale)), qMax(1, int(points.height() * scale)));
    return size;
}

// The smaller of PNG and JPEG: PNG for text and lines, JPEG for photographs.
QByteArray encoded(const QImage& image) {
    QByteArray png;
    QBuffer pngBuffer(&png);
    pngBuffer.open(QIODevice::WriteOnly);
    image.save(&pngBuffer, "PNG");
    QByteArray jpeg;
    QBuffer jpegBuffer(&jpeg);
    jpegBuffer.open(QIODevice::WriteOnly);
    image.save(&jpegBuffer, "JPEG", 85);
    return !jpeg.isEmpty() && (png.isEmpty() || jpeg.size() < png.size()) ? jpeg : png;
}

// Rendered on white: a PDF page without a background of its own would be
// transparent, and black in a JPEG.
QImage onWhite(const QImage& rendered) {
    QImage page(rendered.size(), QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.drawImage(0, 0, rendered);
    return page;
}

} // namespace

PdfPageImages renderPdfPages(const QByteArray& pdf) {
    PdfPageImages out;
    QByteArray bytes = pdf; // the buffer reads from its own copy; Qt shares the bytes
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    QPdfDocument document;
    document.load(&device); // a buffer is read at once, not in the background
    if (document.status() != QPdfDocument::Status::Ready) {
        out.refusal = loadRefusal(document.error());
        return out;
    }
    const int pages = document.pageCount();
    if (pages <= 0) {
        out.refusal = u"PDF'de sayfa yok"_s;
        return out;
    }
    QStringList notShown;
    if (pages > kMaxPdfQuestionPages)
        notShown << u"%1 sayfadan ilk %2 sayfa gösteriliyor"_s.arg(pages).arg(kMaxPdfQuestionPages);
    QList<int> shrunkPages;
    QList<int> unreadPages;
    for (int page = 0; page < qMin(pages, kMaxPdfQuestionPages); ++page) {
        bool shrunk = false;
        const QSize size = pixelSize(document.pagePointSize(page), &shrunk);
        const QImage rendered = size.isEmpty() ? QImage() : document.render(page, size);
        if (rendered.isNull()) {
            unreadPages << page + 1;
            continue;
        }
        if (shrunk)
            shrunkPages << page + 1;
        out.images << encoded(onWhite(rendered));
    }
    const auto numbers = [](const QList<int>& list) {
        QStringList texts;
        for (const int n : list)
            texts << QString::number(n);
        return texts.join(u", "_s);
    };
    if (!unreadPages.isEmpty())
        notShown << u"okunamayan sayfa: %1"_s.arg(numbers(unreadPages));
    if (!shrunkPages.isEmpty())
        notShown << u"çok büyük olduğu için küçültülen sayfa: %1"_s.arg(numbers(shrunkPages));
    if (out.images.isEmpty())
        out.refusal = u"PDF'nin hiçbir sayfası okunamadı"_s;
    else
        out.leftOut = notShown.join(u"; "_s);
    return out;
}
