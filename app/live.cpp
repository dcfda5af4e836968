// dorvana-live: a live exam from the command line, for a school server; the
// same generation run and the same live exam as the window's "Canlı sınav".

#include "app/CommandLine.h"
#include "core/AppError.h"
#include "core/Platform.h"
#include "core/TestRules.h"
#include "db/Database.h"
#include "db/DatabaseLocation.h"
#include "db/ResultStore.h"
#include "db/Schema.h"
#include "db/Settings.h"
#include "db/TableDataset.h"
#include "live/LiveExam.h"
#include "run/GenerationRun.h"

#include <QGuiApplication>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <thread>

namespace {

using commandline::kRefused;
using commandline::kUsage;
// An explanation is a few lines typed for the pupils.
constexpr qint64 kExplanationLimit = 64 * 1024;

const char kUsageText[] =
    "kullanım: dorvana-live --db DOSYA --folder KLASÖR --stem AD [--listen ADRES:KAPI]\n"
    "                       [--name TEST_ADI] [--count SORU_SAYISI] [--explanation DOSYA]\n"
    "  Testi \"Sayfaları oluştur\" gibi oluşturur ve okulun ağında canlı sınav olarak sunar.\n"
    "  Cevap anahtarı ve ayarlar veritabanındandır; test adı ve soru sayısı, AD ile en son\n"
    "  oluşturulan testten alınır (--name, --count bunların yerine geçer).\n"
    "  Bu testin açık kalmış bir sınavı varsa yeniden oluşturmadan onu sürdürür.\n"
    "  --listen  dinlenecek adres ve kapı (öntanımlı: bilgisayarın her adresi, kapı 8765)\n"
    "  Çıktının ilk satırı öğrencilerin adresidir; bitiren her öğrenci için bir satır\n"
    "  yazılır. Girişe \"bitir\" yazılınca sınav biter (sayfalar sunulmaya devam eder);\n"
    "  SIGTERM ya da SIGINT (Ctrl+C) açık sınavı bitirir ve programı kapatır.\n"
    "çıkış kodları: 0 kapatıldı; 1 reddedildi (neden hata çıktısında); 2 yanlış kullanım\n";

void say(const QString& text) {
    commandline::say("dorvana-live", text);
}

void print(const QString& line) {
    std::fprintf(stdout, "%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

int usage() {
    std::fputs(kUsageText, stderr);
    return kUsage;
}

std::unique_ptr<TableDataset> openTable(const std::shared_ptr<Database>& db, const QString& name) {
    auto table = std::make_unique<TableDataset>(name);
    table->setDatabase(db);
    table->setTableName(name);
    table->open();
    return table;
}

QStringList explanationFrom(const QString& path) {
    if (path.isEmpty())
        return {};
    QString why;
    const std::optional<QByteArray> bytes =
        platform::readSmallRegularFile(path, kExplanationLimit, &why);
    if (!bytes)
        throw AppError(QStringLiteral(u"Açıklama dosyası okunamadı: %1 (%2)").arg(path, why));
    QStringList lines = QString::fromUtf8(*bytes).remove(u'\r').split(u'\n');
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

// The exam to serve: the open one of the stem's newest test, else a new one
// made through the generation run.
std::unique_ptr<LiveExam> openOrStart(const std::map<QString, QString>& options) {
    const auto option = [&](const char* name) {
        const auto it = options.find(QLatin1String(name));
        return it == options.end() ? QString() : it->second;
    };
    const QString path = option("--db");
    const auto db = Database::shared(path);
    upgradeSchema(*db);
    const QString stem = option("--stem");
    const std::optional<GeneratedTest> newest = newestTestOfStem(*db, stem);

    QString testName = option("--name");
    qint32 count = 0;
    if (const QString countText = option("--count"); !countText.isEmpty()) {
        bool ok = false;
        count = countText.toInt(&ok);
        if (!ok)
            throw AppError(
                QStringLiteral(u"Soru sayısı bir sayı olmalı: %1").arg(countText.left(20)));
    }
    const bool sameAsNewest = newest && (testName.isEmpty() || testName == newest->name) &&
                              (count == 0 || count == newest->count);
    if (sameAsNewest) {
        for (const OpenLiveExam& open : LiveExam::openExams(*db)) {
            if (open.identity.compare(newest->identity, Qt::CaseInsensitive) != 0)
                continue;
            auto exam = LiveExam::resume(db, open.id, option("--listen"));
            print(exam->address().toString());
            print(QStringLiteral(u"Açık kalmış sınav sürdürülüyor (%1 öğrenci katılmıştı).")
                      .arg(open.pupils));
            return exam;
        }
    }
    if (testName.isEmpty() && newest)
        testName = newest->name;
    if (count == 0 && newest)
        count = newest->count;
    if (testName.isEmpty() || count == 0)
        throw AppError(QStringLiteral(u"\"%1\" adıyla oluşturulmuş bir test yok; test adını "
                                      u"--name, soru sayısını --count ile veriniz.")
                           .arg(stem.left(60)));

    auto webrenk = openTable(db, QStringLiteral("webrenk"));
    auto websoru = openTable(db, QStringLiteral("websoru"));
    GenerationInput in;
    in.folder = option("--folder");
    in.stem = stem;
    in.testName = testName;
    in.questionCount = count;
    in.explanationLines = explanationFrom(option("--explanation"));
    loadSettings(*webrenk, in.settings, [](const SettingsField&) {});
    in.privatePaths = privateDataPaths(db->path());
    in.livePages = true;
    const GenerationOutcome outcome = runGeneration(in, *websoru);
    // The run has just remembered the test: the newest of the stem, where the
    // outcome does not name it.
    QString identity = outcome.testIdentity;
    if (identity.isEmpty())
        if (const auto made = newestTestOfStem(*db, stem))
            identity = made->identity;
    auto exam = LiveExam::start(db, identity, outcome.livePages, option("--listen"));
    print(exam->address().toString());
    return exam;
}

// Reads standard input on a thread of its own (portable, unlike waiting on
// its descriptor) and hands each line to the event loop.
void watchStandardInput(QObject* context, std::function<void(const QString&)> onLine) {
    std::thread([context, onLine = std::move(onLine)] {
        std::string line;
        while (std::getline(std::cin, line)) {
            const QString text = QString::fromUtf8(line).trimmed();
            QMetaObject::invokeMethod(
                context, [onLine, text] { onLine(text); }, Qt::QueuedConnection);
        }
    }).detach();
}

} // namespace

int main(int argc, char* argv[]) {
    // Drawing the navigation images needs no display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const auto given = commandline::options(
        app.arguments(), 1,
        {QStringLiteral("--db"), QStringLiteral("--folder"), QStringLiteral("--stem"),
         QStringLiteral("--listen"), QStringLiteral("--name"), QStringLiteral("--count"),
         QStringLiteral("--explanation")},
        {QStringLiteral("--db"), QStringLiteral("--folder"), QStringLiteral("--stem")});
    if (!given)
        return usage();
    std::map<QString, QString> options = *given;

    std::unique_ptr<LiveExam> exam;
    if (const int refused = commandline::runReportingRefusals("dorvana-live", [&] {
            exam = openOrStart(options);
            return commandline::kDone;
        }))
        return refused;

    const auto endExam = [&exam] {
        try {
            if (!exam->isFinished()) {
                exam->finish();
                print(QStringLiteral(u"Sınav bitti."));
            }
        } catch (const AppError& error) {
            say(error.text());
        }
    };
    std::set<qint64> printed;
    const auto printFinished = [&] {
        for (const LivePupil& pupil : exam->pupils())
            if (pupil.status == LivePupil::Status::Finished && printed.insert(pupil.id).second)
                print(QStringLiteral(u"Bitirdi: %1\tkitapçık %2\tnet %3")
                          .arg(pupil.name, pupil.booklet, netText(pupil.net.value_or(0))));
    };
    printFinished(); // those who finished before a resume
    QObject::connect(exam.get(), &LiveExam::resultStored, &app, printFinished);
    watchStandardInput(&app, [&](const QString& line) {
        if (line == QStringLiteral("bitir"))
            endExam();
    });
    platform::onTerminationRequest(&app, [&] {
        endExam();
        app.quit();
    });
    const int code = app.exec();
    exam.reset();
    return code;
}
