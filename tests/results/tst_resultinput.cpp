// Reading result files and result codes: what the single page writes is
// taken, anything damaged, edited, foreign or oversized is refused with its reason.

#include "ResultSamples.h"
#include "core/AppError.h"
#include "core/TestRules.h"
#include "results/ResultInput.h"
#include "results/Scoring.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Worked out outside the program (Python's hashlib and base64) from the published format.
const QString kTest = QStringLiteral("345e7765a0f00d1c479b509e43b05fd2");
const QString kCheck = QStringLiteral("e3186a63068334a5");
const QString kCode = QStringLiteral(
    "DV1GM 2DKZJ XG43D KYJQM YYDAZ BRMM2 DOOLC GUYDS ZJUGN RDANL GMQZA UQLZY WPWKI GDSZ5 AUQKC "
    "INCEC CRSGA ZDMLJ RGIWT AOKUG EYDUM JVHIY DECRS GAZDM LJRGI WTAOK UGEYD UNBQH IYTGC TFGMY "
    "TQNTB GYZTA NRYGM ZTIYJ V");

QByteArray fixtureFile() {
    return QStringLiteral("{\"format\":\"dvsonuc\",\"version\":1,\"test\":\"%1\",\"testName\":"
                          "\"Deneme\",\"name\":\"Ayşe Öz\",\"answers\":\"ABCDA\",\"start\":"
                          "\"2026-12-09T10:15:02\",\"finish\":\"2026-12-09T10:40:13\",\"check\":"
                          "\"%2\"}")
        .arg(kTest, kCheck)
        .toUtf8();
}

QString refusal(const std::function<void()>& read) {
    try {
        read();
    } catch (const AppError& error) {
        return error.text();
    }
    return QStringLiteral("<accepted>");
}

const QString kCheckFails =
    QStringLiteral("denetim değeri tutmuyor: sonuç bozulmuş ya da değiştirilmiş");
const QString kDamagedCode = QStringLiteral("kod bozuk: eksik ya da yanlış yazılmış harf var");
const QString kTooBig =
    QStringLiteral("dosya çok büyük (1 MiB sınırını aşıyor); sonuç dosyası değil");

// The cases shared with the page's own scoring (tests/browser/vectors.test.mjs).
QJsonArray vectorCases() {
    QFile file(QStringLiteral(DORVANA_TEST_DATA "/results/vectors.json"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object().value(QLatin1String("cases")).toArray();
}

} // namespace

class tst_ResultInput : public QObject {
    Q_OBJECT
private slots:
    void identityAndCheckMatchTheFormat();
    void sharedVectors_data();
    void sharedVectors();
    void acceptedFiles_data();
    void acceptedFiles();
    void refusedFiles_data();
    void refusedFiles();
    void oversizedFileOnDiskIsNotReadWhole();
    void acceptedCodes_data();
    void acceptedCodes();
    void refusedCodes_data();
    void refusedCodes();
    void pastedTextIsOneCodePerLine();
};

void tst_ResultInput::identityAndCheckMatchTheFormat() {
    QCOMPARE(samples::exampleTest().identity, kTest);

    const PupilResult r = parseResultFile(fixtureFile());
    QCOMPARE(r.test, kTest);
    QCOMPARE(r.testName, QStringLiteral("Deneme"));
    QCOMPARE(r.name, QStringLiteral("Ayşe Öz"));
    QCOMPARE(r.answers, QStringLiteral("ABCDA"));
    QCOMPARE(r.start, QStringLiteral("2026-12-09T10:15:02"));
    QCOMPARE(r.finish, QStringLiteral("2026-12-09T10:40:13"));
    QCOMPARE(resultCheck(r, 1), kCheck);
    // The test helper writes the same bytes and the same code as the reference.
    const PupilResult made =
        samples::result(kTest, QStringLiteral("Ayşe Öz"), QStringLiteral("ABCDA"));
    QCOMPARE(samples::fileBytes(made, QStringLiteral("Deneme")), fixtureFile());
    QCOMPARE(samples::code(made), kCode);
}

void tst_ResultInput::sharedVectors_data() {
    QTest::addColumn<QJsonObject>("v");
    const QJsonArray cases = vectorCases();
    QVERIFY(cases.size() >= 11);
    for (const QJsonValue& c : cases)
        QTest::newRow(qPrintable(c[u"about"].toString())) << c.toObject();
}

// Counts, section scores, net text, check value, file and code as the page
// makes them; a booklet's answers are scored back in the teacher's order.
void tst_ResultInput::sharedVectors() {
    QFETCH(QJsonObject, v);
    const auto text = [&v](const char* key) { return v.value(QLatin1String(key)).toString(); };
    const auto number = [&v](const char* key) { return v.value(QLatin1String(key)).toInt(); };

    QCOMPARE(optionLetters(number("options")), text("letters"));
    GeneratedTest test;
    test.keys = text("keys");
    test.count = qint32(test.keys.size());
    test.optionCount = effectiveOptionCount(number("options"));
    test.netRule = number("netRule");
    for (const QJsonValue s : v[u"sections"].toArray())
        test.sections.push_back({s[u"name"].toString(), s[u"first"].toInt(), s[u"last"].toInt(),
                                 s[u"weight"].toDouble()});
    const QString booklet = v.value(u"booklet").toString(QStringLiteral("A"));
    if (v.contains(u"order")) {
        test.booklets = {{u'A', teacherOrder(test.count)}, {booklet[0], {}}};
        for (const QJsonValue q : v[u"order"].toArray())
            test.booklets.back().order.push_back(q.toInt());
    }
    const QString answers = text("answers");
    QCOMPARE(refusal([&] { checkAnswersFit(test, answers); }), QStringLiteral("<accepted>"));
    const QString inTeacherOrder = answersInTeacherOrder(test, booklet, answers);
    const auto counts = [](const Score& s) {
        return QStringList{QString::number(s.correct), QString::number(s.wrong),
                           QString::number(s.blank), netText(s.net)};
    };
    QCOMPARE(counts(scoreAnswers(test, inTeacherOrder)),
             (QStringList{QString::number(number("correct")), QString::number(number("wrong")),
                          QString::number(number("blank")), text("net")}));
    QList<QStringList> sections, expected;
    for (const Score& s : sectionScores(test, inTeacherOrder))
        sections << counts(s);
    for (const QJsonValue s : v[u"sectionScores"].toArray())
        expected << QStringList{QString::number(s[u"correct"].toInt()),
                                QString::number(s[u"wrong"].toInt()),
                                QString::number(s[u"blank"].toInt()), s[u"net"].toString()};
    QCOMPARE(sections, expected);
    if (v.contains(u"weighted"))
        QCOMPARE(netText(weightedTotal(test, sectionScores(test, inTeacherOrder))),
                 text("weighted"));

    const auto fields = [](const PupilResult& r) {
        return QStringList{
            r.test, r.booklet, r.name, r.answers, r.start, r.finish, QString::number(r.attempt),
            r.check};
    };
    const PupilResult made{text("test"),   QString(),         text("name"),  answers, text("start"),
                           text("finish"), number("attempt"), text("check"), booklet};
    QCOMPARE(resultCheck(made, number("version")), made.check);
    QCOMPARE(fields(parseResultFile(text("file").toUtf8())), fields(made));
    QCOMPARE(fields(parseResultCode(text("code"))), fields(made));
}

void tst_ResultInput::acceptedFiles_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("answers");

    const QByteArray file = fixtureFile();
    QTest::newRow("as written") << file << QStringLiteral("Ayşe Öz") << QStringLiteral("ABCDA");
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF" + file)
                                     << QStringLiteral("Ayşe Öz") << QStringLiteral("ABCDA");
    QTest::newRow("other key order, extra keys, spaces")
        << QStringLiteral("{ \"check\": \"%2\", \"extra\": [1, 2], \"finish\": "
                          "\"2026-12-09T10:40:13\", \"start\": \"2026-12-09T10:15:02\",\n"
                          "\"answers\": \"ABCDA\", \"name\": \"Ay\\u015fe \\u00d6z\", "
                          "\"test\": \"%1\", \"version\": 1.0, \"format\": \"dvsonuc\" }")
               .arg(kTest, kCheck.toUpper())
               .toUtf8()
        << QStringLiteral("Ayşe Öz") << QStringLiteral("ABCDA");
    const PupilResult odd = samples::result(kTest, QStringLiteral("\"Kaçış\" \\ ; 🙂 İI "),
                                            QStringLiteral("a-c-E"));
    QTest::newRow("quotes, emoji, spaces, lower case")
        << samples::fileBytes(odd, QString()) << odd.name << odd.answers;
    const PupilResult nameless = samples::result(kTest, QString(), QStringLiteral("-----"));
    QTest::newRow("empty name, all blank")
        << samples::fileBytes(nameless, QStringLiteral("x")) << QString() << nameless.answers;
}

void tst_ResultInput::acceptedFiles() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);
    QFETCH(QString, answers);
    const PupilResult r = parseResultFile(bytes);
    QCOMPARE(r.name, name);
    QCOMPARE(r.answers, answers);
    QCOMPARE(r.test, kTest);
}

void tst_ResultInput::refusedFiles_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");

    const QByteArray file = fixtureFile();
    const QString damaged = QStringLiteral("dosya bozuk ya da eksik: içeriği okunamıyor");
    QTest::newRow("truncated") << file.left(file.size() / 2) << damaged;
    QTest::newRow("last brace missing") << file.chopped(1) << damaged;
    QTest::newRow("empty") << QByteArray() << damaged;
    QTest::newRow("array") << QByteArray("[1,2]") << damaged;
    QTest::newRow("text") << QByteArray("Ayşe: 5 doğru") << damaged;
    // A test page chosen by mistake: a classic page in Windows-1254, the single page.
    const QString page = QStringLiteral("bir test sayfası, sonuç dosyası değil");
    QTest::newRow("classic page") << QByteArray("\r\n<HTML><HEAD><TITLE>S\xFDnav</TITLE>") << page;
    QTest::newRow("single page")
        << QByteArray("<!DOCTYPE html>\n<html lang=\"tr\"><head><meta charset=\"utf-8\">") << page;
    QTest::newRow("markup, not a page") << QByteArray("<svg></svg>") << damaged;
    QTest::newRow("invalid UTF-8") << QByteArray(file).replace("Ay\xC5\x9F"
                                                               "e",
                                                               "Ay\xFE"
                                                               "e")
                                   << QStringLiteral("dosya bozuk: UTF-8 metin değil");
    QTest::newRow("other format") << QByteArray(file).replace("dvsonuc", "dvsinav")
                                  << QStringLiteral("bu bir Dorvana sonuç dosyası değil");
    const QString version = QStringLiteral(
        "sonuç dosyasının sürümü tanınmıyor (bu program 1., 2. ve 3. sürümleri okur)");
    QTest::newRow("version 4") << QByteArray(file).replace("\"version\":1", "\"version\":4")
                               << version;
    // Another booklet's answers passed off under this one, and letters no page writes.
    const QByteArray third = vectorCases().at(8)[u"file"].toString().toUtf8();
    QTest::newRow("changed booklet, old check")
        << QByteArray(third).replace("\"booklet\":\"B\"", "\"booklet\":\"A\"") << kCheckFails;
    const QString bookletField =
        QStringLiteral("dosya bozuk: \"booklet\" alanı eksik ya da hatalı");
    for (const char* bad : {"\"E\"", "\"b\"", "\"AB\"", "\"\"", "2"})
        QTest::addRow("booklet %s", bad)
            << QByteArray(third).replace("\"booklet\":\"B\"", QByteArray("\"booklet\":") + bad)
            << bookletField;
    QTest::newRow("version 3 without booklet")
        << QByteArray(third).replace("\"booklet\":\"B\",", "") << bookletField;
    // A retake passed off as a first attempt, and attempts no page writes.
    const QByteArray second = vectorCases().at(0)[u"file"].toString().toUtf8();
    QTest::newRow("changed attempt, old check")
        << QByteArray(second).replace("\"attempt\":1", "\"attempt\":2") << kCheckFails;
    const QString attempt = QStringLiteral("dosya bozuk: \"attempt\" alanı eksik ya da hatalı");
    for (const char* bad : {"0", "1.5", "\"1\"", "1e9"})
        QTest::addRow("attempt %s", bad)
            << QByteArray(second).replace("\"attempt\":1", QByteArray("\"attempt\":") + bad)
            << attempt;
    QTest::newRow("version 2 without attempt")
        << QByteArray(second).replace("\"attempt\":1,", "") << attempt;
    QTest::newRow("version as text")
        << QByteArray(file).replace("\"version\":1", "\"version\":\"1\"") << version;
    QTest::newRow("name missing") << QByteArray(file).replace("\"name\"", "\"nam\"")
                                  << QStringLiteral("dosya bozuk: \"name\" alanı eksik ya da "
                                                    "hatalı");
    QTest::newRow("name a number")
        << QByteArray(file).replace("\"Ay\xC5\x9F"
                                    "e \xC3\x96z\"",
                                    "12")
        << QStringLiteral("dosya bozuk: \"name\" alanı eksik ya da hatalı");
    QTest::newRow("answer with a digit")
        << samples::fileBytes(samples::result(kTest, QStringLiteral("x"), QStringLiteral("AB1DA")),
                              QString())
        << QStringLiteral("dosya bozuk: \"answers\" alanı eksik ya da hatalı");
    QTest::newRow("start not a time")
        << samples::fileBytes(samples::result(kTest, QStringLiteral("x"), QStringLiteral("ABCDA"),
                                              QStringLiteral("2026-02-30T10:15:02")),
                              QString())
        << QStringLiteral("dosya bozuk: \"start\" alanı eksik ya da hatalı");
    QTest::newRow("test identity short")
        << QByteArray(file).replace(kTest.toUtf8(), kTest.left(31).toUtf8())
        << QStringLiteral("dosya bozuk: \"test\" alanı eksik ya da hatalı");
    QTest::newRow("changed answers, old check")
        << QByteArray(file).replace("\"ABCDA\"", "\"ABCDB\"") << kCheckFails;
    QTest::newRow("changed name, old check")
        << QByteArray(file).replace("\xC3\x96z", "Oz") << kCheckFails;
    QTest::newRow("changed finish, old check")
        << QByteArray(file).replace("10:40:13", "10:30:13") << kCheckFails;
    QTest::newRow("another test, its check kept")
        << QByteArray(file).replace(kTest.toUtf8(), QByteArray(32, 'a')) << kCheckFails;
    // A name that breaks a list's line or looks like another pupil's, with a valid check.
    const QString control = QStringLiteral(
        u"öğrencinin adında satır sonu ya da denetim karakteri var; ad olduğu gibi alınamaz");
    const QString invisible =
        QStringLiteral(u"öğrencinin adında görünmeyen bir karakter var (sıfır genişlikte boşluk, "
                       u"yön denetimi, yumuşak tire gibi); aynı görünen başka bir ad sayılırdı");
    const auto named = [](const QString& name) {
        return samples::fileBytes(samples::result(kTest, name, QStringLiteral("ABCDA")), QString());
    };
    QTest::newRow("name with a line break") << named(QStringLiteral("Ayşe\nÖz")) << control;
    QTest::newRow("name with NUL") << named(QStringLiteral("Ayşe") + QChar(0)) << control;
    QTest::newRow("name with a tab") << named(QStringLiteral("Ayşe\tÖz")) << control;
    QTest::newRow("name with a zero-width space")
        << named(QStringLiteral(u"Ay\u200Bşe")) << invisible;
    QTest::newRow("name with a direction control")
        << named(QStringLiteral(u"\u202EzÖ eşyA")) << invisible;
    QTest::newRow("name with a soft hyphen") << named(QStringLiteral(u"Ay\u00ADşe")) << invisible;
    QByteArray padded = file;
    padded.insert(1, QByteArray(kResultSizeLimit, ' '));
    QTest::newRow("over 1 MiB of valid JSON") << padded << kTooBig;
}

void tst_ResultInput::refusedFiles() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QCOMPARE(refusal([&] { parseResultFile(bytes); }), reason);
}

void tst_ResultInput::oversizedFileOnDiskIsNotReadWhole() {
    QTemporaryDir dir;
    const QString big = dir.filePath(QStringLiteral("dn-Ali.dvsonuc"));
    QFile file(big);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(10 * 1024 * 1024));
    file.close();
    QCOMPARE(refusal([&] { readResultFile(big); }), kTooBig);

    const QString exact = dir.filePath(QStringLiteral("exact.dvsonuc"));
    QVERIFY(file.open(QIODevice::WriteOnly)); // reopen under another name below
    file.close();
    QFile limit(exact);
    QVERIFY(limit.open(QIODevice::WriteOnly));
    QByteArray bytes = fixtureFile();
    bytes.insert(1, QByteArray(kResultSizeLimit - bytes.size(), ' '));
    limit.write(bytes);
    limit.close();
    QCOMPARE(readResultFile(exact).name, QStringLiteral("Ayşe Öz")); // exactly 1 MiB is taken

    QVERIFY(refusal([&] {
                readResultFile(dir.filePath(QStringLiteral("yok.dvsonuc")));
            }).startsWith(QStringLiteral("dosya açılamadı (")));
}

void tst_ResultInput::acceptedCodes_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("answers");

    QTest::newRow("as shown") << kCode << QStringLiteral("Ayşe Öz") << QStringLiteral("ABCDA");
    QString ungrouped = kCode;
    ungrouped.remove(u' ');
    QTest::newRow("no spaces, lower case")
        << ungrouped.toLower() << QStringLiteral("Ayşe Öz") << QStringLiteral("ABCDA");
    QString dashed = kCode;
    dashed.replace(u' ', u'-');
    QTest::newRow("dashes and line breaks")
        << dashed.left(20) + QStringLiteral("\r\n") + dashed.mid(20) + u' '
        << QStringLiteral("Ayşe Öz") << QStringLiteral("ABCDA");
    // Every payload length modulo five: a different number of unused bits at the end.
    for (int extra = 0; extra < 5; ++extra) {
        const QString name = QStringLiteral("Öğrenci") + QString(extra, u'x');
        QTest::addRow("name of %d extra bytes", extra)
            << samples::code(samples::result(kTest, name, QStringLiteral("AB-DA"))) << name
            << QStringLiteral("AB-DA");
    }
}

void tst_ResultInput::acceptedCodes() {
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(QString, answers);
    const PupilResult r = parseResultCode(code);
    QCOMPARE(r.name, name);
    QCOMPARE(r.answers, answers);
    QCOMPARE(r.test, kTest);
    QCOMPARE(r.check, resultCheck(r, 1));
}

void tst_ResultInput::refusedCodes_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("reason");

    const QString notCode =
        QStringLiteral("sonuç kodu değil (kod \"DV3\", \"DV2\" ya da \"DV1\" ile başlar)");
    QTest::newRow("empty") << QString() << notCode;
    QTest::newRow("a file's text") << QString::fromUtf8(fixtureFile()) << notCode;
    QTest::newRow("other prefix") << QString(kCode).replace(0, 3, QStringLiteral("DV4")) << notCode;
    QTest::newRow("version 1 payload as version 3")
        << QString(kCode).replace(0, 3, QStringLiteral("DV3")) << kDamagedCode;
    QTest::newRow("version 1 payload as version 2")
        << QString(kCode).replace(0, 3, QStringLiteral("DV2")) << kDamagedCode;
    QTest::newRow("zero for O") << QString(kCode).replace(5, 1, QStringLiteral("0"))
                                << QStringLiteral("kod bozuk: \"0\" kodda olamaz");
    QTest::newRow("last letter lost")
        << kCode.chopped(1) << QStringLiteral("kod bozuk: eksik ya da fazla harf var");
    QTest::newRow("half of it") << kCode.left(kCode.size() / 2) << kDamagedCode;
    QString typo = kCode;
    typo[30] = typo[30] == u'A' ? u'B' : u'A';
    QTest::newRow("one letter mistyped") << typo << kDamagedCode;
    const PupilResult edited = [] {
        PupilResult r = samples::result(kTest, QStringLiteral("Ali"), QStringLiteral("ABCDA"));
        r.answers = QStringLiteral("ABCDB");
        return r;
    }();
    QTest::newRow("answers edited, old check") << samples::code(edited) << kCheckFails;
    QTest::newRow("huge") << QStringLiteral("DV1") + QString(kResultSizeLimit, u'A')
                          << QStringLiteral("kod çok uzun; sonuç kodu değil");
}

void tst_ResultInput::refusedCodes() {
    QFETCH(QString, code);
    QFETCH(QString, reason);
    QCOMPARE(refusal([&] { parseResultCode(code); }), reason);
}

void tst_ResultInput::pastedTextIsOneCodePerLine() {
    const auto codes =
        splitPastedCodes(QStringLiteral("  DV1AB CD \r\n\r\n\tDV1EF\n\nsonuncu  \n"));
    QCOMPARE(int(codes.size()), 3);
    QCOMPARE(codes[0].line, 1);
    QCOMPARE(codes[0].text, QStringLiteral("DV1AB CD"));
    QCOMPARE(codes[1].line, 3);
    QCOMPARE(codes[1].text, QStringLiteral("DV1EF"));
    QCOMPARE(codes[2].line, 5);
    QCOMPARE(codes[2].text, QStringLiteral("sonuncu"));
    QVERIFY(splitPastedCodes(QStringLiteral(" \n \n")).empty());
}

QTEST_GUILESS_MAIN(tst_ResultInput)
#include "tst_resultinput.moc"
