#include "pages/QuestionFiles.h"

#include "pages/HtmlInline.h"
#include "pages/Mhtml.h"
#include "pages/PdfPages.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

// A question larger than this would make the page too heavy to open on a phone.
constexpr qint64 kMaxQuestionFile = 64 * 1024 * 1024;

const char16_t* const kExtensions[] = {u".mht",  u".mhtml", u".html", u".htm", u".png", u".jpg",
                                       u".jpeg", u".gif",   u".webp", u".svg", u".pdf"};

quint32 littleEndian32(const QByteArray& bytes, qsizetype at) {
    return quint32(uchar(bytes[at])) | quint32(uchar(bytes[at + 1])) << 8 |
           quint32(uchar(bytes[at + 2])) << 16 | quint32(uchar(bytes[at + 3])) << 24;
}

// Whether an image or PDF ends as a whole file does: a cut-short one shows
// broken or not at all.
bool isComplete(const QByteArray& bytes, const QByteArray& type) {
    if (type == "image/png")
        return bytes.right(64).contains("IEND");
    if (type == "image/jpeg")
        return bytes.right(64).contains("\xFF\xD9");
    if (type == "image/gif")
        return bytes.right(16).contains(';');
    if (type == "image/webp")
        return qint64(littleEndian32(bytes, 4)) + 8 <= bytes.size();
    if (type == "image/bmp")
        return qint64(littleEndian32(bytes, 2)) <= bytes.size();
    if (type == "application/pdf")
        return bytes.right(2048).contains("%%EOF");
    return true;
}

// Text, not binary: no control byte other than the blanks in its start (a
// byte order mark of UTF-16 excepted).
bool looksLikeText(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return true;
    for (const char c : bytes.left(4096)) {
        const uchar b = uchar(c);
        if (b < 0x20 && b != '\t' && b != '\n' && b != '\r' && b != '\f' && b != 0x1B)
            return false;
    }
    return true;
}

// A first line like "From: <Saved by ...>" or "MIME-Version: 1.0": an MHTML
// file whose header block is cut short. A page never starts so.
bool startsWithHeaderLine(const QByteArray& bytes) {
    static const QRegularExpression header(u"^[A-Za-z][A-Za-z0-9-]*:[ \\t]"_s);
    return header.match(QString::fromLatin1(bytes.left(256))).hasMatch();
}

// Some markup: a tag, a comment or a doctype. Text without any (also the
// header lines of an MHTML file cut short) is no page.
bool hasMarkup(const QByteArray& bytes) {
    static const QRegularExpression tag(u"<[A-Za-z!/]"_s);
    // NUL bytes dropped: markup in UTF-16 is found as well.
    return tag.match(QString::fromLatin1(bytes.left(65536).replace('\0', QByteArray()))).hasMatch();
}

// An SVG image rather than a page: its first element is <svg>.
bool looksLikeSvg(const QByteArray& bytes) {
    const QByteArray start = bytes.left(4096).toLower();
    const qsizetype svg = start.indexOf("<svg");
    if (svg < 0)
        return false;
    const qsizetype html = start.indexOf("<html");
    const qsizetype body = start.indexOf("<body");
    return (html < 0 || html > svg) && (body < 0 || body > svg);
}

EmbeddedQuestion made(EmbeddedQuestion::Kind kind, const QByteArray& mimeType, QByteArray data,
                      const QString& filePath, const FolderInput& input) {
    EmbeddedQuestion question;
    question.kind = kind;
    question.mimeType = QString::fromLatin1(mimeType);
    question.data = std::move(data);
    question.sourceName = QDir(input.folder()).relativeFilePath(filePath);
    return question;
}

// A PDF shown as its pages' images; one that cannot be shown is a question
// that could not be read, named with the reason. What is left out of it is
// said both to the pupil and to the teacher.
EmbeddedQuestion pdfQuestion(const QByteArray& bytes, const QString& filePath,
                             const FolderInput& input) {
    PdfPageImages pages = renderPdfPages(bytes);
    const QString name = input.nameOf(filePath);
    if (!pages.refusal.isEmpty()) {
        EmbeddedQuestion unread;
        unread.notRead << name + u": "_s + pages.refusal;
        return unread;
    }
    EmbeddedQuestion question =
        made(EmbeddedQuestion::Kind::Pdf, "application/pdf", bytes, filePath, input);
    question.pageImages = std::move(pages.images);
    question.leftOut = pages.leftOut;
    if (!question.leftOut.isEmpty())
        question.notRead << name + u": "_s + question.leftOut;
    return question;
}

} // namespace

namespace {

// Every file that could be question `number`'s, in the order they are tried.
QStringList questionFileCandidates(const QString& outputFolder, const QString& keyRowFileName,
                                   const QString& stem, int number) {
    QStringList found;
    if (!keyRowFileName.trimmed().isEmpty())
        if (auto named = resolveInTree(outputFolder, outputFolder, keyRowFileName))
            found << *named;
    const QString base = stem + u's' + QString::number(number);
    for (const char16_t* extension : kExtensions)
        if (auto path =
                resolveInTree(outputFolder, outputFolder, base + QString::fromUtf16(extension)))
            found << *path;
    found.removeDuplicates(); // the key row's name is mostly the stem's own
    return found;
}

} // namespace

std::optional<QString> findQuestionFile(const QString& outputFolder, const QString& keyRowFileName,
                                        const QString& stem, int number) {
    const QStringList found = questionFileCandidates(outputFolder, keyRowFileName, stem, number);
    if (found.isEmpty())
        return std::nullopt;
    return found.first();
}

EmbeddedQuestion embedQuestionBytes(const QByteArray& bytes, const QString& filePath,
                                    const FolderInput& input) {
    using Kind = EmbeddedQuestion::Kind;
    if (bytes.trimmed().isEmpty())
        return {};
    const QByteArray binaryType = sniffBinaryType(bytes);
    if (!binaryType.isEmpty()) {
        if (!isComplete(bytes, binaryType))
            return {};
        if (binaryType == "application/pdf")
            return pdfQuestion(bytes, filePath, input);
        return made(Kind::Image, binaryType, bytes, filePath, input);
    }
    if (looksLikeMhtml(bytes)) {
        std::optional<QByteArray> html = mhtmlToHtml(bytes);
        if (!html)
            return {};
        return made(Kind::Html, "text/html", std::move(*html), filePath, input);
    }
    if (!looksLikeText(bytes) || !hasMarkup(bytes) || startsWithHeaderLine(bytes))
        return {};
    if (looksLikeSvg(bytes))
        return made(Kind::Image, "image/svg+xml", bytes, filePath, input);
    QStringList notRead;
    EmbeddedQuestion question = made(
        Kind::Html, "text/html", inlineHtmlFile(bytes, filePath, input, &notRead), filePath, input);
    question.notRead = notRead;
    return question;
}

EmbeddedQuestion embedQuestion(const QString& outputFolder, const QString& keyRowFileName,
                               const QString& stem, int number, const QStringList& privatePaths) {
    const FolderInput input(outputFolder, privatePaths);
    // A file the rule refuses is passed over for the next one, and named.
    QStringList refused;
    for (const QString& path : questionFileCandidates(outputFolder, keyRowFileName, stem, number)) {
        const InputFile file = input.read(path, kMaxQuestionFile);
        if (!file.ok()) {
            refused << input.nameOf(path) + QStringLiteral(": ") + file.refusal;
            continue;
        }
        EmbeddedQuestion question = embedQuestionBytes(file.bytes, path, input);
        question.notRead = refused + question.notRead;
        question.notRead.removeDuplicates();
        return question;
    }
    EmbeddedQuestion missing;
    missing.notRead = refused;
    return missing;
}

std::vector<EmbeddedQuestion> embedQuestions(const QString& outputFolder,
                                             const QStringList& keyRowFileNames,
                                             const QString& stem, const QStringList& privatePaths) {
    std::vector<EmbeddedQuestion> questions;
    questions.reserve(std::size_t(keyRowFileNames.size()));
    for (qsizetype i = 0; i < keyRowFileNames.size(); ++i)
        questions.push_back(
            embedQuestion(outputFolder, keyRowFileNames[i], stem, int(i + 1), privatePaths));
    return questions;
}

QList<int> missingQuestionNumbers(const std::vector<EmbeddedQuestion>& questions) {
    QList<int> missing;
    for (std::size_t i = 0; i < questions.size(); ++i)
        if (questions[i].kind == EmbeddedQuestion::Kind::Missing)
            missing.append(int(i + 1));
    return missing;
}
