#include "../db/DbTestSupport.h"

#include "ScriptedPrompts.h"
#include "WindowTestSupport.h"
#include "db/HeaderVfs.h"
#include "ui/AppSetup.h"
#include "ui/ErrorHandler.h"
#include "ui/QtPrompts.h"
#include "ui/Tanaekr.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <memory>

using namespace Qt::StringLiterals;

// The window's start-up with real database files, the settings record and
// the answer-key preparation, driven through the window.
class tst_Startup : public QObject {
    Q_OBJECT
private slots:
    void cleanup();

    void databaseBesideProgramLoadsSettings();
    void databaseNameInAnyCase_data();
    void databaseNameInAnyCase();
    void databasePickedInDialogIsNotRemembered();
    void noDatabaseSelected_data();
    void noDatabaseSelected();
    void fileFailsHeaderCheck_data();
    void fileFailsHeaderCheck();
    void typedNameOfMissingFile();
    void fileOfTheOlderEngine();
    void missingTableStopsOpening();
    void missingSettingsField();
    void nullSettingStopsLoadAtThatField();
    void noSettingsRowThenSaveCreatesIt();
    void saveThenRestartLoads();
    void closeAsksToSaveChanges_data();
    void closeAsksToSaveChanges();
    void failedSaveStoresNothing();
    void severalSettingsRowsUseTheFirst();
    void answerKeyClearedAtStart();
    void preparationTwice();
    void preparationOddNamesAndCounts_data();
    void preparationOddNamesAndCounts();
    void refusedCountKeepsTheKey_data();
    void refusedCountKeepsTheKey();
    void pressWithOpenCellEditor_data();
    void pressWithOpenCellEditor();

private:
    void start(const QString& programFolder) {
        window = showWindow(*prompts, programFolder);
        QVERIFY(window->isActiveWindow());
    }
    void restart(const QString& programFolder) {
        window.reset();
        prompts->shown.clear();
        start(programFolder);
    }
    QLineEdit* edit(const char* name) const { return lineEdit(*window, name); }
    void click(const char* name) { clickButton(*window, name); }
    QTableView* grid() const { return window->findChild<QTableView*>(u"liste"_s); }

    std::unique_ptr<ScriptedPrompts> prompts = std::make_unique<ScriptedPrompts>();
    QtPrompts realPrompts; // the real message boxes, where a test needs them
    std::unique_ptr<Tanaekr> window;
};

void tst_Startup::cleanup() {
    window.reset();
    QCOMPARE(prompts->unexpectedDialogs, 0);
    prompts = std::make_unique<ScriptedPrompts>();
}

void tst_Startup::databaseBesideProgramLoadsSettings() {
    ProgramFolder folder;
    dbtest::query(folder.databasePath,
                  u"UPDATE webrenk SET sorus='#111111', cevaps='#222222', sonucs='#333333', "
                  u"soruac='#444444', ace='#555555', bd='mor', gezyer='resim', siksay=5"_s);
    start(folder.path());
    QVERIFY(prompts->shown.isEmpty());
    QVERIFY(prompts->fileDialogFilters.isEmpty());
    QCOMPARE(edit("sorusrenk")->text(), u"#111111"_s);
    QCOMPARE(edit("cevapzrl")->text(), u"#222222"_s);
    QCOMPARE(edit("sonuczrl")->text(), u"#333333"_s);
    QCOMPARE(edit("sacikl")->text(), u"#444444"_s);
    QCOMPARE(edit("acer")->text(), u"#555555"_s);
    QCOMPARE(edit("ber")->text(), u"mor"_s);
    QCOMPARE(edit("gezyerl")->text(), u"resim"_s); // loaded text is not completed
    QCOMPARE(edit("siksayl")->text(), u"5"_s);
    QCOMPARE(QApplication::focusWidget(), edit("sorusaye"));
    QVERIFY(!grid()->isVisible());
    QCOMPARE(TanaekrTestAccess::databasePath(*window), folder.databasePath);
}

// Beside the program the file is found whatever the case of its name, an exact match first.
void tst_Startup::databaseNameInAnyCase_data() {
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("lower case") << QStringList{u"dorvana.mdb"_s} << u"dorvana.mdb"_s;
    QTest::newRow("upper case") << QStringList{u"DORVANA.MDB"_s} << u"DORVANA.MDB"_s;
    QTest::newRow("exact match first")
        << QStringList{u"DORVANA.mdb"_s, u"dorvana.MDB"_s} << u"dorvana.MDB"_s;
}

void tst_Startup::databaseNameInAnyCase() {
    QFETCH(QStringList, names);
    QFETCH(QString, chosen);
    ProgramFolder folder(false);
    for (const QString& name : names)
        createDatabase(folder.dir.filePath(name));
    dbtest::query(folder.dir.filePath(chosen), u"UPDATE webrenk SET siksay = 3"_s);
    start(folder.path());
    QVERIFY2(prompts->shown.isEmpty(), qPrintable(prompts->texts().join(u'|')));
    QVERIFY(prompts->fileDialogFilters.isEmpty());
    QCOMPARE(edit("siksayl")->text(), u"3"_s);
}

void tst_Startup::databasePickedInDialogIsNotRemembered() {
    ProgramFolder empty(false);
    ProgramFolder elsewhere;
    prompts->nextFileNames.push_back(elsewhere.databasePath);
    start(empty.path());
    QCOMPARE(prompts->fileDialogFilters, QStringList{u"MS Access DB|dorvana.MDB"_s});
    QVERIFY(prompts->shown.isEmpty());
    QCOMPARE(edit("siksayl")->text(), u"4"_s);

    prompts->nextFileNames.push_back(QString());
    restart(empty.path());
    QCOMPARE(prompts->fileDialogFilters.size(), 2); // asked again
}

void tst_Startup::noDatabaseSelected_data() {
    QTest::addColumn<QString>("answer");
    QTest::newRow("dialog cancelled") << QString();
    QTest::newRow("blanks only") << u"   "_s;
}

void tst_Startup::noDatabaseSelected() {
    QFETCH(QString, answer);
    ProgramFolder empty(false);
    prompts->nextFileNames.push_back(answer);
    start(empty.path());
    QCOMPARE(prompts->shown.size(), 2);
    QCOMPARE(prompts->shown[0].kind, Prompts::Kind::Information);
    QCOMPARE(prompts->shown[0].caption, u"Information"_s);
    QCOMPARE(prompts->shown[0].text, u"No Database Selected"_s);
    // The first show goes on with the tables closed: the clearing fails, the fields keep their
    // defaults.
    QCOMPARE(prompts->shown[1].kind, Prompts::Kind::Error);
    QCOMPARE(prompts->shown[1].caption, applicationTitle());
    QCOMPARE(prompts->shown[1].text, closedDataset("websoru"));
    QCOMPARE(edit("klasor")->text(), QDir::toNativeSeparators(QDir::currentPath()));
    QCOMPARE(edit("siksayl")->text(), QString());
    QCOMPARE(edit("sorusrenk")->text(), u"#B86397"_s);

    // Every later use of a closed table fails the same way.
    click("dogrugir");
    QCOMPARE(prompts->shown.last().text, closedDataset("websoru"));
    edit("siksayl")->setText(u"4"_s);
    click("BitBtn7");
    QCOMPARE(prompts->shown.last().text, closedDataset("webrenk"));
}

void tst_Startup::fileFailsHeaderCheck_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("text file") << QByteArray("merhaba dunya, bu bir veritabani degil\n");
    QByteArray oneOff = HeaderVfs::headerBlock();
    oneOff[16] = 'C'; // "Standard Jet DC"
    QTest::newRow("one character differs") << oneOff;
    QByteArray engine = HeaderVfs::headerBlock();
    engine[4] = 's'; // case counts
    QTest::newRow("lower-case s") << engine;
}

void tst_Startup::fileFailsHeaderCheck() {
    QFETCH(QByteArray, bytes);
    ProgramFolder folder(false);
    QFile file(folder.databasePath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    start(folder.path());
    QCOMPARE(prompts->texts(),
             (QStringList{u"Invalid Access Database"_s, closedDataset("websoru")}));
    QCOMPARE(prompts->shown[0].kind, Prompts::Kind::Information);
    QCOMPARE(fileBytes(folder.databasePath), bytes); // the file is not touched
}

void tst_Startup::typedNameOfMissingFile() {
    ProgramFolder empty(false);
    prompts->nextFileNames.push_back(empty.path() + u"/yok.MDB"_s);
    start(empty.path());
    QCOMPARE(prompts->texts(), (QStringList{u"File not found."_s, closedDataset("websoru")}));
    QCOMPARE(prompts->shown[0].kind, Prompts::Kind::Error);
    QVERIFY(!QFileInfo::exists(empty.path() + u"/yok.MDB"_s));
}

void tst_Startup::fileOfTheOlderEngine() {
    ProgramFolder folder(false);
    QByteArray bytes(8192, '\0');
    bytes.replace(0, 19, QByteArray("\x00\x01\x00\x00Standard Jet DB", 19));
    QFile file(folder.databasePath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    start(folder.path());
    QCOMPARE(prompts->shown.size(), 2);
    QCOMPARE(prompts->shown[0].kind, Prompts::Kind::Error);
    QCOMPARE(prompts->shown[0].text, errorBoxText(HeaderVfs::otherEngineText()));
    QCOMPARE(fileBytes(folder.databasePath), bytes);
}

void tst_Startup::missingTableStopsOpening() {
    ProgramFolder folder;
    dbtest::query(folder.databasePath, u"DROP TABLE webrenk"_s);
    start(folder.path());
    QCOMPARE(prompts->shown.size(), 2);
    QVERIFY2(prompts->shown[0].text.contains(u"webrenk"_s), qPrintable(prompts->shown[0].text));
    // webtablo opened, the two after the failing one did not.
    QCOMPARE(prompts->shown[1].text, closedDataset("websoru"));
}

void tst_Startup::missingSettingsField() {
    ProgramFolder folder;
    dbtest::query(folder.databasePath, u"ALTER TABLE webrenk DROP COLUMN bd"_s);
    start(folder.path());
    QCOMPARE(prompts->texts(), QStringList{u"webrenk: Field 'bd' not found."_s});
    QCOMPARE(edit("acer")->text(), u"#F1CFE4"_s); // loaded before the missing field
    QCOMPARE(edit("siksayl")->text(), QString());
}

void tst_Startup::nullSettingStopsLoadAtThatField() {
    ProgramFolder folder;
    dbtest::query(folder.databasePath,
                  u"UPDATE webrenk SET sorus='#010101', cevaps=NULL, sonucs='#030303'"_s);
    start(folder.path());
    QCOMPARE(prompts->texts(),
             QStringList{u"Could not convert variant of type (Null) into type (String)"_s});
    QCOMPARE(edit("sorusrenk")->text(), u"#010101"_s);
    QCOMPARE(edit("cevapzrl")->text(), u"#B86397"_s);
    QCOMPARE(edit("sonuczrl")->text(), u"#B86397"_s);
    QVERIFY(QApplication::focusWidget() != edit("sorusaye"));
}

void tst_Startup::noSettingsRowThenSaveCreatesIt() {
    ProgramFolder folder;
    dbtest::query(folder.databasePath, u"DELETE FROM webrenk"_s);
    start(folder.path());
    QCOMPARE(prompts->texts(),
             QStringList{u"Could not convert variant of type (Null) into type (String)"_s});
    QCOMPARE(edit("siksayl")->text(), QString());

    typeInto(edit("siksayl"), u"3"_s);
    click("BitBtn7");
    QCOMPARE(prompts->texts().last(), u"Renk ve klasör bilgileri kaydedildi."_s);
    QCOMPARE(dbtest::count(folder.databasePath, u"webrenk"_s), 1);

    restart(folder.path());
    QVERIFY(prompts->shown.isEmpty());
    QCOMPARE(edit("siksayl")->text(), u"3"_s);
    QCOMPARE(edit("ber")->text(), u"#DA70D6"_s);
}

void tst_Startup::saveThenRestartLoads() {
    ProgramFolder folder;
    start(folder.path());
    window->findChild<QTabWidget*>()->setCurrentIndex(1);
    typeInto(edit("cevapzrl"), u"#0A0B0C"_s);
    typeInto(edit("acer"), u"renk değil"_s); // any text is stored as it stands
    typeInto(edit("siksayl"), u"$5"_s);
    window->findChild<QCheckBox*>(u"teksayfa"_s)->setChecked(false);
    window->findChild<QCheckBox*>(u"dogrular"_s)->setChecked(false);
    typeInto(edit("sure"), u"40"_s);
    window->findChild<QComboBox*>(u"yanlis"_s)->setCurrentIndex(2); // "Götürmez"
    window->findChild<QTabWidget*>()->setCurrentIndex(0);
    typeInto(edit("gezyerl"), u"resimler"_s);
    typeInto(edit("sayfaad"), u"kayıtsız"_s); // not a setting
    click("BitBtn7");
    QCOMPARE(prompts->texts(), QStringList{u"Renk ve klasör bilgileri kaydedildi."_s});
    QCOMPARE(prompts->shown[0].kind, Prompts::Kind::Plain);

    restart(folder.path());
    QVERIFY(prompts->shown.isEmpty());
    QCOMPARE(edit("cevapzrl")->text(), u"#0A0B0C"_s);
    QCOMPARE(edit("acer")->text(), u"renk değil"_s);
    QCOMPARE(edit("siksayl")->text(), u"5"_s);
    QCOMPARE(edit("gezyerl")->text(), u"resimler"_s + QDir::separator()); // completed on leaving
    QCOMPARE(edit("sayfaad")->text(), u"test01"_s);
    QVERIFY(!window->findChild<QCheckBox*>(u"teksayfa"_s)->isChecked());
    QVERIFY(!window->findChild<QCheckBox*>(u"dogrular"_s)->isChecked());
    QCOMPARE(edit("sure")->text(), u"40"_s);
    QCOMPARE(window->findChild<QComboBox*>(u"yanlis"_s)->currentText(), u"Götürmez"_s);
}

void tst_Startup::closeAsksToSaveChanges_data() {
    QTest::addColumn<QString>("colour"); // typed into "Cevap sayfası zemin rengi"
    QTest::addColumn<int>("answer");     // button pressed, -1: no question expected
    QTest::addColumn<bool>("closed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("nothing changed") << u"#B86397"_s << -1 << true << u"#B86397"_s;
    QTest::newRow("Kaydet") << u"#0A0B0C"_s << 0 << true << u"#0A0B0C"_s;
    QTest::newRow("Kaydetme") << u"#0A0B0C"_s << 1 << true << u"#B86397"_s;
    QTest::newRow("Vazgeç") << u"#0A0B0C"_s << 2 << false << u"#B86397"_s;
}

void tst_Startup::closeAsksToSaveChanges() {
    QFETCH(QString, colour);
    QFETCH(int, answer);
    QFETCH(bool, closed);
    QFETCH(QString, stored);
    ProgramFolder folder;
    start(folder.path());
    typeInto(edit("cevapzrl"), colour);
    typeInto(edit("sayfaad"), u"kayıtsız"_s); // not a setting
    if (answer >= 0)
        prompts->nextChoices.push_back(answer);
    QCOMPARE(window->close(), closed);
    QCOMPARE(prompts->choices.size(), answer >= 0 ? 1 : 0);
    if (answer >= 0) {
        QCOMPARE(prompts->shown[0].text, u"Değişiklikler kaydedilsin mi?"_s);
        QCOMPARE(prompts->choices[0], (QStringList{u"Kaydet"_s, u"Kaydetme"_s, u"Vazgeç"_s}));
    }
    restart(folder.path());
    QCOMPARE(edit("cevapzrl")->text(), stored);
}

void tst_Startup::failedSaveStoresNothing() {
    ProgramFolder folder;
    start(folder.path());
    const auto before = dbtest::query(folder.databasePath, u"SELECT * FROM webrenk"_s);
    typeInto(edit("sorusrenk"), u"#000001"_s);
    edit("siksayl")->clear();
    click("BitBtn7");
    QCOMPARE(prompts->texts(), QStringList{u"'' is not a valid integer value."_s});
    QCOMPARE(prompts->shown[0].kind, Prompts::Kind::Error);
    // Later commands move the tables' cursors; the failed save must still store nothing.
    click("dogrugir");
    edit("siksayl")->setText(u"abc"_s);
    click("BitBtn7");
    QCOMPARE(prompts->texts().last(), u"'abc' is not a valid integer value."_s);
    restart(folder.path());
    QCOMPARE(dbtest::query(folder.databasePath, u"SELECT * FROM webrenk"_s), before);
    QCOMPARE(edit("sorusrenk")->text(), u"#B86397"_s);
}

void tst_Startup::severalSettingsRowsUseTheFirst() {
    ProgramFolder folder;
    dbtest::query(folder.databasePath,
                  u"INSERT INTO webrenk (sorus, cevaps, sonucs, soruac, ace, bd, gezyer, siksay) "
                  u"VALUES ('#999999','#999999','#999999','#999999','#999999','#999999','x',2)"_s);
    start(folder.path());
    QCOMPARE(edit("sorusrenk")->text(), u"#B86397"_s);
    QCOMPARE(edit("siksayl")->text(), u"4"_s);
    typeInto(edit("sorusrenk"), u"#121212"_s);
    click("BitBtn7");
    const auto rows =
        dbtest::query(folder.databasePath, u"SELECT sorus, siksay FROM webrenk ORDER BY rowid"_s);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0], (QVariantList{u"#121212"_s, qint64(4)}));
    QCOMPARE(rows[1], (QVariantList{u"#999999"_s, qint64(2)}));
}

void tst_Startup::answerKeyClearedAtStart() {
    ProgramFolder folder;
    dbtest::query(
        folder.databasePath,
        u"INSERT INTO websoru VALUES ('eski', 1, 'a.mht', 'A'), ('baska', 1, 'b.mht', NULL)"_s);
    start(folder.path());
    QVERIFY(prompts->shown.isEmpty());
    QCOMPARE(dbtest::count(folder.databasePath, u"websoru"_s), 0);
}

void tst_Startup::preparationTwice() {
    ProgramFolder folder;
    start(folder.path());
    click("dogrugir");
    click("dogrugir");
    QVERIFY(prompts->shown.isEmpty());
    QVERIFY(grid()->isVisible());
    QCOMPARE(grid()->model()->rowCount(), 10);
    QCOMPARE(grid()->columnWidth(1), 200);
    const auto rows = dbtest::query(
        folder.databasePath, u"SELECT testadi, soruno, dosya, dc FROM websoru ORDER BY rowid"_s);
    QCOMPARE(rows.size(), 10);
    for (int n = 1; n <= 10; ++n)
        QCOMPARE(rows[n - 1], (QVariantList{u"2. sınıf Matematik Test - 1"_s, qint64(n),
                                            u"test01s%1.mht"_s.arg(n), QVariant()}));
    QCOMPARE(grid()->currentIndex().row(), 0);

    typeInto(edit("testadl"), u"Başka test"_s);
    typeInto(edit("sorusaye"), u"3"_s);
    click("dogrugir");
    QCOMPARE(grid()->model()->rowCount(), 3);
    QCOMPARE(dbtest::query(folder.databasePath, u"SELECT DISTINCT testadi FROM websoru"_s),
             QList<QVariantList>{{u"Başka test"_s}});
}

void tst_Startup::preparationOddNamesAndCounts_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("count");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("message");
    const QString atLeastOne = u"Soru sayısı en az 1 olmalıdır."_s;
    QTest::newRow("name with a quote") << u"Ali'nin testi"_s << u"4"_s << 4 << ""
                                       << "";
    QTest::newRow("name like a query") << u"x' OR '1'='1"_s << u"2"_s << 2 << ""
                                       << "";
    QTest::newRow("empty name") << QString() << u"3"_s << 3 << "testadl"
                                << "";
    QTest::newRow("zero") << u"Test"_s << u"0"_s << 0 << "sorusaye" << atLeastOne;
    QTest::newRow("negative") << u"Test"_s << u"-2"_s << 0 << "sorusaye" << atLeastOne;
}

void tst_Startup::preparationOddNamesAndCounts() {
    QFETCH(QString, name);
    QFETCH(QString, count);
    QFETCH(int, rows);
    QFETCH(QString, focus);
    QFETCH(QString, message);
    ProgramFolder folder;
    start(folder.path());
    edit("testadl")->setText(name);
    edit("sorusaye")->setText(count);
    click("dogrugir");
    QCOMPARE(prompts->texts(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(grid()->isVisible(), message.isEmpty());
    QCOMPARE(grid()->model()->rowCount(), rows);
    QCOMPARE(dbtest::count(folder.databasePath, u"websoru"_s), rows);
    if (!focus.isEmpty())
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    QCOMPARE(dbtest::count(folder.databasePath, u"webtablo"_s), 0); // no query text ran
}

void tst_Startup::refusedCountKeepsTheKey_data() {
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("message");
    QTest::newRow("above the limit") << u"10001"_s << u"Soru sayısı en fazla 10000 olabilir."_s;
    QTest::newRow("far above") << u"2147483647"_s << u"Soru sayısı en fazla 10000 olabilir."_s;
    QTest::newRow("zero") << u"0"_s << u"Soru sayısı en az 1 olmalıdır."_s;
    QTest::newRow("negative") << u"-5"_s << u"Soru sayısı en az 1 olmalıdır."_s;
    QTest::newRow("not a number") << u"on"_s << u"'on' is not a valid integer value."_s;
}

// Every check of "Doğru cevapları gir" comes before anything changes: the
// letters typed for the earlier count stay.
void tst_Startup::refusedCountKeepsTheKey() {
    QFETCH(QString, count);
    QFETCH(QString, message);
    ProgramFolder folder;
    start(folder.path());
    QVERIFY(prepareAnswerKey(*window, u"ABCDDCBAAB"_s));
    grid()->setCurrentIndex(grid()->model()->index(0, 0)); // stores the last letter
    edit("sorusaye")->setText(count);
    click("dogrugir");
    QCOMPARE(prompts->texts(), QStringList{message});
    QCOMPARE(dbtest::query(folder.databasePath, u"SELECT group_concat(dc, '') FROM websoru"_s),
             QList<QVariantList>{{u"ABCDDCBAAB"_s}});
    QCOMPARE(grid()->model()->rowCount(), 10);
}

// However the button is pressed while a letter is still in the grid's cell
// editor (the mouse, the keyboard, or assistive software through the
// button's accessible press action), the program goes on and the letter is
// dealt with before the rows are replaced.
void tst_Startup::pressWithOpenCellEditor_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::newRow("mouse") << u"mouse"_s << 2 << u"b"_s;
    QTest::newRow("keyboard") << u"keyboard"_s << 2 << u"b"_s;
    QTest::newRow("accessible press") << u"accessible"_s << 2 << u"b"_s;
    // The focus first moved to the button as a screen reader moves it, with the
    // real message boxes: the number cell takes no letter, so no box opens in
    // the focus change (one did, and the editor was deleted under it).
    QTest::newRow("accessible focus, letters in a number cell") << u"focus"_s << 0 << u"xyz"_s;
}

void tst_Startup::pressWithOpenCellEditor() {
    QFETCH(QString, how);
    QFETCH(int, column);
    QFETCH(QString, typed);
    ProgramFolder folder;
    MessageBoxAnswerer answerer(Qt::Key_Return);
    if (how == u"focus") {
        window = showWindow(realPrompts, folder.path());
        realPrompts.setParent(window.get());
    } else {
        start(folder.path());
    }
    click("dogrugir");
    grid()->setFocus(Qt::MouseFocusReason);
    grid()->setCurrentIndex(grid()->model()->index(1, column));
    if (column == 2) // a key cell takes a typed letter at once; F2 opens its editor
        QTest::keyClick(grid(), Qt::Key_F2);
    QTest::keyClicks(QApplication::focusWidget(), typed.left(1));
    QVERIFY(QApplication::focusWidget() != grid()); // the cell editor is open
    QTest::keyClicks(QApplication::focusWidget(), typed.mid(1));
    edit("sorusaye")->setText(u"4"_s);
    auto* button = window->findChild<QPushButton*>(u"dogrugir"_s);
    if (how == u"mouse") {
        QTest::mouseClick(button, Qt::LeftButton);
    } else if (how == u"keyboard") {
        button->setFocus(Qt::TabFocusReason);
        QTest::keyClick(button, Qt::Key_Space);
    } else {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(button);
        QVERIFY(accessible && accessible->actionInterface());
        if (how == u"focus")
            accessible->actionInterface()->doAction(QAccessibleActionInterface::setFocusAction());
        accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    }
    // The accessible press clicks after a short animation; deferred deletions run meanwhile.
    QTRY_COMPARE(grid()->model()->rowCount(), 4);
    QTest::qWait(20);
    QVERIFY2(prompts->shown.isEmpty(), qPrintable(prompts->texts().join(u'|')));
    QVERIFY2(answerer.seen.isEmpty(), qPrintable(answerer.seen.value(0).text));
    QCOMPARE(dbtest::count(folder.databasePath, u"websoru"_s), 4);
    // The grid still takes letters afterwards.
    QVERIFY(grid()->model()->setData(grid()->model()->index(0, 2), u"C"_s));
}

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    prepareApplication(app);
    tst_Startup test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_startup.moc"
