// The "Sınıf sonuçları" window offscreen: results added from files, codes
// and a drop, bad ones refused in one message while the rest are kept, the
// tables as shown and sorted, the CSV and the printed report.

#include "../results/ResultSamples.h"
#include "ScriptedPrompts.h"
#include "core/AppError.h"
#include "db/Database.h"
#include "db/NewDatabase.h"
#include "db/ResultStore.h"
#include "results/CsvExport.h"
#include "ui/ClassResultsWindow.h"
#include "ui/FormReviewDialog.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QStringList kNames{QStringLiteral("Ayşe"), QStringLiteral("Bülent"), QStringLiteral("Cem"),
                         QStringLiteral("Deniz"), QStringLiteral("Ece")};
const QStringList kAnswers{QStringLiteral("ABCDA"), QStringLiteral("ABCD-"),
                           QStringLiteral("ABDDB"), QStringLiteral("BB--A"),
                           QStringLiteral("CCAAB")};

QString writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write a test file");
    return path;
}

// Every cell of a view as shown, row by row, cells joined by "|".
QStringList shownRows(const QTableView* view) {
    const QAbstractItemModel* model = view->model();
    QStringList rows;
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model->columnCount(); ++c)
            cells << model->index(r, c).data().toString();
        rows << cells.join(u'|');
    }
    return rows;
}

void click(const QWidget& window, const char* name) {
    QTest::mouseClick(window.findChild<QPushButton*>(QLatin1String(name)), Qt::LeftButton);
}

} // namespace

class tst_ClassResults : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void filesAndCodesMakeTheClass();
    void badResultsAreRefusedTheRestKept();
    void tablesSortNumbersAsNumbers();
    void droppedFilesAreRead();
    void oneTestAtATimeNewestFirst();
    void csvAndPrintedReport();
    void correctingTheClass();
    void readFormsAreReviewedBeforeStoring();

private:
    std::unique_ptr<ClassResultsWindow> openWindow();
    QString resultFile(const QString& name, const QString& answers,
                       const GeneratedTest& test = samples::exampleTest());
    int storedCount(const GeneratedTest& test = samples::exampleTest()) {
        return int(resultsOf(*m_db, test.identity).size());
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::shared_ptr<Database> m_db;
    ScriptedPrompts m_prompts;
};

void tst_ClassResults::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    const QString path = m_dir->filePath(QStringLiteral("dorvana.MDB"));
    createDatabase(path);
    m_db = std::make_shared<Database>(path);
    createResultTables(*m_db);
    rememberTest(*m_db, samples::exampleTest());
    m_prompts = ScriptedPrompts();
}

void tst_ClassResults::cleanup() {
    QCOMPARE(m_prompts.unexpectedDialogs, 0);
    m_db.reset();
}

std::unique_ptr<ClassResultsWindow> tst_ClassResults::openWindow() {
    auto window = std::make_unique<ClassResultsWindow>(m_prompts, m_db);
    window->show();
    return window;
}

QString tst_ClassResults::resultFile(const QString& name, const QString& answers,
                                     const GeneratedTest& test) {
    return writeFile(m_dir->filePath(test.stem + u'-' + name + QStringLiteral(".dvsonuc")),
                     samples::fileBytes(samples::result(test.identity, name, answers), test.name));
}

void tst_ClassResults::filesAndCodesMakeTheClass() {
    auto window = openWindow();
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("durum"))->text(),
             QStringLiteral("Henüz sonuç yok: \"Dosya ekle\" ya da \"Kod yapıştır\" ile "
                            "öğrencilerin sonuçlarını ekleyin."));
    QVERIFY(!window->findChild<QPushButton*>(QStringLiteral("csvkaydet"))->isEnabled());

    m_prompts.nextFileLists.push_back({resultFile(kNames[0], kAnswers[0]),
                                       resultFile(kNames[1], kAnswers[1]),
                                       resultFile(kNames[2], kAnswers[2])});
    click(*window, "dosyaekle");
    QCOMPARE(m_prompts.fileDialogFilters.last(), QStringLiteral("Sonuç dosyaları|*.dvsonuc"));
    QCOMPARE(m_prompts.shown.size(), 0); // nothing refused, no box
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("durum"))->text(),
             QStringLiteral("3 sonuç eklendi."));

    // Two codes pasted, with an empty line and the spaces the page shows.
    click(*window, "kodyapistir");
    auto* dialog = window->findChild<QDialog*>(QStringLiteral("kodpenceresi"));
    QVERIFY(dialog && dialog->isVisible());
    const QString id = samples::exampleTest().identity;
    dialog->findChild<QPlainTextEdit*>(QStringLiteral("kodlar"))
        ->setPlainText(
            samples::code(samples::result(id, kNames[3], kAnswers[3])) + QStringLiteral("\n\n  ") +
            samples::code(samples::retake(samples::result(id, kNames[4], kAnswers[4]), 2)) + u'\n');
    QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                      Qt::LeftButton);
    QCOMPARE(m_prompts.shown.size(), 0);
    QCOMPARE(storedCount(), 5);

    const auto* table = window->findChild<QTableView*>(QStringLiteral("sinif"));
    QCOMPARE(shownRows(table),
             (QStringList{QStringLiteral("Ayşe|5|0|0|5,00|25:11|1|09.12.2026 10:15"),
                          QStringLiteral("Bülent|4|0|1|4,00|25:11|1|09.12.2026 10:15"),
                          QStringLiteral("Cem|3|2|0|2,33|25:11|1|09.12.2026 10:15"),
                          QStringLiteral("Deniz|2|1|2|1,67|25:11|1|09.12.2026 10:15"),
                          QStringLiteral("Ece|0|5|0|-1,67|25:11|2|09.12.2026 10:15")}));
    QCOMPARE(table->model()->headerData(5, Qt::Horizontal).toString(),
             QStringLiteral("Süre (dk:sn)"));
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("ozet"))->text(),
             QStringLiteral("Öğrenci: 5    Ortalama net: 2,27    Ortanca: 2,33    Standart "
                            "sapma: 2,29    En düşük: -1,67    En yüksek: 5,00"));
    auto* items = window->findChild<QTableView*>(QStringLiteral("madde"));
    QCOMPARE(shownRows(items), (QStringList{QStringLiteral("1|A|0,60|1,00|3|1|1|0|0|"),
                                            QStringLiteral("2|B|0,80|1,00|0|4|1|0|0|"),
                                            QStringLiteral("3|C|0,40|1,00|1|0|2|1|1|"),
                                            QStringLiteral("4|D|0,60|1,00|1|0|0|3|1|"),
                                            QStringLiteral("5|A|0,40|1,00|2|2|0|0|1|")}));
    QCOMPARE(items->model()->headerData(9, Qt::Horizontal).toString(), QStringLiteral("İşaret"));
    QVERIFY(window->findChild<QPushButton*>(QStringLiteral("csvkaydet"))->isEnabled());
}

void tst_ClassResults::badResultsAreRefusedTheRestKept() {
    GeneratedTest other = samples::exampleTest();
    // A foreign name that imitates the program's own lines.
    other.name = QStringLiteral("Başka test\n• dn-Nur.dvsonuc: bu sonuç zaten kayıtlı");
    other.stem = QStringLiteral("bt");
    other.identity = QString(32, u'b');
    const QString id = samples::exampleTest().identity;

    auto window = openWindow();
    m_prompts.nextFileLists.push_back(
        {resultFile(QStringLiteral("Zeki"), QStringLiteral("ABCDA"))});
    window->findChild<QPushButton*>(QStringLiteral("dosyaekle"))->click();
    QCOMPARE(storedCount(), 1);

    QByteArray edited =
        samples::fileBytes(samples::result(id, QStringLiteral("Ali"), QStringLiteral("CCCCC")),
                           QStringLiteral("Deneme"));
    edited.replace("\"CCCCC\"", "\"ABCDA\"");
    const QByteArray whole = samples::fileBytes(
        samples::result(id, QStringLiteral("Veli"), QStringLiteral("ABCDA")), QString());
    QFile big(m_dir->filePath(QStringLiteral("dn-Büyük.dvsonuc")));
    QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(10 * 1024 * 1024));
    big.close();
    const QStringList batch{
        resultFile(QStringLiteral("Oya"), QStringLiteral("ABCDA"), other),
        writeFile(m_dir->filePath(QStringLiteral("dn-Ali.dvsonuc")), edited),
        writeFile(m_dir->filePath(QStringLiteral("dn-Veli.dvsonuc")), whole.left(whole.size() - 9)),
        big.fileName(),
        resultFile(QStringLiteral("Zeki"), QStringLiteral("ABCDA")), // a repeat
        resultFile(QStringLiteral("Nur"), QStringLiteral("ABC--")),  // the one good file
        writeFile(
            m_dir->filePath(QStringLiteral("dn-Kısa.dvsonuc")),
            samples::fileBytes(samples::result(id, QStringLiteral("Kısa"), QStringLiteral("ABC")),
                               QString())),
        writeFile(m_dir->filePath(QStringLiteral("dn.htm")), "<HTML><HEAD><TITLE>S\xFDnav"),
        m_dir->filePath(QStringLiteral("yok.dvsonuc")),
    };
    const auto outcome = window->addFiles(batch);
    QCOMPARE(outcome.stored, 1);
    QCOMPARE(storedCount(), 2);
    QCOMPARE(storedCount(other), 0);
    QCOMPARE(m_prompts.shown.size(), 1);
    QCOMPARE(m_prompts.shown[0].kind, Prompts::Kind::Information);
    QCOMPARE(m_prompts.shown[0].caption, QStringLiteral("Sınıf sonuçları"));
    QCOMPARE(m_prompts.shown[0].text,
             QStringLiteral(
                 "1 sonuç eklendi.\nŞu sonuçlar alınmadı:\n"
                 "\n• bt-Oya.dvsonuc: bilinmeyen test: bu sonucun testi (\"Başka test • "
                 "dn-Nur.dvsonuc: bu sonuç za…\") bu veritabanında kayıtlı değil"
                 "\n• dn-Ali.dvsonuc: denetim değeri tutmuyor: sonuç bozulmuş ya da değiştirilmiş"
                 "\n• dn-Veli.dvsonuc: dosya bozuk ya da eksik: içeriği okunamıyor"
                 "\n• dn-Büyük.dvsonuc: dosya çok büyük (1 MiB sınırını aşıyor); sonuç dosyası "
                 "değil"
                 "\n• dn-Zeki.dvsonuc: bu sonuç zaten kayıtlı"
                 "\n• dn-Kısa.dvsonuc: cevap sayısı (3) testin soru sayısına (5) uymuyor"
                 "\n• dn.htm: bir test sayfası, sonuç dosyası değil"
                 "\n• yok.dvsonuc: dosya açılamadı (No such file or directory)"));
    QCOMPARE(shownRows(window->findChild<QTableView*>(QStringLiteral("sinif"))).size(), 2);

    // Codes: a damaged one, a repeat of a stored file, and Zeki again under
    // another spelling: held back as a likely repeat, added when the teacher
    // says so, and counted once in the statistics.
    m_prompts.shown.clear();
    m_prompts.nextActionPresses.push_back(true);
    const auto codes = window->addCodes(
        QStringLiteral("DV1ABC\n") +
        samples::code(samples::result(id, QStringLiteral("Zeki"), QStringLiteral("ABCDA"))) +
        u'\n' +
        samples::code(samples::result(id, QStringLiteral(" ZEKİ "), QStringLiteral("A----"))));
    QCOMPARE(m_prompts.shown.size(), 1);
    QCOMPARE(m_prompts.actionsOffered, QStringList{QStringLiteral("Yine de ekle")});
    QCOMPARE(m_prompts.shown[0].text,
             QStringLiteral("0 sonuç eklendi.\nŞu sonuçlar alınmadı:\n"
                            "\n• Kod (satır 1): kod bozuk: eksik ya da fazla harf var"
                            "\n• Kod (satır 2): bu sonuç zaten kayıtlı"
                            "\n• Kod (satır 3): büyük olasılıkla tekrar: bu testte aynı öğrencinin "
                            "(\" ZEKİ \") bir sonucu daha var; yine de eklenebilir"
                            "\n\nTekrar olabilecek 1 sonucu yine de eklemek için \"Yine de ekle\" "
                            "düğmesine basın; istatistiklerde her öğrencinin yalnız son eklenen "
                            "sonucu sayılır."));
    QCOMPARE(codes.stored, 1);
    QCOMPARE(storedCount(), 3);
    QCOMPARE(window->rows().size(), std::size_t(3));
    QCOMPARE(window->summary().pupils, 2);
    QCOMPARE(window->summary().lowest, 1.0); // Zeki's later result, not the earlier 5
}

void tst_ClassResults::tablesSortNumbersAsNumbers() {
    GeneratedTest test = samples::exampleTest();
    test.keys = QString(12, u'A');
    test.count = 12;
    test.identity = QString(32, u'c');
    rememberTest(*m_db, test);
    const QString id = test.identity;
    auto window = openWindow();
    // Nets 10, 9, -1,33 and 12; durations 9:05, 10:00, 1:00:00, 0:59.
    const QStringList pupils{QStringLiteral("ç"), QStringLiteral("b"), QStringLiteral("a"),
                             QStringLiteral("d")};
    const QStringList answers{QStringLiteral("AAAAAAAAAA--"), QStringLiteral("AAAAAAAAA---"),
                              QStringLiteral("BBBB--------"), QStringLiteral("AAAAAAAAAAAA")};
    const QStringList finishes{
        QStringLiteral("2026-12-09T10:09:05"), QStringLiteral("2026-12-09T10:10:00"),
        QStringLiteral("2026-12-09T11:00:00"), QStringLiteral("2026-12-09T10:00:59")};
    QString pasted;
    for (int i = 0; i < 4; ++i)
        pasted +=
            samples::code(samples::result(id, pupils[i], answers[i],
                                          QStringLiteral("2026-12-09T10:00:00"), finishes[i])) +
            u'\n';
    QCOMPARE(window->addCodes(pasted).stored, 4);
    auto* view = window->findChild<QTableView*>(QStringLiteral("sinif"));
    const auto column = [&](int c) {
        QStringList cells;
        for (int r = 0; r < view->model()->rowCount(); ++r)
            cells << view->model()->index(r, c).data().toString();
        return cells.join(u' ');
    };
    view->sortByColumn(4, Qt::DescendingOrder);
    QCOMPARE(column(4), QStringLiteral("12,00 10,00 9,00 -1,33"));
    view->sortByColumn(5, Qt::AscendingOrder);
    QCOMPARE(column(5), QStringLiteral("00:59 09:05 10:00 60:00"));
    view->sortByColumn(1, Qt::AscendingOrder);
    QCOMPARE(column(1), QStringLiteral("0 9 10 12"));
    QCOMPARE(window->rowsAsShown().front().name, QStringLiteral("a")); // the printout's order
    auto* items = window->findChild<QTableView*>(QStringLiteral("madde"));
    items->sortByColumn(2, Qt::AscendingOrder);
    QCOMPARE(items->model()->index(0, 0).data().toString(), QStringLiteral("11"));
}

void tst_ClassResults::droppedFilesAreRead() {
    auto window = openWindow();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(resultFile(kNames[0], kAnswers[0])),
                  QUrl::fromLocalFile(resultFile(kNames[1], kAnswers[1])),
                  QUrl(QStringLiteral("https://example.invalid/x.dvsonuc"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    QCOMPARE(storedCount(), 2);
    QCOMPARE(m_prompts.shown.size(), 0);

    QMimeData text;
    text.setText(QStringLiteral("DV1"));
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    refused.setAccepted(false);
    QApplication::sendEvent(window.get(), &refused);
    QVERIFY(!refused.isAccepted());
}

void tst_ClassResults::oneTestAtATimeNewestFirst() {
    GeneratedTest newer = samples::exampleTest();
    newer.name = QStringLiteral("Yeni sınav");
    newer.stem = QStringLiteral("ys");
    newer.identity = QString(32, u'd');
    newer.generatedAt = newer.generatedAt.addDays(1);
    rememberTest(*m_db, newer);
    storeResult(*m_db, samples::result(samples::exampleTest().identity, QStringLiteral("Eski"),
                                       QStringLiteral("ABCDA")));
    auto window = openWindow();
    auto* tests = window->findChild<QComboBox*>(QStringLiteral("testler"));
    QCOMPARE(tests->count(), 1);
    QCOMPARE(tests->currentText(), QStringLiteral("Deneme (dn, 08.12.2026 09:30)"));

    // A result of the newer test is added: the window turns to that test.
    m_prompts.nextFileLists.push_back(
        {resultFile(QStringLiteral("Yeni"), QStringLiteral("AAAAA"), newer)});
    click(*window, "dosyaekle");
    QCOMPARE(tests->count(), 2);
    QCOMPARE(tests->itemText(0), QStringLiteral("Yeni sınav (ys, 09.12.2026 09:30)"));
    QCOMPARE(window->shownTest()->name, QStringLiteral("Yeni sınav"));
    QCOMPARE(shownRows(window->findChild<QTableView*>(QStringLiteral("sinif"))),
             QStringList{QStringLiteral("Yeni|2|3|0|1,00|25:11|1|09.12.2026 10:15")});
    tests->setCurrentIndex(1);
    QCOMPARE(window->shownTest()->name, QStringLiteral("Deneme"));
    QCOMPARE(shownRows(window->findChild<QTableView*>(QStringLiteral("sinif"))),
             QStringList{QStringLiteral("Eski|5|0|0|5,00|25:11|1|09.12.2026 10:15")});
}

void tst_ClassResults::csvAndPrintedReport() {
    const QString id = samples::exampleTest().identity;
    for (int i = 0; i < 5; ++i)
        storeResult(*m_db, samples::result(id, kNames[i], kAnswers[i]));
    auto window = openWindow();
    window->setOutputFolder(m_dir->path());

    const QString csv = m_dir->filePath(QStringLiteral("sınıf.csv"));
    m_prompts.nextSaveNames.push_back(csv);
    click(*window, "csvkaydet");
    QCOMPARE(m_prompts.suggestedSaveNames, QStringList{QStringLiteral("dn-sonuclar.csv")});
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QCOMPARE(bytes, classResultsCsv(*window->shownTest(), window->rows(), window->summary(),
                                    window->itemAnalysis()));
    QVERIFY(bytes.contains("\r\nB\xC3\xBClent;4;0;1;4,00;00:25:11;1;A;B;C;D;\r\n"));
    QCOMPARE(m_prompts.dialogFolders, QStringList{m_dir->path()}); // the test's output folder
    m_prompts.nextSaveNames.push_back(QString()); // cancelled: nothing written, no box
    click(*window, "csvkaydet");
    m_prompts.nextSaveNames.push_back(m_dir->filePath(QStringLiteral("yok/x.csv")));
    click(*window, "csvkaydet");
    QCOMPARE(m_prompts.shown.size(), 1);
    QVERIFY(
        m_prompts.shown[0].text.startsWith(QStringLiteral("\"%1\" dosyası yazılamadı (")
                                               .arg(m_dir->filePath(QStringLiteral("yok/x.csv")))));

    const QString pdf = m_dir->filePath(QStringLiteral("rapor.pdf"));
    window->setPrinterChooser([&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    });
    click(*window, "yazdir");
    QFile report(pdf);
    QVERIFY(report.open(QIODevice::ReadOnly));
    const QByteArray pdfBytes = report.readAll();
    QVERIFY(pdfBytes.startsWith("%PDF-"));
    QVERIFY2(pdfBytes.size() > 5000, QByteArray::number(pdfBytes.size()).constData());
    QCOMPARE(m_prompts.shown.size(), 1);
}

// The class list corrected: a result without a name shown as such, one
// pupil's answers, results removed only after a confirmation (Delete key,
// the table's menu, the button) with every table following.
void tst_ClassResults::correctingTheClass() {
    const QString id = samples::exampleTest().identity;
    const QStringList names{kNames[0], QString(), kNames[1], QStringLiteral(" AYŞE ")};
    for (int i = 0; i < 4; ++i)
        storeResult(*m_db, samples::result(id, names[i], kAnswers[(2 * i) % 5]));
    auto window = openWindow();
    window->activateWindow(); // the Delete key reaches the table that has the focus
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    auto* view = window->findChild<QTableView*>(QStringLiteral("sinif"));
    QCOMPARE(view->model()->index(0, 0).data().toString(),
             QStringLiteral("Ayşe (tekrar, sayılmadı)"));
    QCOMPARE(view->model()->index(1, 0).data().toString(), QStringLiteral("(adsız)"));
    QCOMPARE(view->model()->headerData(7, Qt::Horizontal).toString(), QStringLiteral("Başlama"));
    const QAbstractItemModel* items =
        window->findChild<QTableView*>(QStringLiteral("madde"))->model();
    QCOMPARE(items->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Güçlük (p)"));
    QVERIFY(items->headerData(2, Qt::Horizontal, Qt::ToolTipRole)
                .toString()
                .contains(QStringLiteral("(1,00 = herkes doğru cevapladı")));
    // The correct option's count stands out: question 3's key is C, column 6.
    QVERIFY(items->index(2, 6).data(Qt::FontRole).value<QFont>().bold());
    QVERIFY(!items->index(2, 7).data(Qt::FontRole).value<QFont>().bold());

    view->setFocus();
    view->setCurrentIndex(view->model()->index(2, 1));
    QTest::keyClick(view, Qt::Key_Return);
    auto* answers = window->findChild<QDialog*>(QStringLiteral("cevappenceresi"));
    QVERIFY(answers && answers->isVisible());
    QCOMPARE(shownRows(answers->findChild<QTableView*>(QStringLiteral("cevaplar"))),
             (QStringList{QStringLiteral("1|C|A|Y"), QStringLiteral("2|C|B|Y"),
                          QStringLiteral("3|A|C|Y"), QStringLiteral("4|A|D|Y"),
                          QStringLiteral("5|B|A|Y")}));
    answers->close();

    view->setFocus();
    m_prompts.nextConfirms = {false, true, true};
    QTest::keyClick(view, Qt::Key_Delete); // "Vazgeç": nothing removed
    QCOMPARE(storedCount(), 4);
    QVERIFY(m_prompts.confirmations.last().startsWith(
        QStringLiteral("Sınıf sonuçları|\"Bülent\" adlı öğrencinin sonucu silinsin mi?")));
    QVERIFY(m_prompts.confirmations.last().endsWith(QStringLiteral("|Sil|Vazgeç")));
    view->actions().last()->trigger(); // the table's menu
    QCOMPARE(storedCount(), 3);
    QCOMPARE(shownRows(view).size(), 3);
    QVERIFY(window->findChild<QLabel*>(QStringLiteral("ozet"))
                ->text()
                .startsWith(QStringLiteral("Öğrenci: 2 ")));
    QCOMPARE(items->index(2, 4).data().toString(), QStringLiteral("0")); // Bülent's A is gone

    view->selectAll();
    click(*window, "secilenisil");
    QVERIFY(
        m_prompts.confirmations.last().contains(QStringLiteral("|Seçilen 3 sonuç silinsin mi?")));
    QCOMPARE(storedCount(), 0);
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("durum"))->text(),
             QStringLiteral("3 sonuç silindi."));
}

// Read forms: a flagged row answered by its key enables "Onayla"; "Vazgeç"
// stores nothing; a batch with nothing readable is one error naming each file.
void tst_ClassResults::readFormsAreReviewedBeforeStoring() {
    auto window = openWindow();
    m_prompts.nextFileLists.push_back(
        {writeFile(m_dir->filePath(QStringLiteral("bozuk.png")), QByteArrayLiteral("png değil"))});
    click(*window, "optikform");
    QVERIFY(m_prompts.shown.value(0).text.startsWith(QStringLiteral("Hiçbir form okunamadı.\n")));
    QVERIFY(m_prompts.shown[0].text.contains(QStringLiteral("• bozuk.png (sayfa 1): ")));

    ReadSheet read;
    read.file = m_dir->filePath(QStringLiteral("tarama.pdf"));
    read.identity = samples::exampleTest().identity;
    read.number = QStringLiteral("5");
    read.answers = QStringLiteral("A?CDA");
    QImage cutout(60, 12, QImage::Format_RGB32);
    cutout.fill(Qt::gray);
    read.flags = {{FormFlag::Row::Answer, 2, 0, QStringLiteral("İki işaret"), cutout,
                   QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"),
                               QStringLiteral("D"), QStringLiteral("Boş")}}};
    ReadSheet photo;
    photo.file = m_dir->filePath(QStringLiteral("kedi.jpg"));
    photo.refused = QStringLiteral("Köşe işaretleri bulunamadı.");

    bool confirm = false;
    bool enabledBefore = true;
    QString summary;
    QString rowText;
    window->setReviewRunner([&](FormReviewDialog& dialog) {
        dialog.show();
        enabledBefore = dialog.findChild<QPushButton*>(QStringLiteral("onayla"))->isEnabled();
        summary = dialog.findChild<QPlainTextEdit*>(QStringLiteral("ozet"))->toPlainText();
        auto* rows = dialog.findChild<QListWidget*>(QStringLiteral("satirlar"));
        QTest::keyClick(rows, Qt::Key_E); // not a choice of the row
        QTest::keyClick(rows, Qt::Key_C);
        rowText = rows->item(0)->text();
        QTest::mouseClick(
            dialog.findChild<QPushButton*>(QLatin1String(confirm ? "onayla" : "vazgec")),
            Qt::LeftButton);
        return dialog.result() == QDialog::Accepted;
    });
    QCOMPARE(window->reviewAndStore({read, photo}).stored, 0);
    QVERIFY(!enabledBefore);
    QCOMPARE(summary, QStringLiteral("1 form okundu, 1 satır işaretlendi, 1 sayfa alınmadı.\n"
                                     "• kedi.jpg (sayfa 1): Köşe işaretleri bulunamadı."));
    QCOMPARE(storedCount(), 0);

    confirm = true;
    QCOMPARE(window->reviewAndStore({read, photo}).stored, 1);
    QCOMPARE(rowText, QStringLiteral("tarama.pdf (sayfa 1) · 2. soru: İki işaret → C"));
    QCOMPARE(window->rows().at(0).name, QStringLiteral("Öğrenci 5"));
    QCOMPARE(window->rows().at(0).score.net, 4 - 1 / 3.0);
    QCOMPARE(m_prompts.shown.size(), 1); // nothing refused at storing
}

QTEST_MAIN(tst_ClassResults)
#include "tst_classresults.moc"
