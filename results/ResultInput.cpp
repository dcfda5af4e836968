#include "results/ResultInput.h"

#include "core/AppError.h"
#include "core/SafeInput.h"
#include "core/TestIdentity.h"
#include "results/PupilName.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QStringDecoder>

#include <cmath>
#include <functional>

namespace {

[[noreturn]] void refuse(const QString& reason) {
    throw AppError(reason);
}

bool isHex(const QString& text, qsizetype length) {
    if (text.size() != length)
        return false;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (!((u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F')))
            return false;
    }
    return true;
}

bool isAnswerString(const QString& text) {
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (!((u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || u == u'-'))
            return false;
    }
    return true;
}

// "YYYY-MM-DDTHH:MM:SS" naming a real date and time.
bool isLocalTime(const QString& text) {
    if (text.size() != 19)
        return false;
    static const QString pattern = QStringLiteral("dddd-dd-ddTdd:dd:dd");
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == u'd' ? !text[i].isDigit() || text[i].unicode() > u'9'
                               : text[i] != pattern[i])
            return false;
    }
    return QDateTime::fromString(text, Qt::ISODate).isValid();
}

// "A" to "D": a test has at most four booklets.
bool isBookletLetter(const QString& text) {
    return text.size() == 1 && text[0] >= u'A' && text[0] <= u'D';
}

QString fieldError(const char* field) {
    return QStringLiteral("dosya bozuk: \"%1\" alanı eksik ya da hatalı").arg(QLatin1String(field));
}

// Checks the shape of every field and the check value; `fieldError` names
// the faulty field for a file, a code gets one text for all.
void validate(const PupilResult& r, int version,
              const std::function<QString(const char*)>& fieldText) {
    if (!isHex(r.test, 32))
        refuse(fieldText("test"));
    if (!isBookletLetter(r.booklet))
        refuse(fieldText("booklet"));
    if (!isAnswerString(r.answers) || r.answers.isEmpty())
        refuse(fieldText("answers"));
    if (!isLocalTime(r.start))
        refuse(fieldText("start"));
    if (!isLocalTime(r.finish))
        refuse(fieldText("finish"));
    if (r.attempt < 1 || r.attempt > kMaxAttempt)
        refuse(fieldText("attempt"));
    if (!isHex(r.check, 16))
        refuse(fieldText("check"));
    if (r.check.compare(resultCheck(r, version), Qt::CaseInsensitive) != 0)
        refuse(QStringLiteral("denetim değeri tutmuyor: sonuç bozulmuş ya da değiştirilmiş"));
    checkPupilName(r.name);
}

QString utf8Text(const QByteArray& bytes, const QString& notText) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError())
        refuse(notText);
    return text;
}

// A web page, such as one of the test's own pages chosen by mistake: mark-up
// from its first character on, with a document, html, head or body in the
// first few kilobytes. A result file is JSON, which never starts with "<".
bool looksLikeHtml(const QByteArray& bytes) {
    const QByteArray start = bytes.left(4096).trimmed().toLower();
    return start.startsWith('<') && (start.contains("<!doctype html") || start.contains("<html") ||
                                     start.contains("<head") || start.contains("<body"));
}

// A count written by the page: decimal digits, no sign, no leading zero; 0 when not one.
int attemptNumber(const QString& text) {
    if (text.isEmpty() || text.size() > 6 || text.startsWith(u'0'))
        return 0;
    for (QChar c : text)
        if (c.unicode() < u'0' || c.unicode() > u'9')
            return 0;
    return text.toInt();
}

int base32Value(char16_t c) {
    if (c >= u'A' && c <= u'Z')
        return c - u'A';
    if (c >= u'2' && c <= u'7')
        return c - u'2' + 26;
    return -1;
}

} // namespace

QString resultCheck(const PupilResult& r, int version) {
    QStringList lines{QStringLiteral("dvsonuc/") + QString::number(version), r.test};
    if (version >= 3)
        lines << r.booklet;
    lines << r.name << r.answers << r.start << r.finish;
    if (version >= 2)
        lines << QString::number(r.attempt);
    return sha256OfLines(lines).left(16);
}

PupilResult parseResultFile(const QByteArray& bytes) {
    if (bytes.size() > kResultSizeLimit)
        refuse(QStringLiteral("dosya çok büyük (1 MiB sınırını aşıyor); sonuç dosyası değil"));
    QByteArray json = bytes;
    if (json.startsWith("\xEF\xBB\xBF")) // an editor may have added a byte-order mark
        json.remove(0, 3);
    // Classic pages are not UTF-8, so this comes before the text check.
    if (looksLikeHtml(json))
        refuse(QStringLiteral("bir test sayfası, sonuç dosyası değil"));
    // A file cut short inside a character is reported as cut short below,
    // so the decoder here keeps an unfinished last character as pending.
    QStringDecoder decoder(QStringDecoder::Utf8);
    [[maybe_unused]] const QString decoded = decoder(json);
    if (decoder.hasError())
        refuse(QStringLiteral("dosya bozuk: UTF-8 metin değil"));

    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        refuse(QStringLiteral("dosya bozuk ya da eksik: içeriği okunamıyor"));
    const QJsonObject object = document.object();

    if (object.value(QLatin1String("format")).toString() != QLatin1String("dvsonuc"))
        refuse(QStringLiteral("bu bir Dorvana sonuç dosyası değil"));
    const double versionNumber = object.value(QLatin1String("version")).toDouble(0);
    const int version = versionNumber == 1.0 || versionNumber == 2.0 || versionNumber == 3.0
                            ? int(versionNumber)
                            : 0;
    if (version == 0)
        refuse(QStringLiteral("sonuç dosyasının sürümü tanınmıyor (bu program 1., 2. ve 3. "
                              "sürümleri okur)"));

    const auto text = [&](const char* key) {
        const QJsonValue value = object.value(QLatin1String(key));
        if (!value.isString())
            refuse(fieldError(key));
        return value.toString();
    };
    PupilResult result;
    result.test = text("test");
    result.name = text("name");
    result.answers = text("answers");
    result.start = text("start");
    result.finish = text("finish");
    result.check = text("check");
    result.testName = object.value(QLatin1String("testName")).toString();
    if (version >= 3)
        result.booklet = text("booklet");
    if (version >= 2) {
        // A whole number; 0 and fractions fail the range check in validate.
        const double attempt = object.value(QLatin1String("attempt")).toDouble(-1);
        result.attempt = attempt == std::floor(attempt) && attempt >= 0 && attempt <= kMaxAttempt
                             ? int(attempt)
                             : 0;
    }
    validate(result, version, fieldError);
    return result;
}

PupilResult readResultFile(const QString& path) {
    const InputFile file = readRegularFile(path, kResultSizeLimit);
    // The single page with its questions is often larger than any result; it
    // is not read, so its name tells it.
    const QString suffix = QFileInfo(path).suffix().toLower();
    if ((file.tooBig && (suffix == u"html" || suffix == u"htm")) || looksLikeHtml(file.bytes))
        refuse(QStringLiteral("bir test sayfası, sonuç dosyası değil"));
    if (file.tooBig)
        refuse(QStringLiteral("dosya çok büyük (1 MiB sınırını aşıyor); sonuç dosyası değil"));
    if (!file.ok())
        refuse(file.refusal);
    return parseResultFile(file.bytes);
}

PupilResult parseResultCode(const QString& code) {
    if (code.size() > kResultSizeLimit)
        refuse(QStringLiteral("kod çok uzun; sonuç kodu değil"));
    QString letters;
    letters.reserve(code.size());
    for (QChar c : code) {
        if (c.isSpace() || c == u'-')
            continue;
        letters.append(c.toUpper());
    }
    const int version = letters.startsWith(QLatin1String("DV3"))   ? 3
                        : letters.startsWith(QLatin1String("DV2")) ? 2
                        : letters.startsWith(QLatin1String("DV1")) ? 1
                                                                   : 0;
    if (version == 0)
        refuse(QStringLiteral("sonuç kodu değil (kod \"DV3\", \"DV2\" ya da \"DV1\" ile "
                              "başlar)"));

    // Five bits per letter; the last letter may carry up to four unused bits.
    QByteArray bytes;
    bytes.reserve(letters.size() * 5 / 8);
    quint32 buffer = 0;
    int bits = 0;
    for (qsizetype i = 3; i < letters.size(); ++i) {
        const int value = base32Value(letters[i].unicode());
        if (value < 0)
            refuse(QStringLiteral("kod bozuk: \"%1\" kodda olamaz").arg(letters[i]));
        buffer = (buffer << 5) | quint32(value);
        bits += 5;
        if (bits >= 8) {
            bits -= 8;
            bytes.append(char((buffer >> bits) & 0xFF));
        }
    }
    if (bits >= 5 || (buffer & ((1u << bits) - 1)) != 0)
        refuse(QStringLiteral("kod bozuk: eksik ya da fazla harf var"));

    const QString payload =
        utf8Text(bytes, QStringLiteral("kod bozuk: eksik ya da yanlış yazılmış harf var"));
    QStringList lines = payload.split(QLatin1Char('\n'));
    if (lines.size() != 6 + (version >= 2) + (version >= 3))
        refuse(QStringLiteral("kod bozuk: eksik ya da yanlış yazılmış harf var"));
    // From version 3 the booklet follows the test; the rest keep their places.
    const QString booklet = version >= 3 ? lines.takeAt(1) : QStringLiteral("A");
    PupilResult result{lines[0], QString(), lines[1],     lines[2], lines[3],
                       lines[4], 1,         lines.last(), booklet};
    if (version >= 2)
        result.attempt = attemptNumber(lines[5]);
    validate(result, version, [](const char*) {
        return QStringLiteral("kod bozuk: eksik ya da yanlış yazılmış harf var");
    });
    return result;
}

std::vector<PastedCode> splitPastedCodes(const QString& pasted) {
    std::vector<PastedCode> codes;
    const QStringList lines = pasted.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (!line.isEmpty())
            codes.push_back({int(i + 1), line});
    }
    return codes;
}
