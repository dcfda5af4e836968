// Load of a live exam: dorvana-live on the loopback address, a class of
// pupils each joining, answering every question (one request per answer,
// several pupils at once, as their pages do) and finishing. Reports the
// time of an answer save (p50, p99, as the pupil's page waits for it), the
// server's memory at the start, middle and end, and checks afterwards that
// every answer and finish is stored exactly once. Every loop is bounded by
// its count and the whole run by a time limit.
//
//   dorvana_bench_live [--pupils N] [--answers M] [--concurrent C]

#include "core/Platform.h"
#include "db/AnswerKey.h"
#include "db/Database.h"
#include "db/NewDatabase.h"
#include "db/TableDataset.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kTimeLimitMs = 10 * 60 * 1000;

QString answerOf(int pupil, int question) {
    return QString(QChar(u'A' + (pupil + question) % 4));
}

// The server's resident and peak memory, in KiB, from the system's process table.
std::pair<long, long> serverMemory(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    long rss = -1, peak = -1;
    if (!status.open(QIODevice::ReadOnly))
        return {rss, peak};
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            rss = line.mid(6).trimmed().split(' ').value(0).toLong();
        else if (line.startsWith("VmHWM:"))
            peak = line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return {rss, peak};
}

// One pupil's page: join, each answer after the previous one was saved, finish.
struct Pupil {
    int index = 0;
    QString token;
    int next = 0; // the next question to answer, from 1; answers+1: finish
};

struct Load {
    QUrl address;
    int pupils = 200;
    int answers = 40;
    int concurrent = 6;
    QNetworkAccessManager network;
    std::vector<double> answerMs;
    int started = 0;
    int finished = 0;
    int failures = 0;
    std::function<void()> allDone;
    std::function<void()> halfway;

    void post(const char* route, const QJsonObject& body,
              std::function<void(int status, const QJsonObject&)> then) {
        QNetworkRequest request(address.resolved(QUrl(QLatin1String(route))));
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/json"));
        QNetworkReply* reply = network.post(request, QJsonDocument(body).toJson());
        QObject::connect(reply, &QNetworkReply::finished, reply, [reply, then] {
            reply->deleteLater();
            then(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
                 QJsonDocument::fromJson(reply->readAll()).object());
        });
    }

    void startNext() {
        if (started >= pupils)
            return;
        auto pupil = std::make_shared<Pupil>();
        pupil->index = started++;
        post("katil",
             {{QStringLiteral("ad"), QStringLiteral(u"Öğrenci %1").arg(pupil->index)},
              {QStringLiteral("cihaz"),
               QStringLiteral("%1").arg(pupil->index, 32, 16, QLatin1Char('0'))}},
             [this, pupil](int status, const QJsonObject& reply) {
                 pupil->token = reply.value(QStringLiteral("ogrenci")).toString();
                 pupil->next = 1;
                 if (status != 200)
                     ++failures;
                 step(pupil);
             });
    }

    void step(const std::shared_ptr<Pupil>& pupil) {
        if (pupil->next <= answers) {
            const int q = pupil->next++;
            QElapsedTimer clock;
            clock.start();
            post("cevap",
                 {{QStringLiteral("ogrenci"), pupil->token},
                  {QStringLiteral("soru"), q},
                  {QStringLiteral("cevap"), answerOf(pupil->index, q)},
                  {QStringLiteral("sira"), q}},
                 [this, pupil, clock](int status, const QJsonObject&) {
                     answerMs.push_back(double(clock.nsecsElapsed()) / 1e6);
                     if (status != 200)
                         ++failures;
                     step(pupil);
                 });
            return;
        }
        QString all;
        for (int q = 1; q <= answers; ++q)
            all += answerOf(pupil->index, q);
        post("bitir",
             {{QStringLiteral("ogrenci"), pupil->token}, {QStringLiteral("cevaplar"), all}},
             [this](int status, const QJsonObject&) {
                 if (status != 200)
                     ++failures;
                 if (++finished == pupils / 2 && halfway)
                     halfway();
                 if (finished == pupils)
                     allDone();
                 else
                     startNext();
             });
    }
};

// A raw write and sync of 4 KiB in the database's folder, as a measure of
// what the disk asks of every commit at this moment (p50, ms).
double rawSyncMs(const QString& folder) {
    QFile file(folder + QStringLiteral("/sync-probe"));
    if (!file.open(QIODevice::WriteOnly))
        return -1;
    std::vector<double> times;
    for (int i = 0; i < 50; ++i) {
        QElapsedTimer clock;
        clock.start();
        file.write(QByteArray(4096, 'x'));
        file.flush();
        platform::syncFile(file.handle());
        times.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    file.remove();
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double percentile(std::vector<double> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(p * double(values.size())))];
}

long long countOf(const QString& path, const char* sql) {
    Database db(path);
    Statement statement(db, QString::fromLatin1(sql));
    return statement.step() ? statement.value(0).toLongLong() : -1;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    Load load;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        const int value = args[i + 1].toInt();
        if (args[i] == QStringLiteral("--pupils"))
            load.pupils = std::clamp(value, 1, 2000);
        else if (args[i] == QStringLiteral("--answers"))
            load.answers = std::clamp(value, 1, 1000);
        else if (args[i] == QStringLiteral("--concurrent"))
            load.concurrent = std::clamp(value, 1, 64);
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dorvana.MDB"));
    QString key;
    for (int q = 0; q < load.answers; ++q)
        key += QChar(u'A' + q % 4);
    createDatabase(path);
    {
        TableDataset websoru(QStringLiteral("websoru"));
        websoru.setDatabase(Database::shared(path));
        websoru.setTableName(QStringLiteral("websoru"));
        websoru.open();
        prepareAnswerKey(websoru, QStringLiteral("Yük"), QStringLiteral("yuk"), key);
    }
    QDir(dir.path()).mkdir(QStringLiteral("out"));

    QProcess server;
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start(QStringLiteral(DORVANA_LIVE),
                 {QStringLiteral("--db"), path, QStringLiteral("--folder"),
                  dir.filePath(QStringLiteral("out")), QStringLiteral("--stem"),
                  QStringLiteral("yuk"), QStringLiteral("--name"), QStringLiteral("Yük"),
                  QStringLiteral("--count"), QString::number(load.answers),
                  QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")});
    if (!server.waitForStarted() || !server.waitForReadyRead(60000)) {
        std::fprintf(stderr, "bench_live: dorvana-live did not start\n");
        return 1;
    }
    load.address = QUrl(QString::fromUtf8(server.readLine().trimmed()));
    const auto startMemory = serverMemory(server.processId());
    const double syncBefore = rawSyncMs(dir.path());
    std::pair<long, long> middleMemory;

    QElapsedTimer total;
    total.start();
    bool completed = false;
    load.halfway = [&] { middleMemory = serverMemory(server.processId()); };
    load.allDone = [&] {
        completed = true;
        app.quit();
    };
    QTimer::singleShot(kTimeLimitMs, &app, &QCoreApplication::quit);
    for (int i = 0; i < load.concurrent; ++i)
        load.startNext();
    app.exec();
    const double seconds = double(total.elapsed()) / 1000;
    const double syncAfter = rawSyncMs(dir.path());
    const auto endMemory = serverMemory(server.processId());

    server.terminate();
    server.waitForFinished(30000);
    const long long stored = countOf(path, "SELECT count(*) FROM webcanlicevap");
    const long long results = countOf(path, "SELECT count(*) FROM websonuc");
    const long long wrong = countOf(
        path, "SELECT count(*) FROM webcanlicevap c JOIN webcanliogrenci o ON o.no = c.ogrenci "
              "WHERE c.cevap <> char(65 + (CAST(substr(o.ad, 9) AS INTEGER) + c.soru) % 4)");
    const long long expected = qint64(load.pupils) * load.answers;

    std::printf("pupils %d, answers each %d, concurrent %d, %.1f s\n", load.pupils, load.answers,
                load.concurrent, seconds);
    std::printf("answer save: p50 %.2f ms, p99 %.2f ms, max %.2f ms (%zu saves)\n",
                percentile(load.answerMs, 0.5), percentile(load.answerMs, 0.99),
                percentile(load.answerMs, 1.0), load.answerMs.size());
    std::printf("raw write+sync of 4 KiB here: %.2f ms before, %.2f ms after\n", syncBefore,
                syncAfter);
    std::printf("server memory (KiB): start %ld, middle %ld, end %ld, peak %ld\n",
                startMemory.first, middleMemory.first, endMemory.first, endMemory.second);
    std::printf("stored answers %lld of %lld, wrong %lld, results %lld of %d, failed requests %d\n",
                stored, expected, wrong, results, load.pupils, load.failures);
    const bool sound = completed && stored == expected && wrong == 0 && results == load.pupils &&
                       load.failures == 0;
    if (!sound)
        std::printf("FAILED: %s\n", completed ? "answers lost, doubled or refused" : "time limit");
    return sound ? 0 : 1;
}
