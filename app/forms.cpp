// dorvana-forms: the optical answer forms of a generated test, from the
// command line; the same functions as the window's "Optik form" and "Optik
// formları oku".

#include "app/CommandLine.h"
#include "core/AppError.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "run/FormPrint.h"
#include "run/FormResults.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <map>

namespace {

constexpr int kWritten = commandline::kDone;
using commandline::kRefused;
using commandline::kUsage;
constexpr int kNotAllStored = 3;

// A class list is a small text file; anything larger is not one.

const char kUsageText[] =
    "kullanım: dorvana-forms print --db DOSYA --stem AD --out FORM.pdf\n"
    "                          [--layout YERLESIM.json] [--class-list LISTE.csv] [--digits N]\n"
    "  Dosya adı AD ile en son oluşturulan testin A4 optik formunu yazar.\n"
    "  --layout      formdaki işaretlerin yerlerini JSON olarak da yazar\n"
    "  --class-list  her öğrenciye adı ve numarası basılı kendi formu\n"
    "  --digits      \"Öğrenci No\" hane sayısı (1-10, öntanımlı 4)\n"
    "       dorvana-forms read --db DOSYA [--dry-run] [--json] FORM...\n"
    "  Taranmış ya da fotoğrafı çekilmiş optik formları (PNG, JPEG, TIFF, PDF)\n"
    "  okur ve sınıf sonuçlarına kaydeder. Şüpheli satırı olan formlar burada\n"
    "  sorulamaz: kaydedilmez, pencerede \"Optik formları oku\" ile gözden geçirilir.\n"
    "  --dry-run     hiçbir şey kaydetmez\n"
    "  --json        her sayfa için bir nesne içeren JSON listesi yazar\n"
    "çıkış kodları: 0 yazıldı (read: her sayfa okundu ve kaydedildi); 1 reddedildi\n"
    "  (neden hata çıktısında, hiçbir şey yazılmadı); 2 yanlış kullanım;\n"
    "  3 (read) reddedilen, şüpheli satırı olan ya da kaydedilmeyen form var\n";

int usage() {
    std::fputs(kUsageText, stderr);
    return kUsage;
}

QString rowName(const FormFlag& flag) {
    switch (flag.row) {
    case FormFlag::Row::Answer:
        return QStringLiteral(u"%1. soru").arg(flag.question);
    case FormFlag::Row::Number:
        return flag.position > 0 ? QStringLiteral(u"numaranın %1. hanesi").arg(flag.position)
                                 : QStringLiteral(u"öğrenci numarası");
    case FormFlag::Row::Booklet:
        break;
    }
    return QStringLiteral(u"kitapçık");
}

QJsonObject sheetJson(const ReadSheet& sheet) {
    QJsonObject object{{QStringLiteral("file"), sheet.file}, {QStringLiteral("page"), sheet.page}};
    if (!sheet.refused.isEmpty()) {
        object[QStringLiteral("refused")] = sheet.refused;
        return object;
    }
    object[QStringLiteral("number")] = sheet.number;
    object[QStringLiteral("booklet")] = sheet.booklet;
    object[QStringLiteral("answers")] = sheet.answers;
    QJsonArray flags;
    for (const FormFlag& flag : sheet.flags) {
        QJsonObject f{{QStringLiteral("question"), flag.question},
                      {QStringLiteral("reason"), flag.reason}};
        if (flag.row != FormFlag::Row::Answer) {
            f[QStringLiteral("row")] = flag.row == FormFlag::Row::Number
                                           ? QStringLiteral("number")
                                           : QStringLiteral("booklet");
            f[QStringLiteral("position")] = flag.position;
        }
        flags.append(f);
    }
    object[QStringLiteral("flags")] = flags;
    return object;
}

// `dorvana-forms read`: nobody can be asked about a doubtful row here, so
// only the sheets without one are stored; the others are named for the window.
int readForms(const QStringList& args) {
    QString dbPath;
    bool dryRun = false, json = false;
    QStringList files;
    for (qsizetype i = 2; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--db") && i + 1 < args.size() && dbPath.isEmpty())
            dbPath = args[++i];
        else if (args[i] == QStringLiteral("--dry-run"))
            dryRun = true;
        else if (args[i] == QStringLiteral("--json"))
            json = true;
        else if (args[i].startsWith(QStringLiteral("--")))
            return usage();
        else
            files << args[i];
    }
    if (dbPath.isEmpty() || files.isEmpty())
        return usage();

    Database db(dbPath);
    upgradeSchema(db);
    const std::vector<ReadSheet> sheets = readFormsForDatabase(db, files);
    std::vector<ReadSheet> clean;
    QStringList lines;
    int refused = 0, doubtful = 0;
    for (const ReadSheet& sheet : sheets) {
        const QString place =
            QStringLiteral(u"%1 (sayfa %2)").arg(QFileInfo(sheet.file).fileName()).arg(sheet.page);
        if (!sheet.refused.isEmpty()) {
            ++refused;
            lines << QStringLiteral(u"%1: okunmadı: %2").arg(place, sheet.refused);
        } else if (!sheet.flags.empty()) {
            ++doubtful;
            QStringList rows;
            for (const FormFlag& flag : sheet.flags)
                rows << QStringLiteral(u"%1 (%2)").arg(rowName(flag), flag.reason);
            lines << QStringLiteral(u"%1: şüpheli satırlar, kaydedilmedi: %2")
                         .arg(place, rows.join(QStringLiteral(", ")));
        } else {
            clean.push_back(sheet);
        }
    }
    ResultBatch batch;
    if (!dryRun && !clean.empty())
        batch = storeReadSheets(db, clean);
    for (const RefusedResult& r : batch.refused)
        lines << QStringLiteral(u"%1: kaydedilmedi: %2").arg(r.what, r.reason);
    lines << QStringLiteral(u"%1 sayfa okundu: %2 sayfa reddedildi, %3 formda şüpheli satır var, "
                            u"%4 form %5.")
                 .arg(sheets.size())
                 .arg(refused)
                 .arg(doubtful)
                 .arg(dryRun ? clean.size() : std::size_t(batch.stored))
                 .arg(dryRun
                          ? QStringLiteral(u"kaydedilebilir (--dry-run: hiçbir şey kaydedilmedi)")
                          : QStringLiteral(u"kaydedildi"));
    if (doubtful > 0)
        lines << QStringLiteral(u"Şüpheli satırlar komut satırında sorulamaz; bu formları "
                                u"\"Sınıf sonuçları\" penceresinde \"Optik formları oku\" ile "
                                u"okuyup gözden geçirin.");
    if (json) {
        QJsonArray list;
        for (const ReadSheet& sheet : sheets)
            list.append(sheetJson(sheet));
        std::fputs(QJsonDocument(list).toJson().constData(), stdout);
    }
    std::fprintf(json ? stderr : stdout, "%s\n", lines.join(u'\n').toUtf8().constData());
    const bool allStored = refused == 0 && doubtful == 0 && batch.refused.empty();
    return allStored ? kWritten : kNotAllStored;
}

} // namespace

int main(int argc, char* argv[]) {
    // Drawing text needs a display connection only to measure fonts: none is wanted here.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 2 && args[1] == QStringLiteral("read"))
        return commandline::runReportingRefusals("dorvana-forms", [&] { return readForms(args); });
    const auto given =
        args.size() < 2 || args[1] != QStringLiteral("print")
            ? std::nullopt
            : commandline::options(
                  args, 2,
                  {QStringLiteral("--db"), QStringLiteral("--stem"), QStringLiteral("--out"),
                   QStringLiteral("--layout"), QStringLiteral("--class-list"),
                   QStringLiteral("--digits")},
                  {QStringLiteral("--db"), QStringLiteral("--stem"), QStringLiteral("--out")});
    if (!given)
        return usage();
    std::map<QString, QString> options = *given;

    return commandline::runReportingRefusals("dorvana-forms", [&] {
        FormPrintRequest request;
        request.stem = options[QStringLiteral("--stem")];
        request.pdfPath = options[QStringLiteral("--out")];
        request.layoutPath = options[QStringLiteral("--layout")];
        if (const QString digits = options[QStringLiteral("--digits")]; !digits.isEmpty()) {
            bool ok = false;
            request.numberDigits = digits.toInt(&ok);
            if (!ok)
                throw AppError(QStringLiteral(u"Hane sayısı bir sayı olmalı: %1").arg(digits));
        }
        if (const QString list = options[QStringLiteral("--class-list")]; !list.isEmpty())
            request.pupils = formPupils(readClassListFile(list));
        Database db(options[QStringLiteral("--db")]);
        upgradeSchema(db);
        const GeneratedTest test = printStoredForms(db, request);
        std::fprintf(stdout, "%s\n",
                     QStringLiteral(u"\"%1\" testinin optik formu yazıldı: %2")
                         .arg(test.name, request.pdfPath)
                         .toUtf8()
                         .constData());
        return kWritten;
    });
}
