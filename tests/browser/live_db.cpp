// The database side of the live browser test, with the program's own code.
//   live_db new DATABASE NAME STEM KEYS BOOKLETS [SECTION:FIRST:LAST ...]
//     the answer key of test NAME, five options, the booklets and sections;
//   live_db results DATABASE
//     every stored result as a JSON line, scored as the class table scores it.

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

int main(int argc, char** argv) try {
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() < 3)
        return 2;
    if (a[1] == u"new"_s) {
        createDatabase(a[2]);
        const auto db = Database::shared(a[2]);
        upgradeSchema(*db);
        TableDataset webrenk(u"webrenk"_s), websoru(u"websoru"_s);
        for (TableDataset* table : {&webrenk, &websoru}) {
            table->setDatabase(db);
            table->setTableName(table == &webrenk ? u"webrenk"_s : u"websoru"_s);
            table->open();
        }
        Settings settings = defaultSettings();
        settings.siksay = 5;
        settings.kitapcik = a.value(6).toInt();
        saveSettings(webrenk, settings);
        std::vector<Section> sections;
        for (const QString& s : a.mid(7))
            sections.push_back({s.section(u':', 0, 0), s.section(u':', 1, 1).toInt(),
                                s.section(u':', 2, 2).toInt(), 1});
        saveSections(*db, a[3], sections, qint32(a[5].size()));
        prepareAnswerKey(websoru, a[3], a[4], a[5]);
        return 0;
    }
    const auto db = Database::shared(a[2]);
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
    return 0;
} catch (const AppError& error) {
    std::fprintf(stderr, "live_db: %s\n", qPrintable(error.text()));
    return 1;
}
