#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A question's PDF turned into one image per page, for browsers and printers
// that show no PDF inside a page. The PDF is the teacher's (or a stranger's)
// file: what it costs is bounded, in pages and in pixels per page.
struct PdfPageImages {
    QList<QByteArray> images; // PNG or JPEG, whichever is smaller, in page order
    QString refusal;          // why no page could be shown (Turkish); empty when shown
    QString leftOut;          // what was not shown, said to the pupil (Turkish); empty if nothing
};

// At most this many pages of one question are shown.
inline constexpr int kMaxPdfQuestionPages = 20;

PdfPageImages renderPdfPages(const QByteArray& pdf);
