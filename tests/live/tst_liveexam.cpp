// The live exam over the loopback address, as pupils' pages speak to it:
// joins and booklets in turn, answers kept by their sequence, a finish scored
// and stored once, the end of the exam, a resume after the program stopped,
// and bad requests refused with nothing stored while the exam goes on.

#include "../db/DbTestSupport.h"
#include "db/Database.h"
#include "db/ResultStore.h"
#include "db/Schema.h"
#include "live/LiveExam.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Reply {
    int status = 0;
    QByteArray body;
    QJsonObject json() const { return QJsonDocument::fromJson(body).object(); }
};

QString device(char c) {
    return QString(32, QLatin1Char(c));
}

} // namespace

class tst_LiveExam : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void classScenario();
    void resumesWhereItStopped();
    void refusals_data();
    void refusals();

private:
    Reply send(const QUrl& url, const QByteArray& body = {}, bool post = true);
    Reply post(const LiveExam& exam, const char* route, const QJsonObject& body) {
        return send(exam.address().resolved(QUrl(QLatin1String(route))),
                    QJsonDocument(body).toJson());
    }
    Reply join(const LiveExam& exam, const QString& name, char dev) {
        return post(exam, "katil", {{u"ad"_s, name}, {u"cihaz"_s, device(dev)}});
    }
    qint64 count(const QString& table) {
        Statement s(*m_db, u"SELECT count(*) FROM "_s + table);
        return s.step() ? s.value(0).toLongLong() : -1;
    }

    QTemporaryDir m_dir;
    std::shared_ptr<Database> m_db;
    GeneratedTest m_test;
    QNetworkAccessManager m_network;
};

Reply tst_LiveExam::send(const QUrl& url, const QByteArray& body, bool post) {
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json"_ba);
    QNetworkReply* reply = post ? m_network.post(request, body) : m_network.get(request);
    QSignalSpy done(reply, &QNetworkReply::finished);
    if (!reply->isFinished())
        done.wait(10000);
    Reply result{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
                 reply->readAll()};
    reply->deleteLater();
    return result;
}

void tst_LiveExam::initTestCase() {
    m_db = Database::shared(dbtest::newDatabase(m_dir));
    QCOMPARE(schemaVersion(*m_db), kCurrentSchemaVersion);
    m_test.name = u"Canlı deneme"_s;
    m_test.stem = u"cd"_s;
    m_test.count = 5;
    m_test.keys = u"ABCDA"_s;
    m_test.netRule = 4;
    m_test.generatedAt = QDateTime::currentDateTime();
    m_test.identity = u"0123456789abcdef0123456789abcdef"_s;
    m_test.sections = {{u"Türkçe"_s, 1, 3, 1}, {u"Matematik"_s, 4, 5, 2}};
    m_test.booklets = {{u'A', {1, 2, 3, 4, 5}}, {u'B', {2, 1, 3, 5, 4}}};
    rememberTest(*m_db, m_test);
}

// Four pupils join (two of them with one name on two devices, one twice from
// the same device), answer, finish, and the teacher ends the exam.
void tst_LiveExam::classScenario() {
    auto exam = LiveExam::start(m_db, m_test.identity, {"<p>kitap A</p>", "<p>kitap B</p>"},
                                u"127.0.0.1:0"_s);
    QCOMPARE(exam->address().host(), u"127.0.0.1"_s);
    QVERIFY(exam->address().port() > 0);
    QCOMPARE(exam->address().path().size(), 34);
    QCOMPARE(send(exam->address(), {}, false).body, "<p>kitap A</p>"_ba);
    QCOMPARE(send(exam->address().resolved(QUrl(u"B"_s)), {}, false).body, "<p>kitap B</p>"_ba);
    QCOMPARE(send(exam->address().resolved(QUrl(u"C"_s)), {}, false).status, 404);

    const QJsonObject ayse = join(*exam, u"Ayşe Yılmaz"_s, '1').json();
    const QJsonObject mehmet = join(*exam, u"Mehmet"_s, '2').json();
    const QJsonObject ayseElsewhere = join(*exam, u"Ayşe Yılmaz"_s, '3').json();
    QCOMPARE(ayse[u"kitapcik"_s].toString(), u"A"_s);
    QCOMPARE(mehmet[u"kitapcik"_s].toString(), u"B"_s);
    QCOMPARE(ayseElsewhere[u"kitapcik"_s].toString(), u"A"_s);
    QCOMPARE(ayse[u"cevaplar"_s].toString(), u"-----"_s);
    const QString a = ayse[u"ogrenci"_s].toString();
    const QString m = mehmet[u"ogrenci"_s].toString();

    // Answers: a later sequence wins, an earlier or repeated one changes nothing.
    const auto answer = [&](const QString& pupil, int place, const QString& letter, int sira) {
        return post(
            *exam, "cevap",
            {{u"ogrenci"_s, pupil}, {u"soru"_s, place}, {u"cevap"_s, letter}, {u"sira"_s, sira}});
    };
    QCOMPARE(answer(a, 1, u"a"_s, 1).json()[u"tamam"_s].toBool(), true);
    QCOMPARE(answer(a, 1, u"C"_s, 3).status, 200);
    QCOMPARE(answer(a, 1, u"B"_s, 2).status, 200);
    QCOMPARE(answer(a, 1, u"B"_s, 3).status, 200);
    QCOMPARE(answer(a, 2, u"B"_s, 4).status, 200);
    const QJsonObject again = join(*exam, u"  ayşe yılmaz "_s, '1').json();
    QCOMPARE(again[u"ogrenci"_s].toString(), a);
    QCOMPARE(again[u"cevaplar"_s].toString(), u"CB---"_s);
    QCOMPARE(count(u"webcanlicevap"_s), 2);

    const std::vector<LivePupil> joined = exam->pupils();
    QCOMPARE(joined.size(), std::size_t(3));
    QVERIFY(joined[0].sameNameElsewhere && joined[2].sameNameElsewhere);
    QVERIFY(!joined[1].sameNameElsewhere);
    QCOMPARE(joined[0].answered, 2);

    // A finish is scored through the pupil's booklet and stored once.
    QSignalSpy stored(exam.get(), &LiveExam::resultStored);
    const QJsonObject totals =
        post(*exam, "bitir", {{u"ogrenci"_s, a}, {u"cevaplar"_s, u"CBCD-"_s}}).json();
    QCOMPARE(totals[u"net"_s].toString(), u"2,75"_s);
    QCOMPARE(totals[u"toplam"_s].toString(), u"3,75"_s);
    QCOMPARE(totals[u"bolumler"_s].toArray().size(), 2);
    QCOMPARE(post(*exam, "bitir", {{u"ogrenci"_s, a}, {u"cevaplar"_s, u"AAAAA"_s}}).json(), totals);
    QCOMPARE(answer(a, 5, u"A"_s, 9).status, 200); // after the finish: kept out
    QCOMPARE(post(*exam, "bitir", {{u"ogrenci"_s, m}, {u"cevaplar"_s, u"BACAD"_s}})
                 .json()[u"toplam"_s]
                 .toString(),
             u"7,00"_s);
    QCOMPARE(stored.size(), 2);
    const std::vector<PupilResult> results = resultsOf(*m_db, m_test.identity);
    QCOMPARE(results.size(), std::size_t(2));
    QCOMPARE(results[0].name, u"Ayşe Yılmaz"_s);
    QCOMPARE(results[0].answers, u"CBCD-"_s);
    QCOMPARE(results[1].booklet, u"B"_s);
    QCOMPARE(results[1].check, resultCheck(results[1], 3));
    QCOMPARE(exam->pupils()[1].net, std::optional<double>(7.0));
    QCOMPARE(exam->pupils()[0].status, LivePupil::Status::Finished);
    QCOMPARE(exam->pupils()[2].status, LivePupil::Status::InExam);

    // The key only after the teacher ends the exam, in the pupil's booklet order.
    const QUrl status = exam->address().resolved(QUrl(u"durum?ogrenci="_s + m));
    QCOMPARE(send(status, {}, false).json()[u"anahtar"_s].toString(), QString());
    exam->finish();
    QVERIFY(exam->isFinished());
    QCOMPARE(send(status, {}, false).json()[u"anahtar"_s].toString(), u"BACAD"_s);
    const QString over = u"Sınav bitti; öğretmen sınavı kapattı."_s;
    const QString e = ayseElsewhere[u"ogrenci"_s].toString();
    for (const Reply& refused :
         {join(*exam, u"Yeni"_s, '4'), answer(e, 1, u"A"_s, 1),
          post(*exam, "bitir", {{u"ogrenci"_s, e}, {u"cevaplar"_s, u"ABCDA"_s}})}) {
        QCOMPARE(refused.status, 409);
        QCOMPARE(refused.json()[u"hata"_s].toString(), over);
    }
    QCOMPARE(resultsOf(*m_db, m_test.identity).size(), std::size_t(2));
    QVERIFY(LiveExam::openExams(*m_db).empty());
}

// An exam whose program stopped is offered again and goes on with the same
// address, pupils and answers; pages of a booklet without one get a notice.
void tst_LiveExam::resumesWhereItStopped() {
    auto exam = LiveExam::start(m_db, m_test.identity, {}, u"127.0.0.1:0"_s);
    const QUrl address = exam->address();
    const QString pupil = join(*exam, u"Elif"_s, '5').json()[u"ogrenci"_s].toString();
    post(*exam, "cevap",
         {{u"ogrenci"_s, pupil}, {u"soru"_s, 3}, {u"cevap"_s, u"D"_s}, {u"sira"_s, 1}});
    const qint64 id = exam->id();
    exam.reset();

    const std::vector<OpenLiveExam> open = LiveExam::openExams(*m_db);
    QCOMPARE(open.size(), std::size_t(1));
    QCOMPARE(open[0].testName, m_test.name);
    QCOMPARE(open[0].pupils, 1);
    exam = LiveExam::resume(m_db, id, u"127.0.0.1:0"_s);
    QCOMPARE(exam->address(), address);
    QCOMPARE(join(*exam, u"Elif"_s, '5').json()[u"cevaplar"_s].toString(), u"--D--"_s);
    QVERIFY(send(address, {}, false).body.contains("kitapçığının"));
    QCOMPARE(join(*exam, u"Can"_s, '6').json()[u"kitapcik"_s].toString(), u"B"_s);
    exam->finish();
}

void tst_LiveExam::refusals_data() {
    QTest::addColumn<QString>("route");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("status");

    const QByteArray pupil = "\"ogrenci\": \"PUPIL\"";
    QTest::newRow("malformed JSON") << u"katil"_s << "{\"ad\": \"Ali\""_ba << 400;
    QTest::newRow("not an object") << u"katil"_s << "[1, 2]"_ba << 400;
    QTest::newRow("name of 10000 characters")
        << u"katil"_s
        << "{\"ad\": \"" + QByteArray(10000, 'x') + "\", \"cihaz\": \"" + QByteArray(32, 'a') +
               "\"}"
        << 400;
    QTest::newRow("name with a line break")
        << u"katil"_s << "{\"ad\": \"Ali\\nVeli\", \"cihaz\": \"" + QByteArray(32, 'a') + "\"}"
        << 400;
    QTest::newRow("device not a token")
        << u"katil"_s << "{\"ad\": \"Ali\", \"cihaz\": \"x\"}"_ba << 400;
    QTest::newRow("oversized body")
        << u"katil"_s << "{\"ad\": \"" + QByteArray(17 * 1024, 'x') + "\"}" << 413;
    QTest::newRow("oversized finish")
        << u"bitir"_s << "{\"cevaplar\": \"" + QByteArray(65 * 1024, 'A') + "\"}" << 413;
    QTest::newRow("unknown pupil") << u"cevap"_s
                                   << "{\"ogrenci\": \"" + QByteArray(32, 'f') +
                                          "\", \"soru\": 1, \"cevap\": \"A\", \"sira\": 1}"
                                   << 404;
    QTest::newRow("finish of an unknown pupil")
        << u"bitir"_s << "{\"ogrenci\": \"" + QByteArray(32, 'f') + "\", \"cevaplar\": \"ABCDA\"}"
        << 404;
    QTest::newRow("letter beyond the options")
        << u"cevap"_s << "{" + pupil + ", \"soru\": 1, \"cevap\": \"E\", \"sira\": 1}" << 400;
    QTest::newRow("place beyond the test")
        << u"cevap"_s << "{" + pupil + ", \"soru\": 6, \"cevap\": \"A\", \"sira\": 1}" << 400;
    QTest::newRow("sequence not a number")
        << u"cevap"_s << "{" + pupil + ", \"soru\": 1, \"cevap\": \"A\", \"sira\": \"1\"}" << 400;
    QTest::newRow("finish of the wrong length")
        << u"bitir"_s << "{" + pupil + ", \"cevaplar\": \"ABCD\"}" << 400;
    QTest::newRow("unknown route") << u"gizli"_s << "{}"_ba << 404;
    QTest::newRow("unknown token")
        << u"/00000000000000000000000000000000/katil"_s << "{}"_ba << 404;
}

void tst_LiveExam::refusals() {
    QFETCH(QString, route);
    QFETCH(QByteArray, body);
    QFETCH(int, status);
    auto exam = LiveExam::start(m_db, m_test.identity, {"<p>A</p>"}, u"127.0.0.1:0"_s);
    const QString pupil = join(*exam, u"Deniz"_s, '7').json()[u"ogrenci"_s].toString();
    body.replace("PUPIL", pupil.toLatin1());
    const qint64 pupils = count(u"webcanliogrenci"_s);
    const qint64 answers = count(u"webcanlicevap"_s);
    const qint64 results = count(u"websonuc"_s);

    const Reply refused = send(exam->address().resolved(QUrl(route)), body);
    QCOMPARE(refused.status, status);
    if (!route.startsWith(u'/') && route != u"gizli"_s)
        QVERIFY2(!refused.json()[u"hata"_s].toString().isEmpty(), refused.body.constData());
    QCOMPARE(count(u"webcanliogrenci"_s), pupils);
    QCOMPARE(count(u"webcanlicevap"_s), answers);
    QCOMPARE(count(u"websonuc"_s), results);
    QCOMPARE(send(exam->address(), {}, false).body, "<p>A</p>"_ba);
    exam->finish();
}

QTEST_GUILESS_MAIN(tst_LiveExam)
#include "tst_liveexam.moc"
