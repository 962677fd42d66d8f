#pragma once
// A drawn shape of the main window: status lamps, cell bars, indicator shapes,
// highlight frames and lines. Shapes never take mouse clicks.

#include <QColor>
#include <QWidget>

namespace zmx {

class ShapeWidget : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor fillColor READ fillColor WRITE setFillColor)
    Q_PROPERTY(bool filled READ filled WRITE setFilled)
    Q_PROPERTY(QColor borderColor READ borderColor WRITE setBorderColor)
    Q_PROPERTY(int borderWidth READ borderWidth WRITE setBorderWidth)
    Q_PROPERTY(bool dimmed READ dimmed WRITE setDimmed)

public:
    // Line: drawn along the middle of the widget, horizontal when the widget is at least
    // as wide as it is tall, vertical otherwise, in the border colour and width.
    enum class Kind { Rectangle, RoundedRectangle, Oval, Line };

    explicit ShapeWidget(QWidget* parent = nullptr);
    ShapeWidget(Kind kind, QWidget* parent);

    void setKind(Kind kind);
    Kind kind() const { return kind_; }

    void setFillColor(const QColor& colour);
    QColor fillColor() const { return fill_; }

    // An unfilled shape draws only its border (highlight frames).
    void setFilled(bool filled);
    bool filled() const { return filled_; }

    void setBorderColor(const QColor& colour);
    QColor borderColor() const { return border_; }

    // 0 draws no border.
    void setBorderWidth(int width);
    int borderWidth() const { return borderWidth_; }

    // Dimmed: drawn without fill and with a grey border, whatever the colours hold; the
    // colours are kept and show again when the shape is restored.
    void setDimmed(bool dimmed);
    bool dimmed() const { return dimmed_; }

    static QColor dimmedBorderColor() { return QColor(128, 128, 128); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Kind kind_ = Kind::Rectangle;
    QColor fill_ = Qt::white;
    QColor border_ = Qt::black;
    int borderWidth_ = 1;
    bool filled_ = true;
    bool dimmed_ = false;
};

}  // namespace zmx
