#include "forms/TiffPages.h"

#include <tiffio.h>

#include <cstring>
#include <limits>

namespace {

// libtiff reads through these from the bytes in memory.
struct Source {
    const QByteArray* bytes = nullptr;
    toff_t position = 0;
};

tmsize_t readBytes(thandle_t handle, void* into, tmsize_t count) {
    auto* source = static_cast<Source*>(handle);
    const auto size = toff_t(source->bytes->size());
    if (count <= 0 || source->position >= size)
        return 0;
    const auto n = tmsize_t(std::min<toff_t>(toff_t(count), size - source->position));
    std::memcpy(into, source->bytes->constData() + source->position, size_t(n));
    source->position += toff_t(n);
    return n;
}

tmsize_t writeNothing(thandle_t, void*, tmsize_t) {
    return 0;
}

toff_t seekTo(thandle_t handle, toff_t offset, int whence) {
    auto* source = static_cast<Source*>(handle);
    const auto size = toff_t(source->bytes->size());
    toff_t base = 0;
    if (whence == SEEK_CUR)
        base = source->position;
    else if (whence == SEEK_END)
        base = size;
    // An offset past the end stays there: the next read gives nothing.
    if (offset > std::numeric_limits<toff_t>::max() - base)
        return toff_t(-1);
    source->position = base + offset;
    return source->position;
}

int closeNothing(thandle_t) {
    return 0;
}

toff_t sizeOf(thandle_t handle) {
    return toff_t(static_cast<Source*>(handle)->bytes->size());
}

int mapNothing(thandle_t, void**, toff_t*) {
    return 0;
}
void unmapNothing(thandle_t, void*, toff_t) {}

// A damaged file is reported by what the calls return; libtiff's own
// messages would only reach the terminal.
void quiet(const char*, const char*, va_list) {}

} // namespace

struct TiffPages::State {
    Source source;
    TIFF* tiff = nullptr;
    int count = 0;
};

TiffPages::TiffPages(const QByteArray& bytes) : d(std::make_unique<State>()) {
    TIFFSetErrorHandler(quiet);
    TIFFSetWarningHandler(quiet);
    d->source.bytes = &bytes;
    // "m": never map the file (it is not one); the bytes are read through readBytes.
    d->tiff = TIFFClientOpen("form", "rm", &d->source, readBytes, writeNothing, seekTo,
                             closeNothing, sizeOf, mapNothing, unmapNothing);
    if (d->tiff)
        d->count = int(TIFFNumberOfDirectories(d->tiff));
}

TiffPages::~TiffPages() {
    if (d->tiff)
        TIFFClose(d->tiff);
}

bool TiffPages::looksLikeTiff(const QByteArray& bytes) {
    return bytes.startsWith(QByteArray("II*\0", 4)) || bytes.startsWith(QByteArray("MM\0*", 4)) ||
           bytes.startsWith(QByteArray("II+\0", 4)) || bytes.startsWith(QByteArray("MM\0+", 4));
}

bool TiffPages::isOpen() const {
    return d->tiff != nullptr;
}

int TiffPages::count() const {
    return d->count;
}

QSize TiffPages::size(int index) {
    if (!d->tiff || index < 0 || index >= d->count || !TIFFSetDirectory(d->tiff, tdir_t(index)))
        return {};
    uint32_t width = 0, height = 0;
    if (!TIFFGetField(d->tiff, TIFFTAG_IMAGEWIDTH, &width) ||
        !TIFFGetField(d->tiff, TIFFTAG_IMAGELENGTH, &height) || width == 0 || height == 0 ||
        width > uint32_t(std::numeric_limits<int>::max() / 4) ||
        height > uint32_t(std::numeric_limits<int>::max()))
        return {};
    return {int(width), int(height)};
}

QImage TiffPages::read(int index) {
    const QSize pixels = size(index);
    if (pixels.isEmpty())
        return {};
    // libtiff gives each pixel as R, G, B, A bytes, rows from the top.
    QImage image(pixels, QImage::Format_RGBA8888);
    if (image.isNull() || image.bytesPerLine() != qsizetype(pixels.width()) * 4)
        return {};
    if (!TIFFReadRGBAImageOriented(
            d->tiff, uint32_t(pixels.width()), uint32_t(pixels.height()),
            reinterpret_cast<uint32_t*>(image.bits()), ORIENTATION_TOPLEFT,
            1)) // a damaged strip refuses the page rather than leave it part grey
        return {};
    return image;
}
