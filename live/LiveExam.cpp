#include "live/LiveExam.h"

#include "core/AppError.h"
#include "core/Booklets.h"
#include "db/Database.h"
#include "db/LiveStore.h"
#include "db/ResultStore.h"
#include "live/HttpListener.h"
#include "live/LiveRequests.h"
#include "results/PupilName.h"
#include "results/Scoring.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkInterface>
#include <QRandomGenerator>
#include <QTimer>
#include <QUrlQuery>

#include <map>
#include <set>

namespace {

constexpr quint16 kDefaultPort = 8765;
// The page asks every 5 seconds; four missed questions mean the pupil is gone.
constexpr qint64 kContactLostMs = 20 * 1000;
// More pupils than a school could seat are not taken in (each one is kept in memory).
constexpr std::size_t kPupilLimit = 2000;

QString nowText() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

// 128 bits from the system's random source, as 32 hexadecimal digits.
QString newToken() {
    QString token;
    for (int i = 0; i < 4; ++i)
        token += QStringLiteral("%1").arg(QRandomGenerator::system()->generate(), 8, 16,
                                          QLatin1Char('0'));
    return token;
}

QString examOverText() {
    return QStringLiteral(u"Sınav bitti; öğretmen sınavı kapattı.");
}

QString unknownPupilText() {
    return QStringLiteral(u"Bu sınavda böyle bir öğrenci yok; sayfayı yeniden açıp adınızı "
                          u"yazınız.");
}

HttpReply jsonReply(const QJsonObject& object) {
    return {200, "application/json; charset=utf-8",
            QJsonDocument(object).toJson(QJsonDocument::Compact)};
}

HttpReply refusal(int status, const QString& reason) {
    return {status, "application/json; charset=utf-8", refusalJson(reason)};
}

// Nothing was acknowledged: the page keeps the request and sends it again.
HttpReply storeFailure(const AppError& error) {
    return refusal(
        503, QStringLiteral(u"Kaydedilemedi; sayfa yeniden deneyecek. (%1)").arg(error.text()));
}

HttpReply notFound() {
    return {404, "text/plain; charset=utf-8",
            QStringLiteral(u"Böyle bir sayfa yok. Öğretmenin verdiği adresi eksiksiz yazınız.")
                .toUtf8()};
}

// Served while a booklet has no page of its own yet.
QByteArray placeholderPage(QChar booklet) {
    return QStringLiteral(u"<!DOCTYPE html><html lang=\"tr\"><head><meta charset=\"utf-8\">"
                          u"<meta name=\"viewport\" content=\"width=device-width\">"
                          u"<title>Canlı sınav</title></head><body><p>%1 kitapçığının "
                          u"sayfası hazır değil; öğretmeninize haber veriniz.</p></body></html>")
        .arg(booklet)
        .toUtf8();
}

// The first network address of this computer that other devices can reach.
QString networkAddress() {
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        const auto flags = interface.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::IsRunning) ||
            (flags & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& entry : interface.addressEntries())
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol && !entry.ip().isLoopback())
                return entry.ip().toString();
    }
    return QStringLiteral("127.0.0.1");
}

struct ListenRequest {
    QString host; // empty: every address of the computer
    quint16 port = 0;
};

// "ADDRESS:PORT" (an IPv6 address in brackets); empty: every address, port 0.
ListenRequest parseListen(const QString& text) {
    if (text.isEmpty())
        return {};
    const qsizetype colon = text.lastIndexOf(u':');
    bool ok = false;
    const uint port = colon < 0 ? 0 : text.mid(colon + 1).toUInt(&ok);
    QString host = colon < 0 ? QString() : text.left(colon);
    if (host.startsWith(u'[') && host.endsWith(u']'))
        host = host.mid(1, host.size() - 2);
    if (!ok || port > 65535 || QHostAddress(host).isNull())
        throw AppError(QStringLiteral(u"Dinlenecek adres anlaşılmadı: \"%1\". Adresi "
                                      u"ADRES:KAPI biçiminde yazınız (örneğin 0.0.0.0:8765).")
                           .arg(text.left(60)));
    return {host, quint16(port)};
}

} // namespace

struct LiveExam::State {
    struct Pupil {
        StoredLivePupil stored;
        QString answers; // in the booklet's order, '-' for none yet
        std::vector<qint64> sequences;
        qint64 seenMs = 0;
    };

    LiveExam* owner = nullptr;
    std::shared_ptr<Database> db;
    GeneratedTest test;
    StoredLiveExam exam;
    std::vector<QByteArray> pages;
    std::vector<Pupil> pupils;
    std::map<QString, std::size_t> byToken;
    QString shownHost;
    QElapsedTimer clock;
    std::set<qint64> shownDisconnected;
    QTimer contactTimer;
    // An answer waiting for the next commit, which stores every answer that
    // arrived meanwhile at once: one disk sync for many pupils.
    struct QueuedAnswer {
        AnswerRequest request;
        HttpListener::Respond respond;
    };
    std::vector<QueuedAnswer> queued;
    std::unique_ptr<HttpListener> server; // last: goes first, before what it serves

    QString letters() const {
        return bookletLetters(qint32(std::max<std::size_t>(1, test.booklets.size())));
    }
    bool examOver() const { return !exam.ended.isEmpty(); }

    Pupil* find(const QString& token) {
        const auto it = byToken.find(token);
        return it == byToken.end() ? nullptr : &pupils[it->second];
    }

    void addPupil(const StoredLivePupil& stored) {
        Pupil pupil;
        pupil.stored = stored;
        pupil.answers = QString(test.count, u'-');
        pupil.sequences.assign(std::size_t(test.count), -1);
        pupil.seenMs = clock.elapsed();
        byToken[stored.token] = pupils.size();
        pupils.push_back(std::move(pupil));
    }

    void listen(const QString& host, quint16 preferred, bool strict);
    void handle(const HttpRequest& request, const HttpListener::Respond& respond);
    void storeQueued();
    HttpReply page(const QByteArray& letter) const;
    HttpReply join(const QByteArray& body);
    std::optional<HttpReply> answer(const QByteArray& body, const HttpListener::Respond& respond);
    HttpReply finish(const QByteArray& body);
    HttpReply status(const QByteArray& query);
    void seen(Pupil& pupil);
    void checkContacts();
};

void LiveExam::State::listen(const QString& host, quint16 preferred, bool strict) {
    server = std::make_unique<HttpListener>(
        [](const QByteArray& method, const QByteArray& path) -> qint64 {
            if (method != "POST")
                return 0;
            return path.endsWith("/bitir") ? kLiveFinishBodyLimit : kLiveBodyLimit;
        },
        [this](const HttpRequest& request, HttpListener::Respond respond) {
            handle(request, std::move(respond));
        },
        [](int status) {
            switch (status) {
            case 413:
                return refusal(413, QStringLiteral(u"İstek çok büyük; alınmadı."));
            case 411:
                return refusal(411, QStringLiteral(u"İsteğin uzunluğu belirtilmemiş; alınmadı."));
            default:
                return refusal(status, QStringLiteral(u"İstek okunamadı; alınmadı."));
            }
        });
    const QHostAddress address =
        host.isEmpty() ? QHostAddress(QHostAddress::Any) : QHostAddress(host);
    bool listening = server->listen(address, preferred);
    if (!listening && !strict && preferred != 0)
        listening = server->listen(address, 0); // that port is taken: any free one
    if (!listening)
        throw AppError(QStringLiteral(u"Canlı sınav %1:%2 adresinde başlatılamadı: %3")
                           .arg(host.isEmpty() ? QStringLiteral("0.0.0.0") : host)
                           .arg(preferred)
                           .arg(server->errorString()));
    const bool everyAddress = address == QHostAddress(QHostAddress::Any) ||
                              address == QHostAddress(QHostAddress::AnyIPv4) ||
                              address == QHostAddress(QHostAddress::AnyIPv6);
    shownHost = everyAddress ? networkAddress() : address.toString();
    exam.host = host;
    exam.port = server->port();
    QObject::connect(&contactTimer, &QTimer::timeout, owner, [this] { checkContacts(); });
    contactTimer.start(5000);
}

void LiveExam::State::handle(const HttpRequest& request, const HttpListener::Respond& respond) {
    const QByteArray prefix = '/' + exam.token.toLatin1() + '/';
    if (!request.path.startsWith(prefix))
        return respond(notFound());
    const QByteArray rest = request.path.mid(prefix.size());
    try {
        if (request.method == "GET") {
            if (rest.isEmpty())
                return respond(page("A"));
            if (rest.size() == 1)
                return respond(page(rest));
            if (rest == "durum")
                return respond(status(request.query));
        } else if (request.method == "POST") {
            if (rest == "katil")
                return respond(join(request.body));
            if (rest == "cevap") {
                if (const std::optional<HttpReply> now = answer(request.body, respond))
                    respond(*now);
                return;
            }
            if (rest == "bitir")
                return respond(finish(request.body));
        }
        respond(notFound());
    } catch (const LiveRefusal& refused) {
        respond(refusal(refused.status(), refused.reason()));
    } catch (const AppError& error) {
        respond(storeFailure(error));
    }
}

HttpReply LiveExam::State::page(const QByteArray& letter) const {
    const QChar booklet = QLatin1Char(letter[0]);
    const qsizetype index = letters().indexOf(booklet);
    if (letter.size() != 1 || index < 0)
        return notFound();
    const QByteArray bytes =
        std::size_t(index) < pages.size() && !pages[std::size_t(index)].isEmpty()
            ? pages[std::size_t(index)]
            : placeholderPage(booklet);
    return {200, "text/html; charset=utf-8", bytes};
}

void LiveExam::State::seen(Pupil& pupil) {
    pupil.seenMs = clock.elapsed();
    if (shownDisconnected.erase(pupil.stored.id))
        emit owner->pupilsChanged();
}

void LiveExam::State::checkContacts() {
    bool changed = false;
    for (const Pupil& pupil : pupils) {
        const bool lost = pupil.stored.finished.isEmpty() && !examOver() &&
                          clock.elapsed() - pupil.seenMs > kContactLostMs;
        if (lost != (shownDisconnected.count(pupil.stored.id) > 0)) {
            changed = true;
            if (lost)
                shownDisconnected.insert(pupil.stored.id);
            else
                shownDisconnected.erase(pupil.stored.id);
        }
    }
    if (changed)
        emit owner->pupilsChanged();
}

HttpReply LiveExam::State::join(const QByteArray& body) {
    if (examOver())
        throw LiveRefusal(409, examOverText());
    const JoinRequest request = parseJoin(body);
    const QString key = pupilNameKey(request.name);
    Pupil* pupil = nullptr;
    for (Pupil& p : pupils)
        if (p.stored.nameKey == key && p.stored.device == request.device)
            pupil = &p;
    if (!pupil) {
        if (pupils.size() >= kPupilLimit)
            throw LiveRefusal(409, QStringLiteral(u"Sınava daha fazla öğrenci katılamaz."));
        StoredLivePupil stored;
        stored.token = newToken();
        stored.name = request.name;
        stored.nameKey = key;
        stored.device = request.device;
        stored.booklet = letters().at(exam.nextTurn % letters().size());
        stored.started = nowText();
        stored.lastContact = stored.started;
        stored.id = insertLivePupil(*db, exam.id, stored);
        ++exam.nextTurn;
        addPupil(stored);
        pupil = &pupils.back();
        emit owner->pupilsChanged();
    } else {
        seen(*pupil);
    }
    const bool done = !pupil->stored.finished.isEmpty();
    return jsonReply(
        {{QStringLiteral("ogrenci"), pupil->stored.token},
         {QStringLiteral("kitapcik"), pupil->stored.booklet},
         {QStringLiteral("cevaplar"), done ? pupil->stored.finalAnswers : pupil->answers},
         {QStringLiteral("baslangic"), pupil->stored.started},
         {QStringLiteral("bitti"), done},
         {QStringLiteral("sinavBitti"), examOver()}});
}

std::optional<HttpReply> LiveExam::State::answer(const QByteArray& body,
                                                 const HttpListener::Respond& respond) {
    if (examOver())
        throw LiveRefusal(409, examOverText());
    const AnswerRequest request = parseAnswer(body, test);
    Pupil* pupil = find(request.pupil);
    if (!pupil)
        throw LiveRefusal(404, unknownPupilText());
    seen(*pupil);
    // After the pupil's finish its answers are final; a repeated or late
    // answer changes nothing either.
    if (!pupil->stored.finished.isEmpty() ||
        request.sequence <= pupil->sequences[std::size_t(request.place - 1)])
        return jsonReply({{QStringLiteral("tamam"), true}});
    queued.push_back({request, respond});
    if (queued.size() == 1)
        QTimer::singleShot(0, owner, [this] { storeQueued(); });
    return std::nullopt;
}

void LiveExam::State::storeQueued() {
    const std::vector<QueuedAnswer> batch = std::move(queued);
    queued.clear();
    try {
        Transaction transaction(*db);
        const QString now = nowText();
        for (const QueuedAnswer& queuedAnswer : batch) {
            const AnswerRequest& a = queuedAnswer.request;
            saveLiveAnswer(*db, {find(a.pupil)->stored.id, a.place, a.answer, a.sequence}, now);
        }
        transaction.commit();
    } catch (const AppError& error) {
        for (const QueuedAnswer& queuedAnswer : batch)
            queuedAnswer.respond(storeFailure(error));
        return;
    }
    for (const QueuedAnswer& queuedAnswer : batch) {
        const AnswerRequest& a = queuedAnswer.request;
        Pupil& pupil = *find(a.pupil);
        const std::size_t place = std::size_t(a.place - 1);
        if (a.sequence > pupil.sequences[place]) {
            pupil.answers[qsizetype(place)] = a.answer;
            pupil.sequences[place] = a.sequence;
        }
        queuedAnswer.respond(jsonReply({{QStringLiteral("tamam"), true}}));
    }
    emit owner->pupilsChanged();
}

HttpReply LiveExam::State::finish(const QByteArray& body) {
    if (examOver())
        throw LiveRefusal(409, examOverText());
    const FinishRequest request = parseFinish(body, test);
    Pupil* pupil = find(request.pupil);
    if (!pupil)
        throw LiveRefusal(404, unknownPupilText());
    seen(*pupil);
    StoredLivePupil& stored = pupil->stored;
    if (!stored.finished.isEmpty()) // a repeat: the totals of the stored finish
        return {200, "application/json; charset=utf-8",
                liveTotals(test, answersInTeacherOrder(test, stored.booklet, stored.finalAnswers))
                    .json};
    const QString teacherAnswers = answersInTeacherOrder(test, stored.booklet, request.answers);
    PupilResult result;
    result.test = test.identity.toLower();
    result.testName = test.name;
    result.name = stored.name;
    result.answers = request.answers;
    result.start = stored.started;
    result.finish = nowText();
    result.attempt = 1;
    result.booklet = stored.booklet;
    result.check = resultCheck(result, 3);
    {
        // The result and the pupil's finished mark together, or neither.
        Transaction transaction(*db);
        storeResult(*db, result);
        finishLivePupil(*db, stored.id, result.finish, request.answers);
        transaction.commit();
    }
    stored.finished = result.finish;
    stored.finalAnswers = request.answers;
    stored.resultStored = true;
    emit owner->pupilsChanged();
    emit owner->resultStored();
    return {200, "application/json; charset=utf-8", liveTotals(test, teacherAnswers).json};
}

HttpReply LiveExam::State::status(const QByteArray& query) {
    const QString token =
        QUrlQuery(QString::fromLatin1(query)).queryItemValue(QStringLiteral("ogrenci")).toLower();
    Pupil* pupil = isHexToken(token) ? find(token) : nullptr;
    if (!pupil)
        return refusal(404, unknownPupilText());
    seen(*pupil);
    return jsonReply({{QStringLiteral("sinavBitti"), examOver()},
                      {QStringLiteral("bitti"), !pupil->stored.finished.isEmpty()},
                      {QStringLiteral("anahtar"),
                       examOver() ? keyInBookletOrder(test, pupil->stored.booklet) : QString()}});
}

LiveExam::LiveExam() : d(std::make_unique<State>()) {
    d->owner = this;
    d->clock.start();
}

LiveExam::~LiveExam() = default;

std::unique_ptr<LiveExam> LiveExam::start(std::shared_ptr<Database> db, const QString& identity,
                                          const std::vector<QByteArray>& livePages,
                                          const QString& listen) {
    const std::optional<GeneratedTest> test = findTest(*db, identity);
    if (!test)
        throw AppError(QStringLiteral(u"Bu test veritabanında kayıtlı değil; canlı sınav "
                                      u"başlatılamadı. Sayfaları yeniden oluşturunuz."));
    const ListenRequest where = parseListen(listen);
    std::unique_ptr<LiveExam> exam(new LiveExam);
    State& s = *exam->d;
    s.db = std::move(db);
    s.test = *test;
    s.pages = livePages;
    s.exam.identity = test->identity.toLower();
    s.exam.token = newToken();
    s.exam.started = nowText();
    s.listen(where.host, listen.isEmpty() ? kDefaultPort : where.port,
             !listen.isEmpty() && where.port != 0);
    s.exam.id = insertLiveExam(*s.db, s.exam, livePages);
    return exam;
}

std::vector<OpenLiveExam> LiveExam::openExams(Database& db) {
    std::vector<OpenLiveExam> open;
    for (const StoredLiveExam& stored : openLiveExams(db)) {
        OpenLiveExam exam;
        exam.id = stored.id;
        exam.identity = stored.identity;
        exam.started = stored.started;
        exam.pupils = livePupilCount(db, stored.id);
        try {
            if (const auto test = findTest(db, stored.identity)) {
                exam.testName = test->name;
                exam.stem = test->stem;
            }
        } catch (const AppError&) {
            // Listed without its name; resuming it says what is wrong.
        }
        open.push_back(exam);
    }
    return open;
}

std::unique_ptr<LiveExam> LiveExam::resume(std::shared_ptr<Database> db, qint64 examId,
                                           const QString& listen) {
    const std::optional<StoredLiveExam> stored = findLiveExam(*db, examId);
    if (!stored || !stored->ended.isEmpty())
        throw AppError(QStringLiteral(u"Bu canlı sınav kayıtlı değil ya da bitmiş; "
                                      u"sürdürülemez."));
    const std::optional<GeneratedTest> test = findTest(*db, stored->identity);
    if (!test)
        throw AppError(QStringLiteral(u"Canlı sınavın testi veritabanında kayıtlı değil; "
                                      u"sınav sürdürülemez."));
    const ListenRequest where = parseListen(listen);
    std::unique_ptr<LiveExam> exam(new LiveExam);
    State& s = *exam->d;
    s.db = std::move(db);
    s.test = *test;
    s.exam = *stored;
    s.pages = liveExamPages(*s.db, examId);
    for (const StoredLivePupil& pupil : livePupils(*s.db, examId))
        s.addPupil(pupil);
    for (const StoredLiveAnswer& answer : liveAnswers(*s.db, examId)) {
        State::Pupil* pupil = nullptr;
        for (State::Pupil& p : s.pupils)
            if (p.stored.id == answer.pupil)
                pupil = &p;
        if (!pupil || answer.place < 1 || answer.place > test->count)
            continue;
        pupil->answers[answer.place - 1] = answer.answer;
        pupil->sequences[std::size_t(answer.place - 1)] = answer.sequence;
    }
    if (listen.isEmpty() || where.port == 0)
        s.listen(listen.isEmpty() ? stored->host : where.host, quint16(stored->port), false);
    else
        s.listen(where.host, where.port, true);
    setLiveExamAddress(*s.db, examId, s.exam.host, s.exam.port);
    return exam;
}

QUrl LiveExam::address() const {
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(d->shownHost);
    url.setPort(d->exam.port);
    url.setPath(u'/' + d->exam.token + u'/');
    return url;
}

const GeneratedTest& LiveExam::test() const {
    return d->test;
}

qint64 LiveExam::id() const {
    return d->exam.id;
}

std::vector<LivePupil> LiveExam::pupils() const {
    std::map<QString, std::set<QString>> devicesOfName;
    for (const State::Pupil& p : d->pupils)
        devicesOfName[p.stored.nameKey].insert(p.stored.device);
    std::vector<LivePupil> rows;
    for (const State::Pupil& p : d->pupils) {
        LivePupil row;
        row.id = p.stored.id;
        row.name = p.stored.name;
        row.booklet = p.stored.booklet;
        const bool done = !p.stored.finished.isEmpty();
        const QString answers = done ? p.stored.finalAnswers : p.answers;
        row.answered = int(answers.size() - answers.count(u'-'));
        if (done) {
            row.status = LivePupil::Status::Finished;
            row.net =
                liveTotals(d->test, answersInTeacherOrder(d->test, p.stored.booklet, answers)).net;
        } else if (d->shownDisconnected.count(p.stored.id)) {
            row.status = LivePupil::Status::Disconnected;
        }
        row.sameNameElsewhere = devicesOfName[p.stored.nameKey].size() > 1;
        rows.push_back(row);
    }
    return rows;
}

void LiveExam::finish() {
    if (d->examOver())
        return;
    const QString ended = nowText();
    endLiveExam(*d->db, d->exam.id, ended);
    d->exam.ended = ended;
    d->shownDisconnected.clear();
    emit pupilsChanged();
    emit examFinished();
}

bool LiveExam::isFinished() const {
    return d->examOver();
}
