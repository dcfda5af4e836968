// The page builders on arbitrary field texts and small counts: no crash, the
// documented line counts, every line ending in CR LF once encoded, the pages
// in valid Windows-1254 with every other character as a numeric character
// reference, and the data file well-formed UTF-8 XML that gives its values back.
//
// Input: four count bytes (question count, option count, explanation line
// count, unused), then texts separated by byte 0xFF (see FuzzFields).

#include "FuzzSupport.h"
#include "core/LineFile.h"
#include "pages/AnswerSheetPage.h"
#include "pages/DataFile.h"
#include "pages/FramesetPage.h"
#include "pages/QuestionPage.h"
#include "pages/ResultPage.h"

#include <QStringDecoder>
#include <QXmlStreamReader>

#include <algorithm>
#include <array>
#include <stdexcept>
#include <vector>

namespace {

// The Windows-1254 code page for bytes 0x80 to 0xFF, written out in full; 0
// marks a byte the code page leaves undefined.
constexpr std::array<char16_t, 128> kHighHalf = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0,      0,      // 88
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0,      0x0178, // 98
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7, // A0
    0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF, // A8
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7, // B0
    0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF, // B8
    0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7, // C0
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF, // C8
    0x011E, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7, // D0
    0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x0130, 0x015E, 0x00DF, // D8
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7, // E0
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF, // E8
    0x011F, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7, // F0
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x0131, 0x015F, 0x00FF, // F8
};

bool undefinedByte(unsigned char b) {
    return b == 0x81 || b == 0x8D || b == 0x8E || b == 0x8F || b == 0x90 || b == 0x9D || b == 0x9E;
}

// What the page bytes must be: every line's characters as their byte where
// the code page has one, else as "&#N;" of the code point (a lone surrogate
// stands for itself), then CR LF.
QByteArray expectedCp1254(const QStringList& lines) {
    QByteArray out;
    out.reserve(4096);
    for (const QString& line : lines) {
        for (qsizetype i = 0; i < line.size(); ++i) {
            const QChar unit = line.at(i);
            char32_t c = unit.unicode();
            if (unit.isHighSurrogate() && i + 1 < line.size() && line.at(i + 1).isLowSurrogate())
                c = QChar::surrogateToUcs4(unit, line.at(++i));
            if (c < 0x80) {
                out.append(char(c));
                continue;
            }
            const auto at = std::find(kHighHalf.begin(), kHighHalf.end(), char16_t(c));
            if (c <= 0xFFFF && at != kHighHalf.end())
                out.append(char(0x80 + (at - kHighHalf.begin())));
            else
                out.append("&#").append(QByteArray::number(quint32(c))).append(';');
        }
        out.append("\r\n");
    }
    return out;
}

bool hasLineBreakChar(const QString& text) {
    return text.contains(u'\r') || text.contains(u'\n');
}

// Checks one encoded page: its line ends, its code page bytes and its exact bytes.
void checkPage(const char* page, const QStringList& lines, bool fieldsHoldLineBreaks) {
    const QByteArray bytes = encodeCp1254Lines(lines);
    const QString name = QString::fromLatin1(page);

    FUZZ_CHECK_MSG(!lines.isEmpty() && bytes.endsWith("\r\n"), name);
    if (!fieldsHoldLineBreaks) {
        // Then CR and LF come only as the line ends: one per built line.
        FUZZ_CHECK_MSG(bytes.count('\n') == lines.size(), name);
        FUZZ_CHECK_MSG(bytes.count('\r') == lines.size(), name);
        FUZZ_CHECK_MSG(bytes.count("\r\n") == lines.size(), name);
    }
    for (const char b : bytes)
        FUZZ_CHECK_MSG(!undefinedByte(static_cast<unsigned char>(b)), name);
    FUZZ_CHECK_MSG(bytes == expectedCp1254(lines), name);
}

// What an XML reader must give back for a stored value: characters XML cannot
// carry become U+FFFD, and line ends read as LF, as XML prescribes.
QString expectedXmlValue(const QString& value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        const char16_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < value.size() && value.at(i + 1).isLowSurrogate()) {
            out.append(c).append(value.at(i + 1));
            ++i;
        } else if (c.isSurrogate() || u == 0xFFFE || u == 0xFFFF ||
                   (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r')) {
            out.append(QChar::ReplacementCharacter);
        } else if (u == u'\r') {
            out.append(u'\n');
            if (i + 1 < value.size() && value.at(i + 1) == u'\n')
                ++i;
        } else {
            out.append(c);
        }
    }
    return out;
}

void checkDataFile(qint32 questionCount, const std::vector<DataRecord>& records) {
    const QStringList lines = dataFileLines(questionCount, records);
    FUZZ_CHECK(lines.size() == 6 * qsizetype(records.size()) + 3);
    const QByteArray bytes = encodeUtf8Lines(lines);
    FUZZ_CHECK(bytes.endsWith("\r\n"));

    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8(bytes);
    FUZZ_CHECK(!utf8.hasError());
    FUZZ_CHECK(!decoded.startsWith(QChar::ByteOrderMark));

    QXmlStreamReader xml(bytes);
    QStringList files, keys, counts, numbers;
    QString root;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QStringView tag = xml.name();
        if (root.isEmpty())
            root = tag.toString();
        else if (tag == u"sdosya")
            files << xml.readElementText();
        else if (tag == u"dc")
            keys << xml.readElementText();
        else if (tag == u"sorusay")
            counts << xml.readElementText();
        else if (tag == u"soruno")
            numbers << xml.readElementText();
    }
    FUZZ_CHECK_MSG(!xml.hasError(), xml.errorString() + QStringLiteral(" at line ") +
                                        QString::number(xml.lineNumber()));
    FUZZ_CHECK(root == u"ICERIK");
    FUZZ_CHECK(files.size() == qsizetype(records.size()));
    FUZZ_CHECK(keys.size() == files.size() && counts.size() == files.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        const qsizetype at = qsizetype(i);
        FUZZ_CHECK(numbers.at(at) == QString::number(at + 1));
        FUZZ_CHECK(counts.at(at) == QString::number(questionCount));
        FUZZ_CHECK_MSG(files.at(at) == expectedXmlValue(records[i].file), files.at(at));
        FUZZ_CHECK_MSG(keys.at(at) == expectedXmlValue(records[i].key), keys.at(at));
    }

    // One record too few is refused, not written.
    if (!records.empty()) {
        bool refused = false;
        try {
            dataFileLines(questionCount,
                          std::vector<DataRecord>(records.begin(), records.end() - 1));
        } catch (const std::invalid_argument&) {
            refused = true;
        }
        FUZZ_CHECK(refused);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzFields input(data, size);
    // Small counts, a few of them zero or negative.
    const qint32 questionCount = qint32(input.byte() % 64) - 3;
    const qint32 optionCount = qint32(input.byte() % 10) - 2;
    const int explanationCount = input.byte() % 8;
    input.byte();

    bool lineBreaks = false;
    auto next = [&] {
        QString t = input.text();
        lineBreaks = lineBreaks || hasLineBreakChar(t);
        return t;
    };

    FramesetInput frameset;
    frameset.questionPageName = next();
    frameset.answerPageName = next();

    AnswerSheetInput sheet;
    sheet.resultPageName = next();
    sheet.pageColour = next();
    sheet.aceColour = next();
    sheet.bdColour = next();
    sheet.questionCount = questionCount;
    sheet.optionCount = optionCount;

    QuestionPageInput question;
    question.dataFileName = next();
    question.bodyColour = next();
    question.explanationColour = next();
    question.testName = next();
    question.navFolder = next();
    for (int i = 0; i < explanationCount; ++i)
        question.explanationLines << next();

    ResultPageInput result;
    result.questionCount = questionCount;
    result.dataFileName = question.dataFileName;
    result.pageColour = sheet.pageColour;

    std::vector<DataRecord> records;
    for (qint32 n = 0; n < questionCount; ++n) {
        DataRecord record;
        record.file = input.text();
        record.key = input.text();
        records.push_back(record);
    }

    const qint32 rows = std::max(questionCount, 0);
    const qsizetype columns = std::clamp(optionCount, 2, 5);

    const QStringList framesetPage = framesetLines(frameset);
    FUZZ_CHECK(framesetPage.size() == 9);
    checkPage("frameset", framesetPage, lineBreaks);

    const QStringList questionPage = questionPageLines(question);
    FUZZ_CHECK(questionPage.size() == 58 + explanationCount);
    checkPage("question page", questionPage, lineBreaks);

    const QStringList sheetPage = answerSheetLines(sheet);
    FUZZ_CHECK(sheetPage.size() == 30 + columns + rows * (columns + 4));
    checkPage("answer sheet", sheetPage, lineBreaks);

    const QStringList resultPage = resultPageLines(result);
    FUZZ_CHECK(resultPage.size() == 10 * rows + 64);
    checkPage("result page", resultPage, lineBreaks);

    checkDataFile(questionCount, records);
    return 0;
}
