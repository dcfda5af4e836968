#pragma once

#include <QImage>
#include <QString>
#include <QtGlobal>

#include <memory>

// The pages of one scanned or photographed file, decoded one at a time so
// that a batch of hundreds of pages never holds more than one of them:
// PNG, JPEG, TIFF with several pages, PDF rendered at 200 dpi. The file is
// untrusted: only a regular file, not a link, at most kMaxFormFileBytes; an
// image whose header says it is larger than kMaxSheetPixels is refused before
// it is decoded. No widget.

inline constexpr qint64 kMaxFormFileBytes = qint64(1) << 30;
// Enough for the marks (a bubble's inner disc is 11 pixels across the radius,
// a QR module 6), and Qt PDF draws a scanner's 300-dpi page image almost twice
// as fast as at 300 dpi.
inline constexpr double kPdfDotsPerInch = 200;

struct FormPage {
    QImage image;    // grey, empty when refused
    QString refused; // why the page could not be decoded (Turkish)
};

class FormPageSource {
public:
    explicit FormPageSource(const QString& file);
    ~FormPageSource();
    FormPageSource(const FormPageSource&) = delete;
    FormPageSource& operator=(const FormPageSource&) = delete;

    // Not empty: the whole file was refused and has no pages.
    const QString& refused() const { return refusedText; }
    int pageCount() const { return pages; }
    // Page `index` (0-based), asked for in order.
    FormPage page(int index);

private:
    struct Decoder;
    std::unique_ptr<Decoder> decoder;
    QString refusedText;
    int pages = 0;
};
