// dorvana-forms: the optical answer forms of a generated test, from the
// command line; the same function as the window's "Optik form".

#include "core/AppError.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "run/FormPrint.h"

#include <QGuiApplication>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <map>

namespace {

constexpr int kWritten = 0;
constexpr int kRefused = 1;
constexpr int kUsage = 2;

// A class list is a small text file; anything larger is not one.

const char kUsageText[] =
    "kullanım: dorvana-forms print --db DOSYA --stem AD --out FORM.pdf\n"
    "                          [--layout YERLESIM.json] [--class-list LISTE.csv] [--digits N]\n"
    "  Dosya adı AD ile en son oluşturulan testin A4 optik formunu yazar.\n"
    "  --layout      formdaki işaretlerin yerlerini JSON olarak da yazar\n"
    "  --class-list  her öğrenciye adı ve numarası basılı kendi formu\n"
    "  --digits      \"Öğrenci No\" hane sayısı (1-10, öntanımlı 4)\n"
    "çıkış kodları: 0 yazıldı; 1 reddedildi (neden hata çıktısında, hiçbir şey\n"
    "  yazılmadı); 2 yanlış kullanım\n";

void say(const QString& text) {
    std::fprintf(stderr, "dorvana-forms: %s\n", text.toUtf8().constData());
}

int usage() {
    std::fputs(kUsageText, stderr);
    return kUsage;
}

} // namespace

int main(int argc, char* argv[]) {
    // Drawing text needs a display connection only to measure fonts: none is wanted here.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2 || args[1] != QStringLiteral("print") || args.size() % 2 != 0)
        return usage();
    std::map<QString, QString> options;
    const QStringList known{QStringLiteral("--db"),         QStringLiteral("--stem"),
                            QStringLiteral("--out"),        QStringLiteral("--layout"),
                            QStringLiteral("--class-list"), QStringLiteral("--digits")};
    for (qsizetype i = 2; i + 1 < args.size(); i += 2) {
        if (!known.contains(args[i]) || options.count(args[i]))
            return usage();
        options[args[i]] = args[i + 1];
    }
    for (const char* needed : {"--db", "--stem", "--out"})
        if (options[QLatin1String(needed)].isEmpty())
            return usage();

    try {
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
    } catch (const AppError& error) {
        say(error.text());
        return kRefused;
    } catch (const std::exception& error) {
        say(QString::fromLocal8Bit(error.what()));
        return kRefused;
    }
    return kWritten;
}
