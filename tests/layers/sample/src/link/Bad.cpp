// Sample for the layer check: not compiled.
#include <QString>
#include <QtWidgets/QLabel>
  #  include <QPushButton>
#include "src/window/shell/QtColor.h"
#include "link/ControllerLink.h"
// #include <QWidget> in a comment is no include
