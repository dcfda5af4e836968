#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <memory>

// The pages of a TIFF file already read into memory (a scanner's several
// pages in one file), decoded by libtiff one at a time. The bytes are
// untrusted: a damaged directory or page gives an empty size or a null image,
// never a crash, and libtiff says nothing on the program's output.
class TiffPages {
public:
    // `bytes` must stay alive and unchanged while this object lives.
    explicit TiffPages(const QByteArray& bytes);
    ~TiffPages();
    TiffPages(const TiffPages&) = delete;
    TiffPages& operator=(const TiffPages&) = delete;

    // Whether the bytes begin as a TIFF file does.
    static bool looksLikeTiff(const QByteArray& bytes);

    bool isOpen() const;
    int count() const;
    // The size page `index` says it has, read before any pixel is decoded.
    QSize size(int index);
    // Page `index` decoded; null when it is damaged.
    QImage read(int index);

private:
    struct State;
    std::unique_ptr<State> d;
};
