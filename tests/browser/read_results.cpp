// Reads pupils' results with the program's own code, as the class-results
// window does, for the browser round trip: a new database, the generated test
// remembered, each result file or code read, fitted to the test and stored,
// then the class table, summary and item analysis printed as JSON and the
// CSV written. The class table is scored from the test as the database gives
// it back; a row of a test with booklets or sections has "columns": what the
// window shows in its booklet and section columns.
//
//   read_results DESCRIPTION.json DATABASE OUT.csv (RESULT_FILE | --code CODES)...
//
// DESCRIPTION is make_singlepage's; DATABASE must not exist yet; CODES is text
// as pasted, one code per line. Exit status 0 when every result was stored,
// 1 when one was refused or a file could not be written (the reason on
// standard error), 2 on bad arguments.

#include "core/AppError.h"
#include "core/TestIdentity.h"
#include "core/TestRules.h"
#include "db/Database.h"
#include "db/NewDatabase.h"
#include "db/ResultStore.h"
#include "results/ClassAnalysis.h"
#include "results/CsvExport.h"
#include "results/ResultInput.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

GeneratedTest describedTest(const QJsonObject& d) {
    // As make_singlepage builds the page from the same description.
    GeneratedTest test;
    test.name = d.value(u"testName"_s).toString();
    test.stem = d.value(u"stem"_s).toString(u"test01"_s);
    test.keys = d.value(u"keys"_s).toString().toUpper();
    test.count = qint32(test.keys.size());
    test.optionCount = effectiveOptionCount(d.value(u"options"_s).toInt(5));
    test.netRule = d.value(u"netRule"_s).toInt(3);
    test.generatedAt = QDateTime(QDate(2026, 12, 9), QTime(10, 0));
    // The identity generation stores with the test: the round trip's questions
    // are HTML text, embedded as its UTF-8 bytes.
    QStringList digests;
    const QJsonArray questions = d.value(u"questions"_s).toArray();
    for (qsizetype i = 0; i < test.keys.size(); ++i) {
        const QJsonObject q = questions.at(i).toObject();
        digests << (q.value(u"kind"_s) == u"html"_s
                        ? contentDigest(q.value(u"html"_s).toString().toUtf8())
                        : QString());
    }
    for (const QJsonValue s : d.value(u"sections"_s).toArray())
        test.sections.push_back({s[u"name"_s].toString(), s[u"first"_s].toInt(),
                                 s[u"last"_s].toInt(), s[u"weight"_s].toDouble(1)});
    const qint32 booklets = d.value(u"booklets"_s).toInt(1);
    test.identity =
        testIdentity({test.name, test.stem, test.keys, test.optionCount, test.netRule,
                      d.value(u"minutes"_s).toInt(0), digests, test.sections, booklets});
    test.booklets = bookletOrders(test.identity, test.count, test.sections, booklets);
    return test;
}

// Stores one result as the window does; a refusal stops the tool with its reason.
void add(Database& db, const QString& what, const std::function<PupilResult()>& read) {
    const ResultBatch batch = storeResults(db, 1, [&](int, QString& name) {
        name = what;
        return read();
    });
    if (!batch.refused.empty())
        throw AppError(batch.refused.front().reason);
}

QJsonObject report(const GeneratedTest& test, const std::vector<PupilRow>& rows) {
    QJsonArray table;
    for (const PupilRow& row : rows) {
        QJsonObject entry{{u"name"_s, row.name},
                          {u"answers"_s, row.answers},
                          {u"correct"_s, row.score.correct},
                          {u"wrong"_s, row.score.wrong},
                          {u"blank"_s, row.score.blank},
                          {u"net"_s, row.score.net},
                          {u"seconds"_s, row.seconds}};
        const QStringList columns = sectionColumnTexts(test, row);
        if (!columns.isEmpty())
            entry.insert(u"columns"_s, QJsonArray::fromStringList(columns));
        table.append(entry);
    }
    const ClassSummary s = summarize(rows);
    const ItemAnalysis analysis = analyseItems(test, rows);
    QJsonArray items;
    for (const ItemStats& item : analysis.items) {
        QJsonArray chosen;
        for (int count : item.chosen)
            chosen.append(count);
        items.append(QJsonObject{{u"question"_s, item.question},
                                 {u"key"_s, QString(item.key)},
                                 {u"right"_s, item.right},
                                 {u"difficulty"_s, item.difficulty},
                                 {u"discrimination"_s, item.discrimination},
                                 {u"chosen"_s, chosen},
                                 {u"blanks"_s, item.blanks},
                                 {u"mark"_s, item.markText()}});
    }
    return {{u"identity"_s, test.identity},
            {u"rows"_s, table},
            {u"summary"_s, QJsonObject{{u"pupils"_s, s.pupils},
                                       {u"mean"_s, s.mean},
                                       {u"median"_s, s.median},
                                       {u"standardDeviation"_s, s.standardDeviation},
                                       {u"lowest"_s, s.lowest},
                                       {u"highest"_s, s.highest}}},
            {u"groupSize"_s, analysis.groupSize},
            {u"items"_s, items}};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: read_results DESCRIPTION.json DATABASE OUT.csv "
                             "(RESULT_FILE | --code CODES)...\n");
        return 2;
    }
    QFile description(args[1]);
    if (!description.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "read_results: cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    const GeneratedTest test =
        describedTest(QJsonDocument::fromJson(description.readAll()).object());

    QString what;
    try {
        createDatabase(args[2]);
        Database db(args[2]);
        createResultTables(db);
        rememberTest(db, test);
        for (qsizetype i = 4; i < args.size(); ++i) {
            if (args[i] != u"--code"_s) {
                what = QFileInfo(args[i]).fileName();
                add(db, what, [&] { return readResultFile(args[i]); });
                continue;
            }
            if (++i == args.size()) {
                std::fprintf(stderr, "read_results: --code needs the codes\n");
                return 2;
            }
            for (const PastedCode& code : splitPastedCodes(args[i])) {
                what = u"Kod (satır %1)"_s.arg(code.line);
                add(db, what, [&] { return parseResultCode(code.text); });
            }
        }
        what.clear();

        const GeneratedTest stored = findTest(db, test.identity).value();
        const std::vector<PupilRow> rows = classRows(stored, resultsOf(db, test.identity));
        QFile csv(args[3]);
        if (!csv.open(QIODevice::WriteOnly) ||
            csv.write(classResultsCsv(test, rows, summarize(rows), analyseItems(test, rows))) < 0)
            throw AppError(u"CSV dosyası yazılamadı: "_s + args[3]);
        const QByteArray json = QJsonDocument(report(stored, rows)).toJson(QJsonDocument::Compact);
        std::fwrite(json.constData(), 1, std::size_t(json.size()), stdout);
        std::fputc('\n', stdout);
    } catch (const AppError& error) {
        const QString text = what.isEmpty() ? error.text() : what + u": "_s + error.text();
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
        return 1;
    }
    return 0;
}
