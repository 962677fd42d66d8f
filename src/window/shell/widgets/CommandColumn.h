#pragma once
// Narrowing and restoring a button of the command column: a marked button is narrowed and
// shifted right so the highlight shape drawn around it shows. Top and height stay.

#include <QWidget>

#include "window/shell/widgets/Layout.h"

namespace zmx {

inline void setCommandNarrowed(QWidget* button, bool narrowed) {
    const QRect g = button->geometry();
    button->setGeometry(narrowed ? layout::kCommandNarrowLeft : layout::kCommandLeft, g.y(),
                        narrowed ? layout::kCommandNarrowWidth : layout::kCommandWidth, g.height());
}

}  // namespace zmx
