#include "ui/PaletteIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

QIcon paletteIcon() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    // The palette board with its thumb hole.
    QPainterPath board;
    board.addEllipse(QRectF(0.5, 2.5, 13, 11));
    QPainterPath hole;
    hole.addEllipse(QRectF(3, 9, 3, 3));
    p.setPen(QPen(QColor(0x6b, 0x44, 0x1e), 1));
    p.setBrush(QColor(0xd8, 0xb0, 0x7a));
    p.drawPath(board.subtracted(hole));

    // Paint dabs.
    const QColor dabs[] = {Qt::red, Qt::blue, Qt::yellow, QColor(0x00, 0x99, 0x00)};
    const QPointF places[] = {{4, 5.5}, {7.5, 4.5}, {10.5, 6.5}, {9.5, 10}};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 4; ++i) {
        p.setBrush(dabs[i]);
        p.drawEllipse(places[i], 1.6, 1.6);
    }

    // The brush across the board.
    p.setPen(QPen(QColor(0x5a, 0x32, 0x0a), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(15, 1), QPointF(8, 9));
    p.setPen(QPen(Qt::black, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8.5, 8.5), QPointF(7, 10.5));
    return QIcon(pixmap);
}
