#include "window/shell/widgets/Pictures.h"

#include <QFont>
#include <QPainter>
#include <QPolygonF>

namespace zmx {

QPixmap arrowPixmap(ArrowDirection direction, int size, const QColor& colour) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    const qreal s = size, m = size * 0.15;
    QPolygonF triangle;
    switch (direction) {
        case ArrowDirection::Up: triangle << QPointF(s / 2, m) << QPointF(s - m, s - m) << QPointF(m, s - m); break;
        case ArrowDirection::Down: triangle << QPointF(m, m) << QPointF(s - m, m) << QPointF(s / 2, s - m); break;
        case ArrowDirection::Left: triangle << QPointF(m, s / 2) << QPointF(s - m, m) << QPointF(s - m, s - m); break;
        case ArrowDirection::Right: triangle << QPointF(m, m) << QPointF(s - m, s / 2) << QPointF(m, s - m); break;
    }
    p.drawPolygon(triangle);
    return pixmap;
}

QPixmap badgePixmap(const QString& title, const QString& subtitle, const QSize& size, const QColor& colour) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF frame = QRectF(pixmap.rect()).adjusted(1, 1, -1, -1);
    p.setPen(QPen(colour, 1.5));
    p.setBrush(Qt::white);
    p.drawRoundedRect(frame, 5, 5);

    QFont bold(QStringLiteral("Arial"));
    bold.setBold(true);
    bold.setPixelSize(qMax(8, size.height() * (subtitle.isEmpty() ? 5 : 4) / 10));
    QFont small(QStringLiteral("Arial"));
    small.setPixelSize(qMax(7, size.height() / 4));
    p.setPen(colour);
    if (subtitle.isEmpty()) {
        p.setFont(bold);
        p.drawText(frame, Qt::AlignCenter, title);
        return pixmap;
    }
    const QRectF top(frame.left(), frame.top(), frame.width(), frame.height() * 0.6);
    const QRectF bottom(frame.left(), frame.top() + frame.height() * 0.55, frame.width(), frame.height() * 0.4);
    p.setFont(bold);
    p.drawText(top, Qt::AlignCenter, title);
    p.setFont(small);
    p.drawText(bottom, Qt::AlignCenter, subtitle);
    return pixmap;
}

}  // namespace zmx
