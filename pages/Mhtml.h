#pragma once

#include <QByteArray>

#include <optional>

// Web pages saved as one file (MHTML: a MIME message of the HTML page and the
// files it uses), read with GMime.

// Whether the bytes start as a MIME message does: a block of header lines
// naming a content type or MIME version, then an empty line. Plain HTML saved
// under an ".mht" name does not.
bool looksLikeMhtml(const QByteArray& bytes);

// The archive's HTML page with its images, style sheets (and the images they
// use), scripts and frames taken from the archive's other parts, found by
// Content-Location or "cid:", and inlined: one self-contained UTF-8 HTML
// document. Nothing when the archive holds no HTML page or is cut short (a
// multipart without its closing boundary).
std::optional<QByteArray> mhtmlToHtml(const QByteArray& archive);
