#include "live/LiveRequests.h"

#include "core/AppError.h"
#include "core/TestRules.h"
#include "results/PupilName.h"
#include "results/Scoring.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <cmath>

namespace {

QString malformedText() {
    return QStringLiteral(u"İstek okunamadı: gövdesi geçerli bir JSON nesnesi değil.");
}

QJsonObject objectOf(const QByteArray& body) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        throw LiveRefusal(400, malformedText());
    return document.object();
}

QString textField(const QJsonObject& object, const char* field) {
    const QJsonValue value = object.value(QLatin1String(field));
    if (!value.isString())
        throw LiveRefusal(400, QStringLiteral(u"İstek okunamadı: \"%1\" alanı eksik ya da hatalı.")
                                   .arg(QLatin1String(field)));
    return value.toString();
}

// A whole number within [low, high]; JSON numbers are doubles.
qint64 wholeField(const QJsonObject& object, const char* field, qint64 low, qint64 high) {
    const QJsonValue value = object.value(QLatin1String(field));
    const double number = value.toDouble(std::nan(""));
    if (!value.isDouble() || number != std::floor(number) || number < double(low) ||
        number > double(high))
        throw LiveRefusal(400, QStringLiteral(u"İstek okunamadı: \"%1\" alanı eksik ya da hatalı.")
                                   .arg(QLatin1String(field)));
    return qint64(number);
}

QString pupilField(const QJsonObject& object) {
    const QString pupil = textField(object, "ogrenci").toLower();
    if (!isHexToken(pupil))
        throw LiveRefusal(404, QStringLiteral(u"Bu sınavda böyle bir öğrenci yok; sayfayı "
                                              u"yeniden açıp adınızı yazınız."));
    return pupil;
}

QJsonObject scoreObject(const Score& score) {
    return {{QStringLiteral("dogru"), score.correct},
            {QStringLiteral("yanlis"), score.wrong},
            {QStringLiteral("bos"), score.blank},
            {QStringLiteral("net"), netText(score.net)}};
}

} // namespace

bool isHexToken(const QString& text, int digits) {
    if (text.size() != digits)
        return false;
    for (const QChar c : text)
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F')))
            return false;
    return true;
}

JoinRequest parseJoin(const QByteArray& body) {
    const QJsonObject object = objectOf(body);
    JoinRequest join;
    join.name = textField(object, "ad").trimmed();
    join.device = textField(object, "cihaz").toLower();
    if (!isHexToken(join.device))
        throw LiveRefusal(400, QStringLiteral(u"İstek okunamadı: \"cihaz\" alanı eksik ya da "
                                              u"hatalı."));
    if (join.name.isEmpty())
        throw LiveRefusal(400, QStringLiteral(u"Adınızı yazınız."));
    if (join.name.size() > kLiveNameLimit)
        throw LiveRefusal(
            400, QStringLiteral(u"Ad çok uzun: en çok %1 karakter olabilir.").arg(kLiveNameLimit));
    try {
        checkPupilName(join.name);
    } catch (const AppError& error) {
        throw LiveRefusal(400, QStringLiteral(u"Ad alınamadı: %1.").arg(error.text()));
    }
    return join;
}

AnswerRequest parseAnswer(const QByteArray& body, const GeneratedTest& test) {
    const QJsonObject object = objectOf(body);
    AnswerRequest answer;
    answer.pupil = pupilField(object);
    answer.place = int(wholeField(object, "soru", 1, test.count));
    // Page counters stay far below 2^53, where doubles stop being exact.
    answer.sequence = wholeField(object, "sira", 0, qint64(1) << 52);
    const QString letter = textField(object, "cevap").toUpper();
    if (letter.size() != 1 || (letter[0] != u'-' && !isOptionLetter(letter[0], test.optionCount)))
        throw LiveRefusal(400, QStringLiteral(u"Cevap %1 bu testin seçeneklerinden değil.")
                                   .arg(quotedFileText(letter, 5)));
    answer.answer = letter[0];
    return answer;
}

FinishRequest parseFinish(const QByteArray& body, const GeneratedTest& test) {
    const QJsonObject object = objectOf(body);
    FinishRequest finish;
    finish.pupil = pupilField(object);
    finish.answers = textField(object, "cevaplar").toUpper();
    try {
        checkAnswersFit(test, finish.answers);
    } catch (const AppError& error) {
        throw LiveRefusal(400, QStringLiteral(u"Cevaplar alınamadı: %1.").arg(error.text()));
    }
    return finish;
}

QByteArray refusalJson(const QString& reason) {
    return QJsonDocument(QJsonObject{{QStringLiteral("hata"), reason}})
        .toJson(QJsonDocument::Compact);
}

LiveTotals liveTotals(const GeneratedTest& test, const QString& teacherAnswers) {
    const Score whole = scoreAnswers(test, teacherAnswers);
    QJsonObject reply = scoreObject(whole);
    QJsonArray sections;
    LiveTotals totals;
    totals.net = whole.net;
    QString total;
    if (!test.sections.empty()) {
        const std::vector<Score> scores = sectionScores(test, teacherAnswers);
        for (std::size_t i = 0; i < scores.size(); ++i) {
            QJsonObject section = scoreObject(scores[i]);
            section.insert(QStringLiteral("ad"), test.sections[i].name);
            sections.append(section);
        }
        totals.net = weightedTotal(test, scores);
        total = netText(totals.net);
    }
    reply.insert(QStringLiteral("toplam"), total);
    reply.insert(QStringLiteral("bolumler"), sections);
    totals.json = QJsonDocument(reply).toJson(QJsonDocument::Compact);
    return totals;
}

QString keyInBookletOrder(const GeneratedTest& test, const QString& booklet) {
    const std::vector<qint32>* order = bookletOrderOf(test, booklet);
    if (!order || qsizetype(order->size()) != test.keys.size())
        return test.keys;
    QString key;
    key.reserve(test.keys.size());
    for (const qint32 teacher : *order)
        key += test.keys[teacher - 1];
    return key;
}
