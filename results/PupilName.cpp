#include "results/PupilName.h"

#include "core/AppError.h"

#include <QLocale>

namespace {

bool isControl(char32_t c) {
    const QChar::Category category = QChar::category(c);
    return category == QChar::Other_Control || category == QChar::Other_Surrogate ||
           category == QChar::Separator_Line || category == QChar::Separator_Paragraph;
}

// Format characters (zero width, direction controls, soft hyphen, word
// joiner, byte-order mark, …) and the fillers that draw nothing.
bool isInvisible(char32_t c) {
    return QChar::category(c) == QChar::Other_Format || c == 0x115F || c == 0x1160 || c == 0x3164 ||
           c == 0xFFA0 || c == 0x034F || c == 0x2800;
}

// The code points of the text; an unpaired surrogate comes as kBroken.
constexpr char32_t kBroken = 0xFFFF'FFFF;
template <typename Visit> void forEachCodePoint(const QString& text, Visit visit) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            if (!visit(QChar::surrogateToUcs4(c, text[i + 1])))
                return;
            ++i;
        } else if (!visit(c.isSurrogate() ? kBroken : char32_t(c.unicode()))) {
            return;
        }
    }
}

} // namespace

void checkPupilName(const QString& name) {
    forEachCodePoint(name, [](char32_t c) {
        if (c == kBroken || isControl(c))
            throw AppError(QStringLiteral(u"öğrencinin adında satır sonu ya da denetim karakteri "
                                          u"var; ad olduğu gibi alınamaz"));
        if (isInvisible(c))
            throw AppError(QStringLiteral(u"öğrencinin adında görünmeyen bir karakter var "
                                          u"(sıfır genişlikte boşluk, yön denetimi, yumuşak "
                                          u"tire gibi); aynı görünen başka bir ad sayılırdı"));
        return true;
    });
}

QString pupilNameKey(const QString& name) {
    static const QLocale turkish(QLocale::Turkish);
    const QString composed = name.normalized(QString::NormalizationForm_C).simplified();
    return turkish.toLower(composed).normalized(QString::NormalizationForm_C);
}

QString quotedFileText(const QString& text, int limit) {
    QString shown;
    int count = 0;
    forEachCodePoint(text, [&](char32_t c) {
        if (count == limit) {
            shown += u'…';
            return false;
        }
        if (c == kBroken || isControl(c) || isInvisible(c))
            shown += u' ';
        else if (c == u'"')
            shown += u'\'';
        else
            shown += QString::fromUcs4(&c, 1);
        ++count;
        return true;
    });
    return QStringLiteral("\"") + shown + QStringLiteral("\"");
}
