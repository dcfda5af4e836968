#include "ui/LiveWindow.h"

#include "forms/FormMarks.h"
#include "live/LiveExam.h"
#include "results/ResultText.h"
#include "ui/ErrorHandler.h"
#include "ui/Prompts.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString kCaption = QStringLiteral(u"Canlı sınav");

QString statusText(LivePupil::Status status) {
    switch (status) {
    case LivePupil::Status::InExam:
        return QStringLiteral(u"Sınavda");
    case LivePupil::Status::Finished:
        return QStringLiteral(u"Bitirdi");
    case LivePupil::Status::Disconnected:
        break;
    }
    return QStringLiteral(u"Bağlantı yok");
}

} // namespace

LiveWindow::LiveWindow(Prompts& prompts, std::unique_ptr<LiveExam> exam, QWidget* parent)
    : QWidget(parent, Qt::Window), m_prompts(prompts), m_exam(std::move(exam)) {
    setObjectName(QStringLiteral("canliSinav"));
    setWindowTitle(kCaption + QStringLiteral(" - ") + m_exam->test().name);
    resize(900, 620);

    const QString address = m_exam->address().toString();
    m_address = new QLineEdit(address);
    m_address->setObjectName(QStringLiteral("adres"));
    m_address->setReadOnly(true);
    m_address->setAccessibleName(QStringLiteral("Adres"));
    QFont big = m_address->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    m_address->setFont(big);
    auto* addressLabel = new QLabel(QStringLiteral("&Adres"));
    addressLabel->setBuddy(m_address);
    auto* copy = new QPushButton(QStringLiteral("Adresi kopyala"));
    copy->setObjectName(QStringLiteral("adresiKopyala"));
    connect(copy, &QPushButton::clicked, this, [this] { adresiKopyalaClick(); });

    // Large enough to be read by a phone from the back of the class when
    // shown on the board: about 8 pixels a cell.
    m_qr = new QLabel;
    m_qr->setObjectName(QStringLiteral("karekod"));
    m_qr->setAccessibleName(QStringLiteral("Adresin karekodu"));
    m_qr->setPixmap(QPixmap::fromImage(qrImage(address, 8)));
    m_qr->setAlignment(Qt::AlignCenter);

    m_pupils = new QTableWidget(0, 5);
    m_pupils->setObjectName(QStringLiteral("ogrenciler"));
    m_pupils->setAccessibleName(QStringLiteral(u"Öğrenciler"));
    m_pupils->setHorizontalHeaderLabels({QStringLiteral("Ad"), QStringLiteral(u"Kitapçık"),
                                         QStringLiteral("Cevaplanan"), QStringLiteral("Durum"),
                                         QStringLiteral("Net")});
    m_pupils->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pupils->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pupils->verticalHeader()->hide();
    m_pupils->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    auto* pupilsLabel = new QLabel(QStringLiteral(u"Öğrenciler"));
    pupilsLabel->setBuddy(m_pupils);

    m_state = new QLabel;
    m_state->setObjectName(QStringLiteral("durum"));
    m_finish = new QPushButton(QStringLiteral(u"Sınavı bitir"));
    m_finish->setObjectName(QStringLiteral("sinaviBitir"));
    connect(m_finish, &QPushButton::clicked, this, [this] {
        if (m_prompts.confirm(kCaption,
                              QStringLiteral(u"Sınav bitirilsin mi? Öğrenciler artık cevap "
                                             u"veremez ve doğru cevapları görür."),
                              QStringLiteral(u"Sınavı bitir"), QStringLiteral(u"Vazgeç")))
            sinaviBitirClick();
    });

    auto* addressRow = new QHBoxLayout;
    addressRow->addWidget(addressLabel);
    addressRow->addWidget(m_address, 1);
    addressRow->addWidget(copy);
    auto* left = new QVBoxLayout;
    left->addWidget(pupilsLabel);
    left->addWidget(m_pupils, 1);
    auto* middle = new QHBoxLayout;
    middle->addLayout(left, 1);
    middle->addWidget(m_qr);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_state, 1);
    bottom->addWidget(m_finish);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(addressRow);
    layout->addLayout(middle, 1);
    layout->addLayout(bottom);

    connect(m_exam.get(), &LiveExam::pupilsChanged, this, [this] { fillPupils(); });
    connect(m_exam.get(), &LiveExam::examFinished, this, [this] { showFinished(); });
    fillPupils();
    if (m_exam->isFinished())
        showFinished();
}

LiveWindow::~LiveWindow() = default;

QImage LiveWindow::qrImage(const QString& text, int cell) {
    const CellGrid grid = qrCode(text);
    constexpr int quiet = 4;
    const int side = (grid.size + 2 * quiet) * cell;
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int row = 0; row < grid.size; ++row)
        for (int column = 0; column < grid.size; ++column)
            if (grid.at(row, column))
                painter.fillRect((column + quiet) * cell, (row + quiet) * cell, cell, cell,
                                 Qt::black);
    return image;
}

void LiveWindow::adresiKopyalaClick() {
    QGuiApplication::clipboard()->setText(m_address->text());
    m_state->setText(QStringLiteral(u"Adres panoya kopyalandı."));
}

void LiveWindow::sinaviBitirClick() {
    runCommand(m_prompts, [this] { m_exam->finish(); });
    showFinished();
}

void LiveWindow::showFinished() {
    if (!m_exam->isFinished())
        return;
    m_finish->setEnabled(false);
    m_state->setText(QStringLiteral(u"Sınav bitti. Öğrenciler doğru cevapları görüyor."));
}

void LiveWindow::fillPupils() {
    const std::vector<LivePupil> pupils = m_exam->pupils();
    m_pupils->setRowCount(int(pupils.size()));
    for (int row = 0; row < int(pupils.size()); ++row) {
        const LivePupil& p = pupils[std::size_t(row)];
        // The same name from two devices: both rows say so, for the teacher to ask.
        auto* name = new QTableWidgetItem(
            p.sameNameElsewhere ? shownName(p.name) + QStringLiteral(u" (başka cihaz)")
                                : shownName(p.name));
        if (p.sameNameElsewhere) {
            name->setToolTip(QStringLiteral(u"Aynı ad başka bir cihazdan da katıldı."));
            name->setForeground(Qt::darkRed);
        }
        const QString cells[] = {QString(), p.booklet, QString::number(p.answered),
                                 statusText(p.status), p.net ? decimalText(*p.net) : QString()};
        m_pupils->setItem(row, 0, name);
        for (int column = 1; column < 5; ++column)
            m_pupils->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    m_state->setText(m_exam->isFinished()
                         ? QStringLiteral(u"Sınav bitti. Öğrenciler doğru cevapları görüyor.")
                         : QStringLiteral(u"%1 öğrenci katıldı.").arg(pupils.size()));
}

void LiveWindow::closeEvent(QCloseEvent* event) {
    if (m_exam->isFinished()) {
        QWidget::closeEvent(event);
        return;
    }
    const int choice = m_prompts.choose(
        kCaption,
        QStringLiteral(u"Sınav sürüyor. Sınav bitirilsin mi, yoksa açık kalsın mı? Açık kalan "
                       u"sınav, program yeniden açıldığında \"Canlı sınavı sürdür\" ile sürer; "
                       u"o zamana kadar öğrencilerin sayfaları cevaplarını saklar."),
        {QStringLiteral(u"Sınavı bitir"), QStringLiteral(u"Açık kalsın"),
         QStringLiteral(u"Vazgeç")});
    if (choice == 2) {
        event->ignore();
        return;
    }
    if (choice == 0) {
        sinaviBitirClick();
        if (!m_exam->isFinished()) { // the finish failed and said why: the window stays
            event->ignore();
            return;
        }
    }
    QWidget::closeEvent(event);
}
