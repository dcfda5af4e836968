#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// One question of the single page, made self-contained so the page needs no
// sibling file when a pupil opens it.
struct EmbeddedQuestion {
    enum class Kind {
        Missing, // no readable file: the page says "Soru n bulunamadı" in its place
        Html,    // one UTF-8 HTML document with every image and style sheet inlined
        Image,   // PNG, JPEG, GIF, WebP or SVG bytes
        Pdf,     // a PDF document, with its pages as images in `pageImages`
    };
    Kind kind = Kind::Missing;
    QString mimeType;    // "text/html", "image/png", "application/pdf", ...
    QByteArray data;     // the bytes the page embeds
    QString sourceName;  // the file it came from (empty when missing)
    QStringList notRead; // its files the reading rule refused, each "name: reason"

    // A PDF's pages rendered when the page is written (PNG or JPEG, in page
    // order): not every browser, phone or printer shows a PDF inside a page,
    // every one shows an image. `data` keeps the PDF for its "Aç" link.
    QList<QByteArray> pageImages = {};
    // What of the question the page does not show, said under it ("" for nothing).
    QString leftOut = {};
};
