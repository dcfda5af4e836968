// dorvana-live killed (SIGKILL) while pupils answer, then started again: it
// resumes the open exam on the same address, the pupils' pages send again
// what they are not sure of, and every answer and finish given before and
// after the kill is stored exactly once.

#include "DbTestSupport.h"
#include "db/AnswerKey.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

constexpr int kPupils = 4;
constexpr int kQuestions = 10;
const QString kKey = u"ABCDABCDAB"_s;

// Pupil p's answer to question q: every pupil answers differently.
QString answerOf(int p, int q) {
    return QString(QChar(u'A' + (p + q) % 4));
}

QByteArray nextLine(QProcess& process) {
    QElapsedTimer clock;
    clock.start();
    while (!process.canReadLine() && process.state() == QProcess::Running &&
           clock.elapsed() < 60000)
        process.waitForReadyRead(200);
    return process.readLine().trimmed();
}

} // namespace

class tst_LiveKilled : public QObject {
    Q_OBJECT
private slots:
    void answersSurviveAKill();

private:
    // Starts dorvana-live and returns the pupils' address from its first line.
    QUrl startServer(QProcess& server, const QStringList& extra);
    QNetworkReply* post(const QUrl& base, const char* route, const QJsonObject& body) {
        QNetworkRequest request(base.resolved(QUrl(QLatin1String(route))));
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json"_ba);
        return m_network.post(request, QJsonDocument(body).toJson());
    }
    // Sends and waits; the reply's JSON, empty when no reply came.
    QJsonObject call(const QUrl& base, const char* route, const QJsonObject& body) {
        QNetworkReply* reply = post(base, route, body);
        QSignalSpy done(reply, &QNetworkReply::finished);
        if (!reply->isFinished())
            done.wait(10000);
        reply->deleteLater();
        return reply->error() == QNetworkReply::NoError
                   ? QJsonDocument::fromJson(reply->readAll()).object()
                   : QJsonObject();
    }
    QJsonObject answer(const QUrl& base, const QString& pupil, int p, int q) {
        return call(
            base, "cevap",
            {{u"ogrenci"_s, pupil}, {u"soru"_s, q}, {u"cevap"_s, answerOf(p, q)}, {u"sira"_s, q}});
    }

    QTemporaryDir m_dir;
    QNetworkAccessManager m_network;
};

QUrl tst_LiveKilled::startServer(QProcess& server, const QStringList& extra) {
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start(QStringLiteral(DORVANA_LIVE),
                 QStringList{u"--db"_s, m_dir.filePath(u"dorvana.MDB"_s), u"--folder"_s,
                             m_dir.filePath(u"out"_s), u"--stem"_s, u"canli"_s} +
                     extra);
    if (!server.waitForStarted())
        return {};
    return QUrl(QString::fromUtf8(nextLine(server)));
}

void tst_LiveKilled::answersSurviveAKill() {
    const QString path = dbtest::newDatabase(m_dir);
    QDir(m_dir.path()).mkdir(u"out"_s);
    {
        auto websoru = dbtest::openTable(u"websoru"_s, u"websoru"_s, path);
        prepareAnswerKey(*websoru, u"Canlı"_s, u"canli"_s, kKey);
    }
    QProcess first;
    const QUrl address =
        startServer(first, {u"--name"_s, u"Canlı"_s, u"--count"_s, QString::number(kQuestions),
                            u"--listen"_s, u"127.0.0.1:0"_s});
    const auto stopFirst = qScopeGuard([&] {
        first.kill();
        first.waitForFinished();
    });
    QVERIFY2(address.isValid() && address.port() > 0, qPrintable(address.toString()));

    QStringList pupils;
    for (int p = 0; p < kPupils; ++p) {
        pupils << call(address, "katil",
                       {{u"ad"_s, u"Öğrenci %1"_s.arg(p)},
                        {u"cihaz"_s, QString(32, QChar(u'a' + p))}})[u"ogrenci"_s]
                      .toString();
        QCOMPARE(pupils.last().size(), 32);
    }
    for (int p = 0; p < kPupils; ++p)
        for (int q = 1; q <= 5; ++q)
            QCOMPARE(answer(address, pupils[p], p, q)[u"tamam"_s].toBool(), true);
    QCOMPARE(call(address, "bitir", {{u"ogrenci"_s, pupils[0]}, {u"cevaplar"_s, u"ABCDA-----"_s}})
                 .value(u"net"_s)
                 .toString(),
             u"5,00"_s);
    // Killed with answers on their way: those may or may not have been stored.
    std::vector<QNetworkReply*> inFlight;
    for (int p = 1; p < kPupils; ++p)
        inFlight.push_back(post(address, "cevap",
                                {{u"ogrenci"_s, pupils[p]},
                                 {u"soru"_s, 6},
                                 {u"cevap"_s, answerOf(p, 6)},
                                 {u"sira"_s, 6}}));
    first.kill();
    QVERIFY(first.waitForFinished());
    for (QNetworkReply* reply : inFlight)
        reply->deleteLater();

    QProcess second;
    QCOMPARE(startServer(second, {u"--listen"_s, u"127.0.0.1:0"_s}), address);
    const auto stop = qScopeGuard([&] {
        second.kill();
        second.waitForFinished();
    });
    QVERIFY(nextLine(second).contains("sürdürülüyor"));
    for (int p = 1; p < kPupils; ++p) {
        const QJsonObject again =
            call(address, "katil",
                 {{u"ad"_s, u"Öğrenci %1"_s.arg(p)}, {u"cihaz"_s, QString(32, QChar(u'a' + p))}});
        QCOMPARE(again[u"ogrenci"_s].toString(), pupils[p]);
        QVERIFY(again[u"cevaplar"_s].toString().startsWith(
            answerOf(p, 1) + answerOf(p, 2) + answerOf(p, 3) + answerOf(p, 4) + answerOf(p, 5)));
        // The page sends again from the last answer it is sure of.
        QString all;
        for (int q = 1; q <= kQuestions; ++q) {
            if (q >= 5)
                QCOMPARE(answer(address, pupils[p], p, q)[u"tamam"_s].toBool(), true);
            all += answerOf(p, q);
        }
        for (int repeat = 0; repeat < 2; ++repeat)
            QVERIFY(call(address, "bitir", {{u"ogrenci"_s, pupils[p]}, {u"cevaplar"_s, all}})
                        .contains(u"net"_s));
    }
    QCOMPARE(call(address, "bitir", {{u"ogrenci"_s, pupils[0]}, {u"cevaplar"_s, u"ABCDA-----"_s}})
                 .value(u"net"_s)
                 .toString(),
             u"5,00"_s);
    second.terminate(); // SIGTERM ends the exam and the program
    QVERIFY(second.waitForFinished());
    QCOMPARE(second.exitCode(), 0);
    const QByteArray output = second.readAll();
    QCOMPARE(output.count("Bitirdi: "), kPupils);
    QVERIFY(output.contains("Sınav bitti."));

    const auto rows = dbtest::query(path, u"SELECT o.ad, c.soru, c.cevap FROM webcanlicevap c "
                                          u"JOIN webcanliogrenci o ON o.no = c.ogrenci "
                                          u"ORDER BY o.no, c.soru"_s);
    QCOMPARE(rows.size(), 5 + (kPupils - 1) * kQuestions);
    for (const QVariantList& row : rows) {
        const int p = row[0].toString().back().digitValue();
        QCOMPARE(row[2].toString(), answerOf(p, row[1].toInt()));
    }
    QCOMPARE(dbtest::query(path, u"SELECT count(*) FROM websonuc"_s).value(0).value(0).toInt(),
             kPupils);
    QCOMPARE(dbtest::query(path, u"SELECT count(*) FROM webcanli WHERE bitis IS NULL"_s)
                 .value(0)
                 .value(0)
                 .toInt(),
             0);
}

QTEST_GUILESS_MAIN(tst_LiveKilled)
#include "tst_livekilled.moc"
