#include "window/shell/widgets/ShapeWidget.h"

#include <QPainter>

namespace zmx {

ShapeWidget::ShapeWidget(QWidget* parent) : ShapeWidget(Kind::Rectangle, parent) {}

ShapeWidget::ShapeWidget(Kind kind, QWidget* parent) : QWidget(parent), kind_(kind) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void ShapeWidget::setKind(Kind kind) {
    if (kind_ == kind) return;
    kind_ = kind;
    update();
}

void ShapeWidget::setFillColor(const QColor& colour) {
    if (fill_ == colour) return;
    fill_ = colour;
    update();
}

void ShapeWidget::setFilled(bool filled) {
    if (filled_ == filled) return;
    filled_ = filled;
    update();
}

void ShapeWidget::setBorderColor(const QColor& colour) {
    if (border_ == colour) return;
    border_ = colour;
    update();
}

void ShapeWidget::setBorderWidth(int width) {
    width = qMax(0, width);
    if (borderWidth_ == width) return;
    borderWidth_ = width;
    update();
}

void ShapeWidget::setDimmed(bool dimmed) {
    if (dimmed_ == dimmed) return;
    dimmed_ = dimmed;
    update();
}

void ShapeWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QColor border = dimmed_ ? dimmedBorderColor() : border_;
    const int bw = borderWidth_;

    if (kind_ == Kind::Line) {
        if (bw == 0) return;
        p.setPen(QPen(border, bw, Qt::SolidLine, Qt::FlatCap));
        if (width() >= height()) p.drawLine(QPointF(0, height() / 2.0), QPointF(width(), height() / 2.0));
        else p.drawLine(QPointF(width() / 2.0, 0), QPointF(width() / 2.0, height()));
        return;
    }

    if (kind_ == Kind::Oval || kind_ == Kind::RoundedRectangle) p.setRenderHint(QPainter::Antialiasing);
    // Keep the whole pen inside the widget: inset by half the border width.
    const qreal inset = bw / 2.0;
    const QRectF r = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    p.setPen(bw > 0 ? QPen(border, bw, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin) : QPen(Qt::NoPen));
    p.setBrush(filled_ && !dimmed_ ? QBrush(fill_) : QBrush(Qt::NoBrush));
    switch (kind_) {
        case Kind::Rectangle: p.drawRect(r); break;
        case Kind::RoundedRectangle: {
            const qreal radius = qMin(r.width(), r.height()) / 4.0;
            p.drawRoundedRect(r, radius, radius);
            break;
        }
        case Kind::Oval: p.drawEllipse(r); break;
        case Kind::Line: break;
    }
}

}  // namespace zmx
