#include "ScriptedPrompts.h"
#include "WindowTestSupport.h"
#include "ui/AppSetup.h"
#include "ui/ClassResultsWindow.h"
#include "ui/ErrorHandler.h"
#include "ui/Tanaekr.h"

#include "db/ClassLists.h"
#include "db/DatasetModel.h"

#include "../db/DbTestSupport.h"
#include "core/TestIdentity.h"
#include "db/ResultStore.h"
#include "db/Sections.h"
#include "pages/NavigationImages.h"
#include "run/FormPrint.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
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
    void emptyStem();
    void explanationTypedIntoTheBox();
    void failureLeavesFolderAsItWas_data();
    void failureLeavesFolderAsItWas();
    void missingFolderIsOffered_data();
    void missingFolderIsOffered();
    void stemOutsideCodePageIsRefused();
    void missingKeyStopsBeforeWriting();
    void letterInOpenEditorIsWritten();
    void gridKeysFollowTheOptions_data();
    void gridKeysFollowTheOptions();
    void singlePageBesideTheSet();
    void bookletsAndSections();

private:
    QLineEdit* edit(const char* name) const { return lineEdit(*window, name); }
    void press() { clickButton(*window, "sayfab"); }
    QString out(const QString& name) const { return folder->path() + u'/' + name; }
    QString closingMessage(const QString& stem) const {
        return u"Sayfalar oluşturuldu. Lütfen "_s + stem + u"ind.htm dosyasını çalıştırınız."_s;
    }

    // Prepares the answer key for the count in the window and enters the letters
    // through the model, as the grid does.
    void prepareKeys(const QString& letters) { QVERIFY(prepareAnswerKey(*window, letters)); }

    // Types the letters into the grid's answer column the way a teacher does.
    void typeKeys(const QString& letters) {
        auto* grid = window->findChild<QTableView*>(u"liste"_s);
        for (qsizetype i = 0; i < letters.size(); ++i) {
            const QModelIndex cell = grid->model()->index(int(i), 2);
            grid->setFocus(Qt::MouseFocusReason);
            grid->setCurrentIndex(cell);
            QTest::keyClicks(grid, QString(letters[i]));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QTRY_COMPARE(cell.data().toString(), QString(letters[i]));
        }
    }

    std::unique_ptr<ProgramFolder> programFolder;
    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<ScriptedPrompts> prompts;
    std::unique_ptr<Tanaekr> window;
    QMap<QString, QByteArray> initialFolder;
};

void tst_GenerationRun::init() {
    folder = std::make_unique<QTemporaryDir>();
    QVERIFY(folder->isValid());
    programFolder = std::make_unique<ProgramFolder>();
    prompts = std::make_unique<ScriptedPrompts>();
    window = showWindow(*prompts, programFolder->path());
    QVERIFY(window->isActiveWindow());
    typeInto(edit("klasor"), folder->path());
    typeInto(edit("siksayl"), u"5"_s);
    // The classic set, with the teacher's navigation images already beside it.
    window->findChild<QCheckBox*>(u"teksayfa"_s)->setChecked(false);
    for (const QString& name : navigationImageNames()) {
        QFile image(out(name));
        QVERIFY(image.open(QIODevice::WriteOnly));
        image.write("GIF89a");
    }
    initialFolder = folderSnapshot(folder->path());
    QVERIFY(prompts->shown.isEmpty());
}

void tst_GenerationRun::cleanup() {
    window.reset();
    prompts.reset();
    folder.reset();
    programFolder.reset();
}

void tst_GenerationRun::defaultsWriteTheWholeSet() {
    QTest::mouseClick(window->findChild<QPushButton*>(u"dogrugir"_s), Qt::LeftButton);
    QVERIFY(window->findChild<QTableView*>(u"liste"_s)->isVisible());
    typeKeys(u"ABCDEabcde"_s);
    press();
    QCOMPARE(prompts->texts(), QStringList{closingMessage(u"test01"_s)});
    QCOMPARE(prompts->shown[0].kind, Prompts::Kind::Plain);
    QCOMPARE(fileBytes(out(u"test01ind.htm"_s)), expectedPage(u"frameset_test01.htm"_s));
    QCOMPARE(fileBytes(out(u"test01sor.htm"_s)), expectedPage(u"question_defaults.htm"_s));
    QCOMPARE(fileBytes(out(u"test01cev.htm"_s)), expectedPage(u"answer_q10_o5.htm"_s));
    QCOMPARE(fileBytes(out(u"test01son.htm"_s)), expectedPage(u"result_q10.htm"_s));
    QCOMPARE(fileBytes(out(u"test01xml.xml"_s)), expectedPage(u"data_test01_q10.xml"_s));
    // Nothing but the set: no temporary file stays behind.
    const QStringList names = QDir(folder->path()).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : names)
        QVERIFY2(name.startsWith(u"test01"_s) || name.endsWith(u".gif"_s), qPrintable(name));
}

void tst_GenerationRun::secondRunReplacesAnotherStemLeavesEarlierSet() {
    prepareKeys(u"AAAAAAAAAA"_s);
    press();
    const QByteArray firstAnswerSheet = fileBytes(out(u"test01cev.htm"_s));

    typeInto(edit("siksayl"), u"4"_s);
    press();
    QCOMPARE(fileBytes(out(u"test01cev.htm"_s)), expectedPage(u"answer_q10_o4.htm"_s));

    typeInto(edit("sayfaad"), u"deneme"_s);
    typeInto(edit("siksayl"), u"5"_s);
    prepareKeys(u"BBBBBBBBBB"_s);
    press();
    QCOMPARE(prompts->texts().last(), closingMessage(u"deneme"_s));
    QCOMPARE(fileBytes(out(u"test01cev.htm"_s)), expectedPage(u"answer_q10_o4.htm"_s));
    QCOMPARE(fileBytes(out(u"denemecev.htm"_s)).size(), firstAnswerSheet.size());
    QVERIFY(fileBytes(out(u"denemeind.htm"_s)).contains("SRC=\"denemesor.htm\""));
}

void tst_GenerationRun::emptyStem() {
    typeInto(edit("sayfaad"), QString());
    typeInto(edit("sorusaye"), u"1"_s);
    prepareKeys(u"B"_s);
    press();
    QCOMPARE(prompts->texts(), QStringList{closingMessage(QString())});
    QVERIFY(fileBytes(out(u"xml.xml"_s)).contains("<sdosya>s1.mht</sdosya>"));
    QCOMPARE(fileBytes(out(u"ind.htm"_s)), expectedPage(u"frameset_empty_stem.htm"_s));
    QCOMPARE(fileBytes(out(u"cev.htm"_s)).count("\r\n"), 35 + 9);
}

void tst_GenerationRun::explanationTypedIntoTheBox() {
    auto* box = window->findChild<QPlainTextEdit*>(u"soruac"_s);
    box->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(box, u"Birinci"_s);
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClick(box, Qt::Key_Return);
    const QString longLine =
        u"Bu uzun satir kutunun genisliginden daha uzun oldugu icin kutu onu birkac "
        u"satira boler ve sayfa da ayni satirlari alir."_s;
    QTest::keyClicks(box, longLine);
    QTest::keyClick(box, Qt::Key_Return); // a final line break adds no line
    prepareKeys(u"CCCCCCCCCC"_s);
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

void tst_GenerationRun::failureLeavesFolderAsItWas_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("message");
    const int plain = int(Prompts::Kind::Plain);
    QTest::newRow("letters as question count")
        << "sorusaye"
        << "abc" << int(Prompts::Kind::Error) << "'abc' is not a valid integer value.";
    QTest::newRow("empty option count")
        << "siksayl"
        << "" << int(Prompts::Kind::Error) << "'' is not a valid integer value.";
    QTest::newRow("trailing blank in option count")
        << "siksayl"
        << "4 " << int(Prompts::Kind::Error) << "'4 ' is not a valid integer value.";
    QTest::newRow("too many questions")
        << "sorusaye"
        << "10001" << int(Prompts::Kind::Plain) << u"Soru sayısı en fazla 10000 olabilir."_s;
    QTest::newRow("far too many questions")
        << "sorusaye"
        << "2147483647" << int(Prompts::Kind::Plain) << u"Soru sayısı en fazla 10000 olabilir."_s;
    const QString atLeastOne = u"Soru sayısı en az 1 olmalıdır."_s;
    QTest::newRow("zero questions") << "sorusaye"
                                    << "0" << plain << atLeastOne;
    QTest::newRow("negative questions") << "sorusaye"
                                        << "-1" << plain << atLeastOne;
    // Characters that make the pages ask for the wrong files, or that no Windows file name holds.
    for (const QChar c : u"#%?\"'\\/:*<>|"_s)
        QTest::addRow("stem with %c", char(c.unicode()))
            << "sayfaad" << u"te"_s + c + u"st"_s << plain
            << u"Dosya adında kullanılamayan bir karakter var: \""_s + c + u'"';
    const QString countChanged =
        u"Soru sayısı, doğru cevaplar hazırlandıktan sonra değiştirilmiş"_s;
    QTest::newRow("count raised after preparation") << "sorusaye"
                                                    << "4" << plain << countChanged;
    QTest::newRow("count lowered after preparation") << "sorusaye"
                                                     << "2" << plain << countChanged;
    QTest::newRow("key outside the options")
        << "siksayl"
        << "2" << plain << u"3. sorunun doğru cevabı \"C\", ama soruların 2 şıkkı var (A-B)."_s;
    QTest::newRow("answer sheet name taken by a folder")
        << ""
        << "test01cev.htm" << int(Prompts::Kind::Error) << "Cannot create file";
}

void tst_GenerationRun::failureLeavesFolderAsItWas() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(int, kind);
    QFETCH(QString, message);

    // An earlier set lies in the folder; the failed run must leave it byte for byte.
    typeInto(edit("sorusaye"), u"3"_s);
    prepareKeys(u"ABC"_s);
    press();
    QCOMPARE(prompts->texts(), QStringList{closingMessage(u"test01"_s)});
    if (field.isEmpty()) {
        QVERIFY(QFile::remove(out(text)));
        QVERIFY(QDir(folder->path()).mkdir(text));
    }
    const auto before = folderSnapshot(folder->path());
    prompts->shown.clear();

    typeInto(edit("sorusaye"), u"3"_s);
    if (!field.isEmpty())
        typeInto(edit(field.toLatin1().constData()), text);
    press();

    QCOMPARE(prompts->shown.size(), 1); // the failure, and no closing message
    QCOMPARE(int(prompts->shown[0].kind), kind);
    QCOMPARE(prompts->shown[0].caption, applicationTitle());
    QVERIFY2(prompts->shown[0].text.startsWith(message), qPrintable(prompts->shown[0].text));
    QCOMPARE(folderSnapshot(folder->path()), before);
}

void tst_GenerationRun::missingFolderIsOffered_data() {
    QTest::addColumn<int>("answer");
    QTest::newRow("Evet: made, set written") << 0;
    QTest::newRow("Hayır: nothing written") << 1;
}

void tst_GenerationRun::missingFolderIsOffered() {
    QFETCH(int, answer);
    const QString missing = folder->path() + u"/yok/alt"_s;
    typeInto(edit("klasor"), missing);
    prepareKeys(u"ABCDEABCDE"_s);
    prompts->nextChoices.push_back(answer);
    press();
    QCOMPARE(prompts->choices, QList<QStringList>({{u"Evet"_s, u"Hayır"_s}}));
    QCOMPARE(prompts->shown[0].text,
             u"Klasör yok: "_s + QDir::toNativeSeparators(missing) + u" Oluşturulsun mu?"_s);
    if (answer == 1) {
        QCOMPARE(prompts->shown.size(), 1);
        QVERIFY(!QFileInfo::exists(folder->path() + u"/yok"_s));
        QCOMPARE(folderSnapshot(folder->path()), initialFolder);
        return;
    }
    QCOMPARE(prompts->shown.size(), 2);
    QVERIFY2(prompts->shown[1].text.startsWith(closingMessage(u"test01"_s)),
             qPrintable(prompts->shown[1].text));
    QCOMPARE(fileBytes(missing + u"/test01ind.htm"_s), expectedPage(u"frameset_test01.htm"_s));
}

void tst_GenerationRun::stemOutsideCodePageIsRefused() {
    prepareKeys(u"ABCDEABCDE"_s);
    edit("sayfaad")->setText(u"testЖ"_s);
    press();
    QCOMPARE(prompts->shown.size(), 1);
    QCOMPARE(prompts->shown[0].kind, Prompts::Kind::Plain);
    QVERIFY(prompts->shown[0].text.contains(u"\"Ж\""_s));
    QCOMPARE(folderSnapshot(folder->path()), initialFolder);

    // A control character would name files the data file cannot carry.
    edit("sayfaad")->setText(u"test\u0001"_s);
    press();
    QCOMPARE(prompts->shown.size(), 2);
    QVERIFY(prompts->shown[1].text.contains(u"denetim karakteri"_s));
    QCOMPARE(folderSnapshot(folder->path()), initialFolder);
}

// A question without a key stops the run before anything is written, on that question's row.
void tst_GenerationRun::missingKeyStopsBeforeWriting() {
    prepareKeys(u"AB"_s);
    auto* grid = window->findChild<QTableView*>(u"liste"_s);
    grid->model()->setData(grid->model()->index(3, 2), u"D"_s);
    grid->model()->setData(grid->model()->index(4, 2), u"E"_s);
    press();
    QCOMPARE(prompts->texts(), QStringList{u"3. sorunun doğru cevap şıkkı girilmemiş."_s});
    QCOMPARE(prompts->shown[0].kind, Prompts::Kind::Plain);
    QCOMPARE(grid->currentIndex().row(), 2);
    QCOMPARE(folderSnapshot(folder->path()), initialFolder);
}

// A letter still in the grid's open cell editor when the button is pressed goes into the file.
void tst_GenerationRun::letterInOpenEditorIsWritten() {
    typeInto(edit("sorusaye"), u"2"_s);
    prepareKeys(u"A"_s);
    auto* grid = window->findChild<QTableView*>(u"liste"_s);
    grid->setFocus(Qt::MouseFocusReason);
    grid->setCurrentIndex(grid->model()->index(1, 2));
    QTest::keyClick(grid,
                    Qt::Key_F2); // a key cell takes a typed letter at once; F2 opens its editor
    QTest::keyClicks(QApplication::focusWidget(), u"d"_s);
    QVERIFY(QApplication::focusWidget() != grid); // the cell editor is open
    window->sayfabClick();
    QCOMPARE(prompts->texts(), QStringList{closingMessage(u"test01"_s)});
    const QByteArray data = fileBytes(out(u"test01xml.xml"_s));
    QVERIFY2(data.contains("   <dc>d</dc>\r\n<sorusay>2</sorusay>"), data.constData());
}

// The grid and the run take only the letters the pages show for the option
// count (A–B for 2 or less, A–E for 5 or more), the grid saying why it
// refuses one; Delete or Backspace takes a key away.
void tst_GenerationRun::gridKeysFollowTheOptions_data() {
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("refused");
    QTest::addColumn<QString>("taken");
    QTest::addColumn<QString>("run"); // the run's answer to the key "E"
    const QString twoOnly = u"1. sorunun doğru cevabı \"E\", ama soruların 2 şıkkı var (A-B)."_s;
    const QString written = closingMessage(u"test01"_s);
    QTest::newRow("no options") << u"0"_s << u"c"_s << u"b"_s << twoOnly;
    QTest::newRow("one option") << u"1"_s << u"C"_s << u"a"_s << twoOnly;
    QTest::newRow("negative count") << u"-3"_s << u"e"_s << u"B"_s << twoOnly;
    QTest::newRow("two options") << u"2"_s << u"c"_s << u"b"_s << twoOnly;
    QTest::newRow("four options")
        << u"4"_s << u"E"_s << u"d"_s
        << u"1. sorunun doğru cevabı \"E\", ama soruların 4 şıkkı var (A-D)."_s;
    QTest::newRow("five options") << u"5"_s << u"F"_s << u"e"_s << written;
    QTest::newRow("seven options") << u"7"_s << u"F"_s << u"E"_s << written;
    QTest::newRow("count not a number")
        << u"x"_s << u"F"_s << u"E"_s << u"'x' is not a valid integer value."_s;
}

void tst_GenerationRun::gridKeysFollowTheOptions() {
    QFETCH(QString, options);
    QFETCH(QString, refused);
    QFETCH(QString, taken);
    QFETCH(QString, run);
    typeInto(edit("sorusaye"), u"2"_s);
    typeInto(edit("siksayl"), options);
    QTest::mouseClick(window->findChild<QPushButton*>(u"dogrugir"_s), Qt::LeftButton);
    auto* grid = window->findChild<QTableView*>(u"liste"_s);
    const QModelIndex cell = grid->model()->index(0, 2);
    grid->setFocus(Qt::MouseFocusReason);
    grid->setCurrentIndex(cell);
    QTest::keyClicks(grid, refused); // the cell stays empty and current
    QVERIFY(cell.data().isNull());
    QVERIFY2(window->statusText().startsWith(u"Doğru cevap olarak yalnızca A ile"_s),
             qPrintable(window->statusText()));
    QTest::keyClicks(grid, taken); // taken as typed; the next question's key is current
    QCOMPARE(cell.data().toString(), taken);

    grid->setCurrentIndex(cell);
    QTest::keyClick(grid, Qt::Key_Delete);
    QVERIFY(cell.data().isNull());
    grid->setCurrentIndex(grid->model()->index(1, 2)); // stores the row
    edit("siksayl")->setText(u"5"_s);
    press();
    QCOMPARE(prompts->texts().last(), u"1. sorunun doğru cevap şıkkı girilmemiş."_s);

    // Keys typed while the count was 5, then the count changed back.
    grid->model()->setData(cell, u"E"_s);
    grid->model()->setData(grid->model()->index(1, 2), u"A"_s);
    edit("siksayl")->setText(options);
    press();
    QVERIFY2(prompts->texts().last().startsWith(run), qPrintable(prompts->texts().last()));
}

// With the single page on, the run writes <stem>.html in the same set, our
// navigation images where the pages look for them (in a folder made for them
// with the set; never over one that is there), remembers the test, and
// offers to open the page in the browser.
void tst_GenerationRun::singlePageBesideTheSet() {
    QTemporaryDir fresh;
    typeInto(edit("klasor"), fresh.path());
    typeInto(edit("gezyerl"), u"resim\\"_s);
    const QDir images(fresh.filePath(u"resim"_s));
    window->findChild<QCheckBox*>(u"teksayfa"_s)->setChecked(true);
    window->findChild<QComboBox*>(u"yanlis"_s)->setCurrentIndex(1); // 4 wrong cancel one right
    typeInto(edit("sorusaye"), u"3"_s);
    prepareKeys(u"abD"_s);
    QVERIFY(QFile::copy(QStringLiteral(DORVANA_TEST_DATA "/questions/chromium.png"),
                        fresh.filePath(u"test01s1.png"_s)));
    prompts->nextActionPresses.push_back(true);
    press();

    const QString page = fresh.filePath(u"test01.html"_s);
    QCOMPARE(prompts->shown.size(), 1);
    const QString text = prompts->shown[0].text;
    QVERIFY2(text.startsWith(closingMessage(u"test01"_s) +
                             u"\n\nÖğrencilere verilecek dosya: test01.html"_s),
             qPrintable(text));
    QVERIFY2(text.contains(u"Bulunamayan soru dosyaları: 2, 3."_s), qPrintable(text));
    QVERIFY2(text.contains(u"Eksik gezinti düğmesi resimleri"_s), qPrintable(text));
    QCOMPARE(prompts->actionsOffered, QStringList{u"Tarayıcıda aç"_s});
    QCOMPARE(prompts->openedFiles, QStringList{page});
    const QByteArray html = fileBytes(page);
    QVERIFY(html.contains("<meta charset=\"utf-8\">"));
    // The identity covers the embedded question's bytes; questions 2 and 3 are missing.
    const QString identity = testIdentity(
        {u"2. sınıf Matematik Test - 1"_s,
         u"test01"_s,
         u"ABD"_s,
         5,
         4,
         0,
         {contentDigest(fileBytes(QStringLiteral(DORVANA_TEST_DATA "/questions/chromium.png"))),
          QString(), QString()},
         {},
         1});
    QVERIFY(html.contains(identity.toLatin1()));
    for (const QString& name : navigationImageNames())
        QCOMPARE(fileBytes(images.filePath(name)), navigationImage(name));
    QCOMPARE(dbtest::query(programFolder->databasePath, u"SELECT kimlik FROM websinav"_s),
             QList<QVariantList>{{identity}});

    // Again: the images are there now and are left as they are.
    QFile ilk(images.filePath(u"ilk.gif"_s));
    QVERIFY(ilk.open(QIODevice::WriteOnly));
    ilk.write("teacher's own");
    ilk.close();
    press();
    QVERIFY(!prompts->shown.last().text.contains(u"gezinti"_s));
    QCOMPARE(fileBytes(images.filePath(u"ilk.gif"_s)), QByteArray("teacher's own"));

    // "Sonuçları oku" opens the class results on the same database.
    clickButton(*window, "sonucoku");
    auto* results = window->findChild<ClassResultsWindow*>();
    QVERIFY(results && results->isVisible());
}

// Two booklets: one page per booklet and no single page, booklet A's offered;
// the test remembered with its sections and both orders. Sections stored for
// another count refuse the run before anything is written.
void tst_GenerationRun::bookletsAndSections() {
    window->findChild<QCheckBox*>(u"teksayfa"_s)->setChecked(true);
    window->findChild<QComboBox*>(u"kitapcik"_s)->setCurrentIndex(1); // 2 booklets
    Database& db = TanaekrTestAccess::websoru(*window).database();
    const std::vector<Section> sections{{u"Türkçe"_s, 1, 6, 1}, {u"Fen"_s, 7, 10, 2}};
    saveSections(db, u"2. sınıf Matematik Test - 1"_s, sections, 10);
    prepareKeys(u"ABCDEABCDE"_s);
    // No optical form before the test is generated; after, the form of the test as stored.
    clickButton(*window, "optikform");
    QCOMPARE(prompts->texts(), QStringList{noGeneratedTestText(u"test01"_s)});
    prompts->shown.clear();
    prompts->nextActionPresses.push_back(true);
    press();
    QCOMPARE(prompts->shown.size(), 1);
    QVERIFY2(prompts->shown[0].text.contains(u"test01-A.html, test01-B.html"_s),
             qPrintable(prompts->shown[0].text));
    QCOMPARE(prompts->openedFiles, QStringList{out(u"test01-A.html"_s)});
    QVERIFY(QFile::exists(out(u"test01-B.html"_s)));
    QVERIFY(!QFile::exists(out(u"test01.html"_s)));
    const auto rows = dbtest::query(programFolder->databasePath, u"SELECT kimlik FROM websinav"_s);
    QCOMPARE(rows.size(), 1);
    const auto test = findTest(db, rows[0][0].toString());
    QCOMPARE(test->sections, sections);
    QCOMPARE(int(test->booklets.size()), 2);
    QCOMPARE(test->booklets[1].letter, QChar(u'B'));
    prompts->nextSaveNames.push_back(out(u"form.pdf"_s));
    clickButton(*window, "optikform");
    QVERIFY2(prompts->texts().last().contains(u"optik formu kaydedildi"_s),
             qPrintable(prompts->texts().last()));
    QVERIFY(fileBytes(out(u"form.pdf"_s)).startsWith("%PDF"));
    // Each pupil of the class chosen gets a form: one page each.
    storeClassList(db, u"9-A"_s, {{u"12"_s, u"Ayşe Işık"_s}, {u"7"_s, u"Çağrı Öz"_s}});
    storeClassList(db, u"9-B"_s, {{u"1"_s, u"Şule Ün"_s}});
    prompts->nextChoices.push_back(0);
    prompts->nextSaveNames.push_back(out(u"kisiye.pdf"_s));
    clickButton(*window, "kisiyeozel");
    const QByteArray forms = fileBytes(out(u"kisiye.pdf"_s));
    QCOMPARE(forms.count("/Type /Page") - forms.count("/Type /Pages"), 2);
    prompts->shown.clear();

    typeInto(edit("sorusaye"), u"8"_s);
    prepareKeys(u"ABCDEABC"_s);
    const auto before = folderSnapshot(folder->path());
    press();
    QCOMPARE(prompts->texts().last(),
             u"Bölüm listesi, 2. satır (Fen): son soru 10 testin dışında; test 1 ile 8 "
             u"arasındaki soruları taşıyor. Lütfen \"Bölümler\" sayfasında düzeltiniz."_s);
    QCOMPARE(folderSnapshot(folder->path()), before);
}

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    prepareApplication(app);
    tst_GenerationRun test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_generationrun.moc"
