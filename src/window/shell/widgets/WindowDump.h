#pragma once
// A JSON description of the main window and every control of its inventory, for checking
// the window from outside (tests, screenshots, bug reports):
//   {"window": {"x","y","width","height"},
//    "controls": [{"name","class","text","toolTip","visible","enabled","checked",
//                  "x","y","width","height","foreground","background","fill","accessibleName"}, ...],
//    "added": [menus and actions added beside the inventory, same fields],
//    "windows": [{"section","name","title","visible","x","y","width","height",
//                 "controls": [{"name","class","text","toolTip","accessibleName",
//                               "accessibleDescription","visible","enabled","checked",
//                               "x","y","width","height"}, ...]}, ...]}
// Control positions are relative to the window's own top-left corner; the window's
// position is in screen coordinates. Colours are "#RRGGBB". "visible" is the control's
// own visibility within the window (meaningful before the window is shown).

#include <QByteArray>
#include <QString>

class QMainWindow;

namespace zmx {

// A menu or action the program adds beside the inventory carries this property (true);
// the dump lists it under "added".
inline constexpr const char* kAddedControlProperty = "zmxAddedControl";
// A second window of the main window carries this property (its section name); the dump
// lists it and every named control inside it under "windows".
inline constexpr const char* kDumpSectionProperty = "zmxDumpSection";

QByteArray dumpWindowJson(const QMainWindow* form);

// Writes the dump to path; false when the file cannot be written.
bool writeWindowDump(const QMainWindow* form, const QString& path);

}  // namespace zmx
