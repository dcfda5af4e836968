#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include <memory>

class LiveExam;
class Prompts;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// "Canlı sınav": the pupils' address as text and as a QR code for the class
// board, the pupils as they join, answer and finish, and "Sınavı bitir". The
// window owns the running exam; the exam itself (live/LiveExam) stores
// everything, so closing the window may leave it open to be resumed later.
class LiveWindow : public QWidget {
    Q_OBJECT
public:
    LiveWindow(Prompts& prompts, std::unique_ptr<LiveExam> exam, QWidget* parent = nullptr);
    ~LiveWindow() override;

    LiveExam& exam() { return *m_exam; }

    void adresiKopyalaClick(); // "Adresi kopyala"
    void sinaviBitirClick();   // "Sınavı bitir", after the teacher confirms

    // The QR code of `text`, each cell `cell` pixels with the four-cell quiet
    // zone around it, black on white.
    static QImage qrImage(const QString& text, int cell);

protected:
    // While the exam is open: end it, keep it open for later, or stay.
    void closeEvent(QCloseEvent* event) override;

private:
    void fillPupils();
    void showFinished();

    Prompts& m_prompts;
    std::unique_ptr<LiveExam> m_exam;
    QLineEdit* m_address = nullptr;
    QLabel* m_qr = nullptr;
    QLabel* m_state = nullptr;
    QTableWidget* m_pupils = nullptr;
    QPushButton* m_finish = nullptr;
};
