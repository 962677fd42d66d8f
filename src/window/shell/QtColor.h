#pragma once
#include <QColor>

#include "rules/Colors.h"

namespace zmx {
inline QColor toQColor(Rgb c) { return QColor(c.r, c.g, c.b); }
}  // namespace zmx
