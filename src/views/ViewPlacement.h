#pragma once
// Where a second window goes beside the main window: the arithmetic alone, so it can be
// checked for any screen layout without showing a window.

#include <QList>
#include <QRect>
#include <QSize>

namespace zmx {

// The view's rectangle on the screen: right of the main window where there is room, else
// below it, else left or above; when no side has room, the place on the screen that covers
// as little of the main window as possible. A view larger than the screen is shrunk to it.
QRect placeBeside(const QRect& mainWindow, const QSize& view, const QRect& screen);

// Whether a remembered rectangle may be used again: it lies wholly on one of the screens and
// does not cover the main window.
bool rememberedPlaceFits(const QRect& remembered, const QRect& mainWindow, const QList<QRect>& screens);

}  // namespace zmx
