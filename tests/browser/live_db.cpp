// The database side of the live browser test, with the program's own code:
//
//   live_db new DATABASE NAME STEM KEYS BOOKLETS [SECTION:FIRST:LAST ...]
//     a new program database holding the answer key of test NAME (stem STEM),
//     five options, BOOKLETS booklet types and the sections, ready for
//     dorvana-live --db DATABASE --stem STEM --name NAME --count KEYS.size;
//   live_db results DATABASE
//     every stored result of every test as JSON lines, scored as the class
//     table scores them: {"name", "booklet", "net", "sections": [net, ...]}.
//
// Exit status 0 when done, 1 on a failure (the reason on standard error), 2 on
// bad arguments.

#include "core/AppError.h"
#include "db/AnswerKey.h"
#include "db/Database.h"
#include "db/NewDatabase.h"
#include "db/ResultStore.h"
#include "db/Schema.h"
#include "db/Sections.h"
#include "db/Settings.h"
#include "db/TableDataset.h"
#include "results/ClassAnalysis.h"
#include "results/ResultText.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

std::unique_ptr<TableDataset> openTable(const std::shared_ptr<Database>& db, const QString& name) {
    auto table = std::make_unique<TableDataset>(name);
    table->setDatabase(db);
    table->setTableName(name);
    table->open();
    return table;
}

void create(const QStringList& a) {
    createDatabase(a[2]);
    const auto db = Database::shared(a[2]);
    upgradeSchema(*db);
    const QString name = a[3];
    const QString keys = a[5];
    const auto webrenk = openTable(db, u"webrenk"_s);
    Settings settings = defaultSettings();
    settings.siksay = 5;
    settings.kitapcik = a[6].toInt();
    saveSettings(*webrenk, settings);
    std::vector<Section> sections;
    for (qsizetype i = 7; i < a.size(); ++i) {
        const QStringList parts = a[i].split(u':');
        sections.push_back({parts.value(0), parts.value(1).toInt(), parts.value(2).toInt(), 1});
    }
    saveSections(*db, name, sections, qint32(keys.size()));
    const auto websoru = openTable(db, u"websoru"_s);
    prepareAnswerKey(*websoru, name, a[4], keys);
}

void printResults(const QString& path) {
    const auto db = Database::shared(path);
    for (const GeneratedTest& test : testsWithResults(*db))
        for (const PupilRow& row : classRows(test, resultsOf(*db, test.identity))) {
            QJsonArray sections;
            for (const Score& s : row.sections)
                sections << decimalText(s.net);
            const QJsonObject line{{u"name"_s, row.name},
                                   {u"booklet"_s, row.booklet},
                                   {u"net"_s, decimalText(row.score.net)},
                                   {u"sections"_s, sections}};
            std::printf("%s\n", QJsonDocument(line).toJson(QJsonDocument::Compact).constData());
        }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    const bool creating = a.value(1) == u"new"_s && a.size() >= 7;
    if (!creating && !(a.value(1) == u"results"_s && a.size() == 3)) {
        std::fprintf(stderr, "usage: live_db new DATABASE NAME STEM KEYS BOOKLETS [S:FIRST:LAST...]"
                             " | live_db results DATABASE\n");
        return 2;
    }
    try {
        if (creating)
            create(a);
        else
            printResults(a[2]);
    } catch (const AppError& error) {
        std::fprintf(stderr, "live_db: %s\n", qPrintable(error.text()));
        return 1;
    }
    return 0;
}
