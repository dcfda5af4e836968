#include "ui/FormReviewDialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

constexpr int kCutoutWidth = 640;  // a row's cut-out shown this wide, so faint marks show
constexpr int kNameBoxWidth = 420; // the handwritten name box

QPixmap shownImage(const QImage& image, int width) {
    if (image.isNull())
        return {};
    return QPixmap::fromImage(image.scaledToWidth(width, Qt::SmoothTransformation));
}

bool isWholeNumber(const FormFlag& flag) {
    return flag.row == FormFlag::Row::Number && flag.position == 0;
}

} // namespace

FormReviewDialog::FormReviewDialog(FormReview& review, QWidget* parent)
    : QDialog(parent), m_review(review) {
    setObjectName(QStringLiteral("formgozden"));
    setWindowTitle(QStringLiteral(u"Okunan optik formlar"));
    resize(980, 680);

    m_summary = new QPlainTextEdit(m_review.summary(), this);
    m_summary->setObjectName(QStringLiteral("ozet"));
    m_summary->setReadOnly(true);
    m_summary->setMaximumHeight(110);
    m_summary->setFocusPolicy(Qt::ClickFocus);

    m_rows = new QListWidget(this);
    m_rows->setObjectName(QStringLiteral("satirlar"));
    for (std::size_t row = 0; row < m_review.rowCount(); ++row)
        m_rows->addItem(m_review.rowTitle(row));
    m_rows->installEventFilter(this);

    auto* shown = new QWidget(this);
    auto* shownLayout = new QVBoxLayout(shown);
    m_cutout = new QLabel(shown);
    m_cutout->setObjectName(QStringLiteral("kesit"));
    m_nameBox = new QLabel(shown);
    m_nameBox->setObjectName(QStringLiteral("adkutusu"));
    m_pupil = new QLabel(shown);
    m_pupil->setObjectName(QStringLiteral("ogrenci"));
    m_choiceButtons = new QWidget(shown);
    m_choiceButtons->setObjectName(QStringLiteral("secenekler"));
    new QHBoxLayout(m_choiceButtons);
    m_choiceGroup = new QButtonGroup(this);
    m_candidates = new QListWidget(shown);
    m_candidates->setObjectName(QStringLiteral("adaylar"));
    shownLayout->addWidget(m_cutout);
    shownLayout->addWidget(m_nameBox);
    shownLayout->addWidget(m_pupil);
    shownLayout->addWidget(m_choiceButtons);
    shownLayout->addWidget(m_candidates, 1);
    shownLayout->addStretch();
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(shown);
    scroll->setWidgetResizable(true);

    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(m_rows);
    split->addWidget(scroll);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 3);

    auto* buttons = new QDialogButtonBox(this);
    m_confirm = buttons->addButton(QStringLiteral("Onayla"), QDialogButtonBox::AcceptRole);
    m_confirm->setObjectName(QStringLiteral("onayla"));
    m_confirm->setToolTip(QStringLiteral(u"Okunan formları sonuç olarak kaydeder"));
    m_confirm->setDefault(true);
    auto* cancel = buttons->addButton(QStringLiteral(u"Vazgeç"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("vazgec"));
    cancel->setToolTip(QStringLiteral(u"Hiçbir sonuç kaydedilmez"));
    m_confirm->setEnabled(m_review.complete());

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(split, 1);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_rows, &QListWidget::currentRowChanged, this, &FormReviewDialog::showRow);
    connect(m_choiceGroup, &QButtonGroup::idClicked, this, &FormReviewDialog::chooseShown);
    connect(m_candidates, &QListWidget::currentRowChanged, this, [this](int choice) {
        if (m_shown >= 0 && choice >= 0) {
            m_review.choose(std::size_t(m_shown), choice);
            updateRowText(m_shown);
            showPupil();
            m_confirm->setEnabled(m_review.complete());
        }
    });

    if (m_review.rowCount() > 0) {
        m_rows->setCurrentRow(0);
        m_rows->setFocus();
    } else {
        scroll->hide();
        m_rows->hide();
    }
}

void FormReviewDialog::showRow(int row) {
    if (row < 0 || row >= int(m_review.rowCount()))
        return;
    m_shown = row;
    if (m_rows->currentRow() != row)
        m_rows->setCurrentRow(row);
    const FormFlag& flag = m_review.flagOf(std::size_t(row));
    m_cutout->setPixmap(shownImage(flag.cutout, kCutoutWidth));
    const bool number = flag.row == FormFlag::Row::Number;
    m_nameBox->setPixmap(
        number ? shownImage(m_review.sheetOf(std::size_t(row)).nameBox, kNameBoxWidth) : QPixmap());
    m_nameBox->setVisible(number);
    fillChoices();
    showPupil();
}

void FormReviewDialog::showPupil() {
    m_pupil->setText(QStringLiteral(u"Bu form şu öğrencinin sonucu olarak kaydedilecek: %1")
                         .arg(m_review.pupilOf(std::size_t(m_shown))));
}

void FormReviewDialog::fillChoices() {
    const FormFlag& flag = m_review.flagOf(std::size_t(m_shown));
    const int chosen = m_review.chosen(std::size_t(m_shown));
    for (QAbstractButton* button : m_choiceGroup->buttons())
        delete button;
    const QSignalBlocker blocker(m_candidates);
    m_candidates->clear();
    const bool whole = isWholeNumber(flag);
    m_candidates->setVisible(whole);
    m_choiceButtons->setVisible(!whole);
    if (whole) {
        m_candidates->addItems(flag.choices);
        m_candidates->setCurrentRow(chosen);
        return;
    }
    for (int i = 0; i < flag.choices.size(); ++i) {
        auto* button = new QPushButton(flag.choices[i], m_choiceButtons);
        button->setObjectName(QStringLiteral("secenek%1").arg(i));
        button->setCheckable(true);
        button->setChecked(i == chosen);
        button->setFocusPolicy(Qt::NoFocus); // keys stay with the rows
        m_choiceGroup->addButton(button, i);
        m_choiceButtons->layout()->addWidget(button);
    }
}

void FormReviewDialog::chooseShown(int choice) {
    if (m_shown < 0)
        return;
    m_review.choose(std::size_t(m_shown), choice);
    updateRowText(m_shown);
    m_confirm->setEnabled(m_review.complete());
    // On to the next row still waiting, so a batch is answered key after key.
    const int count = int(m_review.rowCount());
    for (int step = 1; step < count; ++step) {
        const int next = (m_shown + step) % count;
        if (m_review.chosen(std::size_t(next)) < 0) {
            showRow(next);
            return;
        }
    }
    fillChoices();
    showPupil();
}

void FormReviewDialog::updateRowText(int row) {
    const int chosen = m_review.chosen(std::size_t(row));
    QString text = m_review.rowTitle(std::size_t(row));
    if (chosen >= 0)
        text += QStringLiteral(u" → ") + m_review.flagOf(std::size_t(row)).choices[chosen];
    m_rows->item(row)->setText(text);
}

bool FormReviewDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_rows || event->type() != QEvent::KeyPress || m_shown < 0)
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const int count = int(m_review.rowCount());
    if (key->key() == Qt::Key_Tab && m_shown + 1 < count) {
        showRow(m_shown + 1);
        return true;
    }
    if (key->key() == Qt::Key_Backtab && m_shown > 0) {
        showRow(m_shown - 1);
        return true;
    }
    if (key->text().isEmpty() || !key->text().front().isPrint())
        return false;
    if (isWholeNumber(m_review.flagOf(std::size_t(m_shown)))) {
        // The pupil is found by the start of the number typed; the keys stay with the rows.
        m_candidates->keyboardSearch(key->text());
        return true;
    }
    const int choice = m_review.choiceForKey(std::size_t(m_shown), key->text());
    if (choice >= 0)
        chooseShown(choice);
    return true;
}
