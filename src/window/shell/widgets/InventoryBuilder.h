#pragma once
// Internal to the window inventory: creates one control with the settings every control
// shares (objectName, font, geometry, tool tip, inventory mark) so that the area builders
// only state what differs. Geometry is in pixels of the parent.

#include "window/shell/widgets/ShapeWidget.h"

#include <QFont>
#include <QRect>
#include <QString>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QObject;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStyle;
class QWidget;

namespace zmx {

struct Controls;

class InventoryBuilder {
public:
    // styleOwner keeps the compact box style alive as long as the controls.
    explicit InventoryBuilder(QObject* styleOwner);

    static constexpr qreal kControlPoints = 7.0;

    // "Command1" and 7 give "Command1(7)".
    static QString element(const char* base, int index);
    static QFont arial(qreal points = kControlPoints, bool bold = false);
    static QFont frameTitleFont(qreal points = kControlPoints);

    // Marks an object as an inventory control and names it.
    void mark(QObject* object, const QString& name);

    QGroupBox* frame(QWidget* parent, const QString& name, const QString& title, const QRect& r);
    QLabel* label(QWidget* parent, const QString& name, const QString& text, const QRect& r, bool wrap = false,
                  qreal points = kControlPoints);
    // A label showing a picture; it has no caption, so it gets a description.
    QLabel* picture(QWidget* parent, const QString& name, const QPixmap& pixmap, const QRect& r,
                    const QString& description);
    QPushButton* button(QWidget* parent, const QString& name, const QString& caption, const QString& tip,
                        const QRect& r, qreal points = kControlPoints);
    QCheckBox* check(QWidget* parent, const QString& name, const QString& caption, const QString& tip, const QRect& r,
                     qreal points = kControlPoints);
    QRadioButton* option(QWidget* parent, const QString& name, const QString& caption, const QRect& r,
                         const QString& description = {});
    QLineEdit* textBox(QWidget* parent, const QString& name, const QString& text, const QRect& r,
                       const QString& description, bool readOnly = true);
    QPlainTextEdit* textArea(QWidget* parent, const QString& name, const QRect& r, const QString& description);
    QComboBox* combo(QWidget* parent, const QString& name, const QStringList& items, int current, const QRect& r,
                     const QString& description);
    ShapeWidget* shape(QWidget* parent, const QString& name, ShapeWidget::Kind kind, const QRect& r,
                       const QString& description);

private:
    int order_ = 0;
    QStyle* boxStyle_ = nullptr;  // smaller indicators for the narrow cell and board columns
};

// Area builders, one per region of the window (see Controls.cpp for the map).
void buildCommandColumn(InventoryBuilder& b, QWidget* central, Controls& ui);
void buildConfigurationArea(InventoryBuilder& b, QWidget* central, Controls& ui);
void buildCellPanels(InventoryBuilder& b, QWidget* central, Controls& ui);
void buildMeasurementArea(InventoryBuilder& b, QWidget* central, Controls& ui);
void buildBoardGrid(InventoryBuilder& b, QWidget* central, Controls& ui);

}  // namespace zmx
