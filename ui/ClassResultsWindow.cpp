#include "ui/ClassResultsWindow.h"

#include "core/AppError.h"
#include "db/Database.h"
#include "db/ResultStore.h"
#include "results/CsvExport.h"
#include "results/PupilName.h"
#include "results/ResultText.h"
#include "results/Scoring.h"
#include "run/FormResults.h"
#include "run/FormReview.h"
#include "ui/ClassReport.h"
#include "ui/ErrorHandler.h"
#include "ui/FormReviewDialog.h"
#include "ui/Prompts.h"

#include <QAction>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QSaveFile>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <QValueAxis>
#include <map>

namespace {

const QString kCaption = QStringLiteral("Sınıf sonuçları");
constexpr int kListedRefusals = 40;             // more than this would not fit a message box
constexpr int kRowIndexRole = Qt::UserRole + 1; // the row's index into the window's rows

// A cell shown as `text` and sorted by `sortValue` (numbers as numbers).
QStandardItem* cellItem(const QString& text, const QVariant& sortValue, bool number) {
    auto* item = new QStandardItem(text);
    item->setData(sortValue, Qt::UserRole);
    item->setEditable(false);
    if (number)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

QTableView* makeTable(QStandardItemModel* model, QSortFilterProxyModel* sorted, const QString& name,
                      QWidget* parent) {
    sorted->setSourceModel(model);
    sorted->setSortRole(Qt::UserRole);
    sorted->setSortLocaleAware(true);
    auto* view = new QTableView(parent);
    view->setObjectName(name);
    view->setModel(sorted);
    view->setSortingEnabled(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->verticalHeader()->hide();
    return view;
}

QPushButton* makeButton(const QString& text, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}

QChart* histogramChart(const std::vector<HistogramBin>& bins) {
    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("Netlerin dağılımı"));
    chart->legend()->hide();
    chart->setAnimationOptions(QChart::NoAnimation);
    auto* set = new QBarSet(QStringLiteral("Öğrenci"));
    QStringList labels;
    int highest = 0;
    for (const HistogramBin& bin : bins) {
        *set << bin.pupils;
        highest = std::max(highest, bin.pupils);
        // A bin one net wide is named by its lower end ("4" holds 4 to under 5).
        labels << (bin.to - bin.from == 1
                       ? decimalText(bin.from, 0)
                       : decimalText(bin.from, 0) + QStringLiteral("–") + decimalText(bin.to, 0));
    }
    auto* series = new QBarSeries;
    series->append(set);
    series->setBarWidth(0.95);
    chart->addSeries(series);
    auto* x = new QBarCategoryAxis;
    x->append(labels);
    x->setTitleText(QStringLiteral("Net"));
    chart->addAxis(x, Qt::AlignBottom);
    series->attachAxis(x);
    auto* y = new QValueAxis;
    y->setRange(0, std::max(1, highest));
    y->setTickCount(std::min(std::max(1, highest), 10) + 1);
    y->setLabelFormat(QStringLiteral("%d"));
    y->setTitleText(QStringLiteral("Öğrenci"));
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(y);
    return chart;
}

} // namespace

ClassResultsWindow::ClassResultsWindow(Prompts& prompts, std::shared_ptr<Database> db,
                                       QWidget* parent)
    : QWidget(parent, Qt::Window), m_prompts(prompts), m_db(std::move(db)) {
    setObjectName(QStringLiteral("sinifsonuclari"));
    setWindowTitle(kCaption);
    setAcceptDrops(true);
    resize(960, 680);
    m_choosePrinter = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, this);
        return dialog.exec() == QDialog::Accepted;
    };
    m_runReview = [](FormReviewDialog& dialog) { return dialog.exec() == QDialog::Accepted; };

    auto* top = new QHBoxLayout;
    auto* testLabel = new QLabel(QStringLiteral("Test:"), this);
    m_tests = new QComboBox(this);
    m_tests->setObjectName(QStringLiteral("testler"));
    m_tests->setMinimumContentsLength(30);
    m_tests->setToolTip(QStringLiteral("Sonuçları okunmuş testler, en yeni oluşturulan başta"));
    testLabel->setBuddy(m_tests);
    auto* addFilesButton =
        makeButton(QStringLiteral("Dosya ekle"), QStringLiteral("dosyaekle"), this);
    addFilesButton->setToolTip(QStringLiteral("Öğrencilerin .dvsonuc dosyalarını ekler (dosyaları "
                                              "bu pencereye sürükleyip bırakabilirsiniz de)"));
    auto* formsButton =
        makeButton(QStringLiteral("Optik formları oku"), QStringLiteral("optikform"), this);
    formsButton->setToolTip(QStringLiteral("Taranmış ya da fotoğrafı çekilmiş optik formları "
                                           "okur; kaydetmeden önce belirsiz satırları gösterir"));
    auto* pasteButton =
        makeButton(QStringLiteral("Kod yapıştır"), QStringLiteral("kodyapistir"), this);
    auto* csvButton =
        makeButton(QStringLiteral("CSV olarak kaydet"), QStringLiteral("csvkaydet"), this);
    auto* printButton = makeButton(QStringLiteral("Yazdır"), QStringLiteral("yazdir"), this);
    m_deleteButton =
        makeButton(QStringLiteral("Seçileni sil"), QStringLiteral("secilenisil"), this);
    m_deleteButton->setToolTip(QStringLiteral("Sınıf listesinde seçilen sonuçları veritabanından "
                                              "siler (Delete tuşu da siler)"));
    top->addWidget(testLabel);
    top->addWidget(m_tests, 1);
    top->addWidget(addFilesButton);
    top->addWidget(pasteButton);
    top->addWidget(formsButton);
    top->addWidget(csvButton);
    top->addWidget(printButton);
    top->addWidget(m_deleteButton);

    m_classModel = new QStandardItemModel(0, 8, this);
    setClassHeader();
    m_classSorted = new QSortFilterProxyModel(this);
    m_classView = makeTable(m_classModel, m_classSorted, QStringLiteral("sinif"), this);
    m_classView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_classView->setToolTip(QStringLiteral("Çift tıklayın ya da Enter'a basın: öğrencinin her "
                                           "soruya verdiği cevap"));
    auto* answersAction = new QAction(QStringLiteral("Cevapları göster"), m_classView);
    answersAction->setObjectName(QStringLiteral("cevaplarigoster"));
    auto* deleteAction = new QAction(QStringLiteral("Seçileni sil"), m_classView);
    deleteAction->setObjectName(QStringLiteral("secilenisilAction"));
    deleteAction->setShortcut(QKeySequence::Delete);
    deleteAction->setShortcutContext(Qt::WidgetShortcut);
    m_classView->addAction(answersAction);
    m_classView->addAction(deleteAction);
    m_classView->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_classView->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_classView->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);

    m_summaryLabel = new QLabel(this);
    m_summaryLabel->setObjectName(QStringLiteral("ozet"));
    m_summaryLabel->setWordWrap(true);
    m_summaryLabel->setToolTip(
        QStringLiteral("Standart sapma sınıfın tamamı için hesaplanır (kareler toplamı öğrenci "
                       "sayısına bölünür). Ortanca: netler sıralandığında ortadaki değer, çift "
                       "sayıda öğrencide ortadaki ikisinin ortalaması."));

    m_chartView = new QChartView(this);
    m_chartView->setObjectName(QStringLiteral("histogram"));
    m_chartView->setRenderHint(QPainter::Antialiasing);
    m_chartView->setMinimumWidth(320);

    auto* classPage = new QWidget(this);
    auto* classLayout = new QVBoxLayout(classPage);
    auto* split = new QSplitter(Qt::Horizontal, classPage);
    split->addWidget(m_classView);
    split->addWidget(m_chartView);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    classLayout->addWidget(split, 1);
    classLayout->addWidget(m_summaryLabel);

    m_itemModel = new QStandardItemModel(this);
    m_itemSorted = new QSortFilterProxyModel(this);
    m_itemView = makeTable(m_itemModel, m_itemSorted, QStringLiteral("madde"), this);

    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("sekmeler"));
    tabs->addTab(classPage, QStringLiteral("Sınıf"));
    tabs->addTab(m_itemView, QStringLiteral("Madde analizi"));

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("durum"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(tabs, 1);
    layout->addWidget(m_status);

    connect(addFilesButton, &QPushButton::clicked, this,
            [this] { runCommand(m_prompts, [this] { dosyaEkleClick(); }); });
    connect(formsButton, &QPushButton::clicked, this,
            [this] { runCommand(m_prompts, [this] { optikFormClick(); }); });
    connect(pasteButton, &QPushButton::clicked, this,
            [this] { runCommand(m_prompts, [this] { kodYapistirClick(); }); });
    connect(csvButton, &QPushButton::clicked, this,
            [this] { runCommand(m_prompts, [this] { csvKaydetClick(); }); });
    connect(printButton, &QPushButton::clicked, this,
            [this] { runCommand(m_prompts, [this] { yazdirClick(); }); });
    connect(m_deleteButton, &QPushButton::clicked, this,
            [this] { runCommand(m_prompts, [this] { secileniSilClick(); }); });
    connect(deleteAction, &QAction::triggered, this,
            [this] { runCommand(m_prompts, [this] { secileniSilClick(); }); });
    const auto showCurrent = [this] {
        runCommand(m_prompts, [this] {
            const QModelIndex current = m_classView->currentIndex();
            if (current.isValid())
                showPupilAnswers(current.siblingAtColumn(0).data(kRowIndexRole).toULongLong());
        });
    };
    connect(m_classView, &QAbstractItemView::activated, this, showCurrent);
    connect(answersAction, &QAction::triggered, this, showCurrent);
    connect(m_classView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { m_deleteButton->setEnabled(!selectedRows().empty()); });
    connect(m_tests, &QComboBox::currentIndexChanged, this,
            [this] { runCommand(m_prompts, [this] { showChosenTest(); }); });

    runCommand(m_prompts, [this] { refreshTests(QString()); });
}

ClassResultsWindow::~ClassResultsWindow() = default;

// The batch is read, checked and stored below the window; the window shows what came of it.
ResultBatch ClassResultsWindow::addBatch(int count, const ResultReader& read) {
    return showBatch(storeResults(*m_db, count, read));
}

ResultBatch ClassResultsWindow::showBatch(ResultBatch outcome) {
    const QString lastStored = outcome.lastStoredTest;
    refreshTests(lastStored.isEmpty() && m_test ? m_test->identity : lastStored);
    if (reportBatch(outcome)) {
        const int added = storeAnyway(*m_db, outcome.refused);
        outcome.stored += added;
        std::erase_if(outcome.refused,
                      [](const RefusedResult& r) { return r.likelyRepeat.has_value(); });
        refreshTests(m_test ? m_test->identity : QString());
        m_status->setText(QStringLiteral("%1 sonuç eklendi (%2 tanesi tekrar olabileceği hâlde).")
                              .arg(outcome.stored)
                              .arg(added));
    }
    return outcome;
}

ResultBatch ClassResultsWindow::addFiles(const QStringList& paths) {
    return addBatch(int(paths.size()), [&](int i, QString& what) {
        what = QFileInfo(paths[i]).fileName();
        return readResultFile(paths[i]);
    });
}

ResultBatch ClassResultsWindow::addCodes(const QString& pasted) {
    const std::vector<PastedCode> codes = splitPastedCodes(pasted);
    return addBatch(int(codes.size()), [&](int i, QString& what) {
        what = QStringLiteral("Kod (satır %1)").arg(codes[std::size_t(i)].line);
        return parseResultCode(codes[std::size_t(i)].text);
    });
}

bool ClassResultsWindow::reportBatch(const ResultBatch& outcome) {
    if (outcome.stored == 0 && outcome.refused.empty())
        return false;
    const QString added = QStringLiteral("%1 sonuç eklendi.").arg(outcome.stored);
    m_status->setText(added);
    if (outcome.refused.empty())
        return false;
    QString text = added + QStringLiteral("\nŞu sonuçlar alınmadı:\n");
    const int listed = std::min(int(outcome.refused.size()), kListedRefusals);
    for (int i = 0; i < listed; ++i) {
        const RefusedResult& r = outcome.refused[std::size_t(i)];
        text += QStringLiteral("\n• ") + r.what + QStringLiteral(": ") + r.reason;
    }
    if (int(outcome.refused.size()) > listed)
        text += QStringLiteral("\n… ve %1 sonuç daha.").arg(int(outcome.refused.size()) - listed);
    const auto repeats =
        std::count_if(outcome.refused.begin(), outcome.refused.end(),
                      [](const RefusedResult& r) { return r.likelyRepeat.has_value(); });
    if (repeats == 0) {
        m_prompts.message(outcome.stored > 0 ? Prompts::Kind::Information : Prompts::Kind::Error,
                          kCaption, text);
        return false;
    }
    // The teacher knows whether a pupil really took the test twice.
    text += QStringLiteral("\n\nTekrar olabilecek %1 sonucu yine de eklemek için \"Yine de "
                           "ekle\" düğmesine basın; istatistiklerde her öğrencinin yalnız son "
                           "eklenen sonucu sayılır.")
                .arg(repeats);
    return m_prompts.messageWithAction(kCaption, text, QStringLiteral("Yine de ekle"));
}

void ClassResultsWindow::dosyaEkleClick() {
    const QStringList paths = m_prompts.openFileNames(QStringLiteral("Sonuç dosyaları"),
                                                      QStringLiteral("*.dvsonuc"), m_outputFolder);
    if (!paths.isEmpty())
        addFiles(paths);
}

void ClassResultsWindow::optikFormClick() {
    const QStringList paths = m_prompts.openFileNames(
        QStringLiteral("Optik formlar (görüntü ya da PDF)"),
        QStringLiteral("*.png *.jpg *.jpeg *.tif *.tiff *.pdf"), m_outputFolder);
    if (!paths.isEmpty())
        readForms(paths);
}

ResultBatch ClassResultsWindow::readForms(const QStringList& paths) {
    QProgressDialog progress(QStringLiteral("Optik formlar okunuyor…"), QStringLiteral("Vazgeç"), 0,
                             0, this);
    progress.setObjectName(QStringLiteral("okumailerlemesi"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoReset(false);
    std::vector<ReadSheet> sheets =
        readFormsForDatabase(*m_db, paths, [&progress](int done, int known) {
            progress.setMaximum(known);
            progress.setValue(done); // a modal progress dialog lets its events through
            return !progress.wasCanceled();
        });
    const bool cancelled = progress.wasCanceled();
    progress.close();
    if (cancelled) {
        m_status->setText(QStringLiteral("Okuma durduruldu; hiçbir sonuç eklenmedi."));
        return {};
    }
    return reviewAndStore(std::move(sheets));
}

ResultBatch ClassResultsWindow::reviewAndStore(std::vector<ReadSheet> sheets) {
    FormReview review(std::move(sheets), listedPupils(*m_db));
    if (std::all_of(review.sheets().begin(), review.sheets().end(),
                    [](const ReadSheet& sheet) { return !sheet.refused.isEmpty(); })) {
        m_prompts.message(Prompts::Kind::Error, kCaption,
                          QStringLiteral("Hiçbir form okunamadı.\n") + review.summary());
        return {};
    }
    FormReviewDialog dialog(review, this);
    if (!m_runReview(dialog)) {
        m_status->setText(QStringLiteral("Okunan formlar kaydedilmedi."));
        return {};
    }
    return showBatch(review.store(*m_db));
}

void ClassResultsWindow::kodYapistirClick() {
    auto* dialog = new QDialog(this);
    dialog->setObjectName(QStringLiteral("kodpenceresi"));
    dialog->setWindowTitle(QStringLiteral("Kod yapıştır"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto* label = new QLabel(
        QStringLiteral("Öğrencilerin sonuç kodlarını yapıştırın, her satıra bir kod:"), dialog);
    auto* box = new QPlainTextEdit(dialog);
    box->setObjectName(QStringLiteral("kodlar"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Ekle"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Vazgeç"));
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(label);
    layout->addWidget(box, 1);
    layout->addWidget(buttons);
    dialog->resize(520, 320);
    connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    connect(dialog, &QDialog::accepted, this, [this, box] {
        const QString pasted = box->toPlainText();
        runCommand(m_prompts, [this, pasted] { addCodes(pasted); });
    });
    dialog->open(); // window-modal without a nested loop
}

void ClassResultsWindow::csvKaydetClick() {
    if (!m_test)
        return;
    const QString path =
        m_prompts.saveFileName(QStringLiteral("CSV dosyası"), QStringLiteral("*.csv"),
                               m_test->stem + QStringLiteral("-sonuclar.csv"), m_outputFolder);
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(classResultsCsv(*m_test, m_rows, m_summary, m_items)) < 0 || !file.commit())
        throw AppError(
            QStringLiteral("\"%1\" dosyası yazılamadı (%2)").arg(path, file.errorString()));
    m_status->setText(QStringLiteral("Sonuçlar \"%1\" dosyasına kaydedildi.").arg(path));
}

void ClassResultsWindow::yazdirClick() {
    if (!m_test)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(kCaption + QStringLiteral(" - ") + m_test->name);
    if (!m_choosePrinter(printer))
        return;
    printClassReport({*m_test, rowsAsShown(), m_summary, m_items, histogramImage()}, printer);
    if (printer.printerState() == QPrinter::Error)
        throw AppError(QStringLiteral("Rapor yazdırılamadı"));
}

void ClassResultsWindow::showTest(const QString& identity) {
    const int index = m_tests->findData(identity.toLower());
    if (index >= 0)
        m_tests->setCurrentIndex(index);
}

void ClassResultsWindow::refreshTests(const QString& identityToShow) {
    const std::vector<GeneratedTest> tests = testsWithResults(*m_db);
    {
        const QSignalBlocker blocker(m_tests);
        m_tests->clear();
        for (const GeneratedTest& test : tests)
            m_tests->addItem(
                QStringLiteral("%1 (%2, %3)")
                    .arg(test.name, test.stem,
                         test.generatedAt.toString(QStringLiteral("dd.MM.yyyy HH:mm"))),
                test.identity);
        const int index = m_tests->findData(identityToShow.toLower());
        m_tests->setCurrentIndex(index >= 0 ? index : 0);
    }
    if (tests.empty())
        m_status->setText(QStringLiteral("Henüz sonuç yok: \"Dosya ekle\" ya da \"Kod yapıştır\" "
                                         "ile öğrencilerin sonuçlarını ekleyin."));
    showChosenTest();
}

void ClassResultsWindow::showChosenTest() {
    const QString identity = m_tests->currentData().toString();
    m_test = identity.isEmpty() ? std::nullopt : findTest(*m_db, identity);
    m_results = m_test ? resultsOf(*m_db, identity) : std::vector<PupilResult>{};
    m_rows = m_test ? classRows(*m_test, m_results) : std::vector<PupilRow>{};
    m_counted = onePerPupil(m_rows);
    m_summary = summarize(m_counted);
    m_items = m_test ? analyseItems(*m_test, m_counted) : ItemAnalysis{};
    fillClassTable();
    fillItemTable();
    fillHistogram();
    for (const char* name : {"csvkaydet", "yazdir"})
        findChild<QPushButton*>(QLatin1String(name))->setEnabled(m_test.has_value());
    m_deleteButton->setEnabled(false); // until a row is chosen
}

// The columns of the chosen test: its booklet and sections' columns after the net.
void ClassResultsWindow::setClassHeader() {
    const QStringList extra = m_test ? sectionColumnTitles(*m_test) : QStringList();
    m_classModel->setColumnCount(8 + int(extra.size()));
    m_classModel->setHorizontalHeaderLabels(
        QStringList{QStringLiteral("Ad"), QStringLiteral("Doğru"), QStringLiteral("Yanlış"),
                    QStringLiteral("Boş"), QStringLiteral("Net")} +
        extra + QStringList{minutesTitle(), QStringLiteral("Deneme"), QStringLiteral("Başlama")});
    m_classModel->horizontalHeaderItem(m_classModel->columnCount() - 1)
        ->setToolTip(QStringLiteral("Öğrencinin teste başladığı an, kendi cihazının saatine göre"));
}

void ClassResultsWindow::fillClassTable() {
    m_classModel->removeRows(0, m_classModel->rowCount());
    setClassHeader();
    const std::vector<int> sameName = sameNameCounts(m_rows);
    const std::vector<bool> counted = countedRows(m_rows);
    const QBrush repeatBrush(QColor(0xFF, 0xF2, 0xC4));
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const PupilRow& row = m_rows[i];
        // A pupil's earlier results stay listed, marked, so the teacher can remove them.
        QStandardItem* name = cellItem(
            shownName(row.name) + (counted[i] ? QString() : QStringLiteral(" (tekrar, sayılmadı)")),
            row.name, false);
        name->setData(qulonglong(i), kRowIndexRole);
        if (row.name.trimmed().isEmpty()) {
            QFont italic = name->font();
            italic.setItalic(true);
            name->setFont(italic);
        }
        const QString start = m_results[i].start;
        QList<QStandardItem*> cells{
            name, cellItem(QString::number(row.score.correct), row.score.correct, true),
            cellItem(QString::number(row.score.wrong), row.score.wrong, true),
            cellItem(QString::number(row.score.blank), row.score.blank, true),
            cellItem(decimalText(row.score.net), row.score.net, true)};
        if (showsBooklet(*m_test))
            cells << cellItem(row.booklet, row.booklet, false);
        for (const Score& section : row.sections)
            cells << cellItem(decimalText(section.net), section.net, true);
        if (hasWeights(m_test->sections))
            cells << cellItem(decimalText(row.weighted), row.weighted, true);
        cells << cellItem(minutesText(row.seconds), row.seconds, true)
              << cellItem(QString::number(row.attempt), row.attempt, true)
              << cellItem(QDateTime::fromString(start, Qt::ISODate)
                              .toString(QStringLiteral("dd.MM.yyyy HH:mm")),
                          start, false);
        if (sameName[i] > 1) {
            for (QStandardItem* cell : cells) {
                cell->setBackground(repeatBrush);
                cell->setToolTip(QStringLiteral("Bu öğrencinin %1 sonucu var; istatistiklerde "
                                                "yalnız son eklenen sayılır.")
                                     .arg(sameName[i]));
            }
        }
        m_classModel->appendRow(cells);
    }
    m_classSorted->sort(-1); // the order the results were added, until a header is clicked
    m_classView->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    const ClassSummary& s = m_summary;
    m_summaryLabel->setText(
        s.pupils == 0
            ? QString()
            : QStringLiteral("Öğrenci: %1    Ortalama net: %2    Ortanca: %3    "
                             "Standart sapma: %4    En düşük: %5    En yüksek: %6")
                      .arg(s.pupils)
                      .arg(decimalText(s.mean), decimalText(s.median),
                           decimalText(s.standardDeviation), decimalText(s.lowest),
                           decimalText(s.highest)) +
                  sectionMeansText() +
                  (m_counted.size() < m_rows.size()
                       ? QStringLiteral("\nBirden çok sonucu olan öğrencilerin yalnız son eklenen "
                                        "sonucu sayıldı (%1 sonuç sayılmadı).")
                             .arg(m_rows.size() - m_counted.size())
                       : QString()));
}

// "Türkçe 12,50 · Matematik 8,25" on a line of its own, for a test with sections.
QString ClassResultsWindow::sectionMeansText() const {
    QStringList parts;
    for (const auto& [title, value] : sectionSummaryLines(*m_test, m_summary))
        parts << title + QStringLiteral(": ") + value;
    return parts.isEmpty() ? QString() : u'\n' + parts.join(QStringLiteral("    "));
}

void ClassResultsWindow::fillItemTable() {
    m_itemModel->clear();
    if (!m_test)
        return;
    // With sections, a column names each question's section (the questions stay in the teacher's
    // order).
    const int first = m_test->sections.empty() ? 0 : 1;
    QStringList header{QStringLiteral("Soru")};
    if (first)
        header << QStringLiteral("Bölüm");
    header << QStringLiteral("Cevap") << QStringLiteral("Güçlük (p)")
           << QStringLiteral("Ayırt edicilik");
    for (int o = 0; o < m_test->optionCount; ++o)
        header << QString(QChar(u'A' + o));
    header << QStringLiteral("Boş") << QStringLiteral("İşaret");
    m_itemModel->setHorizontalHeaderLabels(header);
    m_itemModel->horizontalHeaderItem(first + 2)->setToolTip(
        QStringLiteral("p: soruyu doğru cevaplayanların oranı (1,00 = herkes doğru cevapladı, "
                       "0,00 = kimse doğru cevaplamadı); 0,20'nin altı işaretlenir"));
    m_itemModel->horizontalHeaderItem(first + 3)->setToolTip(
        QStringLiteral("Netlere göre en üstteki ve en alttaki %27'lik grupların (her biri ") +
        QString::number(m_items.groupSize) +
        QStringLiteral(" öğrenci) doğru oranları farkı; 0,20'nin altı işaretlenir. Sınırda eşit "
                       "neti olanlardan önce eklenen sonuç alınır."));
    const QBrush markedBrush(QColor(0xFC, 0xE4, 0xE4));
    const QBrush keyBrush(QColor(0xD4, 0xEF, 0xD4));
    for (const ItemStats& item : m_items.items) {
        QList<QStandardItem*> cells{cellItem(QString::number(item.question), item.question, true)};
        if (first) {
            const QString section =
                item.section >= 0 ? m_test->sections[std::size_t(item.section)].name : QString();
            cells << cellItem(section, section, false);
        }
        cells << QList<QStandardItem*>{
            cellItem(QString(item.key), QString(item.key), false),
            cellItem(decimalText(item.difficulty), item.difficulty, true),
            cellItem(decimalText(item.discrimination), item.discrimination, true)};
        for (int o = 0; o < m_test->optionCount; ++o)
            cells << cellItem(QString::number(item.chosen[std::size_t(o)]),
                              item.chosen[std::size_t(o)], true);
        cells << cellItem(QString::number(item.blanks), item.blanks, true)
              << cellItem(item.markText(), item.markText(), false);
        if (item.marked())
            for (QStandardItem* cell : cells)
                cell->setBackground(markedBrush);
        // The count of the correct option stands out, so a popular wrong one shows at a glance.
        const int keyOption = item.key.unicode() - u'A';
        if (keyOption >= 0 && keyOption < m_test->optionCount) {
            QStandardItem* keyCell = cells[first + 4 + keyOption];
            QFont bold = keyCell->font();
            bold.setBold(true);
            keyCell->setFont(bold);
            keyCell->setBackground(keyBrush);
            keyCell->setToolTip(QStringLiteral("Doğru cevap"));
        }
        m_itemModel->appendRow(cells);
    }
    m_itemSorted->sort(-1);
    m_itemView->resizeColumnsToContents();
}

void ClassResultsWindow::fillHistogram() {
    QChart* old = m_chartView->chart();
    m_chartView->setChart(histogramChart(netHistogram(m_counted)));
    delete old;
}

QImage ClassResultsWindow::histogramImage() {
    QChartView view(histogramChart(netHistogram(m_counted)));
    view.setRenderHint(QPainter::Antialiasing);
    view.resize(800, 420);
    return view.grab().toImage();
}

std::vector<PupilRow> ClassResultsWindow::rowsAsShown() const {
    std::vector<PupilRow> shown;
    for (int r = 0; r < m_classSorted->rowCount(); ++r)
        shown.push_back(m_rows[m_classSorted->index(r, 0).data(kRowIndexRole).toULongLong()]);
    return shown;
}

std::vector<std::size_t> ClassResultsWindow::selectedRows() const {
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : m_classView->selectionModel()->selectedRows())
        rows.push_back(index.data(kRowIndexRole).toULongLong());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ClassResultsWindow::secileniSilClick() {
    const std::vector<std::size_t> rows = selectedRows();
    if (!m_test || rows.empty())
        return;
    const QString question = rows.size() == 1
                                 ? QStringLiteral("%1 adlı öğrencinin sonucu silinsin mi?")
                                       .arg(quotedFileText(shownName(m_rows[rows.front()].name)))
                                 : QStringLiteral("Seçilen %1 sonuç silinsin mi?").arg(rows.size());
    if (!m_prompts.confirm(kCaption,
                           question + QStringLiteral("\nSilinen sonuç veritabanından kaldırılır; "
                                                     "geri almak için dosyasını ya da kodunu "
                                                     "yeniden ekleyin."),
                           QStringLiteral("Sil"), QStringLiteral("Vazgeç")))
        return;
    std::vector<PupilResult> removed;
    for (std::size_t i : rows)
        removed.push_back(m_results[i]);
    deleteResults(*m_db, removed);
    refreshTests(m_test->identity);
    m_status->setText(QStringLiteral("%1 sonuç silindi.").arg(removed.size()));
}

void ClassResultsWindow::showPupilAnswers(std::size_t row) {
    if (!m_test || row >= m_rows.size())
        return;
    const PupilRow& pupil = m_rows[row];
    auto* dialog = new QDialog(this);
    dialog->setObjectName(QStringLiteral("cevappenceresi"));
    dialog->setWindowTitle(QStringLiteral("Cevaplar: ") + shownName(pupil.name));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // The booklet and each section's net under the totals; the answers below
    // are in the teacher's order whatever the booklet.
    QString summary = QStringLiteral("%1 — Doğru: %2, Yanlış: %3, Boş: %4, Net: %5")
                          .arg(shownName(pupil.name))
                          .arg(pupil.score.correct)
                          .arg(pupil.score.wrong)
                          .arg(pupil.score.blank)
                          .arg(decimalText(pupil.score.net));
    const QStringList titles = sectionColumnTitles(*m_test);
    const QStringList values = sectionColumnTexts(*m_test, pupil);
    QStringList parts;
    for (qsizetype c = 0; c < titles.size() && c < values.size(); ++c)
        parts << titles[c] + QStringLiteral(": ") + values[c];
    if (!parts.isEmpty())
        summary += u'\n' + parts.join(QStringLiteral(", "));
    auto* label = new QLabel(summary, dialog);
    label->setTextFormat(Qt::PlainText);
    const std::vector<AnsweredQuestion> questions = answeredQuestions(*m_test, pupil.answers);
    auto* table = new QTableWidget(int(questions.size()), 4, dialog);
    table->setObjectName(QStringLiteral("cevaplar"));
    table->setHorizontalHeaderLabels({QStringLiteral("Soru"), QStringLiteral("Cevabı"),
                                      QStringLiteral("Doğru cevap"), QStringLiteral("Sonuç")});
    table->horizontalHeaderItem(3)->setToolTip(QStringLiteral("D: doğru, Y: yanlış, B: boş"));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    const QBrush wrongBrush(QColor(0xFC, 0xE4, 0xE4));
    for (int r = 0; r < int(questions.size()); ++r) {
        const AnsweredQuestion& q = questions[std::size_t(r)];
        const QStringList texts{QString::number(q.question),
                                q.answer == u'-' ? QString() : QString(q.answer), QString(q.key),
                                QString(q.mark)};
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(texts[c]);
            item->setTextAlignment(Qt::AlignCenter);
            if (q.mark == u'Y')
                item->setBackground(wrongBrush);
            table->setItem(r, c, item);
        }
    }
    table->resizeColumnsToContents();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Kapat"));
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(label);
    layout->addWidget(table, 1);
    layout->addWidget(buttons);
    dialog->resize(420, 480);
    dialog->open();
}

void ClassResultsWindow::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); }))
        event->acceptProposedAction();
}

void ClassResultsWindow::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    runCommand(m_prompts, [this, paths] { addFiles(paths); });
}
