#include "window/shell/widgets/WindowDump.h"

#include "window/shell/widgets/Controls.h"
#include "window/shell/widgets/Paint.h"
#include "window/shell/widgets/ShapeWidget.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSaveFile>

#include <algorithm>
#include <vector>

namespace zmx {
namespace {

QString colourText(const QColor& c) { return c.name(QColor::HexRgb).toUpper(); }

QString widgetText(const QWidget* w) {
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text();
    if (auto* l = qobject_cast<const QLabel*>(w)) return l->text();
    if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->text();
    if (auto* t = qobject_cast<const QPlainTextEdit*>(w)) return t->toPlainText();
    if (auto* g = qobject_cast<const QGroupBox*>(w)) return g->title();
    if (auto* c = qobject_cast<const QComboBox*>(w)) return c->currentText();
    if (auto* m = qobject_cast<const QMenu*>(w)) return m->title();
    return {};
}

QJsonObject describeWidget(const QMainWindow* form, const QWidget* w) {
    QJsonObject o;
    o["name"] = w->objectName();
    o["class"] = QString::fromLatin1(w->metaObject()->className());
    o["text"] = widgetText(w);
    o["toolTip"] = w->toolTip();
    o["accessibleName"] = w->accessibleName();
    auto* button = qobject_cast<const QAbstractButton*>(w);
    o["checked"] = button && button->isCheckable() && button->isChecked();
    o["enabled"] = w->isEnabled();
    o["foreground"] = colourText(foreground(w));
    o["background"] = colourText(background(w));
    auto* shape = qobject_cast<const ShapeWidget*>(w);
    o["fill"] = colourText(shape ? shape->fillColor() : background(w));

    QRect r;
    if (auto* menu = qobject_cast<const QMenu*>(w)) {
        // A menu is shown as its title in the menu bar.
        const QMenuBar* bar = form->menuBar();
        o["visible"] = menu->menuAction()->isVisible() && bar->isVisibleTo(form);
        const QRect inBar = bar->actionGeometry(menu->menuAction());
        r = QRect(bar->mapTo(form, inBar.topLeft()), inBar.size());
    } else {
        o["visible"] = w->isVisibleTo(form);
        r = QRect(w->mapTo(form, QPoint(0, 0)), w->size());
    }
    o["x"] = r.x();
    o["y"] = r.y();
    o["width"] = r.width();
    o["height"] = r.height();
    return o;
}

// Menu items have no place of their own until their menu opens.
QJsonObject describeAction(const QAction* a) {
    QJsonObject o;
    o["name"] = a->objectName();
    o["class"] = QString::fromLatin1(a->metaObject()->className());
    o["text"] = a->text();
    // An action without a tool tip of its own reports its text as one; that is no tool tip.
    QString caption = a->text();
    caption.remove(QLatin1Char('&'));
    o["toolTip"] = a->toolTip() == caption ? QString() : a->toolTip();
    o["accessibleName"] = QString();
    o["visible"] = a->isVisible();
    o["enabled"] = a->isEnabled();
    o["checked"] = a->isCheckable() && a->isChecked();
    o["x"] = 0;
    o["y"] = 0;
    o["width"] = 0;
    o["height"] = 0;
    o["foreground"] = colourText(systemWindowText());
    o["background"] = colourText(systemWindowBackground());
    o["fill"] = colourText(systemWindowBackground());
    return o;
}

// A control of a second window: what a user or a screen reader meets there.
QJsonObject describeInWindow(const QWidget* window, const QWidget* w) {
    QJsonObject o;
    o["name"] = w->objectName();
    o["class"] = QString::fromLatin1(w->metaObject()->className());
    o["text"] = widgetText(w);
    o["toolTip"] = w->toolTip();
    o["accessibleName"] = w->accessibleName();
    o["accessibleDescription"] = w->accessibleDescription();
    o["visible"] = w->isVisibleTo(window);
    o["enabled"] = w->isEnabled();
    auto* button = qobject_cast<const QAbstractButton*>(w);
    o["checked"] = button && button->isCheckable() && button->isChecked();
    const QRect r(w->mapTo(window, QPoint(0, 0)), w->size());
    o["x"] = r.x();
    o["y"] = r.y();
    o["width"] = r.width();
    o["height"] = r.height();
    return o;
}

QJsonArray describeSecondWindows(const QMainWindow* form) {
    QJsonArray windows;
    for (const QWidget* win : form->findChildren<QWidget*>()) {
        const QVariant section = win->property(kDumpSectionProperty);
        if (!section.isValid() || !win->isWindow()) continue;
        QJsonObject o;
        o["section"] = section.toString();
        o["name"] = win->objectName();
        o["title"] = win->windowTitle();
        o["visible"] = win->isVisible();
        const QPoint origin = win->mapToGlobal(QPoint(0, 0));
        o["x"] = origin.x();
        o["y"] = origin.y();
        o["width"] = win->width();
        o["height"] = win->height();
        QJsonArray controls;
        for (const QWidget* w : win->findChildren<QWidget*>()) {
            // Qt's own inner parts (viewports, scroll bars, headers) carry "qt_" names or none.
            if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_"))) continue;
            controls.append(describeInWindow(win, w));
        }
        o["controls"] = controls;
        windows.append(o);
    }
    return windows;
}

}  // namespace

QByteArray dumpWindowJson(const QMainWindow* form) {
    std::vector<std::pair<int, const QObject*>> controls;
    for (const QObject* o : form->findChildren<QObject*>()) {
        const QVariant order = o->property(kInventoryProperty);
        if (order.isValid()) controls.emplace_back(order.toInt(), o);
    }
    std::stable_sort(controls.begin(), controls.end(), [](const auto& a, const auto& b) { return a.first < b.first; });

    QJsonArray list;
    for (const auto& [order, o] : controls) {
        if (auto* w = qobject_cast<const QWidget*>(o)) list.append(describeWidget(form, w));
        else if (auto* a = qobject_cast<const QAction*>(o)) list.append(describeAction(a));
    }

    const QPoint origin = form->mapToGlobal(QPoint(0, 0));
    QJsonObject window;
    window["x"] = origin.x();
    window["y"] = origin.y();
    window["width"] = form->width();
    window["height"] = form->height();

    QJsonArray added;
    for (const QObject* o : form->findChildren<QObject*>()) {
        if (!o->property(kAddedControlProperty).toBool()) continue;
        if (auto* w = qobject_cast<const QWidget*>(o)) added.append(describeWidget(form, w));
        else if (auto* a = qobject_cast<const QAction*>(o)) added.append(describeAction(a));
    }

    QJsonObject root;
    root["window"] = window;
    root["controls"] = list;
    root["added"] = added;
    root["windows"] = describeSecondWindows(form);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool writeWindowDump(const QMainWindow* form, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    const QByteArray json = dumpWindowJson(form);
    if (file.write(json) != json.size()) return false;
    return file.commit();
}

}  // namespace zmx
