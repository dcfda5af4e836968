#pragma once

#include "db/ResultStore.h"

#include "forms/FormReading.h"
#include "results/ClassAnalysis.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class Database;
class FormReviewDialog;
class Prompts;
class QChartView;
class QComboBox;
class QLabel;
class QPrinter;
class QPushButton;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;

// "Sınıf sonuçları": reads pupils' result files and codes, scores them from
// the stored key, stores them and shows one test's class at a time: the class
// table, the summary, a histogram of the nets and the item analysis; exports
// them as CSV and prints a class report.
class ClassResultsWindow : public QWidget {
    Q_OBJECT
public:
    // The database must hold the result tables (createResultTables).
    ClassResultsWindow(Prompts& prompts, std::shared_ptr<Database> db, QWidget* parent = nullptr);
    ~ClassResultsWindow() override;

    // The commands of the buttons and of a drop, each under the default
    // error handler. Every result is checked, scored and stored on its own;
    // one message lists every refused one with its reason and offers to add
    // the likely repeats all the same.
    ResultBatch addFiles(const QStringList& paths);
    ResultBatch addCodes(const QString& pasted);
    void dosyaEkleClick();   // "Dosya ekle"
    void optikFormClick();   // "Optik formları oku"
    void kodYapistirClick(); // "Kod yapıştır": a dialog to paste codes into
    void csvKaydetClick();   // "CSV olarak kaydet"
    void yazdirClick();      // "Yazdır"
    void secileniSilClick(); // "Seçileni sil", also the Delete key and the table's menu

    // Reads filled optical forms (images and PDFs) with a progress dialog
    // whose "Vazgeç" stops the batch and stores nothing, then reviewAndStore.
    ResultBatch readForms(const QStringList& paths);
    // The review of read sheets; on "Onayla" the sheets are stored and
    // reported as result files are, and the class shows their test.
    ResultBatch reviewAndStore(std::vector<ReadSheet> sheets);
    // Runs the review dialog; true when confirmed. A modal loop by default.
    using ReviewRunner = std::function<bool(FormReviewDialog&)>;
    void setReviewRunner(ReviewRunner runner) { m_runReview = std::move(runner); }

    // The folder the file dialogs open in: the test's output folder.
    void setOutputFolder(const QString& folder) { m_outputFolder = folder; }

    // That pupil's answer to every question with its mark, in a dialog of its
    // own (double click or Enter on a row of the class table).
    void showPupilAnswers(std::size_t row);

    // Chooses the printer for "Yazdır"; false cancels. The print dialog by default.
    using PrinterChooser = std::function<bool(QPrinter&)>;
    void setPrinterChooser(PrinterChooser chooser) { m_choosePrinter = std::move(chooser); }

    // Shows the stored test of this identity if it has results.
    void showTest(const QString& identity);
    std::optional<GeneratedTest> shownTest() const { return m_test; }
    const std::vector<PupilRow>& rows() const { return m_rows; }
    // The rows in the class table's order on screen (sorted by the teacher's column), as printed.
    std::vector<PupilRow> rowsAsShown() const;
    const ClassSummary& summary() const { return m_summary; }
    const ItemAnalysis& itemAnalysis() const { return m_items; }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    ResultBatch addBatch(int count, const ResultReader& read);
    ResultBatch showBatch(ResultBatch outcome);
    // Lists what was refused; true when the teacher chose to add the likely repeats.
    bool reportBatch(const ResultBatch& outcome);
    void refreshTests(const QString& identityToShow);
    void showChosenTest();
    void setClassHeader();
    QString sectionMeansText() const;
    void fillClassTable();
    void fillItemTable();
    void fillHistogram();
    QImage histogramImage();
    std::vector<std::size_t> selectedRows() const;

    Prompts& m_prompts;
    std::shared_ptr<Database> m_db;
    PrinterChooser m_choosePrinter;
    ReviewRunner m_runReview;
    QString m_outputFolder;

    std::optional<GeneratedTest> m_test;
    std::vector<PupilResult> m_results; // as stored, one per row of m_rows
    std::vector<PupilRow> m_rows;       // every stored result, for the class table
    std::vector<PupilRow> m_counted;    // one per pupil, for the statistics
    ClassSummary m_summary;
    ItemAnalysis m_items;

    QComboBox* m_tests = nullptr;
    QLabel* m_summaryLabel = nullptr;
    QLabel* m_status = nullptr;
    QStandardItemModel* m_classModel = nullptr;
    QSortFilterProxyModel* m_classSorted = nullptr;
    QTableView* m_classView = nullptr;
    QPushButton* m_deleteButton = nullptr;
    QStandardItemModel* m_itemModel = nullptr;
    QSortFilterProxyModel* m_itemSorted = nullptr;
    QTableView* m_itemView = nullptr;
    QChartView* m_chartView = nullptr;
};
