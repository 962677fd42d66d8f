#pragma once
// The sizes and places of the main window and the stack view kept between runs, in the
// program's QSettings (organisation and application names set by the program).

#include <QRect>
#include <QSize>

class QWidget;

namespace zmx {

struct RememberedGeometry {
    QSize mainWindowSize;  // invalid: none remembered
    QRect stackView;       // invalid: none remembered (or the view was never opened)
};

RememberedGeometry loadRememberedGeometry();
// view null: the stack view was not opened this run and its last place is kept.
void saveRememberedGeometry(const QWidget& mainWindow, const QWidget* view);

}  // namespace zmx
