#pragma once

#include "core/SafeInput.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

// Turns a question page and the files it refers to into one self-contained
// UTF-8 HTML document: images, style sheets (and what they refer to), scripts
// and frames become data: addresses. Where the linked files come from is the
// caller's business (the disk, or the parts of an MHTML archive).

// A file a page refers to.
struct LinkedResource {
    QByteArray bytes;
    QByteArray mimeType; // lower case, without parameters; empty when unknown
    QByteArray charset;  // the charset declared outside the content, empty when none
    QString location;    // where it stands: the base for its own references, and what
                         // tells it from other files (each file is inlined once)
};

// Gives the file a reference (as written in the page, entities undone)
// names, seen from `base`; nothing when there is none or it may not be read.
using ResourceLoader =
    std::function<std::optional<LinkedResource>(const QString& reference, const QString& base)>;

// The text of an HTML page: a byte order mark first, then the charset declared
// outside the page, then its <meta>; without any, UTF-8 when the bytes are valid
// UTF-8, else Windows-1254 (the code page the classic question files are in).
QString decodeHtml(const QByteArray& bytes, const QByteArray& declaredCharset = {});

// The page with every reference the loader resolves inlined, and its charset
// declared as UTF-8 at the start of <head>. The result is UTF-8.
QByteArray inlineHtml(const LinkedResource& page, const ResourceLoader& load);

// A question page on disk, with its relative images, style sheets and scripts
// read from the input's folder under its rule: absolute paths, addresses with
// a scheme and ".." steps out of the tree are left as they are and never
// read; a file the rule refuses is left as it is too and named, with the
// reason, in `notRead` ("name: reason", the name relative to the folder).
QByteArray inlineHtmlFile(const QByteArray& bytes, const QString& filePath,
                          const FolderInput& input, QStringList* notRead = nullptr);

// The path of an entry in `rootFolder`'s tree named by a relative path seen
// from `fromFolder` (also in the tree); "\" counts as "/", and a name that
// differs only in letter case is found as Windows would. Nothing when the
// path steps out of the tree or names a folder or nothing. Where the entry
// really leads (a link) is for the reading rule to judge (core/SafeInput).
std::optional<QString> resolveInTree(const QString& rootFolder, const QString& fromFolder,
                                     const QString& relativePath);

// The media type a file's first bytes show: image types, "application/pdf",
// or empty when they show none of these.
QByteArray sniffBinaryType(const QByteArray& bytes);
