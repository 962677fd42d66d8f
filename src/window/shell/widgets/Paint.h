#pragma once
// Colour and geometry helpers shared by every unit that paints the main window's
// controls. Colours go through the palette role that the widget type actually draws
// with, so that setting and reading back a control's colour always agree.

#include <QColor>

class QWidget;

namespace zmx {

// Background: Base for text boxes, Window for labels, check and option boxes and frames
// (labels and boxes get autoFillBackground so the colour shows), Button for push buttons
// and combo boxes, the fill colour for shapes.
void setBackground(QWidget* widget, const QColor& colour);
QColor background(const QWidget* widget);

// Foreground: Text for text boxes, WindowText for labels, boxes and frames (frames also
// Text, which the frame title is drawn with), ButtonText for buttons, the border for shapes.
void setForeground(QWidget* widget, const QColor& colour);
QColor foreground(const QWidget* widget);

// Position and size in window units (pixels of the 900 x 600 client area, or of the
// parent frame for controls inside frames).
void setGeometryUnits(QWidget* widget, int left, int top, int width, int height);

// Position and size in twips (15 per unit); used for the controls inside frames.
void setGeometryTwips(QWidget* widget, int left, int top, int width, int height);

// The system colours the program names: window text and window background (the
// application palette's Text and Base colours).
QColor systemWindowText();
QColor systemWindowBackground();

}  // namespace zmx
