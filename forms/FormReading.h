#pragma once

#include "results/GeneratedTest.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>
#include <optional>
#include <vector>

// Reading filled optical forms from scanned pages and phone photos: the four
// corner markers are found (at any of the four turns of the page), the page is
// straightened by its perspective, the QR code names the test and the layout,
// and every bubble's inner area is measured. Each row is decided by its own
// bubbles (darkness relative to the row, not one threshold for every scanner):
// one clear mark is the answer, none is blank; two marks, a faint or partial
// mark or an eraser's smudge is flagged, never guessed. No widget.

// A row the reader would not decide.
struct FormFlag {
    enum class Row { Answer, Number, Booklet };
    Row row = Row::Answer;
    int question = 0; // Answer: the question as printed, 1-based
    int position = 0; // Number: the digit's place, 1-based from the left
    QString reason;   // Turkish: "İki işaret", "Silik işaret", "Silinmiş işaret", …
    QImage cutout;    // the row as it looks on the straightened sheet
    QStringList choices; // what the teacher may choose: the row's letters (or digits) and "Boş"
};

// One page of one file, read or refused.
struct ReadSheet {
    QString file; // as given
    int page = 1; // 1-based page of a PDF or multi-page TIFF; 1 for an image
    QString refused; // not empty: the page was not read, and why (Turkish)

    QString identity; // the test the QR code names
    int layoutVersion = 0;
    // The pupil's number: the digits read, an empty place left out and "?"
    // for a flagged one (the k-th "?" is the k-th digit flag); from the QR
    // code of a pupil's own form.
    QString number;
    bool numberFromCode = false;
    // The booklet marked: "A".."D", "?" when flagged; "A" on a one-booklet test.
    QString booklet;
    // One character per printed question: the letter, "." for none, "?" flagged.
    QString answers;
    std::vector<FormFlag> flags;
    QImage nameBox; // the handwritten name box, cut out of the straightened sheet
};

// Largest image the reader decodes (pixels); a larger one is refused unread.
inline constexpr qint64 kMaxSheetPixels = 60'000'000;
// Most pages of one file.
inline constexpr int kMaxSheetPages = 2000;

// Finds the stored test of an identity (nothing: a form of a test this
// database does not know, refused naming the identity).
using TestLookup = std::function<std::optional<GeneratedTest>(const QString& identity)>;
// Told after each page; false cancels the rest of the batch.
using ReadProgress = std::function<bool(int pagesDone, int pagesKnown)>;

// Reads one page image (already decoded). Never throws for a bad page: the
// sheet comes back refused with its reason.
ReadSheet readSheet(const QImage& page, const TestLookup& testOf);

// Reads every page of every file (PNG, JPEG, TIFF with several pages, PDF
// rendered at 300 dpi): a damaged, unreadable, oversized or unknown file or page is one
// refused sheet and the rest of the batch is read. Files are read as
// untrusted: regular files only, sizes bounded.
std::vector<ReadSheet> readFormFiles(const QStringList& files, const TestLookup& testOf,
                                     const ReadProgress& progress = {});
