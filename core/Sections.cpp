#include "core/Sections.h"

#include "core/AppError.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

QString rowName(std::size_t index) {
    return u"%1. satır"_s.arg(index + 1);
}

} // namespace

void checkSections(const std::vector<Section>& sections, qint32 questionCount) {
    if (sections.size() > std::size_t(kMaxSections))
        throw AppError(u"Bir testte en çok %1 bölüm olabilir."_s.arg(kMaxSections));
    for (std::size_t i = 0; i < sections.size(); ++i) {
        const Section& s = sections[i];
        const QString name = s.name.trimmed();
        if (name.isEmpty())
            throw AppError(u"Bölüm listesi, %1: bölümün adı boş."_s.arg(rowName(i)));
        if (name.size() > kMaxSectionName)
            throw AppError(
                u"Bölüm listesi, %1: bölüm adı en çok %2 harf olabilir."_s.arg(rowName(i))
                    .arg(kMaxSectionName));
        for (std::size_t j = 0; j < i; ++j)
            if (sections[j].name.trimmed().compare(name, Qt::CaseInsensitive) == 0)
                throw AppError(u"Bölüm listesi, %1 ile %2 aynı adı taşıyor: \"%3\"."_s.arg(
                    rowName(j), rowName(i), name));
        for (const auto& [end, number] :
             {std::pair{u"ilk"_s, s.first}, std::pair{u"son"_s, s.last}})
            if (number < 1 || number > questionCount)
                throw AppError(
                    u"Bölüm listesi, %1 (%2): %3 soru %4 testin dışında; test 1 ile %5 arasındaki "
                    u"soruları taşıyor."_s.arg(rowName(i), name, end)
                        .arg(number)
                        .arg(questionCount));
        if (s.first > s.last)
            throw AppError(
                u"Bölüm listesi, %1 (%2): ilk soru (%3) son sorudan (%4) sonra geliyor."_s
                    .arg(rowName(i), name)
                    .arg(s.first)
                    .arg(s.last));
        if (!(s.weight > 0) || s.weight > 100 || !std::isfinite(s.weight))
            throw AppError(u"Bölüm listesi, %1 (%2): katsayı 0'dan büyük, en çok 100 olmalı."_s.arg(
                rowName(i), name));
        for (std::size_t j = 0; j < i; ++j) {
            const Section& o = sections[j];
            if (s.first <= o.last && o.first <= s.last)
                throw AppError(
                    u"Bölüm listesi, %1 (%2) ile %3 (%4) çakışıyor: %5. soru ikisinde de."_s
                        .arg(rowName(j), o.name.trimmed(), rowName(i), name)
                        .arg(qMax(s.first, o.first)));
        }
    }
}

std::vector<int> sectionOfQuestions(const std::vector<Section>& sections, qint32 questionCount) {
    std::vector<int> of(std::size_t(qMax(questionCount, 0)), -1);
    for (std::size_t i = 0; i < sections.size(); ++i)
        for (qint32 q = qMax(sections[i].first, 1); q <= qMin(sections[i].last, questionCount); ++q)
            of[std::size_t(q - 1)] = int(i);
    return of;
}

bool hasWeights(const std::vector<Section>& sections) {
    for (const Section& s : sections)
        if (s.weight != 1)
            return true;
    return false;
}

QString weightText(double weight) {
    QString text = QString::number(weight, 'g', 6);
    text.replace(u'.', u',');
    return text;
}

bool parseWeight(const QString& text, double& weight) {
    QString t = text.trimmed();
    t.replace(u',', u'.');
    bool ok = false;
    const double w = t.toDouble(&ok);
    if (ok && std::isfinite(w))
        weight = w;
    return ok && std::isfinite(w);
}
