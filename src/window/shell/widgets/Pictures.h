#pragma once
// The few pictures of the main window, drawn at run time: arrow pictures for the step
// buttons and the board marker, and the two static badge pictures.

#include <QColor>
#include <QPixmap>
#include <QString>

namespace zmx {

enum class ArrowDirection { Up, Down, Left, Right };

// A filled triangle pointing in the given direction on a transparent square.
QPixmap arrowPixmap(ArrowDirection direction, int size, const QColor& colour);

// A rounded badge with one or two lines of text (first line bold).
QPixmap badgePixmap(const QString& title, const QString& subtitle, const QSize& size, const QColor& colour);

}  // namespace zmx
