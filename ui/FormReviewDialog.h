#pragma once

#include "run/FormReview.h"

#include <QDialog>

class QButtonGroup;
class QDialogButtonBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QWidget;

// The review of read forms before anything is stored: the batch's summary,
// the flagged rows in a list, and the chosen row large, with its cut-out (and
// the name box for the number) and its choices. A choice is typed (the
// letter or digit; space, "-" or "." for "Boş") or clicked; arrows and Tab
// move between the rows. "Onayla" is enabled once every row has a choice.
class FormReviewDialog : public QDialog {
    Q_OBJECT
public:
    FormReviewDialog(FormReview& review, QWidget* parent = nullptr);

    // Shows flagged row `row` large.
    void showRow(int row);
    // Chooses for the row shown, as a typed key or a click does, and moves on
    // to the next row without a choice.
    void chooseShown(int choice);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillChoices();
    void updateRowText(int row);
    void showPupil();

    FormReview& m_review;
    int m_shown = -1;
    QPlainTextEdit* m_summary = nullptr;
    QListWidget* m_rows = nullptr;
    QLabel* m_cutout = nullptr;
    QLabel* m_nameBox = nullptr;
    QLabel* m_pupil = nullptr; // whom the shown sheet is stored under
    QWidget* m_choiceButtons = nullptr;
    QButtonGroup* m_choiceGroup = nullptr;
    QListWidget* m_candidates = nullptr; // the pupils a whole-number flag offers
    QPushButton* m_confirm = nullptr;
};
