#include "forms/FormImages.h"

#include "core/Platform.h"
#include "forms/FormReading.h"
#include "forms/TiffPages.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QPdfDocument>

#include <cmath>

using namespace Qt::StringLiterals;

struct FormPageSource::Decoder {
    QByteArray bytes;
    QBuffer buffer;
    QPdfDocument pdf;
    std::unique_ptr<QImageReader> reader; // PNG and JPEG
    std::unique_ptr<TiffPages> tiff;      // a scanner's pages in one TIFF file
};

namespace {

QString tooLarge(qint64 pixels) {
    return u"Görüntü çok büyük (%1 milyon nokta; en çok %2 milyon okunur)"_s
        .arg(double(pixels) / 1e6, 0, 'f', 1)
        .arg(kMaxSheetPixels / 1'000'000);
}

// A PDF page at kPdfDotsPerInch, smaller when that would pass the pixel bound.
QSize pdfPixels(QSizeF points) {
    if (!(points.width() > 0 && points.height() > 0) || !std::isfinite(points.width()) ||
        !std::isfinite(points.height()))
        return {};
    double scale = kPdfDotsPerInch / 72;
    const double pixels = points.width() * points.height() * scale * scale;
    if (pixels > double(kMaxSheetPixels))
        scale *= std::sqrt(double(kMaxSheetPixels) / pixels);
    return {qMax(1, int(points.width() * scale)), qMax(1, int(points.height() * scale))};
}

// A JPEG cut short still decodes, the missing part grey: its end marker
// must be there (a few bytes of padding after it are common).
bool truncatedJpeg(const QByteArray& bytes) {
    return bytes.startsWith("\xff\xd8") && !bytes.right(1024).contains("\xff\xd9");
}

// Rendered on white: the renderer leaves paper without a background transparent.
QImage greyOnWhite(const QImage& rendered) {
    QImage page(rendered.size(), QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter(&page).drawImage(0, 0, rendered);
    return page.convertToFormat(QImage::Format_Grayscale8);
}

} // namespace

FormPageSource::FormPageSource(const QString& file) : decoder(std::make_unique<Decoder>()) {
    const platform::FileStatus status = platform::fileStatus(file);
    if (status.kind == platform::FileKind::Missing) {
        refusedText = u"Dosya bulunamadı"_s;
        return;
    }
    if (status.kind != platform::FileKind::Regular) {
        refusedText = u"Sıradan bir dosya değil (bağlantı, klasör ya da aygıt); okunmadı"_s;
        return;
    }
    if (status.size > kMaxFormFileBytes) {
        refusedText = u"Dosya çok büyük (en çok %1 MB okunur)"_s.arg(kMaxFormFileBytes >> 20);
        return;
    }
    QString why;
    std::optional<QByteArray> bytes = platform::readSmallRegularFile(file, status.size, &why);
    if (!bytes) {
        refusedText = u"Dosya okunamadı: %1"_s.arg(why);
        return;
    }
    decoder->bytes = std::move(*bytes);
    decoder->buffer.setBuffer(&decoder->bytes);
    decoder->buffer.open(QIODevice::ReadOnly);

    if (decoder->bytes.startsWith("%PDF-")) {
        decoder->pdf.load(&decoder->buffer);
        if (decoder->pdf.status() != QPdfDocument::Status::Ready) {
            refusedText = decoder->pdf.error() == QPdfDocument::Error::IncorrectPassword
                              ? u"PDF parolayla korunuyor; açılamadı"_s
                              : u"PDF bozuk; açılamadı"_s;
            return;
        }
        pages = decoder->pdf.pageCount();
    } else if (TiffPages::looksLikeTiff(decoder->bytes)) {
        decoder->tiff = std::make_unique<TiffPages>(decoder->bytes);
        if (!decoder->tiff->isOpen()) {
            refusedText = u"TIFF dosyası bozuk; açılamadı"_s;
            return;
        }
        pages = decoder->tiff->count();
    } else {
        decoder->reader = std::make_unique<QImageReader>(&decoder->buffer);
        // A second bound inside the decoder, for a header that does not tell the size.
        decoder->reader->setAllocationLimit(int(kMaxSheetPixels * 4 / (1 << 20)) + 1);
        if (!decoder->reader->canRead() || truncatedJpeg(decoder->bytes)) {
            refusedText = u"Görüntü ya da PDF değil, ya da bozuk veya yarım; okunamadı"_s;
            return;
        }
        pages = qMax(1, decoder->reader->imageCount());
    }
    if (pages <= 0)
        refusedText = u"Dosyada sayfa yok"_s;
    else if (pages > kMaxSheetPages)
        refusedText = u"Dosyada %1 sayfa var; bir dosyadan en çok %2 sayfa okunur"_s.arg(pages).arg(
            kMaxSheetPages);
}

FormPageSource::~FormPageSource() = default;

FormPage FormPageSource::page(int index) {
    FormPage out;
    if (decoder->tiff) {
        const QSize size = decoder->tiff->size(index);
        if (size.isEmpty()) {
            out.refused = u"Sayfaya ulaşılamadı; dosya bozuk"_s;
            return out;
        }
        if (const qint64 pixels = qint64(size.width()) * size.height(); pixels > kMaxSheetPixels) {
            out.refused = tooLarge(pixels);
            return out;
        }
        const QImage image = decoder->tiff->read(index);
        if (image.isNull())
            out.refused = u"Görüntü bozuk; okunamadı"_s;
        else
            out.image = greyOnWhite(image);
        return out;
    }
    if (!decoder->reader) {
        const QSize size = pdfPixels(decoder->pdf.pagePointSize(index));
        // Without smoothing: faster, and the edges the reader measures are no
        // different. In colour: the renderer's own grey costs a third more on
        // a scanner's page image than greyOnWhite does.
        QPdfDocumentRenderOptions options;
        options.setRenderFlags(QPdfDocumentRenderOptions::RenderFlag::ImageAliased |
                               QPdfDocumentRenderOptions::RenderFlag::TextAliased |
                               QPdfDocumentRenderOptions::RenderFlag::PathAliased);
        const QImage rendered =
            size.isEmpty() ? QImage() : decoder->pdf.render(index, size, options);
        if (rendered.isNull())
            out.refused = u"PDF sayfası çizilemedi"_s;
        else
            out.image = greyOnWhite(rendered);
        return out;
    }
    QImageReader& reader = *decoder->reader;
    if (index > 0 && !reader.jumpToImage(index)) {
        out.refused = u"Sayfaya ulaşılamadı; dosya bozuk"_s;
        return out;
    }
    const QSize size = reader.size();
    const qint64 pixels = qint64(size.width()) * size.height();
    if (pixels > kMaxSheetPixels) {
        out.refused = tooLarge(pixels);
        return out;
    }
    QImage image = reader.read();
    if (image.isNull()) {
        out.refused = u"Görüntü bozuk; okunamadı (%1)"_s.arg(reader.errorString());
        return out;
    }
    if (qint64(image.width()) * image.height() > kMaxSheetPixels) {
        out.refused = tooLarge(qint64(image.width()) * image.height());
        return out;
    }
    if (image.hasAlphaChannel()) {
        QImage onWhite(image.size(), QImage::Format_RGB32);
        onWhite.fill(Qt::white);
        QPainter(&onWhite).drawImage(0, 0, image);
        image = onWhite;
    }
    out.image = image.convertToFormat(QImage::Format_Grayscale8);
    return out;
}
