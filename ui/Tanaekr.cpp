#include "ui/Tanaekr.h"

#include "core/Settings.h"
#include "db/ProgramDatabase.h"
#include "ui/AnswerKeyGrid.h"
#include "ui/DirectoryList.h"
#include "ui/ErrorHandler.h"
#include "ui/PaletteIcon.h"
#include "ui/Prompts.h"
#include "ui/SectionGrid.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFocusEvent>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextLayout>
#include <QToolButton>

namespace {

// Client area of the window; with the frame of a usual desktop it is 833 x 591 outside.
constexpr QSize kClientSize(825, 557);
constexpr int kStatusBarHeight = 19;

QFont pixelFont(const QString& family, int pixels, bool bold) {
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QFont msSansSerif(int pixels, bool bold) {
    return pixelFont(QStringLiteral("MS Sans Serif"), pixels, bold);
}
QFont arial(int pixels, bool bold) {
    return pixelFont(QStringLiteral("Arial"), pixels, bold);
}

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

// The controls start with the defaults of a new settings record.
const Settings kDefaults;

const QString kHintTestadl = QStringLiteral(u"Soruların üst kısmında görüntülenir. Sınıf, testin "
                                            u"konusu gibi bilgileri içermesi tercih edilebilir.");
const QString kHintSorusaye = QStringLiteral(
    u"Test sorularının sayısı. Daha sonra \"Doğru cevapları gir\" seçeneğinin seçilmesi gerekir.");
const QString kHintSayfaad = QStringLiteral(u"Bu alana yazılan isime s harfi soru numaraları "
                                            u"eklenerek, otomatik soru dosyası ismi oluşturulur.");
const QString kHintSorusrenk =
    QStringLiteral(u"Soruların görüntüleneceği ekranda arka plan rengini belirler.");
const QString kHintSacikl =
    QStringLiteral(u"Soruların altında görüntülenecek açıklamanın arka plan rengini belirler.");
const QString kHintKlasor = QStringLiteral(u"Oluşturulacak web sayfalarının kaydedileceği klasör.");
const QString kHintGezyerl = QStringLiteral(
    u"Oluşturulacak sayfalarda kayıtlar arasında ileri/geri gidilmesini sağlayan düğmelerin resim "
    u"dosyalarının bulunduğu klasör.");
const QString kHintSoruac = QStringLiteral(u"Soruların altında görüntülenmek istenilen metin.");
const QString kHintSiksayl = QStringLiteral(u"Bir soru için kaç cevap şıkkı olacağını belirler.");
const QString kHintTeksayfa =
    QStringLiteral(u"Beş klasik sayfanın yanına, bugünün tarayıcılarında ve telefonlarda "
                   u"açılan tek bir sayfa da yazılır (dosya adı.html).");
const QString kHintDogrular =
    QStringLiteral(u"Tek sayfanın sonuç görünümünde her sorunun doğru cevabı da gösterilir; "
                   u"işaret kaldırılırsa öğrenci yalnız kendi cevaplarını ve toplamları görür.");
const QString kHintSure =
    QStringLiteral(u"Tek sayfada sınav süresi; 0 yazılırsa süre sınırı yoktur.");
const QString kHintYanlis =
    QStringLiteral(u"Netin hesabı: kaç yanlış cevabın bir doğru cevabı götürdüğü.");
const QString kHintKitapcik =
    QStringLiteral(u"Tek sayfanın kaç kitapçık türüyle (A, B, …) yazılacağı; her kitapçıkta "
                   u"sorular bölümlerinin içinde başka bir sırayla gelir.");
const QString kHintDir = QStringLiteral(u"Bu alanda çift tıklama yapıldığında klasör ismi "
                                        u"\"Sayfaların kaydedileceği klasör\" alanına yazılır.");

} // namespace

Tanaekr::Tanaekr(Prompts& prompts, Options options, QWidget* parent)
    : QMainWindow(parent), m_prompts(prompts), m_options(std::move(options)) {
    buildControls();
    runCommand(m_prompts, [this] { FormCreate(); });
}

Tanaekr::~Tanaekr() = default;

void Tanaekr::buildControls() {
    setObjectName(QStringLiteral("anaekr"));
    setWindowTitle(QStringLiteral(u"Dorvana - Test Hazırlama"));
    QIcon icon;
    for (const int size : {32, 64})
        icon.addFile(QStringLiteral(":/icons/org.dorvana.Dorvana-%1.png").arg(size));
    setWindowIcon(QIcon::fromTheme(QStringLiteral("org.dorvana.Dorvana"), icon));
    setFont(msSansSerif(11, false));

    auto* central = new QWidget(this);
    setCentralWidget(central);
    setFixedSize(kClientSize);

    Label2 = new QLabel(
        QStringLiteral(u"Bu program, öğrencilerine emek veren bütün öğretmenlerimize armağandır."),
        central);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(arial(17, true));
    // Tall enough for the letters' descenders; the tab pages start below it at 40.
    Label2->setGeometry(0, 0, kClientSize.width(),
                        std::max(19, QFontMetrics(Label2->font()).height() + 2));
    Label2->setAlignment(Qt::AlignCenter);
    Label2->setAutoFillBackground(true);
    {
        QPalette p = Label2->palette();
        p.setColor(QPalette::Window, QColor(0x80, 0x00, 0x80));
        p.setColor(QPalette::WindowText, Qt::white);
        Label2->setPalette(p);
    }

    sayfalar = new QTabWidget(central);
    sayfalar->setObjectName(QStringLiteral("sayfalar"));
    sayfalar->setGeometry(5, 40, 730, 400);
    sorsayfa = new QWidget;
    sorsayfa->setObjectName(QStringLiteral("sorsayfa"));
    cevsayfa = new QWidget;
    cevsayfa->setObjectName(QStringLiteral("cevsayfa"));
    sayfalar->addTab(sorsayfa, QStringLiteral(u"Soru sayfası"));
    sayfalar->addTab(cevsayfa, QStringLiteral(u"Cevap ve Sonuç Sayfası"));
    bolsayfa = new QWidget;
    bolsayfa->setObjectName(QStringLiteral("bolsayfa"));
    sayfalar->addTab(bolsayfa, QStringLiteral(u"Bölümler"));
    buildQuestionPage(sorsayfa);
    buildAnswerPage(cevsayfa);
    buildSectionsPage(bolsayfa);

    const auto commandButton = [central](const char* name, const QString& caption, QRect geometry) {
        auto* button = new QPushButton(caption, central);
        button->setObjectName(QLatin1String(name));
        button->setGeometry(geometry);
        button->setFont(arial(11, true));
        setTextColour(button, Qt::red);
        return button;
    };
    dogrugir =
        commandButton("dogrugir", QStringLiteral(u"Doğru cevapları gir"), QRect(520, 445, 110, 25));
    sayfab =
        commandButton("sayfab", QStringLiteral(u"Sayfaları oluştur "), QRect(636, 445, 95, 25));
    BitBtn7 = commandButton("BitBtn7", QStringLiteral(u"Renk ve klasör bilgilerini kaydet"),
                            QRect(520, 475, 210, 25));
    connect(dogrugir, &QPushButton::clicked, this, [this] {
        sorusayeExit();
        // Straight on to typing the key, unless the test still needs its name.
        if (liste->isVisible() && !testadl->text().isEmpty())
            liste->focusFirstKey();
    });
    connect(sayfab, &QPushButton::clicked, this, [this] { sayfabClick(); });
    connect(BitBtn7, &QPushButton::clicked, this, [this] { renkkaydet(); });

    durum = new QLabel;
    durum->setObjectName(QStringLiteral("durumPanel"));
    statusBar()->setObjectName(QStringLiteral("durum"));
    statusBar()->setSizeGripEnabled(false);
    statusBar()->setFixedHeight(kStatusBarHeight);
    statusBar()->addWidget(durum, 1);

    setTabOrders();
    m_settingsControls = SettingsControls({
        {&Settings::sorus, sorusrenk},
        {&Settings::cevaps, cevapzrl},
        {&Settings::sonucs, sonuczrl},
        {&Settings::soruac, sacikl},
        {&Settings::ace, acer},
        {&Settings::bd, ber},
        {&Settings::gezyer, gezyerl},
        {&Settings::siksay, siksayl},
        {&Settings::teksayfa, teksayfa},
        {&Settings::sure, sure},
        {&Settings::yanlis, yanlis},
        {&Settings::dogrular, dogrular},
        {&Settings::kitapcik, kitapcik},
    });
}

QLineEdit* Tanaekr::labelledEdit(QWidget* page, const char* name, const QString& labelText,
                                 const QString& text, QRect geometry, const QFont& labelFont) {
    auto* edit = new QLineEdit(text, page);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(geometry);

    auto* label = new QLabel(labelText, page);
    label->setObjectName(QLatin1String(name) + QStringLiteral("Label"));
    label->setFont(labelFont);
    setTextColour(label, Qt::red);
    label->adjustSize();
    // The label stands above its field, three pixels apart.
    label->move(geometry.left(), geometry.top() - label->height() - 3);
    label->setBuddy(edit);
    edit->setAccessibleName(labelText.trimmed());
    watch(edit);
    return edit;
}

QToolButton* Tanaekr::colourButton(QWidget* page, const char* name, QRect geometry,
                                   const char* actionName, QLineEdit* field,
                                   ColourValue startColour, const QString& accessibleName) {
    auto* action = new QAction(paletteIcon(), accessibleName, this);
    action->setObjectName(QLatin1String(actionName));
    auto* button = new QToolButton(page);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->setIconSize(QSize(16, 16));
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setAccessibleName(accessibleName);
    button->setToolTip(accessibleName);
    button->setFocusPolicy(Qt::StrongFocus);
    renkler.push_back({action, field, startColour});
    const std::size_t index = renkler.size() - 1;
    connect(action, &QAction::triggered, this, [this, index] {
        runCommand(m_prompts, [this, index] { runColourAction(renkler[index]); });
    });
    return button;
}

void Tanaekr::buildQuestionPage(QWidget* page) {
    renkler.reserve(6);
    const QFont bigLabel = arial(13, true);
    const QFont smallLabel = arial(11, true);

    testadl = labelledEdit(page, "testadl", QStringLiteral(u"Test adı:"),
                           QStringLiteral(u"2. sınıf Matematik Test - 1"), QRect(10, 20, 200, 21),
                           bigLabel);
    sorusaye = labelledEdit(page, "sorusaye", QStringLiteral(u"Soru Sayısı :"),
                            QStringLiteral("10"), QRect(10, 60, 50, 24), bigLabel);
    sorusaye->setFont(arial(13, true));
    setTextColour(sorusaye, Qt::red);

    liste = new AnswerKeyGrid(page);
    liste->setObjectName(QStringLiteral("liste"));
    liste->setGeometry(10, 100, 415, 250);
    liste->setAccessibleName(QStringLiteral(u"Doğru cevaplar"));
    liste->setVisible(false);
    liste->addPasteAction();
    connect(liste, &AnswerKeyGrid::pasteRequested, this, [this] { pasteKeysFromClipboard(false); });
    // Below the grid, shown with it.
    yapistir = new QPushButton(QStringLiteral(u"Cevapları yapıştır"), page);
    yapistir->setObjectName(QStringLiteral("yapistir"));
    yapistir->setGeometry(10, 352, 130, 20);
    yapistir->setFont(arial(11, true));
    setTextColour(yapistir, Qt::red);
    yapistir->setVisible(false);
    connect(yapistir, &QPushButton::clicked, this, [this] { pasteKeysFromClipboard(true); });

    Label1 = new QLabel(QStringLiteral(u"Soruların altında görüntülenecek açıklama"), page);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(arial(12, true));
    setTextColour(Label1, Qt::red);
    Label1->adjustSize();
    Label1->move(450, 80);
    soruac = new QPlainTextEdit(page);
    soruac->setObjectName(QStringLiteral("soruac"));
    soruac->setGeometry(450, 100, 250, 250);
    soruac->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    soruac->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    soruac->setTabChangesFocus(true);
    soruac->setAccessibleName(Label1->text());
    Label1->setBuddy(soruac);
    watch(soruac);

    sorusrenk = labelledEdit(page, "sorusrenk", QStringLiteral(u"Soru sayfası zemin rengi"),
                             kDefaults.sorus, QRect(250, 16, 121, 21), smallLabel);
    sacikl = labelledEdit(page, "sacikl", QStringLiteral(u"Sınav açıklaması zemin rengi"),
                          kDefaults.soruac, QRect(250, 56, 121, 21), smallLabel);
    BitBtn1 = colourButton(page, "BitBtn1", QRect(375, 16, 25, 25), "soruszr", sorusrenk, 0x800080,
                           QStringLiteral(u"Soru sayfası zemin rengini seç"));
    BitBtn2 = colourButton(page, "BitBtn2", QRect(375, 56, 25, 25), "sacikzr", sacikl, 0x000000,
                           QStringLiteral(u"Sınav açıklaması zemin rengini seç"));

    klasor = labelledEdit(page, "klasor", QStringLiteral(u"Sayfaların kaydedileceği klasör"),
                          QString(), QRect(420, 16, 170, 21), msSansSerif(11, true));
    dir = new DirectoryList(page);
    dir->setObjectName(QStringLiteral("dir"));
    dir->setGeometry(600, 0, 120, 75);
    dir->setAccessibleName(QStringLiteral(u"Klasörler"));
    dir->setFont(msSansSerif(11, false));
    connect(dir, &DirectoryList::folderChanged, this,
            [this] { runCommand(m_prompts, [this] { dirChange(); }); });
    connect(dir, &DirectoryList::itemClicked, this,
            [this] { runCommand(m_prompts, [this] { dirChange(); }); });
    connect(dir, &DirectoryList::mousePressed, this,
            [this] { runCommand(m_prompts, [this] { dirMouseDown(); }); });
    watch(dir);

    sayfaad = labelledEdit(page, "sayfaad", QStringLiteral(u"Dosya adı: "),
                           QStringLiteral("test01"), QRect(140, 63, 70, 21), msSansSerif(11, true));
    gezyerl = labelledEdit(page, "gezyerl", QStringLiteral(u"Gezinti düğmelerinin bulunduğu yer"),
                           QString(), QRect(420, 55, 170, 21), msSansSerif(11, false));

    // Below the explanation box, flush with its right edge: the class list, and
    // left of it the paper form of the test generated last under "Dosya adı".
    sinifal = new QPushButton(QStringLiteral(u"Sınıf listesi al"), page);
    sinifal->setObjectName(QStringLiteral("sinifal"));
    sinifal->setGeometry(580, 352, 120, 20);
    sinifal->setFont(arial(11, true));
    setTextColour(sinifal, Qt::red);
    connect(sinifal, &QPushButton::clicked, this, [this] { sinifalClick(); });
    optikform = new QPushButton(QStringLiteral(u"Optik form"), page);
    optikform->setObjectName(QStringLiteral("optikform"));
    optikform->setGeometry(455, 352, 120, 20);
    optikform->setFont(arial(11, true));
    setTextColour(optikform, Qt::red);
    connect(optikform, &QPushButton::clicked, this, [this] { optikformClick(); });
    kisiyeozel = new QPushButton(QStringLiteral(u"Kişiye özel formlar"), page);
    kisiyeozel->setObjectName(QStringLiteral("kisiyeozel"));
    kisiyeozel->setGeometry(290, 352, 160, 20);
    kisiyeozel->setFont(arial(11, true));
    setTextColour(kisiyeozel, Qt::red);
    connect(kisiyeozel, &QPushButton::clicked, this, [this] { kisiyeozelClick(); });
}

void Tanaekr::buildAnswerPage(QWidget* page) {
    const QFont labelFont = arial(11, true);
    cevapzrl = labelledEdit(page, "cevapzrl", QStringLiteral(u"Cevap sayfası zemin rengi"),
                            kDefaults.cevaps, QRect(20, 20, 121, 21), labelFont);
    BitBtn3 = colourButton(page, "BitBtn3", QRect(150, 16, 25, 25), "cevapszr", cevapzrl, 0,
                           QStringLiteral(u"Cevap sayfası zemin rengini seç"));
    acer = labelledEdit(page, "acer", QStringLiteral(u"A-C-D sütunları zemin rengi"), kDefaults.ace,
                        QRect(20, 60, 121, 21), labelFont);
    ber = labelledEdit(page, "ber", QStringLiteral(u"B-E sütunları zemin rengi"), kDefaults.bd,
                       QRect(20, 100, 121, 21), labelFont);
    BitBtn4 = colourButton(page, "BitBtn4", QRect(150, 56, 25, 25), "acezr", acer, 0,
                           QStringLiteral(u"A, C ve E sütunlarının zemin rengini seç"));
    BitBtn5 = colourButton(page, "BitBtn5", QRect(150, 96, 25, 25), "bdzr", ber, 0,
                           QStringLiteral(u"B ve D sütunlarının zemin rengini seç"));
    BitBtn6 = colourButton(page, "BitBtn6", QRect(150, 140, 25, 25), "sonucszr", nullptr, 0,
                           QStringLiteral(u"Sonuç sayfası zemin rengini seç"));
    sonuczrl = labelledEdit(page, "sonuczrl", QStringLiteral(u"Sonuç sayfası zemin rengi"),
                            kDefaults.sonucs, QRect(20, 140, 121, 21), labelFont);
    renkler.back().field = sonuczrl;
    siksayl = labelledEdit(page, "siksayl", QStringLiteral(u"Cevap şıkkı sayısı"), QString(),
                           QRect(20, 180, 20, 21), labelFont);

    // The page for today's browsers and the scoring rule both kinds of page use.
    teksayfa = new QCheckBox(QStringLiteral(u"Güncel tarayıcılar için tek sayfa oluştur"), page);
    teksayfa->setObjectName(QStringLiteral("teksayfa"));
    teksayfa->setGeometry(260, 20, 300, 21);
    teksayfa->setFont(labelFont);
    teksayfa->setChecked(kDefaults.teksayfa);
    setTextColour(teksayfa, Qt::red);
    watch(teksayfa);
    sure = labelledEdit(page, "sure", QStringLiteral(u"Süre (dakika)"),
                        QString::number(kDefaults.sure), QRect(260, 80, 50, 21), labelFont);
    dogrular = new QCheckBox(QStringLiteral(u"Sonuçta doğru cevapları göster"), page);
    dogrular->setObjectName(QStringLiteral("dogrular"));
    dogrular->setGeometry(330, 80, 260, 21);
    dogrular->setFont(labelFont);
    dogrular->setChecked(kDefaults.dogrular);
    setTextColour(dogrular, Qt::red);
    watch(dogrular);
    yanlis = new QComboBox(page);
    yanlis->setObjectName(QStringLiteral("yanlis"));
    yanlis->setGeometry(260, 140, 120, 22);
    yanlis->addItem(QStringLiteral("3"), 3);
    yanlis->addItem(QStringLiteral("4"), 4);
    yanlis->addItem(QStringLiteral(u"Götürmez"), 0);
    auto* yanlisLabel = new QLabel(QStringLiteral(u"Kaç yanlış bir doğruyu götürür"), page);
    yanlisLabel->setObjectName(QStringLiteral("yanlisLabel"));
    yanlisLabel->setFont(labelFont);
    setTextColour(yanlisLabel, Qt::red);
    yanlisLabel->adjustSize();
    yanlisLabel->move(260, 140 - yanlisLabel->height() - 3);
    yanlisLabel->setBuddy(yanlis);
    yanlis->setAccessibleName(yanlisLabel->text());
    watch(yanlis);

    // A command of the whole window, in the row of command buttons below the tabs,
    // left of "Doğru cevapları gir"; the tab order reaches it just before them.
    sonucoku = new QPushButton(QStringLiteral(u"Sonuçları oku"), centralWidget());
    sonucoku->setObjectName(QStringLiteral("sonucoku"));
    sonucoku->setGeometry(404, 445, 110, 25);
    sonucoku->setFont(arial(11, true));
    setTextColour(sonucoku, Qt::red);
    connect(sonucoku, &QPushButton::clicked, this, [this] { sonucokuClick(); });

    // Beside it: the same test served to the pupils' browsers over the school's network.
    canlisinav = new QPushButton(QStringLiteral(u"Canlı sınav"), centralWidget());
    canlisinav->setObjectName(QStringLiteral("canlisinav"));
    canlisinav->setGeometry(288, 445, 110, 25);
    canlisinav->setFont(arial(11, true));
    setTextColour(canlisinav, Qt::red);
    connect(canlisinav, &QPushButton::clicked, this, [this] { canliSinavClick(); });
}

void Tanaekr::buildSectionsPage(QWidget* page) {
    const QFont labelFont = arial(11, true);
    const auto labelAbove = [&](QWidget* buddy, const char* name, const QString& text) {
        auto* label = new QLabel(text, page);
        label->setObjectName(QLatin1String(name));
        label->setFont(labelFont);
        setTextColour(label, Qt::red);
        label->adjustSize();
        label->move(buddy->x(), buddy->y() - label->height() - 3);
        label->setBuddy(buddy);
        buddy->setAccessibleName(text);
    };
    bolumler = new SectionGrid(page);
    bolumler->setObjectName(QStringLiteral("bolumler"));
    bolumler->setGeometry(10, 30, 390, 290);
    labelAbove(bolumler, "bolumlerLabel", QStringLiteral(u"Bölüm listesi"));
    // No hint on entering the grid: its focus comes back from every cell
    // editor and would cover the status bar's reason for a refused character.
    bolumler->setToolTip(QStringLiteral(u"Testin bölümleri (Türkçe 1-40 gibi); her bölümün neti "
                                        u"ayrıca hesaplanır. Bölümler test adıyla saklanır."));
    connect(bolumler, &SectionGrid::entryRefused, this,
            [this](const QString& why) { showHint(why); });

    const auto pageButton = [&](const char* name, const QString& caption, QRect geometry) {
        auto* button = new QPushButton(caption, page);
        button->setObjectName(QLatin1String(name));
        button->setGeometry(geometry);
        button->setFont(labelFont);
        setTextColour(button, Qt::red);
        return button;
    };
    bolumekle = pageButton("bolumekle", QStringLiteral(u"Bölüm ekle"), QRect(10, 325, 100, 22));
    bolumsil = pageButton("bolumsil", QStringLiteral(u"Bölümü sil"), QRect(115, 325, 100, 22));
    connect(bolumekle, &QPushButton::clicked, this, [this] {
        runCommand(m_prompts, [this] {
            bolumler->addSection(sorusaye->text().toInt()); // 0 when not a number yet
        });
    });
    connect(bolumsil, &QPushButton::clicked, this,
            [this] { runCommand(m_prompts, [this] { bolumler->removeCurrentSection(); }); });

    kitapcik = new QComboBox(page);
    kitapcik->setObjectName(QStringLiteral("kitapcik"));
    kitapcik->setGeometry(450, 30, 80, 22);
    for (const int count : {1, 2, 4})
        kitapcik->addItem(QString::number(count), count);
    labelAbove(kitapcik, "kitapcikLabel", QStringLiteral(u"Kitapçık sayısı"));
    watch(kitapcik);

    // The grid is stored when its page is left and follows the test name when
    // the page is entered (rows refused before are not offered again then). The
    // change of page may come inside a focus change, so a refusal is shown after it.
    connect(sayfalar, &QTabWidget::currentChanged, this, [this](int index) {
        if (sayfalar->widget(index) == bolsayfa && m_sectionsTestName == testadl->text())
            return;
        runCommandReportingLater(m_prompts, this, [this] { syncSections(); });
    });
}

void Tanaekr::setTabOrders() {
    const QList<QWidget*> questionPage{testadl, sorusaye,   liste,     yapistir, soruac, sorusrenk,
                                       sacikl,  BitBtn1,    BitBtn2,   klasor,   dir,    sayfaad,
                                       gezyerl, kisiyeozel, optikform, sinifal};
    const QList<QWidget*> answerPage{cevapzrl, BitBtn3,  acer,     ber,        BitBtn4,
                                     BitBtn5,  BitBtn6,  sonuczrl, siksayl,    teksayfa,
                                     sure,     dogrular, yanlis,   canlisinav, sonucoku};
    const QList<QWidget*> sectionsPage{bolumler, bolumekle, bolumsil, kitapcik};
    const QList<QWidget*> buttons{dogrugir, sayfab, BitBtn7};
    QList<QWidget*> chain = questionPage + answerPage + sectionsPage + buttons;
    chain.prepend(sayfalar);
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

void Tanaekr::watch(QWidget* field) {
    field->installEventFilter(this);
}

bool Tanaekr::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && event->type() == QEvent::FocusIn) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Coming back to the window is not entering the field again.
        const bool returning =
            (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) &&
            widget == m_activeField;
        if (!returning) {
            m_activeField = widget;
            runCommand(m_prompts, [this, widget] { fieldEntered(widget); });
        }
    } else if (widget && event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            runCommand(m_prompts, [this, widget] { fieldLeft(widget); });
    }
    return QMainWindow::eventFilter(watched, event);
}

void Tanaekr::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        runCommand(m_prompts, [this] { FormShow(); });
    }
}

QString Tanaekr::statusText() const {
    return durum->text();
}

void Tanaekr::showHint(const QString& hint) {
    durum->setText(hint);
}

void Tanaekr::fieldEntered(QWidget* field) {
    if (field == testadl)
        showHint(kHintTestadl); // testadlEnter
    else if (field == sorusaye)
        showHint(kHintSorusaye); // sorusayeEnter
    else if (field == sayfaad)
        showHint(kHintSayfaad); // sayfaadEnter
    else if (field == sorusrenk)
        showHint(kHintSorusrenk); // sorusrenkEnter
    else if (field == sacikl)
        showHint(kHintSacikl); // saciklEnter
    else if (field == klasor)
        showHint(kHintKlasor); // klasorEnter
    else if (field == gezyerl)
        showHint(kHintGezyerl); // gezyerlEnter
    else if (field == soruac)
        showHint(kHintSoruac); // soruacEnter
    else if (field == siksayl)
        showHint(kHintSiksayl); // siksaylEnter
    else if (field == teksayfa)
        showHint(kHintTeksayfa);
    else if (field == sure)
        showHint(kHintSure);
    else if (field == dogrular)
        showHint(kHintDogrular);
    else if (field == yanlis)
        showHint(kHintYanlis);
    else if (field == kitapcik)
        showHint(kHintKitapcik);
    else if (field == dir)
        dirChange();
    // The other fields of the answer page have no hint and leave the status text as it is.
}

void Tanaekr::fieldLeft(QWidget* field) {
    if (field == gezyerl)
        gezyerlExit();
}

void Tanaekr::dirChange() {
    showHint(kHintDir);
    klasor->setText(QDir::toNativeSeparators(dir->currentFolder()));
}

void Tanaekr::dirMouseDown() {
    klasor->setText(QDir::toNativeSeparators(dir->currentFolder()));
}

void Tanaekr::gezyerlExit() {
    const QString text = gezyerl->text();
    if (!text.isEmpty() && !text.endsWith(u'\\') && !text.endsWith(u'/'))
        gezyerl->setText(text + QDir::separator());
}

void Tanaekr::runColourAction(ColourAction& colourAction) {
    // Cancelling leaves the field as it was; accepting writes the chosen colour once.
    const std::optional<ColourValue> chosen = m_prompts.chooseColour(colourAction.dialogColour);
    if (!chosen)
        return;
    colourAction.dialogColour = *chosen;
    colourAction.field->setText(DCOLOR_HEXCOLOR(*chosen));
}

QStringList Tanaekr::explanationLines() const {
    const QString text = soruac->toPlainText();
    if (text.isEmpty())
        return {};
    QStringList paragraphs = text.split(u'\n');
    if (paragraphs.size() > 1 && paragraphs.constLast().isEmpty())
        paragraphs.removeLast(); // a final line break adds no line

    // The width the box wraps at: its viewport less the document's margins.
    const int viewportWidth =
        soruac->isVisible()
            ? soruac->viewport()->width()
            : soruac->contentsRect().width() - soruac->verticalScrollBar()->sizeHint().width();
    const qreal wrapWidth = viewportWidth - 2 * soruac->document()->documentMargin();

    QTextOption option = soruac->document()->defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    QStringList lines;
    for (const QString& paragraph : std::as_const(paragraphs)) {
        if (paragraph.isEmpty()) {
            lines << QString();
            continue;
        }
        QTextLayout layout(paragraph, soruac->font());
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(wrapWidth);
            lines << paragraph.mid(line.textStart(), line.textLength());
        }
        layout.endLayout();
    }
    return lines;
}
