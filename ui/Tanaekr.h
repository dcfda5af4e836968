#pragma once

#include "core/ColourText.h"
#include "ui/SettingsControls.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class AnswerKeyGrid;
class DirectoryList;
class ProgramDatabase;
class Prompts;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class SectionGrid;
class QPushButton;
class QTabWidget;
class QToolButton;
class GenerationRefused;
class LiveExam;
struct GenerationInput;
struct GenerationOutcome;

// The main window. It holds every input as a control whose text is read when
// a command needs it, shows a hint for each field that is entered, and runs
// its commands under the default error handler. What needs no widget lives
// below it: the generation run in run/, the database in db/, the pages in
// pages/; the class results have a window of their own.
class Tanaekr : public QMainWindow {
    Q_OBJECT
public:
    struct Options {
        // Folder searched for the database file; empty means the program's own folder.
        QString programFolder;
    };

    explicit Tanaekr(Prompts& prompts, Options options = {}, QWidget* parent = nullptr);
    ~Tanaekr() override;

    // Where a live exam listens ("ADDRESS:PORT"); empty, as by default: LiveExam's choice.
    void setLiveListen(const QString& listen) { m_liveListen = listen; }

    // Text of the status bar's one panel.
    QString statusText() const;

    // The lines of the explanation box as the box shows them: a long line
    // wrapped at the box's width gives several lines, an empty line stays an
    // empty line, a final line break adds no line.
    QStringList explanationLines() const;

    // Colour text of a colour value (bits 24 to 31 are ignored).
    static QString DCOLOR_HEXCOLOR(ColourValue value) { return colourText(value); }

    // Commands, each run under the default error handler.
    void sorusayeExit();    // "Doğru cevapları gir"
    void sayfabClick();     // "Sayfaları oluştur "
    void renkkaydet();      // "Renk ve klasör bilgilerini kaydet"
    void sonucokuClick();   // "Sonuçları oku"
    void canliSinavClick(); // "Canlı sınav": the test made as above, then served live
    void sinifalClick();    // "Sınıf listesi al"
    void optikformClick();  // "Optik form"
    void kisiyeozelClick(); // "Kişiye özel formlar"

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Asks to save settings changed since they were loaded or saved.
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    friend struct TanaekrTestAccess; // tests and benchmarks reach the datasets through it

    struct ColourAction {
        QAction* action;
        QLineEdit* field;
        ColourValue dialogColour;
    };

    void buildControls();
    void buildQuestionPage(QWidget* page);
    void buildAnswerPage(QWidget* page);
    void buildSectionsPage(QWidget* page);
    QLineEdit* labelledEdit(QWidget* page, const char* name, const QString& label,
                            const QString& text, QRect geometry, const QFont& labelFont);
    QToolButton* colourButton(QWidget* page, const char* name, QRect geometry,
                              const char* actionName, QLineEdit* field, ColourValue startColour,
                              const QString& accessibleName);
    void setTabOrders();
    void watch(QWidget* field);

    // Start-up.
    void FormCreate();
    void FormShow();
    void openDatabase();

    // Field behaviour.
    void showHint(const QString& hint);
    void fieldEntered(QWidget* field);
    void fieldLeft(QWidget* field);
    void dirChange();
    void dirMouseDown();
    void gezyerlExit();
    void runColourAction(ColourAction& action);
    // "Cevapları yapıştır" (fromButton) and the grid's Ctrl+V: the clipboard's
    // answer key into the grid from the current row down.
    void pasteKeysFromClipboard(bool fromButton);

    // The run of "Sayfaları oluştur " (with the live pages too when `live`);
    // nothing when the teacher chose not to make the missing folder. Shows
    // a refusal and ends the command.
    std::optional<GenerationOutcome> generate(bool live);
    // The live exam's window, and "Sınıf sonuçları" following its results.
    void openLiveWindow(std::unique_ptr<LiveExam> exam);
    // At start: an exam left open is offered as "Canlı sınavı sürdür".
    void offerOpenLiveExam();

    // The generation run's input as the controls hold it.
    GenerationInput generationInput();
    // Shows a refusal of the run and ends the command.
    [[noreturn]] void refuse(const GenerationRefused& refusal);
    // Saves the settings the controls hold; false when the save failed.
    bool saveSettingsFromControls();
    // The sections grid belongs to one test name. Stores the grid's rows
    // under it when they changed (a refused table throws its reason, leaving
    // the rows in the grid and the stored ones as they were), then shows the
    // sections of the test name typed now if that is another.
    void syncSections();
    void saveSectionsFromGrid();
    // The option count as the grid uses it: that of "Cevap şıkkı sayısı" when it
    // is a number from 2 to 5, else 5.
    qint32 keyOptionCount() const;

    Prompts& m_prompts;
    Options m_options;
    QString m_liveListen;
    ProgramDatabase* m_database = nullptr;
    SettingsControls m_settingsControls; // each settings field's control
    bool m_shownOnce = false;
    QWidget* m_activeField = nullptr;

    // Controls, named as in the rest of the program.
    QLabel* Label2 = nullptr;
    QTabWidget* sayfalar = nullptr;
    QWidget* sorsayfa = nullptr;
    QWidget* cevsayfa = nullptr;
    QWidget* bolsayfa = nullptr; // "Bölümler": the sections and the booklet count
    QLineEdit* testadl = nullptr;
    QLineEdit* sorusaye = nullptr;
    AnswerKeyGrid* liste = nullptr;
    QPushButton* yapistir = nullptr;
    QPushButton* sinifal = nullptr; // "Sınıf listesi al": a class list from CSV into the database
    QLabel* Label1 = nullptr;
    QPlainTextEdit* soruac = nullptr;
    QLineEdit* sorusrenk = nullptr;
    QLineEdit* sacikl = nullptr;
    QToolButton* BitBtn1 = nullptr;
    QToolButton* BitBtn2 = nullptr;
    QLineEdit* klasor = nullptr;
    DirectoryList* dir = nullptr;
    QLineEdit* sayfaad = nullptr;
    QLineEdit* gezyerl = nullptr;
    QLineEdit* cevapzrl = nullptr;
    QToolButton* BitBtn3 = nullptr;
    QLineEdit* acer = nullptr;
    QLineEdit* ber = nullptr;
    QToolButton* BitBtn4 = nullptr;
    QToolButton* BitBtn5 = nullptr;
    QToolButton* BitBtn6 = nullptr;
    QLineEdit* sonuczrl = nullptr;
    QLineEdit* siksayl = nullptr;
    QCheckBox* teksayfa = nullptr;
    QCheckBox* dogrular = nullptr; // the single page's result view lists the correct answers
    QLineEdit* sure = nullptr;
    QComboBox* yanlis = nullptr;
    QPushButton* sonucoku = nullptr;
    QPushButton* canlisinav = nullptr; // "Canlı sınav"
    QPushButton* optikform = nullptr;  // "Optik form": the test's printed answer form
    QPushButton* kisiyeozel = nullptr; // "Kişiye özel formlar": one form per pupil of a class list
    SectionGrid* bolumler = nullptr;
    QPushButton* bolumekle = nullptr;
    QPushButton* bolumsil = nullptr;
    QComboBox* kitapcik = nullptr;
    std::optional<QString> m_sectionsTestName; // the test name whose sections the grid shows
    QPushButton* dogrugir = nullptr;
    QPushButton* sayfab = nullptr;
    QPushButton* BitBtn7 = nullptr;
    QLabel* durum = nullptr;
    std::vector<ColourAction> renkler;
};
