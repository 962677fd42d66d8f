#pragma once
// A JSON description of the main window and every control of its inventory, for checking
// the window from outside (tests, screenshots, bug reports):
//   {"window": {"x","y","width","height"},
//    "controls": [{"name","class","text","toolTip","visible","enabled","checked",
//                  "x","y","width","height","foreground","background","fill"}, ...]}
// Control positions are relative to the window's own top-left corner; the window's
// position is in screen coordinates. Colours are "#RRGGBB". "visible" is the control's
// own visibility within the window (meaningful before the window is shown).

#include <QByteArray>
#include <QString>

class QMainWindow;

namespace zmx {

QByteArray dumpWindowJson(const QMainWindow* form);

// Writes the dump to path; false when the file cannot be written.
bool writeWindowDump(const QMainWindow* form, const QString& path);

}  // namespace zmx
