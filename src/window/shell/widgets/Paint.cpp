#include "window/shell/widgets/Paint.h"

#include "window/shell/widgets/Layout.h"
#include "window/shell/widgets/ShapeWidget.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>

namespace zmx {
namespace {

enum class Kind { Shape, TextBox, ButtonFace, WindowArea };

Kind kindOf(const QWidget* w) {
    if (qobject_cast<const ShapeWidget*>(w)) return Kind::Shape;
    if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w) ||
        qobject_cast<const QTextEdit*>(w))
        return Kind::TextBox;
    if (qobject_cast<const QPushButton*>(w) || qobject_cast<const QComboBox*>(w)) return Kind::ButtonFace;
    return Kind::WindowArea;  // labels, check boxes, option buttons, frames, plain widgets
}

// True when the widget itself has set the role to this colour in every group. Setting
// it again would change nothing, yet QWidget::setPalette resolves the whole palette first;
// the paint helpers run for many controls on every tick of continuous mode.
bool roleAlreadySet(const QWidget* w, QPalette::ColorRole role, const QColor& colour) {
    const QPalette& p = w->palette();
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        if (!p.isBrushSet(g, role) || p.color(g, role) != colour) return false;
    return true;
}

void setRole(QWidget* w, QPalette::ColorRole role, const QColor& colour) {
    if (roleAlreadySet(w, role, colour)) return;
    QPalette p = w->palette();
    p.setColor(role, colour);  // all colour groups, so a disabled control keeps it too
    w->setPalette(p);
}

}  // namespace

void setBackground(QWidget* w, const QColor& colour) {
    switch (kindOf(w)) {
        case Kind::Shape: static_cast<ShapeWidget*>(w)->setFillColor(colour); return;
        case Kind::TextBox: setRole(w, QPalette::Base, colour); return;
        case Kind::ButtonFace: setRole(w, QPalette::Button, colour); return;
        case Kind::WindowArea:
            // Labels and boxes paint no background of their own unless told to fill.
            w->setAutoFillBackground(true);
            setRole(w, QPalette::Window, colour);
            return;
    }
}

QColor background(const QWidget* w) {
    switch (kindOf(w)) {
        case Kind::Shape: return static_cast<const ShapeWidget*>(w)->fillColor();
        case Kind::TextBox: return w->palette().color(QPalette::Base);
        case Kind::ButtonFace: return w->palette().color(QPalette::Button);
        case Kind::WindowArea: break;
    }
    return w->palette().color(QPalette::Window);
}

void setForeground(QWidget* w, const QColor& colour) {
    switch (kindOf(w)) {
        case Kind::Shape: static_cast<ShapeWidget*>(w)->setBorderColor(colour); return;
        case Kind::TextBox: setRole(w, QPalette::Text, colour); return;
        case Kind::ButtonFace: setRole(w, QPalette::ButtonText, colour); return;
        case Kind::WindowArea:
            setRole(w, QPalette::WindowText, colour);
            // The frame title is drawn with the Text role by the common styles.
            if (qobject_cast<QGroupBox*>(w)) setRole(w, QPalette::Text, colour);
            return;
    }
}

QColor foreground(const QWidget* w) {
    switch (kindOf(w)) {
        case Kind::Shape: return static_cast<const ShapeWidget*>(w)->borderColor();
        case Kind::TextBox: return w->palette().color(QPalette::Text);
        case Kind::ButtonFace: return w->palette().color(QPalette::ButtonText);
        case Kind::WindowArea: break;
    }
    return w->palette().color(QPalette::WindowText);
}

void setGeometryUnits(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(left, top, width, height);
}

void setGeometryTwips(QWidget* w, int left, int top, int width, int height) {
    constexpr int t = layout::kTwipsPerUnit;
    w->setGeometry(left / t, top / t, width / t, height / t);
}

QColor systemWindowText() { return QApplication::palette().color(QPalette::Text); }

QColor systemWindowBackground() { return QApplication::palette().color(QPalette::Base); }

}  // namespace zmx
