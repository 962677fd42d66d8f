#include "window/shell/widgets/InventoryBuilder.h"

#include "window/shell/widgets/Controls.h"
#include "window/shell/widgets/WrappingButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QRadioButton>

namespace zmx {
namespace {

// Check and option boxes with a 10-pixel indicator and little spacing, so that captions
// such as "READ Only" fit the 57-pixel cell panels at a readable size.
class CompactBoxStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        switch (metric) {
            case PM_IndicatorWidth:
            case PM_IndicatorHeight:
            case PM_ExclusiveIndicatorWidth:
            case PM_ExclusiveIndicatorHeight: return 10;
            case PM_CheckBoxLabelSpacing:
            case PM_RadioButtonLabelSpacing: return 3;
            default: return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }
};

}  // namespace

InventoryBuilder::InventoryBuilder(QObject* styleOwner) : boxStyle_(new CompactBoxStyle) {
    boxStyle_->setParent(styleOwner);
}

QString InventoryBuilder::element(const char* base, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(base)).arg(index);
}

QFont InventoryBuilder::arial(qreal points, bool bold) {
    QFont f;
    // Arial where installed, else its metric-compatible twin.
    f.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

QFont InventoryBuilder::frameTitleFont(qreal points) {
    QFont f;
    f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    f.setPointSizeF(points);
    f.setBold(true);
    return f;
}

void InventoryBuilder::mark(QObject* object, const QString& name) {
    object->setObjectName(name);
    object->setProperty(kInventoryProperty, order_++);
}

QGroupBox* InventoryBuilder::frame(QWidget* parent, const QString& name, const QString& title, const QRect& r) {
    auto* w = new QGroupBox(title, parent);
    mark(w, name);
    w->setFont(frameTitleFont());
    w->setGeometry(r);
    return w;
}

QLabel* InventoryBuilder::label(QWidget* parent, const QString& name, const QString& text, const QRect& r, bool wrap,
                                qreal points) {
    auto* w = new QLabel(text, parent);
    mark(w, name);
    w->setFont(arial(points));
    w->setGeometry(r);
    w->setWordWrap(wrap);
    w->setTextFormat(Qt::PlainText);
    return w;
}

QLabel* InventoryBuilder::picture(QWidget* parent, const QString& name, const QPixmap& pixmap, const QRect& r,
                                  const QString& description) {
    auto* w = new QLabel(parent);
    mark(w, name);
    w->setPixmap(pixmap);
    w->setAlignment(Qt::AlignCenter);
    w->setGeometry(r);
    w->setAccessibleDescription(description);
    return w;
}

QPushButton* InventoryBuilder::button(QWidget* parent, const QString& name, const QString& caption, const QString& tip,
                                      const QRect& r, qreal points) {
    auto* w = new WrappingButton(caption, parent);
    mark(w, name);
    w->setFont(arial(points));
    w->setToolTip(tip);
    w->setGeometry(r);
    w->setAutoDefault(false);
    return w;
}

QCheckBox* InventoryBuilder::check(QWidget* parent, const QString& name, const QString& caption, const QString& tip,
                                   const QRect& r, qreal points) {
    auto* w = new QCheckBox(caption, parent);
    mark(w, name);
    w->setStyle(boxStyle_);
    w->setFont(arial(points));
    w->setToolTip(tip);
    w->setGeometry(r);
    return w;
}

QRadioButton* InventoryBuilder::option(QWidget* parent, const QString& name, const QString& caption, const QRect& r,
                                       const QString& description) {
    auto* w = new QRadioButton(caption, parent);
    mark(w, name);
    w->setStyle(boxStyle_);
    w->setFont(arial());
    w->setGeometry(r);
    if (!description.isEmpty()) w->setAccessibleDescription(description);
    return w;
}

QLineEdit* InventoryBuilder::textBox(QWidget* parent, const QString& name, const QString& text, const QRect& r,
                                     const QString& description, bool readOnly) {
    auto* w = new QLineEdit(text, parent);
    mark(w, name);
    w->setFont(arial());
    w->setGeometry(r);
    w->setReadOnly(readOnly);
    w->setTextMargins(0, 0, 0, 0);
    w->setCursorPosition(0);
    w->setAccessibleDescription(description);
    return w;
}

QPlainTextEdit* InventoryBuilder::textArea(QWidget* parent, const QString& name, const QRect& r,
                                           const QString& description) {
    auto* w = new QPlainTextEdit(parent);
    mark(w, name);
    w->setFont(arial());
    w->setGeometry(r);
    w->setReadOnly(true);
    w->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    w->setWordWrapMode(QTextOption::WordWrap);
    w->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    w->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    w->document()->setDocumentMargin(2);
    w->setAccessibleDescription(description);
    return w;
}

QComboBox* InventoryBuilder::combo(QWidget* parent, const QString& name, const QStringList& items, int current,
                                   const QRect& r, const QString& description) {
    auto* w = new QComboBox(parent);
    mark(w, name);
    w->setFont(arial());
    w->addItems(items);
    w->setCurrentIndex(current);
    w->setGeometry(r);
    w->setAccessibleDescription(description);
    return w;
}

ShapeWidget* InventoryBuilder::shape(QWidget* parent, const QString& name, ShapeWidget::Kind kind, const QRect& r,
                                     const QString& description) {
    auto* w = new ShapeWidget(kind, parent);
    mark(w, name);
    w->setGeometry(r);
    w->setAccessibleDescription(description);
    return w;
}

}  // namespace zmx
