#include "AppSetup.h"
#include "ErrorHandler.h"
#include "ScriptedPrompts.h"
#include "Tanaekr.h"
#include "WindowTestSupport.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <memory>

using namespace Qt::StringLiterals;

// "Sayfaları oluştur " pressed in the real window; the files are checked on disk byte for byte.
class tst_GenerationRun : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void defaultsWriteTheWholeSet();
    void secondRunReplacesAnotherStemLeavesEarlierSet();
    void emptyStemAndZeroQuestions();
    void explanationTypedIntoTheBox();
    void failureLeavesFolderAsItWas_data();
    void failureLeavesFolderAsItWas();
    void missingFolderIsNotCreated();
    void stemOutsideCodePageIsRefused();

private:
    QLineEdit* edit(const char* name) const { return window->findChild<QLineEdit*>(QLatin1String(name)); }
    void press() { QTest::mouseClick(window->findChild<QPushButton*>(u"sayfab"_s), Qt::LeftButton); }
    QString out(const QString& name) const { return folder->path() + u'/' + name; }
    QString closingMessage(const QString& stem) const
    {
        return u"Sayfalar oluşturuldu. Lütfen "_s + stem + u"ind.htm dosyasını çalıştırınız."_s;
    }

    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<ScriptedPrompts> prompts;
    std::unique_ptr<Tanaekr> window;
};

void tst_GenerationRun::init()
{
    folder = std::make_unique<QTemporaryDir>();
    QVERIFY(folder->isValid());
    prompts = std::make_unique<ScriptedPrompts>();
    window = std::make_unique<Tanaekr>(*prompts);
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    typeInto(edit("klasor"), folder->path());
    typeInto(edit("siksayl"), u"5"_s);
    prompts->shown.clear();
}

void tst_GenerationRun::cleanup()
{
    window.reset();
    prompts.reset();
    folder.reset();
}

void tst_GenerationRun::defaultsWriteTheWholeSet()
{
    press();
    QCOMPARE(prompts->texts(), QStringList{closingMessage(u"test01"_s)});
    QCOMPARE(prompts->shown[0].kind, Prompts::Kind::Plain);
    QCOMPARE(fileBytes(out(u"test01ind.htm"_s)), expectedPage(u"frameset_test01.htm"_s));
    QCOMPARE(fileBytes(out(u"test01sor.htm"_s)), expectedPage(u"question_defaults.htm"_s));
    QCOMPARE(fileBytes(out(u"test01cev.htm"_s)), expectedPage(u"answer_q10_o5.htm"_s));
    QCOMPARE(fileBytes(out(u"test01son.htm"_s)), expectedPage(u"result_q10.htm"_s));
    // Nothing but the set: no temporary file stays behind.
    const QStringList names = QDir(folder->path()).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : names)
        QVERIFY2(name.startsWith(u"test01"_s), qPrintable(name));

    const GenerationState& gen = window->generationState();
    QCOMPARE(gen.questionPageName, u"test01sor.htm"_s);
    QCOMPARE(gen.resultPageName, u"test01son.htm"_s);
    QCOMPARE(gen.dataFileName, u"test01xml.xml"_s);
    QCOMPARE(gen.questionCount, 10);
    QCOMPARE(gen.sayfason.size(), 164);
}

void tst_GenerationRun::secondRunReplacesAnotherStemLeavesEarlierSet()
{
    press();
    const QByteArray firstAnswerSheet = fileBytes(out(u"test01cev.htm"_s));

    typeInto(edit("siksayl"), u"4"_s);
    press();
    QCOMPARE(fileBytes(out(u"test01cev.htm"_s)), expectedPage(u"answer_q10_o4.htm"_s));

    typeInto(edit("sayfaad"), u"deneme"_s);
    typeInto(edit("siksayl"), u"5"_s);
    press();
    QCOMPARE(prompts->texts().last(), closingMessage(u"deneme"_s));
    QCOMPARE(fileBytes(out(u"test01cev.htm"_s)), expectedPage(u"answer_q10_o4.htm"_s));
    QCOMPARE(fileBytes(out(u"denemecev.htm"_s)).size(), firstAnswerSheet.size());
    QVERIFY(fileBytes(out(u"denemeind.htm"_s)).contains("SRC=\"denemesor.htm\""));
}

void tst_GenerationRun::emptyStemAndZeroQuestions()
{
    typeInto(edit("sayfaad"), QString());
    typeInto(edit("sorusaye"), u"0"_s);
    press();
    QCOMPARE(prompts->texts(), QStringList{closingMessage(QString())});
    QCOMPARE(fileBytes(out(u"ind.htm"_s)), expectedPage(u"frameset_empty_stem.htm"_s));
    QCOMPARE(fileBytes(out(u"son.htm"_s)), expectedPage(u"result_q0_empty_stem.htm"_s));
    QCOMPARE(fileBytes(out(u"cev.htm"_s)).count("\r\n"), 35);
}

void tst_GenerationRun::explanationTypedIntoTheBox()
{
    auto* box = window->findChild<QPlainTextEdit*>(u"soruac"_s);
    box->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(box, u"Birinci"_s);
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClick(box, Qt::Key_Return);
    const QString longLine = u"Bu uzun satir kutunun genisliginden daha uzun oldugu icin kutu onu birkac "
                             u"satira boler ve sayfa da ayni satirlari alir."_s;
    QTest::keyClicks(box, longLine);
    QTest::keyClick(box, Qt::Key_Return); // a final line break adds no line
    press();

    const QList<QByteArray> lines = fileBytes(out(u"test01sor.htm"_s)).split('\n');
    QCOMPARE(lines.at(52), QByteArray("Birinci\r"));
    QCOMPARE(lines.at(53), QByteArray("\r"));
    const QStringList shown = window->explanationLines();
    QVERIFY(shown.size() >= 4);
    const qsizetype n = shown.size();
    QCOMPARE(lines.at(52 + n), QByteArray("</TEXTAREA>\r"));
    QByteArray joined;
    for (qsizetype i = 2; i < n; ++i)
        joined += lines.at(52 + i).chopped(1);
    QCOMPARE(QString::fromLatin1(joined), longLine);
}

void tst_GenerationRun::failureLeavesFolderAsItWas_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("letters as question count") << "sorusaye" << "abc" << int(Prompts::Kind::Error)
                                               << "'abc' is not a valid integer value.";
    QTest::newRow("empty option count") << "siksayl" << "" << int(Prompts::Kind::Error)
                                        << "'' is not a valid integer value.";
    QTest::newRow("trailing blank in option count") << "siksayl" << "4 " << int(Prompts::Kind::Error)
                                                    << "'4 ' is not a valid integer value.";
    QTest::newRow("too many questions") << "sorusaye" << "10001" << int(Prompts::Kind::Plain)
                                        << u"Soru sayısı en fazla 10000 olabilir."_s;
    QTest::newRow("far too many questions") << "sorusaye" << "2147483647" << int(Prompts::Kind::Plain)
                                            << u"Soru sayısı en fazla 10000 olabilir."_s;
    QTest::newRow("answer sheet name taken by a folder") << "" << "test01cev.htm" << int(Prompts::Kind::Error)
                                                         << "Cannot create file";
}

void tst_GenerationRun::failureLeavesFolderAsItWas()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(int, kind);
    QFETCH(QString, message);

    // An earlier set lies in the folder; the failed run must leave it byte for byte.
    typeInto(edit("sorusaye"), u"3"_s);
    press();
    if (field.isEmpty()) {
        QVERIFY(QFile::remove(out(text)));
        QVERIFY(QDir(folder->path()).mkdir(text));
    }
    const auto before = folderSnapshot(folder->path());
    prompts->shown.clear();

    typeInto(edit("sorusaye"), u"10"_s);
    if (!field.isEmpty())
        typeInto(edit(field.toLatin1().constData()), text);
    press();

    QCOMPARE(prompts->shown.size(), 1); // the failure, and no closing message
    QCOMPARE(int(prompts->shown[0].kind), kind);
    QCOMPARE(prompts->shown[0].caption, applicationTitle());
    QVERIFY2(prompts->shown[0].text.startsWith(message), qPrintable(prompts->shown[0].text));
    QCOMPARE(folderSnapshot(folder->path()), before);
}

void tst_GenerationRun::missingFolderIsNotCreated()
{
    const QString missing = folder->path() + u"/yok"_s;
    typeInto(edit("klasor"), missing);
    press();
    QCOMPARE(prompts->shown.size(), 1);
    QCOMPARE(prompts->shown[0].kind, Prompts::Kind::Error);
    QVERIFY2(prompts->shown[0].text.startsWith(u"Cannot create file \""_s + missing + u"/test01ind.htm\". "_s),
             qPrintable(prompts->shown[0].text));
    QVERIFY(!QFileInfo::exists(missing));
    QVERIFY(folderSnapshot(folder->path()).isEmpty());
}

void tst_GenerationRun::stemOutsideCodePageIsRefused()
{
    edit("sayfaad")->setText(u"testЖ"_s);
    press();
    QCOMPARE(prompts->shown.size(), 1);
    QCOMPARE(prompts->shown[0].kind, Prompts::Kind::Plain);
    QVERIFY(prompts->shown[0].text.contains(u"\"Ж\""_s));
    QVERIFY(folderSnapshot(folder->path()).isEmpty());
}

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    prepareApplication(app);
    tst_GenerationRun test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_generationrun.moc"
