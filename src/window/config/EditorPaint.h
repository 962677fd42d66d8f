#pragma once
// Paints a configuration editor box in the plain or the pending colour pair.

#include <QWidget>

#include "rules/ConfigModel.h"
#include "window/shell/QtColor.h"
#include "window/shell/widgets/Paint.h"

namespace zmx {

inline void paintEditorPair(QWidget* box, bool pending) {
    const ColourPair& pair = colourPair(pending);
    setForeground(box, pair.systemText ? systemWindowText() : toQColor(pair.text));
    setBackground(box, toQColor(pair.back));
}

}  // namespace zmx
