#include "results/ClassList.h"

#include "core/AppError.h"
#include "core/LineFile.h"
#include "core/SafeInput.h"
#include "results/PupilName.h"

#include <QHash>
#include <QLocale>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// A list of 2000 pupils takes well under a quarter of this.
constexpr qint64 kClassListSizeLimit = 1 << 20;

struct Record {
    int line; // where the record starts; a quoted line break makes it span more
    QStringList fields;
};

AppError lineError(int line, const QString& reason) {
    return AppError(u"Sınıf listesinin %1. satırı: %2."_s.arg(QString::number(line), reason));
}

QString decodeList(const QByteArray& bytes) {
    // A spreadsheet's "Unicode text" is UTF-16 with its byte-order mark.
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(QStringConverter::Utf16);
        const QString text = utf16(bytes);
        if (utf16.hasError())
            throw AppError(u"Sınıf listesi UTF-16 olarak okunamadı; dosya bozuk."_s);
        return text;
    }
    // Windows-1254 text with Turkish letters is hardly ever valid UTF-8 by chance.
    QStringDecoder utf8(QStringConverter::Utf8); // drops a leading byte-order mark
    const QString text = utf8(bytes);
    return utf8.hasError() ? decodeCp1254(bytes) : text;
}

// The separator the first line uses; ";" when it shows none.
QChar separatorOf(QStringView text) {
    const QStringView first = text.left(text.indexOf(u'\n'));
    if (first.contains(u';'))
        return u';';
    if (first.contains(u'\t'))
        return u'\t';
    return first.contains(u',') ? u',' : u';';
}

// The records of the text, quoted fields as RFC 4180 writes them.
std::vector<Record> splitRecords(QStringView text, QChar separator) {
    const qsizetype n = text.size();
    const auto lineEndAt = [&](qsizetype i) {
        return text[i] == u'\n' || (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n');
    };
    std::vector<Record> records;
    int line = 1;
    qsizetype i = 0;
    while (i < n) {
        Record record{line, {}};
        for (;;) {
            QString field;
            qsizetype quote = i;
            while (quote < n && text[quote] == u' ')
                ++quote;
            if (quote < n && text[quote] == u'"') {
                i = quote + 1;
                for (;;) {
                    if (i == n)
                        throw lineError(record.line, u"tırnak işareti kapanmamış"_s);
                    const QChar c = text[i++];
                    if (c == u'"') {
                        if (i == n || text[i] != u'"')
                            break;
                        ++i; // a doubled quote stands for one
                    } else if (c == u'\n') {
                        ++line;
                    }
                    field += c;
                }
                while (i < n && text[i] == u' ')
                    ++i;
                if (i < n && text[i] != separator && !lineEndAt(i))
                    throw lineError(line, u"tırnak içindeki alanın ardından ayraç gelmeli"_s);
            } else {
                while (i < n && text[i] != separator && !lineEndAt(i))
                    field += text[i++];
            }
            record.fields << field;
            if (i < n && text[i] == separator) {
                ++i;
                continue;
            }
            break;
        }
        if (i < n && text[i] == u'\r')
            ++i;
        if (i < n && text[i] == u'\n') {
            ++i;
            ++line;
        }
        records.push_back(std::move(record));
    }
    return records;
}

bool isBlank(const Record& record) {
    return std::all_of(record.fields.cbegin(), record.fields.cend(),
                       [](const QString& field) { return field.trimmed().isEmpty(); });
}

// A header field compared without case, spaces, dots or Turkish marks.
QString headerKey(const QString& field) {
    static const QLocale turkish(QLocale::Turkish);
    QString key = turkish.toLower(field).normalized(QString::NormalizationForm_C);
    key.remove(u' ').remove(u'.');
    const QString marked = u"ıöüğşç"_s;
    const QString plain = u"iougsc"_s;
    for (QChar& c : key) {
        if (const qsizetype at = marked.indexOf(c); at >= 0)
            c = plain[at];
    }
    return key;
}

bool isHeader(const Record& record) {
    static const QStringList numbers{u"no"_s, u"numara"_s, u"ogrencino"_s, u"okulno"_s,
                                     u"ogrencinumarasi"_s};
    static const QStringList names{u"adisoyadi"_s, u"adsoyad"_s, u"adisoyad"_s};
    return record.fields.size() >= 2 && numbers.contains(headerKey(record.fields[0])) &&
           names.contains(headerKey(record.fields[1])) &&
           std::all_of(record.fields.cbegin() + 2, record.fields.cend(),
                       [](const QString& field) { return field.trimmed().isEmpty(); });
}

bool hasDigit(const QString& text) {
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

ClassMember memberOf(const Record& record) {
    const int line = record.line;
    for (qsizetype extra = 2; extra < record.fields.size(); ++extra) {
        if (!record.fields[extra].trimmed().isEmpty())
            throw lineError(line, u"üçüncü bir alan var; satırda yalnız öğrenci numarası ve "
                                  u"adı soyadı olmalı"_s);
    }
    const QString number = record.fields[0].trimmed();
    if (number.isEmpty())
        throw lineError(line, u"öğrenci numarası yok"_s);
    // ASCII digits only: a number is printed and bubbled digit by digit.
    if (!std::all_of(number.cbegin(), number.cend(),
                     [](QChar c) { return c >= u'0' && c <= u'9'; }))
        throw lineError(line, u"öğrenci numarası yalnız rakamlardan oluşmalı"_s);
    if (number.size() > kMaxPupilNumberDigits)
        throw lineError(line,
                        u"öğrenci numarası en çok %1 rakam olabilir"_s.arg(kMaxPupilNumberDigits));
    const QString raw = record.fields.value(1);
    try {
        checkPupilName(raw);
    } catch (const AppError& error) {
        throw lineError(line, error.text());
    }
    const QString name = raw.normalized(QString::NormalizationForm_C).simplified();
    if (name.isEmpty())
        throw lineError(line, u"öğrencinin adı soyadı yok"_s);
    if (name.size() > kMaxClassMemberName)
        throw lineError(line,
                        u"öğrencinin adı soyadı %1 karakterden uzun"_s.arg(kMaxClassMemberName));
    return {number, name};
}

} // namespace

QString pupilNumberKey(const QString& number) {
    qsizetype zeros = 0;
    while (zeros + 1 < number.size() && number[zeros] == u'0')
        ++zeros;
    return number.mid(zeros);
}

std::vector<ClassMember> parseClassList(const QByteArray& csv) {
    const QString text = decodeList(csv);
    std::vector<ClassMember> members;
    QHash<QString, int> lineOfNumber;
    bool first = true;
    for (const Record& record : splitRecords(text, separatorOf(text))) {
        if (isBlank(record))
            continue;
        if (std::exchange(first, false) && !hasDigit(record.fields[0])) {
            if (!isHeader(record))
                throw lineError(record.line, u"başlık \"No;Adı Soyadı\" olmalı ya da satır bir "
                                             u"öğrencinin numarasıyla başlamalı"_s);
            continue;
        }
        ClassMember member = memberOf(record);
        const QString key = pupilNumberKey(member.number);
        if (const auto at = lineOfNumber.constFind(key); at != lineOfNumber.cend())
            throw lineError(record.line, u"%1 numaralı öğrenci %2. satırda da var"_s.arg(
                                             member.number, QString::number(at.value())));
        lineOfNumber.insert(key, record.line);
        if (members.size() == std::size_t(kMaxClassMembers))
            throw lineError(record.line,
                            u"listede %1 öğrenciden fazlası var"_s.arg(kMaxClassMembers));
        members.push_back(std::move(member));
    }
    if (members.empty())
        throw AppError(u"Sınıf listesinde hiç öğrenci yok."_s);
    return members;
}

std::vector<ClassMember> readClassListFile(const QString& path) {
    const InputFile file = readRegularFile(path, kClassListSizeLimit);
    if (!file.ok())
        throw AppError(u"Sınıf listesi okunamadı: %1."_s.arg(file.refusal));
    return parseClassList(file.bytes);
}
