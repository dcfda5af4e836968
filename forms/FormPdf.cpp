#include "forms/FormPdf.h"

#include "core/AppError.h"
#include "forms/FormCode.h"
#include "forms/FormMarks.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace {

// Fine enough that a 0.3 mm line and a QR module keep their sizes exactly.
constexpr int kDotsPerInch = 600;
constexpr double kDotsPerMm = kDotsPerInch / 25.4;

QRectF dots(double x, double y, double w, double h) {
    return {x * kDotsPerMm, y * kDotsPerMm, w * kDotsPerMm, h * kDotsPerMm};
}

void checkPupil(const FormPupil& pupil, std::size_t index) {
    const QString where = QStringLiteral(u"%1. öğrenci").arg(index + 1);
    if (pupil.number.isEmpty() || pupil.number.size() > kMaxPupilNumber)
        throw AppError(QStringLiteral(u"%1: öğrenci numarası boş ya da %2 karakterden uzun.")
                           .arg(where)
                           .arg(kMaxPupilNumber));
    for (const QChar c : pupil.number)
        if (!c.isLetterOrNumber())
            throw AppError(QStringLiteral(u"%1: öğrenci numarasında yalnız harf ve rakam olabilir "
                                          u"(\"%2\").")
                               .arg(where, pupil.number));
    if (pupil.name.size() > kMaxPupilName)
        throw AppError(
            QStringLiteral(u"%1: adı %2 karakterden uzun.").arg(where).arg(kMaxPupilName));
}

void drawCells(QPainter& painter, const CellGrid& grid, double x, double y, double size) {
    const double cell = size / grid.size;
    for (int r = 0; r < grid.size; ++r)
        for (int c = 0; c < grid.size; ++c)
            if (grid.at(r, c))
                // A hair wider than the cell, so that no seam shows between dark cells.
                painter.fillRect(dots(x + c * cell, y + r * cell, cell + 0.01, cell + 0.01),
                                 Qt::black);
}

void drawText(QPainter& painter, const QString& text, const QRectF& mmRect, double points,
              bool bold, FormText::Align align) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(points);
    font.setBold(bold);
    painter.setFont(font);
    const QRectF rect = dots(mmRect.x(), mmRect.y(), mmRect.width(), mmRect.height());
    const QString shown =
        QFontMetricsF(font, painter.device()).elidedText(text, Qt::ElideRight, rect.width());
    Qt::Alignment flags = Qt::AlignVCenter;
    flags |= align == FormText::Align::Centre  ? Qt::AlignHCenter
             : align == FormText::Align::Right ? Qt::AlignRight
                                               : Qt::AlignLeft;
    painter.drawText(rect, int(flags), shown);
}

void drawForm(QPainter& painter, const FormLayout& layout, const GeneratedTest& test,
              const FormPupil* pupil) {
    for (const FormMarker& m : layout.markers)
        drawCells(painter, cornerMarker(m.id), m.x, m.y, m.size);
    const CellGrid qr = qrCode(
        formCodeText({kFormLayoutVersion, test.identity, pupil ? pupil->number : QString()}));
    drawCells(painter, qr, layout.qr.x, layout.qr.y, layout.qr.size);

    for (const FormText& t : layout.texts)
        drawText(painter, t.text, {t.x, t.y, t.w, t.h}, t.points, t.bold, t.align);

    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 0.3 * kDotsPerMm));
    for (const FormBox& b : layout.boxes)
        painter.drawRect(dots(b.x, b.y, b.w, b.h));
    painter.setPen(QPen(Qt::black, 0.15 * kDotsPerMm));
    for (const FormRect& f : layout.frames)
        painter.drawRect(dots(f.x, f.y, f.w, f.h));
    // Rings a little thicker than a line, so that a reader finds the empty
    // bubble as surely as a filled one; their inside stays white.
    painter.setPen(QPen(Qt::black, 0.3 * kDotsPerMm));
    for (const FormBubble& b : layout.bubbles)
        painter.drawEllipse(dots(b.x - b.r, b.y - b.r, 2 * b.r, 2 * b.r));

    if (!pupil)
        return;
    const FormBox& nameBox = layout.boxes.front();
    drawText(painter, pupil->name, {nameBox.x + 2, nameBox.y, nameBox.w - 4, nameBox.h}, 11, true,
             FormText::Align::Left);
    const FormRect& n = layout.numberField;
    drawText(painter, pupil->number, {n.x, n.y, n.w, n.h}, 11, true, FormText::Align::Left);
}

} // namespace

PrintedForms printForms(const GeneratedTest& test, const std::vector<FormPupil>& pupils,
                        int numberDigits) {
    if (pupils.size() > std::size_t(kMaxFormPupils))
        throw AppError(QStringLiteral(u"Bir seferde en çok %1 öğrencinin formu hazırlanabilir; "
                                      u"listede %2 öğrenci var.")
                           .arg(kMaxFormPupils)
                           .arg(pupils.size()));
    for (std::size_t i = 0; i < pupils.size(); ++i)
        checkPupil(pupils[i], i);

    PrintedForms forms;
    forms.layout = formLayout(test, {numberDigits, !pupils.empty()});

    QBuffer buffer(&forms.pdf);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(kDotsPerInch);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, {},
                                         QPageLayout::Millimeter, {}));
        writer.setTitle(QStringLiteral(u"Optik form - ") + test.name);
        writer.setCreator(QStringLiteral("Dorvana"));
        QPainter painter(&writer);
        if (!painter.isActive())
            throw AppError(QStringLiteral(u"Optik formun PDF belgesi hazırlanamadı."));
        if (pupils.empty())
            drawForm(painter, forms.layout, test, nullptr);
        for (std::size_t i = 0; i < pupils.size(); ++i) {
            if (i > 0)
                writer.newPage();
            drawForm(painter, forms.layout, test, &pupils[i]);
        }
    }
    return forms;
}
