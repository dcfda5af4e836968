#include "ScriptedPrompts.h"
#include "WindowTestSupport.h"
#include "core/LineFile.h"
#include "db/ClassLists.h"
#include "db/Database.h"
#include "db/Sections.h"
#include "ui/AppSetup.h"
#include "ui/DirectoryList.h"
#include "ui/Tanaekr.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <memory>

// The window driven as a user drives it: focus moves, typing, clicks.
class tst_Tanaekr : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void defaultTexts();
    void layoutAndLabels();
    void gridHiddenAtStart();
    void focusOnQuestionCountAfterShow();
    void tabOrder();
    void hintOnEntering_data();
    void hintOnEntering();
    void answerPageColourFieldKeepsHint();
    void navigationFolderCompletion_data();
    void navigationFolderCompletion();
    void colourAcceptWritesChosenColour_data();
    void colourAcceptWritesChosenColour();
    void colourCancelLeavesField();
    void colourDialogRemembersLastAccepted();
    void directoryListFollowsIntoOutputFolder();
    void explanationLinesAsShown();
    void looksAndLocale();
    void pasteAnswerKey_data();
    void pasteAnswerKey();
    void typeAnswerKey_data();
    void typeAnswerKey();
    void sectionsPage();
    void classListImport();

private:
    QString storedKeys() const;
    template <typename T> T* control(const char* name) const {
        T* w = window->findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    void enter(QWidget* field) {
        field->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
    }

    std::unique_ptr<ProgramFolder> programFolder;
    std::unique_ptr<ScriptedPrompts> prompts;
    std::unique_ptr<Tanaekr> window;
};

void tst_Tanaekr::init() {
    programFolder = std::make_unique<ProgramFolder>();
    prompts = std::make_unique<ScriptedPrompts>();
    window = showWindow(*prompts, programFolder->path());
    QVERIFY(window->isActiveWindow());
}

void tst_Tanaekr::cleanup() {
    window.reset();
    for (const auto& shown : std::as_const(prompts->shown))
        qWarning("shown: %s", qPrintable(shown.text));
    QCOMPARE(prompts->unexpectedDialogs, 0);
    prompts.reset();
    programFolder.reset();
}

void tst_Tanaekr::defaultTexts() {
    QCOMPARE(control<QLineEdit>("testadl")->text(), QStringLiteral(u"2. sınıf Matematik Test - 1"));
    QCOMPARE(control<QLineEdit>("sorusaye")->text(), QStringLiteral("10"));
    QCOMPARE(control<QPlainTextEdit>("soruac")->toPlainText(), QString());
    QCOMPARE(control<QLineEdit>("sorusrenk")->text(), QStringLiteral("#B86397"));
    QCOMPARE(control<QLineEdit>("sacikl")->text(), QStringLiteral("#F1CFE4"));
    QCOMPARE(control<QLineEdit>("sayfaad")->text(), QStringLiteral("test01"));
    QCOMPARE(control<QLineEdit>("gezyerl")->text(), QString());
    QCOMPARE(control<QLineEdit>("cevapzrl")->text(), QStringLiteral("#B86397"));
    QCOMPARE(control<QLineEdit>("acer")->text(), QStringLiteral("#F1CFE4"));
    QCOMPARE(control<QLineEdit>("ber")->text(), QStringLiteral("#DA70D6"));
    QCOMPARE(control<QLineEdit>("sonuczrl")->text(), QStringLiteral("#B86397"));
    // A new database stores four options.
    QCOMPARE(control<QLineEdit>("siksayl")->text(), QStringLiteral("4"));
    // The output folder follows the directory list, which starts at the current folder.
    QCOMPARE(control<QLineEdit>("klasor")->text(), QDir::toNativeSeparators(QDir::currentPath()));

    auto* tabs = control<QTabWidget>("sayfalar");
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->tabText(0), QStringLiteral(u"Soru sayfası"));
    QCOMPARE(tabs->tabText(1), QStringLiteral(u"Cevap ve Sonuç Sayfası"));
    QCOMPARE(tabs->tabText(2), QStringLiteral(u"Bölümler"));
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(control<QPushButton>("dogrugir")->text(), QStringLiteral(u"Doğru cevapları gir"));
    QCOMPARE(control<QPushButton>("sayfab")->text(), QStringLiteral(u"Sayfaları oluştur "));
    QCOMPARE(control<QPushButton>("BitBtn7")->text(),
             QStringLiteral(u"Renk ve klasör bilgilerini kaydet"));
    QVERIFY(prompts->shown.isEmpty());
}

void tst_Tanaekr::layoutAndLabels() {
    struct Expect {
        const char* name;
        QRect geometry;
        const char16_t* label;
    };
    const Expect fields[] = {
        {"testadl", {10, 20, 200, 21}, u"Test adı:"},
        {"sorusaye", {10, 60, 50, 24}, u"Soru Sayısı :"},
        {"sorusrenk", {250, 16, 121, 21}, u"Soru sayfası zemin rengi"},
        {"sacikl", {250, 56, 121, 21}, u"Sınav açıklaması zemin rengi"},
        {"klasor", {420, 16, 170, 21}, u"Sayfaların kaydedileceği klasör"},
        {"sayfaad", {140, 63, 70, 21}, u"Dosya adı: "},
        {"gezyerl", {420, 55, 170, 21}, u"Gezinti düğmelerinin bulunduğu yer"},
        {"cevapzrl", {20, 20, 121, 21}, u"Cevap sayfası zemin rengi"},
        {"acer", {20, 60, 121, 21}, u"A-C-D sütunları zemin rengi"},
        {"ber", {20, 100, 121, 21}, u"B-E sütunları zemin rengi"},
        {"sonuczrl", {20, 140, 121, 21}, u"Sonuç sayfası zemin rengi"},
        {"siksayl", {20, 180, 20, 21}, u"Cevap şıkkı sayısı"},
    };
    for (const Expect& e : fields) {
        auto* edit = control<QLineEdit>(e.name);
        QCOMPARE(edit->geometry(), e.geometry);
        auto* label = control<QLabel>((QByteArray(e.name) + "Label").constData());
        QCOMPARE(label->text(), QString::fromUtf16(e.label));
        QCOMPARE(label->buddy(), edit);
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::red));
        // The label stands above its field.
        QVERIFY2(label->geometry().bottom() < edit->geometry().top(), e.name);
        // A screen reader announces the field by its label.
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(edit);
        QVERIFY(iface);
        QCOMPARE(iface->text(QAccessible::Name), QString::fromUtf16(e.label).trimmed());
    }
    QCOMPARE(control<QWidget>("sayfalar")->geometry(), QRect(5, 40, 730, 400));
    QCOMPARE(control<QWidget>("liste")->geometry(), QRect(10, 100, 415, 250));
    QCOMPARE(control<QWidget>("soruac")->geometry(), QRect(450, 100, 250, 250));
    QCOMPARE(control<QWidget>("dir")->geometry(), QRect(600, 0, 120, 75));
    QCOMPARE(control<QWidget>("dogrugir")->geometry(), QRect(520, 445, 110, 25));
    QCOMPARE(control<QWidget>("sayfab")->geometry(), QRect(636, 445, 95, 25));
    QCOMPARE(control<QWidget>("BitBtn7")->geometry(), QRect(520, 475, 210, 25));
    // "Sonuçları oku" is a command of the window, in the commands' row and style.
    QCOMPARE(control<QWidget>("sonucoku")->geometry(), QRect(404, 445, 110, 25));
    QCOMPARE(control<QWidget>("sinifal")->geometry(), QRect(580, 352, 120, 20));
    QCOMPARE(control<QWidget>("sonucoku")->parentWidget(), window->centralWidget());
    QCOMPARE(control<QWidget>("sonucoku")->font(), control<QWidget>("dogrugir")->font());
    QCOMPARE(control<QLabel>("Label1")->text(),
             QStringLiteral(u"Soruların altında görüntülenecek açıklama"));
    QCOMPARE(control<QLabel>("Label1")->pos(), QPoint(450, 80));
    const char* buttons[] = {"BitBtn1", "BitBtn2", "BitBtn3", "BitBtn4", "BitBtn5", "BitBtn6"};
    for (const char* name : buttons) {
        auto* button = control<QToolButton>(name);
        QCOMPARE(button->size(), QSize(25, 25));
        QVERIFY(!button->icon().isNull());
        QVERIFY2(button->accessibleName().contains(QStringLiteral("rengini seç")), name);
    }
    QCOMPARE(control<QToolButton>("BitBtn6")->geometry(), QRect(150, 140, 25, 25));
}

void tst_Tanaekr::gridHiddenAtStart() {
    QVERIFY(!control<QTableView>("liste")->isVisible());
}

void tst_Tanaekr::focusOnQuestionCountAfterShow() {
    QCOMPARE(QApplication::focusWidget(), control<QWidget>("sorusaye"));
    QCOMPARE(window->statusText(),
             QStringLiteral(u"Test sorularının sayısı. Daha sonra \"Doğru cevapları gir\" "
                            u"seçeneğinin seçilmesi gerekir."));
}

void tst_Tanaekr::tabOrder() {
    enter(control<QWidget>("testadl"));
    const char* questionPage[] = {"sorusaye", "soruac", "sorusrenk", "sacikl",  "BitBtn1",
                                  "BitBtn2",  "klasor", "dir",       "sayfaad", "gezyerl"};
    for (const char* name : questionPage) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QLatin1String(name));
    }
    control<QTabWidget>("sayfalar")->setCurrentIndex(1);
    enter(control<QWidget>("cevapzrl"));
    const char* answerPage[] = {"BitBtn3", "acer",    "ber",      "BitBtn4",
                                "BitBtn5", "BitBtn6", "sonuczrl", "siksayl"};
    for (const char* name : answerPage) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QLatin1String(name));
    }
}

void tst_Tanaekr::hintOnEntering_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("hint");
    QTest::newRow("testadl") << "testadl" << 0
                             << QStringLiteral(
                                    u"Soruların üst kısmında görüntülenir. Sınıf, testin konusu "
                                    u"gibi bilgileri içermesi tercih edilebilir.");
    QTest::newRow("sayfaad") << "sayfaad" << 0
                             << QStringLiteral(
                                    u"Bu alana yazılan isime s harfi soru numaraları eklenerek, "
                                    u"otomatik soru dosyası ismi oluşturulur.");
    QTest::newRow("sorusrenk")
        << "sorusrenk" << 0
        << QStringLiteral(u"Soruların görüntüleneceği ekranda arka plan rengini belirler.");
    QTest::newRow("sacikl")
        << "sacikl" << 0
        << QStringLiteral(
               u"Soruların altında görüntülenecek açıklamanın arka plan rengini belirler.");
    QTest::newRow("klasor") << "klasor" << 0
                            << QStringLiteral(
                                   u"Oluşturulacak web sayfalarının kaydedileceği klasör.");
    QTest::newRow("gezyerl")
        << "gezyerl" << 0
        << QStringLiteral(u"Oluşturulacak sayfalarda kayıtlar arasında ileri/geri gidilmesini "
                          u"sağlayan düğmelerin resim dosyalarının bulunduğu klasör.");
    QTest::newRow("soruac") << "soruac" << 0
                            << QStringLiteral(u"Soruların altında görüntülenmek istenilen metin.");
    QTest::newRow("dir") << "dir" << 0
                         << QStringLiteral(u"Bu alanda çift tıklama yapıldığında klasör ismi "
                                           u"\"Sayfaların kaydedileceği klasör\" alanına yazılır.");
    QTest::newRow("siksayl") << "siksayl" << 1
                             << QStringLiteral(
                                    u"Bir soru için kaç cevap şıkkı olacağını belirler.");
}

void tst_Tanaekr::hintOnEntering() {
    QFETCH(QString, field);
    QFETCH(int, page);
    QFETCH(QString, hint);
    control<QTabWidget>("sayfalar")->setCurrentIndex(page);
    enter(control<QWidget>(field.toLatin1().constData()));
    QCOMPARE(window->statusText(), hint);
    // Coming back to the same field by Tab shows the same hint again.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(window->statusText(), hint);
}

void tst_Tanaekr::answerPageColourFieldKeepsHint() {
    enter(control<QWidget>("sayfaad"));
    const QString hint = window->statusText();
    control<QTabWidget>("sayfalar")->setCurrentIndex(1);
    const char* silent[] = {"cevapzrl", "acer", "ber", "sonuczrl", "BitBtn3", "BitBtn6"};
    for (const char* name : silent) {
        enter(control<QWidget>(name));
        QCOMPARE(window->statusText(), hint);
    }
}

void tst_Tanaekr::navigationFolderCompletion_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("after");
    const QString sep = QDir::separator();
    QTest::newRow("no separator") << QStringLiteral(u"C:\\resim")
                                  << QStringLiteral(u"C:\\resim") + sep;
    QTest::newRow("slash kept") << QStringLiteral("images/") << QStringLiteral("images/");
    QTest::newRow("backslash kept")
        << QStringLiteral(u"C:\\resim\\") << QStringLiteral(u"C:\\resim\\");
    QTest::newRow("empty stays empty") << QString() << QString();
    QTest::newRow("relative") << QStringLiteral("resim") << QStringLiteral("resim") + sep;
}

void tst_Tanaekr::navigationFolderCompletion() {
    QFETCH(QString, typed);
    QFETCH(QString, after);
    auto* gezyerl = control<QLineEdit>("gezyerl");
    enter(gezyerl);
    QTest::keyClicks(gezyerl, typed);
    QCOMPARE(gezyerl->text(), typed);
    QTest::keyClick(gezyerl, Qt::Key_Tab); // leave the field
    QVERIFY(QApplication::focusWidget() != gezyerl);
    QCOMPARE(gezyerl->text(), after);
    // Leaving it again adds nothing more.
    enter(gezyerl);
    QTest::keyClick(gezyerl, Qt::Key_Tab);
    QCOMPARE(gezyerl->text(), after);
}

void tst_Tanaekr::colourAcceptWritesChosenColour_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("page");
    QTest::addColumn<quint32>("start");
    QTest::newRow("question page") << "BitBtn1"
                                   << "sorusrenk" << 0 << quint32(0x800080);
    QTest::newRow("explanation") << "BitBtn2"
                                 << "sacikl" << 0 << quint32(0);
    QTest::newRow("answer sheet") << "BitBtn3"
                                  << "cevapzrl" << 1 << quint32(0);
    QTest::newRow("columns A C E") << "BitBtn4"
                                   << "acer" << 1 << quint32(0);
    QTest::newRow("columns B D") << "BitBtn5"
                                 << "bdzr" << 1 << quint32(0);
    QTest::newRow("result page") << "BitBtn6"
                                 << "sonuczrl" << 1 << quint32(0);
}

void tst_Tanaekr::colourAcceptWritesChosenColour() {
    QFETCH(QString, button);
    QFETCH(QString, field);
    QFETCH(int, page);
    QFETCH(quint32, start);
    if (field == QLatin1String("bdzr"))
        field = QStringLiteral("ber");
    control<QTabWidget>("sayfalar")->setCurrentIndex(page);
    // Red 5, green 10, blue 15, with high bits the conversion ignores.
    prompts->nextColours.push_back(ColourValue(0xAB0F0A05));
    QTest::mouseClick(control<QToolButton>(button.toLatin1().constData()), Qt::LeftButton);
    QCOMPARE(prompts->colourDialogStarts, QList<ColourValue>{start});
    QCOMPARE(control<QLineEdit>(field.toLatin1().constData())->text(), QStringLiteral("#050A0F"));
    QVERIFY(prompts->shown.isEmpty());
}

void tst_Tanaekr::colourCancelLeavesField() {
    control<QTabWidget>("sayfalar")->setCurrentIndex(1);
    auto* acer = control<QLineEdit>("acer");
    acer->setText(QStringLiteral("#123456"));
    prompts->nextColours.push_back(std::nullopt);
    QTest::mouseClick(control<QToolButton>("BitBtn4"), Qt::LeftButton);
    QCOMPARE(acer->text(), QStringLiteral("#123456"));

    control<QTabWidget>("sayfalar")->setCurrentIndex(0);
    auto* sorusrenk = control<QLineEdit>("sorusrenk");
    prompts->nextColours.push_back(std::nullopt);
    QTest::mouseClick(control<QToolButton>("BitBtn1"), Qt::LeftButton);
    QCOMPARE(sorusrenk->text(), QStringLiteral("#B86397"));
}

void tst_Tanaekr::colourDialogRemembersLastAccepted() {
    auto* sorusrenk = control<QLineEdit>("sorusrenk");
    auto* button = control<QToolButton>("BitBtn1");
    prompts->nextColours.push_back(ColourValue(0x0000FF)); // pure red
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(sorusrenk->text(), QStringLiteral("#FF0000"));

    sorusrenk->setText(QStringLiteral("mavi"));
    prompts->nextColours.push_back(std::nullopt);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(sorusrenk->text(), QStringLiteral("mavi")); // cancel keeps what was typed
    // Each button's dialog opens on the colour last accepted through it.
    QCOMPARE(prompts->colourDialogStarts, (QList<ColourValue>{0x800080, 0x0000FF}));

    // Another button's dialog keeps its own colour.
    prompts->nextColours.push_back(std::nullopt);
    QTest::mouseClick(control<QToolButton>("BitBtn2"), Qt::LeftButton);
    QCOMPARE(prompts->colourDialogStarts.last(), ColourValue(0));
}

void tst_Tanaekr::directoryListFollowsIntoOutputFolder() {
    QTemporaryDir root;
    QVERIFY(root.isValid());
    QVERIFY(QDir(root.path()).mkpath(QStringLiteral("alt/derin")));
    QVERIFY(QDir(root.path()).mkpath(QStringLiteral("b")));
    auto* dir = control<DirectoryList>("dir");
    auto* klasor = control<QLineEdit>("klasor");

    dir->setCurrentFolder(root.path());
    QCOMPARE(klasor->text(), QDir::toNativeSeparators(QDir(root.path()).canonicalPath()));

    // Find the row of the sub-folder "alt".
    int altRow = -1;
    for (int row = 0; row < dir->count(); ++row)
        if (dir->folderOfRow(row).endsWith(QLatin1String("/alt")))
            altRow = row;
    QVERIFY(altRow >= 0);
    const QRect altRect = dir->visualItemRect(dir->item(altRow));

    // A single click leaves the output folder at the folder current before the click.
    enter(control<QWidget>("sayfaad"));
    QTest::mouseClick(dir->viewport(), Qt::LeftButton, {}, altRect.center());
    QCOMPARE(klasor->text(), QDir::toNativeSeparators(QDir(root.path()).canonicalPath()));
    QCOMPARE(window->statusText(),
             QStringLiteral(u"Bu alanda çift tıklama yapıldığında klasör ismi \"Sayfaların "
                            u"kaydedileceği klasör\" alanına yazılır."));

    // A double click opens it and writes it into the output folder.
    QTest::mouseDClick(dir->viewport(), Qt::LeftButton, {}, altRect.center());
    QCOMPARE(dir->currentFolder(), QDir(root.path()).canonicalPath() + QStringLiteral("/alt"));
    QCOMPARE(klasor->text(), QDir::toNativeSeparators(dir->currentFolder()));

    // Return and Space open the current item too, as a double click does.
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) {
        dir->setCurrentFolder(root.path());
        for (int row = 0; row < dir->count(); ++row)
            if (dir->folderOfRow(row).endsWith(QLatin1String("/b")))
                dir->setCurrentRow(row);
        QTest::keyClick(dir, key);
        QCOMPARE(dir->currentFolder(), QDir(root.path()).canonicalPath() + QStringLiteral("/b"));
    }
    // Open folders look unlike closed ones; a cut name shows in full as a tooltip.
    dir->setCurrentFolder(root.path());
    const QImage open = dir->item(0)->icon().pixmap(12, 12).toImage();
    const QImage closed = dir->item(dir->count() - 1)->icon().pixmap(12, 12).toImage();
    QVERIFY(open != closed || dir->count() == 1);
    QCOMPARE(dir->item(dir->count() - 1)->toolTip(),
             QDir::toNativeSeparators(dir->folderOfRow(dir->count() - 1)));

    // Typing into the output folder does not move the list.
    klasor->setText(QStringLiteral("/tmp/elle"));
    QCOMPARE(dir->currentFolder(), QDir(root.path()).canonicalPath());
}

// The banner's letters fit its height; the window has an icon; dates and
// Qt's own dialogs speak Turkish.
void tst_Tanaekr::looksAndLocale() {
    auto* banner = control<QLabel>("Label2");
    QVERIFY(banner->height() >= QFontMetrics(banner->font()).height());
    QVERIFY(!window->windowIcon().isNull());
    QCOMPARE(QLocale().language(), QLocale::Turkish);
    QCOMPARE(QLocale().toString(QDate(2026, 12, 8), QStringLiteral("d MMMM yyyy")),
             QStringLiteral("8 Aralık 2026"));
}

void tst_Tanaekr::explanationLinesAsShown() {
    auto* soruac = control<QPlainTextEdit>("soruac");
    QCOMPARE(window->explanationLines(), QStringList());
    soruac->setPlainText(QStringLiteral("bir\n\nüç"));
    QCOMPARE(window->explanationLines(),
             (QStringList{QStringLiteral("bir"), QString(), QStringLiteral(u"üç")}));
    soruac->setPlainText(QStringLiteral("bir\n"));
    QCOMPARE(window->explanationLines(), QStringList{QStringLiteral("bir")});
    soruac->setPlainText(QStringLiteral("bir\n\n"));
    QCOMPARE(window->explanationLines(), (QStringList{QStringLiteral("bir"), QString()}));

    // A long line is wrapped at the box's width into several lines, none wider than the box.
    const QString longLine =
        QStringLiteral("Her soru icin tek bir dogru cevap vardir ve yanlis cevaplar "
                       "dogru cevaplarin sayisini azaltir, bos birakilan sorular ise etkilemez.");
    soruac->setPlainText(longLine);
    const QStringList lines = window->explanationLines();
    QVERIFY2(lines.size() >= 3, qPrintable(lines.join(u'|')));
    QCOMPARE(lines.join(QString()), longLine);
    const QFontMetrics metrics(soruac->font());
    for (const QString& line : lines)
        QVERIFY(metrics.horizontalAdvance(line.trimmed()) <= soruac->viewport()->width());
}

// The stored keys in question order, '.' for none.
QString tst_Tanaekr::storedKeys() const {
    QString keys;
    Statement select(TanaekrTestAccess::websoru(*window).database(),
                     QStringLiteral("SELECT dc FROM websoru ORDER BY soruno"));
    while (select.step())
        keys += select.value(0).isNull() ? QStringLiteral(".") : select.value(0).toString();
    return keys;
}

// Ten questions of four options, every key "D" before the paste from grid row
// `row`: the keys stored after it ('.' none); a refusal names its position.
void tst_Tanaekr::pasteAnswerKey_data() {
    using namespace Qt::Literals::StringLiterals;
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("button");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("refusal");
    const QString kept = u"DDDDDDDDDD"_s;
    QTest::newRow("column") << u"A\r\nB\r\nC\r\n"_s << false << 0 << u"ABCDDDDDDD"_s << QString();
    QTest::newRow("cells") << u"A\tB\tC"_s << true << 2 << u"DDABCDDDDD"_s << QString();
    QTest::newRow("run, lower case") << u"abc, ab"_s << false << 5 << u"DDDDDABCAB"_s << QString();
    QTest::newRow("1-A") << u"1-A 2-C 3-B"_s << true << 7 << u"ACBDDDDDDD"_s << QString();
    QTest::newRow("3) D") << u"9) A; 10) b"_s << false << 0 << u"DDDDDDDDAB"_s << QString();
    QTest::newRow("4.B 1A, twice")
        << u"4.b\n5C 6 - a 5c"_s << true << 0 << u"DDDBCADDDD"_s << QString();
    QTest::newRow("letter outside options")
        << u"ABE"_s << true << 0 << kept << u" (1. satır, 3. karakter)"_s;
    QTest::newRow("number outside test")
        << u"1-A\n11-B"_s << false << 0 << kept << u" (2. satır, 1. karakter)"_s;
    QTest::newRow("question twice")
        << u"1-A 2-B 1-C"_s << true << 0 << kept << u" (1. satır, 9. karakter)"_s;
    QTest::newRow("too many keys")
        << u"ABC"_s << false << 8 << kept << u" (1. satır, 3. karakter)"_s;
    QTest::newRow("mixed") << u"1-A B"_s << true << 0 << kept << u" (1. satır, 5. karakter)"_s;
    QTest::newRow("nothing") << u" ,\n"_s << false << 0 << kept << u": panoda"_s;
}

void tst_Tanaekr::pasteAnswerKey() {
    using namespace Qt::Literals::StringLiterals;
    QFETCH(QString, text);
    QFETCH(bool, button);
    QFETCH(int, row);
    QFETCH(QString, stored);
    QFETCH(QString, refusal);
    QVERIFY(prepareAnswerKey(*window, u"DDDDDDDDDD"_s));
    auto* grid = control<QTableView>("liste");
    grid->setCurrentIndex(grid->model()->index(row, 2));
    QGuiApplication::clipboard()->setText(text);
    if (button) {
        QTest::mouseClick(control<QPushButton>("yapistir"), Qt::LeftButton);
    } else {
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_V, Qt::ControlModifier);
    }

    QCOMPARE(storedKeys(), stored);
    for (int r = 0; r < stored.size(); ++r)
        QCOMPARE(grid->model()->index(r, 2).data().toString(), QString(stored[r]));
    // A refusal: in a box for the button, in the status bar for the shortcut.
    const QString said =
        button && !prompts->shown.isEmpty() ? prompts->shown.takeLast().text : window->statusText();
    QVERIFY(prompts->shown.isEmpty());
    QVERIFY2(refusal.isEmpty() ? said.endsWith(u"cevap yapıştırıldı."_s)
                               : said.startsWith(u"Cevaplar yapıştırılmadı"_s + refusal),
             qPrintable(said));
}

// After "Doğru cevapları gir" the key is typed straight away: each letter
// goes to the current question's key cell, as typed, and the next one follows.
void tst_Tanaekr::typeAnswerKey_data() {
    using namespace Qt::Literals::StringLiterals;
    QTest::addColumn<QString>("typed"); // "\n" is Enter, "\t" is Tab
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("refused");
    QTest::newRow("letters as typed") << u"abC"_s << u"abC......."_s << 3 << false;
    QTest::newRow("Enter moves on") << u"\na\n"_s << u".a........"_s << 3 << false;
    QTest::newRow("letter outside options") << u"ae"_s << u"a........."_s << 1 << true;
    QTest::newRow("Tab leaves the grid") << u"b\tc"_s << u"b........."_s << -1 << false;
}

void tst_Tanaekr::typeAnswerKey() {
    using namespace Qt::Literals::StringLiterals;
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(int, row);
    QFETCH(bool, refused);
    clickButton(*window, "dogrugir");
    auto* grid = control<QTableView>("liste");
    QCOMPARE(QApplication::focusWidget(), grid); // on the first key: see the rows' first letter
    for (QChar c : typed)
        QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(),
                            c == u'\n'   ? Qt::Key_Return
                            : c == u'\t' ? Qt::Key_Tab
                                         : Qt::Key_unknown,
                            QString(c), Qt::NoModifier);
    QCOMPARE(storedKeys(), stored);
    QCOMPARE(grid->hasFocus(), row >= 0);
    if (row >= 0)
        QCOMPARE(grid->currentIndex(), grid->model()->index(row, 2));
    QCOMPARE(window->statusText().startsWith(u"Doğru cevap olarak yalnızca"_s), refused);
}

// The "Bölümler" page as a teacher uses it: rows added and typed, a letter
// refused in a number cell, an overlap refused when the page is left (the rows
// kept to correct, nothing stored), the corrected table stored under the test
// name and shown again for it only, the booklet count saved with the settings,
// and a removed row saved at closing.
void tst_Tanaekr::sectionsPage() {
    using namespace Qt::Literals::StringLiterals;
    auto* tabs = control<QTabWidget>("sayfalar");
    auto* grid = control<QTableView>("bolumler");
    Database& db = TanaekrTestAccess::websoru(*window).database();
    const QString testName = control<QLineEdit>("testadl")->text();
    QCOMPARE(grid->accessibleName(), u"Bölüm listesi"_s);
    QCOMPARE(grid->model()->headerData(2, Qt::Horizontal).toString(), u"Son soru"_s);
    const auto cell = [grid](int row, int column) {
        return grid->model()->index(row, column).data().toString();
    };
    // Types into the open editor, Return ends it; the grid has the focus again once it is closed.
    const auto type = [grid](const QString& text) {
        for (QChar c : text + u'\n')
            QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(),
                                c == u'\n' ? Qt::Key_Return : Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
        QTRY_COMPARE(QApplication::focusWidget(), grid);
    };
    const auto typeCell = [&](int row, int column, const QString& text) {
        grid->setFocus(Qt::MouseFocusReason);
        grid->setCurrentIndex(grid->model()->index(row, column));
        type(text);
    };
    tabs->setCurrentIndex(2);
    clickButton(*window, "bolumekle");
    type(u"Türkçe"_s);
    QCOMPARE(cell(0, 0), u"Türkçe"_s);
    QCOMPARE(cell(0, 2), u"10"_s);
    typeCell(0, 2, u"x"_s);
    QCOMPARE(window->statusText(), u"Bu sütuna yalnızca bir soru numarası girilebilir."_s);
    QCOMPARE(cell(0, 2), u"10"_s);
    typeCell(0, 2, u"5"_s);
    QCOMPARE(cell(0, 2), u"5"_s);
    clickButton(*window, "bolumekle");
    type(u"Fen"_s);
    QCOMPARE(cell(1, 1), u"6"_s);
    typeCell(1, 3, u"1,5"_s);
    typeCell(1, 1, u"5"_s);

    tabs->setCurrentIndex(0);
    QTRY_COMPARE(prompts->texts(), QStringList{u"Bölüm listesi, 1. satır (Türkçe) ile 2. satır "
                                               u"(Fen) çakışıyor: 5. soru ikisinde de."_s});
    QVERIFY(loadSections(db, testName).empty());
    QCOMPARE(cell(1, 1), u"5"_s);
    tabs->setCurrentIndex(2);
    typeCell(1, 1, u"6"_s);
    tabs->setCurrentIndex(0);
    const std::vector<Section> stored{{u"Türkçe"_s, 1, 5, 1}, {u"Fen"_s, 6, 10, 1.5}};
    QCOMPARE(loadSections(db, testName), stored);

    typeInto(control<QLineEdit>("testadl"), u"Başka"_s);
    tabs->setCurrentIndex(2);
    QCOMPARE(grid->model()->rowCount(), 0);
    tabs->setCurrentIndex(0);
    typeInto(control<QLineEdit>("testadl"), testName);
    tabs->setCurrentIndex(2);
    QCOMPARE(cell(1, 3), u"1,5"_s);

    control<QComboBox>("kitapcik")->setCurrentIndex(2);
    clickButton(*window, "BitBtn7");
    Statement settings(db, u"SELECT kitapcik FROM webrenk"_s);
    QVERIFY(settings.step());
    QCOMPARE(settings.value(0).toInt(), 4);
    grid->setCurrentIndex(grid->model()->index(1, 0));
    clickButton(*window, "bolumsil");
    prompts->nextChoices.push_back(0); // "Kaydet"
    QVERIFY(window->close());
    QCOMPARE(loadSections(db, testName), std::vector<Section>{stored[0]});
}

// "Sınıf listesi al": a malformed list refused by its line before the class is
// asked, nothing stored; a Windows-1254 list stored; a cancel does nothing.
void tst_Tanaekr::classListImport() {
    using namespace Qt::Literals::StringLiterals;
    QTemporaryDir folder;
    const auto file = [&](const QString& name, const QByteArray& bytes) {
        QFile out(folder.filePath(name));
        return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() ? out.fileName()
                                                                                  : QString();
    };
    Database& db = TanaekrTestAccess::websoru(*window).database();
    prompts->nextFileNames = {
        file(u"bozuk.csv"_s, "No;Ad\xFD Soyad\xFD\r\n4;Ali\r\n4;Can\r\n"),
        file(u"9a.csv"_s,
             encodeCp1254Lines({u"No;Adı Soyadı"_s, u"12;Ağrı Üşüyor"_s, u"7;İpek Çığ"_s})),
        QString()};
    prompts->nextTexts = {u" 9-A "_s};
    clickButton(*window, "sinifal");
    QCOMPARE(prompts->texts(),
             QStringList{u"Sınıf listesinin 3. satırı: 4 numaralı öğrenci 2. satırda da var."_s});
    QVERIFY(classNames(db).isEmpty());
    clickButton(*window, "sinifal");
    QCOMPARE(window->statusText(), u"2 öğrenci \"9-A\" sınıfına kaydedildi."_s);
    QCOMPARE(classList(db, u"9-A"_s),
             (std::vector<ClassMember>{{u"12"_s, u"Ağrı Üşüyor"_s}, {u"7"_s, u"İpek Çığ"_s}}));
    clickButton(*window, "sinifal");
    QCOMPARE(classNames(db), QStringList{u"9-A"_s});
    prompts->shown.clear();
}

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    prepareApplication(app);
    tst_Tanaekr test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_tanaekr.moc"
